#include "sim/simulator.h"

#include "app/globals.h"
#include "app/startup.h"
#include "draw/groups.h"
#include "draw/ticket.h"
#include "platform/headless/headless.h"
#include "platform/platform.h"
#include "window/control_model.h"

#include <algorithm>
#include <atomic>
#include <limits>

namespace sim {

namespace {

std::atomic<bool> stopAsked{false};
static_assert(std::atomic<bool>::is_always_lock_free && std::atomic<std::int32_t>::is_always_lock_free,
              "set from a signal handler");

std::atomic<std::uint32_t> fixedTick{0};

std::uint32_t readFixedTick()
{
    return fixedTick.load();
}

// A run draws at most this many draws: the counters it is measured by are
// 32-bit registers, and the spending of five groups over this many draws
// still fits one.
constexpr std::uint64_t drawsPerRun = std::uint64_t{1} << 28;
constexpr std::size_t maxSamples = 1000; // a chart has no use for more points

struct Progress {
    const Watch* watch = nullptr;
    std::uint64_t drawsBefore = 0; // in earlier runs
    std::uint64_t spentBefore = 0;
    std::uint32_t countAtStart = 0;
    std::uint32_t spentAtStart = 0;
    bool stopClicked = false;
    std::uint64_t sampleEvery = 1;
    std::uint64_t nextSample = 0;
    std::vector<Sample>* samples = nullptr;
};

Progress progress;

std::uint64_t drawsSoFar()
{
    return progress.drawsBefore + (static_cast<std::uint32_t>(drawCount) - progress.countAtStart);
}

std::uint64_t spentSoFar()
{
    return progress.spentBefore + (static_cast<std::uint32_t>(totalSpent) - progress.spentAtStart);
}

std::int64_t wonSoFar()
{
    return textToWhole(dropLeft(readText(透明标签1中奖金额), 6));
}

void takeSample(std::uint64_t draws)
{
    auto& samples = *progress.samples;
    samples.push_back({draws, spentSoFar(), wonSoFar()});
    if (samples.size() >= maxSamples) { // keep every other one, and take them half as often
        std::size_t kept = 1;
        for (std::size_t i = 2; i < samples.size(); i += 2)
            samples[kept++] = samples[i];
        samples.resize(kept);
        progress.sampleEvery *= 2;
    }
    progress.nextSample = draws + progress.sampleEvery;
}

// At every pause of the run, in place of its wait.
void betweenDraws()
{
    if (stopAsked.load() && !progress.stopClicked) {
        progress.stopClicked = true; // as the user would: a stop between two draws
        headless::click(按钮1停止);
    }
    const std::uint64_t draws = drawsSoFar();
    if (progress.samples != nullptr && draws >= progress.nextSample)
        takeSample(draws);
    if (progress.watch->progress && (draws & 0xFFFu) == 0)
        progress.watch->progress(draws);
}

std::int64_t labelNumber(ControlId label)
{
    return textToWhole(readText(label));
}

} // namespace

void requestStop()
{
    stopAsked.store(true);
    runState.store(2); // ends the run after the draw in progress, as the stop button does
}

void openWindow(const Options& options)
{
    if (options.tick) {
        fixedTick.store(*options.tick);
        setTickSource(readFixedTick);
    }
    platform::initialize();
    const platform::WindowEvents events{prepareDraws, onControlClicked, markWindowClosing};
    platform::buildMainWindow(events);
    if (!options.groupsGiven)
        return;

    const int typed = static_cast<int>(options.tickets.size());
    const int filled = typed + options.randomGroups;
    for (int k = filled + 1; k <= 5; ++k)
        headless::click(groupTickBox(k).id); // unticked and emptied
    if (options.randomGroups > 0) {
        // The fill button fills every ticked group: while it runs only the
        // random groups are ticked.
        for (int k = 1; k <= typed; ++k)
            headless::click(groupTickBox(k).id);
        headless::click(按钮1随机生成);
        for (int k = 1; k <= typed; ++k)
            headless::click(groupTickBox(k).id);
    }
    for (int k = 1; k <= typed; ++k)
        for (int p = 1; p <= 7; ++p)
            headless::type(groupNumberBox(k, p).id, options.tickets[static_cast<std::size_t>(k - 1)][static_cast<std::size_t>(p - 1)]);
}

Outcome run(const Options& options, const Watch& watch)
{
    Outcome outcome;
    progress = {};
    progress.watch = &watch;
    if (watch.samples) {
        progress.samples = &outcome.samples;
        outcome.samples.push_back({0, 0, 0});
        progress.sampleEvery = options.untilFirstPrize ? 1 : std::max<std::uint64_t>(1, options.draws / 500);
        progress.nextSample = progress.sampleEvery;
    }
    headless::setPauseHook(betweenDraws);

    std::uint64_t remaining = options.untilFirstPrize ? std::numeric_limits<std::uint64_t>::max() : options.draws;
    while (remaining > 0 && !stopAsked.load()) {
        const std::uint64_t count = std::min(remaining, drawsPerRun);
        headless::type(编辑框1开奖, intToText(static_cast<std::int32_t>(count)));
        progress.countAtStart = static_cast<std::uint32_t>(drawCount);
        progress.spentAtStart = static_cast<std::uint32_t>(totalSpent);
        headless::click(按钮1开奖); // returns after the run
        const std::uint64_t made = drawsSoFar() - progress.drawsBefore;
        progress.spentBefore = spentSoFar();
        progress.drawsBefore += made;
        if (!options.untilFirstPrize)
            remaining -= made;
        if (runState.load() == 2) // a first prize or a stop ended the run
            break;
    }
    headless::setPauseHook(nullptr);

    Tallies& t = outcome.tallies;
    t.draws = progress.drawsBefore;
    t.spent = progress.spentBefore;
    t.won = wonSoFar();
    const ControlId levels[] = {标签1一等, 标签1二等, 标签1三等, 标签1四等, 标签1五等, 标签1六等};
    for (std::size_t i = 0; i < 6; ++i)
        t.levels[i] = labelNumber(levels[i]);
    outcome.interrupted = stopAsked.load();
    if (watch.samples && outcome.samples.back().draws != t.draws)
        outcome.samples.push_back({t.draws, t.spent, t.won});
    return outcome;
}

} // namespace sim
