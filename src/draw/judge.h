// Judging one group against the current draw, and the tallies of wins.
#pragma once

#include "text/text.h"
#include "window/controls.h"

#include <cstdint>

// One row of the prize table.
struct Prize {
    std::int32_t redHits;
    std::int32_t blueHit;
    const char* logSuffix; // ends the prize line, CR LF included
    std::int32_t amount;
    ControlId levelLabel;
};

// The first row of the prize table that the hits match, or nullptr when the
// pair wins nothing.
const Prize* findPrize(std::int32_t redHits, std::int32_t blueHit);

void judgeTicket(const Text& groupRedKey, const Text& red1, const Text& red2, const Text& red3,
                 const Text& red4, const Text& red5, const Text& red6, const Text& drawnBlue,
                 const Text& groupBlue, const Text& groupName);

// The display text of a draw: "r1  r2  r3  r4  r5  r6 + b".
Text drawDisplayText(const Text& red1, const Text& red2, const Text& red3, const Text& red4,
                     const Text& red5, const Text& red6, const Text& blue);

// Adds amount to the winnings label and one win to the level label.
void creditPrize(std::int32_t amount, ControlId levelLabel);
