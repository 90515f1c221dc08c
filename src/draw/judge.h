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

// Counts one group's hits against a draw and gives the prize they win, or
// nullptr. Touches no control and no text of the draw: the worker does this
// between the steps that show the draw, and writes the draw's text once.
// redHits and blueHit are back at 0 when it returns.
const Prize* judgeHits(const Text& groupRedKey, const Text& red1, const Text& red2, const Text& red3,
                       const Text& red4, const Text& red5, const Text& red6, const Text& drawnBlue,
                       const Text& groupBlue);

// judgeHits for a caller that holds drawLock already: a draw counts all its
// groups under one hold.
const Prize* judgeHitsHoldingLock(const Text& groupRedKey, const Text& red1, const Text& red2, const Text& red3,
                                  const Text& red4, const Text& red5, const Text& red6, const Text& drawnBlue,
                                  const Text& groupBlue);

// judgeHits, then lastDrawText set to the draw's text.
const Prize* judgeGroup(const Text& groupRedKey, const Text& red1, const Text& red2, const Text& red3,
                        const Text& red4, const Text& red5, const Text& red6, const Text& drawnBlue,
                        const Text& groupBlue);

// What the window shows of a win: the prize line (lineHead is "第N期:" and
// the draw's text), the tallies, and for a first prize the stop of the
// given run (0: the latest, as the stop button). Meant to run inside a step
// on the user-interface thread, so it reads none of the worker's globals.
void showPrize(const Prize& prize, const Text& lineHead, const Text& groupName, std::uint32_t run);

// One group judged and its win shown, in one step: judgeGroup, then
// showPrize for the calling worker's run.
void judgeTicket(const Text& groupRedKey, const Text& red1, const Text& red2, const Text& red3,
                 const Text& red4, const Text& red5, const Text& red6, const Text& drawnBlue,
                 const Text& groupBlue, const Text& groupName);

// The display text of a draw: "r1  r2  r3  r4  r5  r6 + b".
Text drawDisplayText(const Text& red1, const Text& red2, const Text& red3, const Text& red4,
                     const Text& red5, const Text& red6, const Text& blue);
// The same into an existing text, keeping its storage.
void writeDrawDisplayText(Text& shown, const Text& red1, const Text& red2, const Text& red3, const Text& red4,
                          const Text& red5, const Text& red6, const Text& blue);

// Adds amount to the winnings label and one win to the level label.
void creditPrize(std::int32_t amount, ControlId levelLabel);
