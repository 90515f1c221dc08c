// The control model: the few operations through which every other part of
// the program reads and writes the window's controls.
//
// Each operation may be called on any thread. A call from a worker is
// carried out by the user-interface thread while the worker waits, so the
// effect is on screen when the call returns.
#pragma once

#include "text/text.h"
#include "window/controls.h"
// Worker threads, the gate and the hand-over to the user-interface thread.
#include "window/worker_gate.h"

#include <cstdint>
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
