// Draws per second of the window-less simulator, and beside them the floor:
// the generator and the judge alone, with no control, counter or log.
#include "sim/simulator.h"

#include "app/globals.h"
#include "draw/judge.h"
#include "draw/run.h"
#include "draw/ticket.h"
#include "platform/headless/headless.h"

#include <benchmark/benchmark.h>

#include <array>
#include <vector>

namespace {

void openOnce()
{
    static const bool opened = [] {
        sim::Options options; // five random groups, as the window opens
        options.tick = 1000;
        sim::openWindow(options);
        return true;
    }();
    (void)opened;
}

// Whole runs as tavrelle-sim makes them: five groups, no log.
void simulatorRun(benchmark::State& state)
{
    openOnce();
    headless::setLogSink([](std::string_view) {});
    sim::Options options;
    options.draws = static_cast<std::uint64_t>(state.range(0));
    std::uint64_t draws = 0;
    for (auto _ : state)
        draws += sim::run(options).tallies.draws;
    state.SetItemsProcessed(static_cast<std::int64_t>(draws));
}
BENCHMARK(simulatorRun)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same runs with the log written to a file (the page cache).
void simulatorRunWithLog(benchmark::State& state)
{
    openOnce();
    std::FILE* file = std::fopen("/tmp/tavrelle-bench-sim.log", "wb");
    static char buffer[1 << 20];
    std::setvbuf(file, buffer, _IOFBF, sizeof buffer);
    headless::setLogSink([file](std::string_view text) { std::fwrite(text.data(), 1, text.size(), file); });
    sim::Options options;
    options.draws = static_cast<std::uint64_t>(state.range(0));
    std::uint64_t draws = 0;
    for (auto _ : state)
        draws += sim::run(options).tallies.draws;
    std::fclose(file);
    std::remove("/tmp/tavrelle-bench-sim.log");
    headless::setLogSink([](std::string_view) {});
    state.SetItemsProcessed(static_cast<std::int64_t>(draws));
}
BENCHMARK(simulatorRunWithLog)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();

// The floor: what a draw of five groups needs of the generator and the
// judge, with no control, counter or log: one ticket made and split, five
// groups' hits counted and their prizes found, the draw's text written.
void generatorAndJudge(benchmark::State& state)
{
    openOnce();
    std::array<Text, 5> keys;
    std::array<Text, 5> blues;
    for (std::size_t k = 0; k < 5; ++k) {
        const auto parts = splitText(makeTicket(), "+");
        keys[k] = groupRedKey(parts[0], parts[1], parts[2], parts[3], parts[4], parts[5]);
        blues[k] = parts[6];
    }
    std::int64_t wins = 0;
    std::vector<Text> n;
    Text shown;
    for (auto _ : state) {
        splitTextInto(n, makeTicket(), "+");
        for (std::size_t k = 0; k < 5; ++k)
            wins += judgeHits(keys[k], n[0], n[1], n[2], n[3], n[4], n[5], n[6], blues[k]) != nullptr;
        writeDrawDisplayText(shown, n[0], n[1], n[2], n[3], n[4], n[5], n[6]);
    }
    benchmark::DoNotOptimize(wins);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(generatorAndJudge);

} // namespace

BENCHMARK_MAIN();
