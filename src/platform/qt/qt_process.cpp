// Process, threads, timing and the shell for the Linux desktop build.
#include "platform/platform.h"
#include "platform/qt/qt_text.h"

#include <QApplication>
#include <QDesktopServices>
#include <QEventLoop>
#include <QIcon>
#include <QMessageBox>
#include <QStyleFactory>
#include <QThread>
#include <QTimer>
#include <QUrl>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <system_error>
#include <thread>

#if defined(__SANITIZE_THREAD__)
#include <sanitizer/tsan_interface.h>
#endif

namespace {

QApplication* application = nullptr;
QObject* uiContext = nullptr; // lives on the user-interface thread

// Qt hands a blocking call to the user-interface thread through its queue
// of posted events and wakes the caller with a semaphore. Qt is not built
// with ThreadSanitizer, so neither is seen; handOver and takeOver tell it:
// the queue is a lock that the caller and the user-interface thread both
// take (uiQueue), and the end of the call is handed back at the address of
// the caller's work.
void handOver([[maybe_unused]] const void* at)
{
#if defined(__SANITIZE_THREAD__)
    __tsan_release(const_cast<void*>(at));
#endif
}

void takeOver([[maybe_unused]] const void* at)
{
#if defined(__SANITIZE_THREAD__)
    __tsan_acquire(const_cast<void*>(at));
#endif
}

char uiQueue;

// The call as Qt carries it: every copy of it that Qt makes takes the queue
// before it reads the call, and gives it back after.
struct UiCall {
    const std::function<void()>* work;

    explicit UiCall(const std::function<void()>* routine) : work(routine) {}
    UiCall(UiCall&& other) noexcept : UiCall(static_cast<const UiCall&>(other)) {}
    UiCall(const UiCall& other)
    {
        takeOver(&uiQueue);
        work = other.work;
        handOver(&uiQueue);
    }
    UiCall& operator=(const UiCall&) = delete;

    void operator()() const
    {
        takeOver(&uiQueue);
        const auto* routine = work;
        handOver(&uiQueue);
        (*routine)();
        handOver(routine);
    }
};

// Without a display Qt prints a list of platform plugins and aborts. A user
// gets one line saying what is missing and status 1 instead.
[[noreturn]] void noDisplay()
{
    std::fputs("tavrelle: needs a graphical display: set DISPLAY (X11) or WAYLAND_DISPLAY (Wayland) "
               "to one that is running\n",
               stderr);
    std::fflush(stderr);
    std::_Exit(1);
}

bool hasValue(const char* name)
{
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0';
}

// While Qt opens the display, its messages wait here: when it cannot, they
// give way to the one line; when it can, they go out as they would have.
struct HeldMessage {
    QtMsgType type;
    QByteArray category;
    QString text;
};
QList<HeldMessage>* heldMessages = nullptr;

void holdMessage(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    if (type == QtFatalMsg)
        noDisplay();
    heldMessages->append({type, QByteArray(context.category ? context.category : ""), text});
}

QApplication* openDisplay()
{
    // A platform named in QT_QPA_PLATFORM (offscreen, minimal, vnc, ...)
    // needs neither variable: Qt is left to judge it.
    if (!hasValue("QT_QPA_PLATFORM") && !hasValue("DISPLAY") && !hasValue("WAYLAND_DISPLAY"))
        noDisplay();
    static int argc = 1;
    static char name[] = "tavrelle";
    static char* argv[] = {name, nullptr};
    QList<HeldMessage> held;
    heldMessages = &held;
    const QtMessageHandler previous = qInstallMessageHandler(holdMessage);
    auto* opened = new QApplication(argc, argv);
    qInstallMessageHandler(previous);
    heldMessages = nullptr;
    for (const HeldMessage& message : held) {
        const QMessageLogContext context(nullptr, 0, nullptr, message.category.constData());
        qt_message_output(message.type, context, message.text);
    }
    return opened;
}

} // namespace

namespace platform {

void initialize()
{
    if (QApplication::instance() == nullptr)
        application = openDisplay();
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    // The names of the installed menu entry and icon: the desktop shows the
    // window with that icon and groups it with its entry.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.tavrelle.Tavrelle"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("org.tavrelle.Tavrelle")));
    if (uiContext == nullptr)
        uiContext = new QObject();
}

bool onUiThread()
{
    return QThread::currentThread() == QCoreApplication::instance()->thread();
}

void runOnUiThread(const std::function<void()>& work)
{
    if (onUiThread()) {
        work();
        return;
    }
    QMetaObject::invokeMethod(uiContext, UiCall(&work), Qt::BlockingQueuedConnection);
    takeOver(&work);
}

bool startThread(void (*routine)())
{
    try {
        std::thread(routine).detach();
        return true;
    } catch (const std::system_error&) {
        return false;
    }
}

void waitDispatching(std::uint32_t milliseconds)
{
    if (onUiThread()) {
        QEventLoop loop;
        QTimer::singleShot(std::chrono::milliseconds(milliseconds), Qt::PreciseTimer, &loop, &QEventLoop::quit);
        loop.exec();
        return;
    }
    // A worker owns no windows: its pause is a plain wait.
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

void showErrorBox(const Text& title, const Text& message)
{
    runOnUiThread([&] {
        QMessageBox box(QMessageBox::Critical, toQString(title), toDisplayLines(message), QMessageBox::Ok);
        box.setObjectName(QStringLiteral("fatalReport"));
        box.exec();
    });
}

void endProcess(int status)
{
    std::fflush(nullptr);
    std::_Exit(status);
}

void openWebAddress(const Text& address)
{
    QDesktopServices::openUrl(QUrl::fromEncoded(QByteArray::fromStdString(address)));
}

} // namespace platform
