#include "draw/ticket.h"

#include "app/globals.h"
#include "app/locks.h"
#include "platform/platform.h"

#include <algorithm>
#include <atomic>
#include <vector>

std::uint32_t seedCounter = 0;

namespace {

thread_local std::uint32_t generatorState = 0;
std::atomic<TickSource> tickSource{nullptr};

std::uint32_t currentTick()
{
    const auto source = tickSource.load();
    return source ? source() : platform::tickCount();
}

} // namespace

void setTickSource(TickSource source)
{
    tickSource.store(source);
}

void setGeneratorState(std::uint32_t state)
{
    generatorState = state;
}

void reseedRandom()
{
    const std::uint32_t seed = currentTick() + seedCounter;
    seedCounter += (seed & 0xFFu) + 100u;
    generatorState = seed;
}

std::int32_t nextRandom()
{
    generatorState = generatorState * 214013u + 2531011u;
    return static_cast<std::int32_t>((generatorState >> 16) & 0x7FFFu);
}

std::int32_t randomInRange(std::int32_t lo, std::int32_t hi)
{
    if (lo == hi)
        return lo;
    return lo + nextRandom() % (hi - lo + 1);
}

Text makeTicket()
{
    LockScope lock(drawLock);

    std::vector<Text> pool;
    pool.reserve(33);
    for (std::int32_t i = 1; i <= 33; ++i)
        pool.push_back(intToText(i));

    reseedRandom();

    std::vector<std::int32_t> picks;
    picks.reserve(6);
    for (std::int32_t k = 33; k >= 28; --k) {
        const auto position = randomInRange(1, k);
        const auto taken = pool.begin() + (position - 1);
        picks.push_back(textToInt(*taken));
        pool.erase(taken);
    }
    std::sort(picks.begin(), picks.end());

    const Text blue = intToText(randomInRange(1, 16));

    Text ticket;
    for (const auto pick : picks)
        ticket += intToText(pick) + "+";
    return ticket + blue;
}
