// Process, threads, timing and the shell for the Linux desktop build.
#include "platform/platform.h"
#include "platform/qt/qt_text.h"

#include <QApplication>
#include <QDesktopServices>
#include <QEventLoop>
#include <QMessageBox>
#include <QStyleFactory>
#include <QThread>
#include <QTimer>
#include <QUrl>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <system_error>
#include <thread>

namespace {

QApplication* application = nullptr;
QObject* uiContext = nullptr; // lives on the user-interface thread

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
    if (uiContext == nullptr)
        uiContext = new QObject();
}

void runMessageLoop()
{
    QApplication::exec();
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
    QMetaObject::invokeMethod(uiContext, [&work] { work(); }, Qt::BlockingQueuedConnection);
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

std::uint32_t tickCount()
{
    timespec now{};
    clock_gettime(CLOCK_BOOTTIME, &now);
    const auto milliseconds = static_cast<std::uint64_t>(now.tv_sec) * 1000u +
                              static_cast<std::uint64_t>(now.tv_nsec) / 1000000u;
    return static_cast<std::uint32_t>(milliseconds);
}

void pumpDelay(std::uint32_t milliseconds)
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
