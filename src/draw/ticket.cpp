#include "draw/ticket.h"

#include "app/globals.h"
#include "app/locks.h"
#include "platform/platform.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <charconv>
#include <numeric>

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

    // The pool of 1 to 33 in ascending order, kept as numbers: each is what
    // its decimal text reads back as, and the window and the simulator make
    // millions of tickets.
    std::array<std::int32_t, 33> pool;
    std::iota(pool.begin(), pool.end(), 1);

    reseedRandom();

    std::array<std::int32_t, 6> picks;
    std::size_t size = pool.size();
    for (auto& pick : picks) {
        const auto position = static_cast<std::size_t>(randomInRange(1, static_cast<std::int32_t>(size)));
        pick = pool[position - 1];
        // The members behind the one taken move up one place.
        std::copy(pool.begin() + static_cast<std::ptrdiff_t>(position), pool.begin() + static_cast<std::ptrdiff_t>(size),
                  pool.begin() + static_cast<std::ptrdiff_t>(position - 1));
        --size;
    }
    std::sort(picks.begin(), picks.end());

    const std::int32_t blue = randomInRange(1, 16);

    char ticket[32];
    char* end = ticket;
    for (const auto pick : picks) {
        end = std::to_chars(end, ticket + sizeof ticket, pick).ptr;
        *end++ = '+';
    }
    end = std::to_chars(end, ticket + sizeof ticket, blue).ptr;
    return Text(ticket, static_cast<std::size_t>(end - ticket));
}
