// The control model: the few operations through which every other part of
// the program reads and writes the window's controls.
//
// Each operation may be called on any thread. A call from a worker is
// carried out by the user-interface thread while the worker waits, so the
// effect is on screen when the call returns.
#pragma once

#include "text/text.h"
#include "window/controls.h"

#include <cstdint>
#include <functional>
#include <type_traits>
#include <vector>

// A control of the main window (the program has only the one window).
struct ControlRef {
    ControlId id;
    constexpr ControlRef(ControlId control) : id(control) {}
};

struct TagMatch {
    ControlRef control;
    ControlKind kind;
};

// First control in table order whose tag reads as n; fatal when none does.
TagMatch findByTag(std::int32_t n);
// findByTag for callers that need an edit box; fatal for any other kind.
ControlRef findEditBoxByTag(std::int32_t n);

Text readText(ControlRef control);
void writeText(ControlRef control, const Text& text);
std::int32_t readTicked(ControlRef control);
void appendText(ControlRef control, const Text& text);
void setLeft(ControlRef control, std::int32_t left);
void setTop(ControlRef control, std::int32_t top);
void setWidth(ControlRef control, std::int32_t width);
void setHeight(ControlRef control, std::int32_t height);
void setVisible(ControlRef control, bool visible);

// The fatal error report: a message box titled "错误", then the process ends
// with exit status -1 without running the exit routine.
[[noreturn]] void fatalError(std::int32_t code, const Text& message);

// The report text that fatalError shows.
Text fatalReportText(std::int32_t code, const Text& message);

// Item at a 1-based position of a working list; fatal outside the list.
const Text& listItem(const std::vector<Text>& list, std::int32_t position);

// --- Worker threads and shut-down ------------------------------------------
//
// A worker runs the program's code only while it holds the worker gate; it
// lets go of it while it waits for the user-interface thread or pauses.
// At shut-down the user-interface thread takes the gate for good, so no
// worker touches the window or the globals from then on: a worker that
// comes back from a wait finds the window closing and stays parked until
// the process ends.

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
