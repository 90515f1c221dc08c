// The program's global variables. Each is zero or empty when the process
// starts. The texts and counters of a draw are touched only by the worker
// that holds the worker gate (window/control_model.h), so one thread at a
// time; runState is read by a worker while the user-interface thread writes
// it, hence atomic.
#pragma once

#include "app/locks.h"
#include "text/text.h"

#include <array>
#include <atomic>
#include <cstdint>

extern LockHandle drawLock;

extern Text currentVersion;
extern Text latestVersion;

extern std::atomic<std::int32_t> runState;

extern std::array<Text, 5> groupRedKeys; // position k holds group k + 1

extern std::int32_t drawCount;
extern std::array<Text, 7> drawnNumbers; // reds 1 to 6, then the blue
extern std::int32_t totalSpent;

extern Text lastDrawText;
extern std::int32_t redHits;
extern std::int32_t blueHit;

// Gives back the bytes a text holds.
void release(Text& text);
