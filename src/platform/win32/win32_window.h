// What the pieces of the Win32 backend share about the main window.
#pragma once

#include "platform/platform.h"
#include "platform/win32/win32_identity.h"

#include <windows.h>

namespace win32 {

HINSTANCE instance();
HWND mainWindow();
// The control's window, or null (WindowSelf gives the main window).
HWND controlWindow(ControlId id);
// The table identity of one of our child windows, or -1.
int controlOf(HWND window);

// Builds one control from its table row as a child of parent (controls.cpp).
HWND createControl(const ControlSpec& entry, HWND parent);
// The font of a table row; fonts live as long as the process.
HFONT fontFor(const ControlSpec& entry);
// A single-line edit box is at least one line of its font tall.
int editBoxHeight(HWND box, const ControlSpec& entry, int height);
// Answers WM_CTLCOLOR* for one of our controls; null when it is not ours.
HBRUSH controlColors(HWND control, HDC dc);
// Answers WM_DRAWITEM for the wrapping label; false for anything else.
bool drawWrappingLabel(const DRAWITEMSTRUCT& item);
// Marks what lies beneath a transparent label, and the label, for a paint
// (the parent's first) when the thread is next idle.
void repaintBeneath(HWND label);
// Registers the panel's window class; false when that fails.
bool registerPanelClass();

// The user-interface thread's message-only window (process.cpp).
bool createDispatchWindow();
void setDispatching(bool dispatching);

} // namespace win32
