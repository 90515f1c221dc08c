// A run of draws on a worker thread, started by the draw button.
#pragma once

#include "text/text.h"

#include <atomic>
#include <cstdint>

void onDrawClicked();
// The body of every worker.
void runDraws();
// Waits amount units (0 ms, 1 s, 2 min, 3 h) while dispatching the calling
// thread's messages.
bool pumpDelay(std::int32_t amount, std::int32_t unit = 0);

// Builds a group's key: its six red texts, each after a middle dot, and a
// closing dot.
Text groupRedKey(const Text& t1, const Text& t2, const Text& t3, const Text& t4, const Text& t5,
                 const Text& t6);

// For tests only: when set, the drawing worker calls it as each pause
// begins, so that a test can act at a known point of the run.
extern std::atomic<void (*)()> pauseProbe;
