// The run flag and the stop request.
#pragma once

#include <atomic>
#include <cstdint>

// Handler of the stop button; a first prize calls it on the worker too.
void onStopClicked();

// Runs are numbered in the order they claim the draw button; claimedRuns is
// the number of the latest. A stop is meant for one run: the latest one
// when the button is pressed, the worker's own run when a first prize
// stops it. stoppedRuns is the highest run a stop was meant for; every run
// up to it ends after its current draw. So a click right after a stop
// cannot revive the stopped run, and a stopped run's late first prize
// cannot end the run claimed after it.
extern std::atomic<std::uint32_t> claimedRuns;
extern std::atomic<std::uint32_t> stoppedRuns;

// The run that the calling worker draws (0 on any other thread).
void setOwnRun(std::uint32_t run);
std::uint32_t ownRun();

// The stop of one run: the given one, or with 0 the latest (the stop
// button's). onStopClicked is stopRun(ownRun()); a step on the
// user-interface thread that stops a worker's run passes the run it took
// from the worker.
void stopRun(std::uint32_t run);

// Whether the given run has been asked to stop.
bool stopRequested(std::uint32_t run);
