// Random tickets: six distinct red numbers from 1 to 33 in ascending order
// and one blue number from 1 to 16, as "r1+r2+r3+r4+r5+r6+b".
#pragma once

#include "text/text.h"

#include <cstdint>

// A new ticket, made while holding drawLock.
Text makeTicket();

// Reseeds the calling thread's generator from the tick counter and
// seedCounter.
void reseedRandom();
// Advances the calling thread's generator; 0 to 32767.
std::int32_t nextRandom();
// lo to hi inclusive; lo == hi does not advance the generator.
std::int32_t randomInRange(std::int32_t lo, std::int32_t hi);

// Grows at every reseed; read and written only under drawLock.
extern std::uint32_t seedCounter;

// For tests: where the tick counter comes from (the platform's by default),
// and the calling thread's generator state.
using TickSource = std::uint32_t (*)();
void setTickSource(TickSource source);
void setGeneratorState(std::uint32_t state);
