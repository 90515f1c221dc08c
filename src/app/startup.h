// The life of the process: start-up, the creation handler and shut-down.
#pragma once

#include "window/controls.h"

// Builds the window and runs its message loop; 0 once the loop has ended.
int startProgram();
void onMainWindowCreated();
void onProgramExit();

// The whole process: startProgram, then the exit routine, the deletion of
// the locks and the end with startProgram's result.
[[noreturn]] void runProcess();

// Routes a click on a control to its handler.
void onControlClicked(ControlId control);
