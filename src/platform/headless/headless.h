// The window-less backend: the controls are plain state built from the
// control table, and the thread that builds the window is the
// user-interface thread. A worker started on it runs at once on the calling
// thread, and the run's pause between draws is skipped (nobody watches; a
// program may watch the pauses instead). This header is what a program or a
// test on this backend uses beyond platform.h: the user's actions, where
// the log goes, the pauses, and the conversion of its texts.
#pragma once

#include "text/text.h"
#include "window/controls.h"

#include <functional>
#include <string_view>

namespace headless {

// A click as the user makes it: a tick box toggles its tick first; then the
// window's click event runs its handler (the draw button's handler returns
// after the whole run).
void click(ControlId id);
// The user replaces the text of an edit box.
void type(ControlId id, const Text& text);

// Where the log box's appends go. Unset, the box keeps them (readText gives
// them back); set, each appended text goes to sink instead and the box keeps
// nothing, so a long run needs no memory for its log.
using LogSink = std::function<void(std::string_view)>;
void setLogSink(LogSink sink);

// Called at every pause between two draws of a run, on the user-interface
// thread, in place of the wait (nullptr: none).
void setPauseHook(void (*hook)());

// CP936 bytes as UTF-8, for the terminal and files; a byte sequence that
// is not CP936 becomes U+FFFD.
std::string toUtf8(std::string_view cp936);
// UTF-8 as CP936 bytes; false when a character has no CP936 form.
bool fromUtf8(std::string_view utf8, Text& cp936);

} // namespace headless
