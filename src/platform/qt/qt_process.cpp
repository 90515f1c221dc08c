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

} // namespace

namespace platform {

void initialize()
{
    if (QApplication::instance() == nullptr) {
        static int argc = 1;
        static char name[] = "tavrelle";
        static char* argv[] = {name, nullptr};
        application = new QApplication(argc, argv);
    }
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
