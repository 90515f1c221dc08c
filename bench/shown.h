// Start-up children: report the moment the window is on screen, then end.
#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace bench {

inline long long monotonicNs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

// Reports that main has been reached: what comes before it is loading
// and linking the program's libraries.
inline void reportMain()
{
    std::printf("MAIN %lld\n", monotonicNs());
}

// Dispatches events until the window is exposed (its first paint is done
// once processEvents returns), prints "SHOWN <monotonic ns>" and ends the
// process at once: tearing down is not part of start-up.
[[noreturn]] inline void reportWhenShown(QWidget* window)
{
    QTimer wake; // keeps WaitForMoreEvents from sleeping past the exposure
    wake.setTimerType(Qt::PreciseTimer);
    wake.start(1);
    QElapsedTimer guard;
    guard.start();
    while (!(window->windowHandle() && window->windowHandle()->isExposed())) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        if (guard.elapsed() > 20000) {
            std::fprintf(stderr, "window never exposed\n");
            std::_Exit(2);
        }
    }
    std::printf("SHOWN %lld\n", monotonicNs());
    std::fflush(stdout);
    std::_Exit(0);
}

} // namespace bench
