// A run of the program's own draws on the headless backend: the groups set
// up by the user's actions of the window, the draw button pressed, the
// tallies read from the window's counters and labels.
#pragma once

#include "sim/options.h"

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

namespace sim {

struct Tallies {
    std::uint64_t draws = 0;
    std::uint64_t spent = 0;
    std::int64_t won = 0;
    std::array<std::int64_t, 6> levels{}; // first to sixth prize
};

// Money spent and won after a number of draws.
struct Sample {
    std::uint64_t draws;
    std::uint64_t spent;
    std::int64_t won;
};

struct Outcome {
    Tallies tallies;
    bool interrupted = false;
    std::vector<Sample> samples; // from (0, 0, 0) to the end, when asked for
};

// Watches a run between its draws, on the run's thread.
struct Watch {
    bool samples = false;                              // keep samples for a chart
    std::function<void(std::uint64_t draws)> progress; // every 4096 draws
};

// Safe in a signal handler: the run ends after the draw in progress.
void requestStop();

// Opens the headless window as the program opens at start-up (the five
// groups filled at random), then makes the user's changes: the typed and
// random groups of the options, the others unticked and empty. Once per
// process.
void openWindow(const Options& options);

// Runs the options' draws by pressing the draw button; the log box's
// appends go where the headless backend's log sink sends them.
Outcome run(const Options& options, const Watch& watch = {});

} // namespace sim
