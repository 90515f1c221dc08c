// The Qt main window: built from the control table, one widget per entry
// (qt_window.cpp), with the widgets of each control kind (qt_controls.cpp).
#pragma once

#include "platform/platform.h"

#include <QFont>
#include <QWidget>

class QApplication;

namespace qtwindow {

// The widget of a control (the window itself for WindowSelf), or null when
// the window has not been built or has been closed.
QWidget* widget(ControlId id);
QWidget* mainWindow();

// The property that keeps a caption's exact bytes where the widget shows
// them changed (line breaks).
inline constexpr const char* CaptionProperty = "tavrelleCaption";

// --- qt_controls.cpp: one widget per control kind --------------------------

// Builds the widget of one table row as a child of parent.
QWidget* createControl(const ControlSpec& entry, QWidget* parent);
// The font of a table row, sized in pixels.
QFont fontFor(const ControlSpec& entry);
// A single-line edit box is at least one line of its font tall.
int editBoxHeight(const ControlSpec& entry, const QFont& font, int height);
// White background and black text, filled by the widget itself.
void paintWhite(QWidget* widget);
// Pressing these kinds drags the window.
bool dragsWindow(ControlKind kind);

} // namespace qtwindow
