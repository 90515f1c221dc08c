// The services the program relies on. Each backend translates these to one
// toolkit and holds no rule of the program itself:
//
//   platform/qt/        the Linux desktop: Qt 6 Widgets and libcurl
//   platform/win32/     Windows: the Win32 API and WinINet
//   platform/headless/  no window: controls as plain state (tavrelle-sim)
//
// A backend implements every function below, in the files each section is
// headed by (the headless backend keeps all of it in headless_window.cpp):
//   [ ] the window and its controls   qt_window.cpp    win32_window.cpp
//       (one widget per control kind: qt_controls.cpp, win32_controls.cpp)
//   [ ] threads, time and the process qt_process.cpp   win32_process.cpp
//       (tickCount on Linux: platform/linux/tick_count.cpp, shared)
//   [ ] HTTP(S)                       qt_http.cpp      win32_http.cpp
//
// Unless marked otherwise, the window and control functions are called only
// on the user-interface thread; the control model (window/control_model.h)
// carries a worker's calls over with runOnUiThread.
#pragma once

#include "text/text.h"
#include "window/controls.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>

namespace platform {

// --- The window and its controls: qt_window.cpp, win32_window.cpp ----------

struct WindowEvents {
    void (*created)();              // all controls exist, window not yet shown
    void (*clicked)(ControlId);     // a push button or tick box was clicked
    void (*closing)();              // the window is about to be destroyed
};

// Builds the main window hidden from the control table, fires
// events.created, then shows and activates it. False when the window could
// not be built.
bool buildMainWindow(const WindowEvents& events);

// Dispatches messages until the main window has been destroyed.
void runMessageLoop();

bool mainWindowOpen();

Text controlText(ControlId id);
void setControlText(ControlId id, const Text& text);
bool controlTicked(ControlId id);
// Inserts at the very end, moves the caret there and scrolls it into view.
void appendControlText(ControlId id, const Text& text);
void setControlLeft(ControlId id, int left);
void setControlTop(ControlId id, int top);
// For WindowSelf the outer size, frame and title bar included.
void setControlWidth(ControlId id, int width);
void setControlHeight(ControlId id, int height);
void setControlVisible(ControlId id, bool visible);

// --- Threads, time and the process: qt_process.cpp, win32_process.cpp -------

// Prepares the toolkit. Called first, on the thread that becomes the
// user-interface thread.
void initialize();

// Any thread.
bool onUiThread();
// Runs work on the user-interface thread and waits for it. Returns without
// running it when the user-interface thread no longer dispatches.
void runOnUiThread(const std::function<void()>& work);
// Starts routine on a new thread at once; false if it could not start.
bool startThread(void (*routine)());
// Milliseconds since the system started, wrapping at 2^32.
std::uint32_t tickCount();
// Waits the given milliseconds; the calling thread's window messages are
// dispatched meanwhile.
void waitDispatching(std::uint32_t milliseconds);

// A modal box owned by no window, with the error icon and one OK button.
// Returns when the user has closed it.
void showErrorBox(const Text& title, const Text& message);
// Ends the process at once with the given exit status; nothing else runs.
[[noreturn]] void endProcess(int status);

// Asks the desktop to open a web address in the default browser. Returns at
// once; the outcome is not reported.
void openWebAddress(const Text& address);

// --- HTTP(S): qt_http.cpp, win32_http.cpp -----------------------------------

// How a GET goes out and how far it may go, handed to httpGetFile so that
// every backend sends the same request within the same bounds.
struct HttpRequest {
    const char* userAgent;
    std::span<const char* const> headers; // "Name: value", each sent once
    std::size_t maxBody;                  // bytes kept; the rest is not read
    std::uint32_t connectMs;
    std::uint32_t wholeMs; // the whole fetch, name lookup included
};

// A blocking HTTP/1.0 GET of a whole resource over HTTP(S) with
// certificate checks; no bytes on any failure before the body, the bytes so
// far when a read fails midway or a bound is reached.
Bytes httpGetFile(const Text& address, const HttpRequest& request);

} // namespace platform
