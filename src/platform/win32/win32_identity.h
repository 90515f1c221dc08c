// How the program's windows are known from outside: by the backend itself,
// and by the test and benchmark drivers that find and drive the window
// under Wine. Plain constants, so a driver includes nothing else of the
// backend.
#pragma once

namespace win32 {

// The main window's class; its title is the table's caption of WindowSelf.
inline constexpr const wchar_t* MainWindowClass = L"TavrelleMain";

// Child window identifiers are the control's order in the table plus this,
// clear of IDOK and IDCANCEL, which dialog navigation sends.
inline constexpr int ControlIdBase = 1000;

} // namespace win32
