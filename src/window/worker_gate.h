// Worker threads, the worker gate and the hand-over to the user-interface
// thread.
//
// A worker runs the program's code only while it holds the worker gate; it
// lets go of it while it waits for the user-interface thread or pauses.
// So at most one worker at a time reads and writes the program's globals,
// and the user-interface thread never waits for a worker that waits for it.
// At shut-down the user-interface thread takes the gate for good, so no
// worker touches the window or the globals from then on: a worker that
// comes back from a wait finds the window closing and stays parked until
// the process ends.
#pragma once

#include "platform/platform.h"

#include <cstdint>
#include <functional>
#include <type_traits>

// Runs routine on a new worker thread that holds the gate while it runs.
bool startWorker(void (*routine)());
// Pauses a worker (or the user-interface thread) for the given milliseconds.
void pauseFor(std::uint32_t milliseconds);
// Runs wait (which blocks) with the gate let go, for waits on another worker.
void waitOutsideGate(const std::function<void()>& wait);
// A call of a step, borrowed for the time of asOneStep: a draw makes a few
// steps, and a std::function of each would cost an allocation.
class StepRef {
public:
    template <typename Work>
    StepRef(Work&& work) // NOLINT: made implicitly from the caller's lambda
        : object_(static_cast<void*>(&work)),
          call_([](void* object) { (*static_cast<std::remove_reference_t<Work>*>(object))(); })
    {
    }
    void operator()() const { call_(object_); }

private:
    void* object_;
    void (*call_)(void*);
};

// Runs work on the user-interface thread as one step: no other control
// operation comes between its reads and writes.
void asOneStep(StepRef work);

// Called on the user-interface thread when the window starts to close.
void markWindowClosing();
// Called on the user-interface thread after the message loop has ended:
// waits until no worker runs the program's code, and keeps it so.
void holdWorkersForShutdown();

// For the fatal report: lets go of the gate if this thread holds it, so
// that shut-down does not wait for a box the user has not closed yet.
void letGoOfGateForReport();
// Never returns; for a thread that must not run on.
[[noreturn]] void parkForever();

// Carries out work on the user-interface thread while a worker waits with
// the gate let go (work does not run once the window is closing).
void handOverToUi(const std::function<void()>& work);

// work() on the user-interface thread, its result handed back: at once on
// that thread, through handOverToUi from a worker.
template <typename Work>
auto onUi(Work&& work) -> decltype(work())
{
    if (platform::onUiThread())
        return work();
    using Result = decltype(work());
    if constexpr (std::is_void_v<Result>) {
        handOverToUi([&] { work(); });
    } else {
        Result result{};
        handOverToUi([&] { result = work(); });
        return result;
    }
}
