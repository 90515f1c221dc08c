// The process's list of exit routines, run after the message loop has
// ended and emptied before a fatal end.
#pragma once

// Adding a routine that is already listed changes nothing.
void addExitRoutine(void (*routine)());
void runExitRoutines();
void clearExitRoutines();
