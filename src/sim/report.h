// What the simulator prints and draws from a run's tallies. Texts are
// UTF-8, ready for the terminal and files.
#pragma once

#include "sim/simulator.h"

#include <string>
#include <vector>

namespace sim {

// {"draws": N, "spent": N, "won": N, "levels": {"一等": n, ...}} and a line end.
std::string tallyJson(const Tallies& tallies);

// The tallies in the window's own words, with draws per win at each level
// and the money back per 100 spent.
std::string tallyTable(const Tallies& tallies);

// A line chart of money spent and money won over the draws, as SVG.
std::string spendingChart(const std::vector<Sample>& samples);

} // namespace sim
