#include "draw/judge.h"

#include "app/globals.h"
#include "app/locks.h"
#include "draw/run_state.h"
#include "window/control_model.h"

#include <array>

namespace {

// Tested in order; the first row that matches is the prize.
constexpr std::array<Prize, 10> prizeTable{{
    {6, 1, ",一等桨6+1\r\n", 5000000, 标签1一等},
    {6, 0, ",二等桨6+0\r\n", 500000, 标签1二等},
    {5, 1, ",三等桨5+1\r\n", 3000, 标签1三等},
    {5, 0, ",四等桨5+0\r\n", 200, 标签1四等},
    {4, 1, ",四等桨4+1\r\n", 200, 标签1四等},
    {4, 0, ",五等桨4+0\r\n", 10, 标签1五等},
    {3, 1, ",五等桨3+1\r\n", 10, 标签1五等},
    {2, 1, ",六等桨2+1\r\n", 5, 标签1六等},
    {1, 1, ",六等桨1+1\r\n", 5, 标签1六等},
    {0, 1, ",六等桨0+1\r\n", 5, 标签1六等},
}};

const Text winningsPrefix = "已中桨";

} // namespace

const Prize* findPrize(std::int32_t reds, std::int32_t blue)
{
    for (const auto& prize : prizeTable)
        if (prize.redHits == reds && prize.blueHit == blue)
            return &prize;
    return nullptr;
}

Text drawDisplayText(const Text& red1, const Text& red2, const Text& red3, const Text& red4,
                     const Text& red5, const Text& red6, const Text& blue)
{
    return red1 + "  " + red2 + "  " + red3 + "  " + red4 + "  " + red5 + "  " + red6 + " + " + blue;
}

const Prize* judgeGroup(const Text& groupRedKey, const Text& red1, const Text& red2, const Text& red3,
                        const Text& red4, const Text& red5, const Text& red6, const Text& drawnBlue,
                        const Text& groupBlue)
{
    {
        LockScope lock(drawLock);
        for (const Text* red : {&red1, &red2, &red3, &red4, &red5, &red6})
            if (findText(groupRedKey, "·" + *red + "·") != -1)
                ++redHits;
        if (groupBlue == drawnBlue)
            blueHit = 1;
        lastDrawText = drawDisplayText(red1, red2, red3, red4, red5, red6, drawnBlue);
    }
    const Prize* prize = findPrize(redHits, blueHit);
    blueHit = 0;
    redHits = 0;
    return prize;
}

void showPrize(const Prize& prize, const Text& lineHead, const Text& groupName, std::uint32_t run)
{
    appendText(编辑框1输出, lineHead + "  " + groupName + prize.logSuffix);
    creditPrize(prize.amount, prize.levelLabel);
    if (&prize == &prizeTable.front())
        stopRun(run);
}

void judgeTicket(const Text& groupRedKey, const Text& red1, const Text& red2, const Text& red3,
                 const Text& red4, const Text& red5, const Text& red6, const Text& drawnBlue,
                 const Text& groupBlue, const Text& groupName)
{
    const Prize* prize = judgeGroup(groupRedKey, red1, red2, red3, red4, red5, red6, drawnBlue, groupBlue);
    if (prize == nullptr)
        return;
    const Text lineHead = "第" + intToText(drawCount) + "期:" + lastDrawText;
    const std::uint32_t run = ownRun();
    asOneStep([&] { showPrize(*prize, lineHead, groupName, run); });
}

void creditPrize(std::int32_t amount, ControlId levelLabel)
{
    // The label texts are the only store of the tallies. They are read back
    // without a 32-bit limit so that the totals stay exact past 2^31.
    const Text won = readText(透明标签1中奖金额);
    const double total = static_cast<double>(textToWhole(dropLeft(won, 6))) + amount;
    writeText(透明标签1中奖金额, winningsPrefix + wholeToText(total));

    const double wins = static_cast<double>(textToWhole(readText(levelLabel))) + 1.0;
    writeText(levelLabel, wholeToText(wins));
}
