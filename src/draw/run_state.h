// The run flag and the stop request.
#pragma once

#include <atomic>
#include <cstdint>

// Handler of the stop button; a first prize calls it on the worker too.
void onStopClicked();

// Counts the runs that claimed the draw button and the run that a stop was
// last meant for, so that a stop ends the run it was pressed for even when
// a new click has set runState back to 1 before that run saw the stop.
extern std::atomic<std::uint32_t> claimedRuns;
extern std::atomic<std::uint32_t> stoppedRun;
