// The window probe that the Windows drivers share: tests/wine/driver.cpp
// (which reports failures) and bench/wine_driver.cpp (which reports
// figures). It finds the program's window by its class and title, maps its
// children to the control table, and sends, reads and writes as a user's
// tools would, with window messages across processes.
#pragma once

#include "text/text.h"
#include "window/controls.h"

#include <windows.h>

#include <cstdint>
#include <string>

namespace probe {

// What a driver does with a failed step: the test driver counts it and goes
// on, the benchmark driver stops. Set once, first thing.
void setFailureHandler(void (*handler)(const std::string& what));
void failed(const std::string& what);

// The program's main window when it is visible, else null.
HWND findMainWindow();
// Finds the main window and its 68 controls; reports a missing control or a
// child outside the table. False when the window or a control is missing.
bool attach();
HWND mainWindow();
HWND hwnd(ControlId id);
// The table identity of a child window of the program (its identifier less
// the base), whatever the window.
int controlOf(HWND child);

// SendMessageTimeout; a message that gets no answer in time is a failure.
LRESULT send(HWND target, UINT message, WPARAM wParam, LPARAM lParam, UINT timeoutMs = 20000);
// The live text, as the control itself answers WM_GETTEXT.
Text textOf(ControlId id);
// WM_SETTEXT, as a user's tool types; a long log may take a while.
void setText(ControlId id, const Text& text, UINT timeoutMs = 180000);
// The number in the period label ("第N期"), 0 when it has another form.
std::int64_t period();

double nowMs();
// Looks every pollMs until condition holds; false after timeoutMs.
template <typename Condition>
bool waitFor(const Condition& condition, double timeoutMs, DWORD pollMs)
{
    const double start = nowMs();
    while (!condition()) {
        if (nowMs() - start > timeoutMs)
            return false;
        Sleep(pollMs);
    }
    return true;
}

// Trusts a test authority (PEM) in the machine's root store, as Wine's TLS
// consults it; prints "trusted". False on any failure.
bool installCa(const char* path);

} // namespace probe
