// The Qt main window: built from the control table, one widget per entry.
#pragma once

#include "platform/platform.h"

#include <QWidget>

class QApplication;

namespace qtwindow {

// The widget of a control (the window itself for WindowSelf), or null when
// the window has not been built or has been closed.
QWidget* widget(ControlId id);
QWidget* mainWindow();

} // namespace qtwindow
