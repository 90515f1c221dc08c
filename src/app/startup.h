// The life of the process: start-up, the creation handler and shut-down.
#pragma once

#include "window/controls.h"

// Builds the window and runs its message loop; 0 once the loop has ended.
int startProgram();
// The first half of startProgram: the toolkit, the exit routine and the
// window, built hidden, its creation handler run, then shown.
void openMainWindow();
void onMainWindowCreated();
// The creation handler's work after the version check: the random fill of
// the ticked groups, then drawLock. A program without the check (the
// simulator) runs this alone.
void prepareDraws();
void onProgramExit();

// The whole process: startProgram, then endProgram with its result.
[[noreturn]] void runProcess();
// After the message loop: keeps workers away, runs the exit routine,
// deletes the locks and ends the process with status.
[[noreturn]] void endProgram(int status);

// Routes a click on a control to its handler.
void onControlClicked(ControlId control);
