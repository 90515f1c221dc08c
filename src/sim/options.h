// The simulator's command line.
#pragma once

#include "text/text.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace sim {

struct Options {
    std::vector<std::vector<Text>> tickets; // --ticket: seven CP936 texts each, groups 1, 2, ...
    int randomGroups = 0;                   // --random K: the next K groups
    bool groupsGiven = false;               // --ticket or --random given
    std::uint64_t draws = 100;
    bool untilFirstPrize = false;
    std::optional<std::uint32_t> tick;
    std::string logFile;
    bool utf8 = false;
    bool json = false;
    std::string chartFile;
    bool help = false;
};

struct Parsed {
    Options options;
    std::string error; // empty when the arguments are good; else one line naming the bad one
};

Parsed parseArguments(const std::vector<std::string>& arguments);

// What --help prints.
extern const char* const usageText;

} // namespace sim
