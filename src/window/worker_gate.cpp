#include "window/worker_gate.h"

#include <atomic>
#include <mutex>
#include <thread> // not <chrono>: it holds a character code page 936 lacks

namespace {

std::mutex workerGate;
std::atomic<bool> windowClosing{false};
thread_local bool holdsGate = false;

// Lets go of the gate around a wait of a worker; after the wait the worker
// either takes the gate again or, when the window is closing, never returns.
template <typename Wait>
void outsideGate(Wait&& wait)
{
    if (!holdsGate) {
        wait();
        return;
    }
    workerGate.unlock();
    wait();
    if (windowClosing.load())
        parkForever();
    workerGate.lock();
}

std::atomic<void (*)()> workerRoutine{nullptr};

void workerMain()
{
    workerGate.lock();
    holdsGate = true;
    workerRoutine.load()();
    holdsGate = false;
    workerGate.unlock();
}

} // namespace

void parkForever()
{
    for (;;)
        std::this_thread::sleep_for(std::chrono::hours(1));
}

void handOverToUi(const std::function<void()>& work)
{
    outsideGate([&] {
        platform::runOnUiThread([&] {
            if (!windowClosing.load())
                work();
        });
    });
}

bool startWorker(void (*routine)())
{
    // Platform threads start without an argument; every worker of this
    // program runs the same routine, so it is simply recorded here.
    workerRoutine.store(routine);
    return platform::startThread(workerMain);
}

void pauseFor(std::uint32_t milliseconds)
{
    outsideGate([&] { platform::waitDispatching(milliseconds); });
}

void waitOutsideGate(const std::function<void()>& wait)
{
    outsideGate(wait);
}

void asOneStep(StepRef work)
{
    onUi([&] { work(); });
}

void markWindowClosing()
{
    windowClosing.store(true);
}

void holdWorkersForShutdown()
{
    windowClosing.store(true);
    workerGate.lock(); // never let go: the process ends with the gate held
}

void letGoOfGateForReport()
{
    if (holdsGate) {
        holdsGate = false;
        workerGate.unlock();
    }
}
