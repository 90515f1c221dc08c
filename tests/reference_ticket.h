// The generator as documented, written apart from the program's: the
// ticket of a seed, and the seeds that a fixed tick counter gives.
#pragma once

#include "text/text.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace drawtest {

// The ticket makeTicket gives for a seed (tick + seedCounter), made the way
// the generator is documented to: 214013/2531011 steps, six picks from the
// shrinking pool 1..33, sorted, then the blue from 1..16.
inline Text referenceTicket(std::uint32_t seed)
{
    std::uint32_t state = seed;
    auto next = [&] {
        state = state * 214013u + 2531011u;
        return static_cast<int>((state >> 16) & 0x7FFFu);
    };
    std::vector<int> pool;
    for (int i = 1; i <= 33; ++i)
        pool.push_back(i);
    std::vector<int> picks;
    for (int k = 33; k >= 28; --k) {
        const int position = next() % k;
        picks.push_back(pool[static_cast<std::size_t>(position)]);
        pool.erase(pool.begin() + position);
    }
    std::sort(picks.begin(), picks.end());
    Text ticket;
    for (int pick : picks)
        ticket += std::to_string(pick) + "+";
    return ticket + std::to_string(1 + next() % 16);
}

// The tickets a process makes, in order, while the tick counter reads tick
// at every reseed: the seed is tick + seedCounter, which then grows by the
// seed's low byte and 100.
inline std::vector<Text> ticketsAtTick(std::uint32_t tick, std::size_t count)
{
    std::vector<Text> tickets;
    std::uint32_t seedCounter = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint32_t seed = tick + seedCounter;
        seedCounter += (seed & 0xFFu) + 100u;
        tickets.push_back(referenceTicket(seed));
    }
    return tickets;
}

} // namespace drawtest
