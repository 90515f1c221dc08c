// The prize table row by row, and the texts a draw is judged with, down to
// their code page 936 bytes.
#include "draw/judge.h"
#include "draw/run.h"
#include "text/text.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace {

struct PrizeCase {
    std::int32_t reds;
    std::int32_t blue;
    const char* suffix; // nullptr: no prize
    std::int32_t amount;
    ControlId level;
};

const PrizeCase prizeCases[] = {
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
    {3, 0, nullptr, 0, WindowSelf},
    {2, 0, nullptr, 0, WindowSelf},
    {1, 0, nullptr, 0, WindowSelf},
    {0, 0, nullptr, 0, WindowSelf},
};

TEST(PrizeTable, EveryPairOfHitsGivesItsRowOrNothing)
{
    for (const auto& c : prizeCases) {
        SCOPED_TRACE(std::to_string(c.reds) + "+" + std::to_string(c.blue));
        const Prize* prize = findPrize(c.reds, c.blue);
        if (!c.suffix) {
            EXPECT_EQ(prize, nullptr);
            continue;
        }
        ASSERT_NE(prize, nullptr);
        EXPECT_EQ(std::string(prize->logSuffix), std::string(c.suffix));
        EXPECT_EQ(prize->amount, c.amount);
        EXPECT_EQ(prize->levelLabel, c.level);
    }
}

TEST(PrizeTable, SuffixBytesAreAsciiCommaLevelWordAndCrLf)
{
    // ",一等桨6+1" then CR LF, in code page 936.
    EXPECT_EQ(std::string(findPrize(6, 1)->logSuffix), std::string("\x2c\xd2\xbb\xb5\xc8\xbd\xb0"
                                                                   "6+1\r\n"));
}

TEST(GroupRedKey, SixTextsBetweenSevenMiddleDots)
{
    const std::string dot = "\xa1\xa4";
    EXPECT_EQ(groupRedKey("3", "07", " 5", "", "33", "x"), dot + "3" + dot + "07" + dot + " 5" + dot + dot + "33" + dot + "x" + dot);
    EXPECT_EQ(groupRedKey("", "", "", "", "", ""), dot + dot + dot + dot + dot + dot + dot);
}

TEST(DrawDisplayText, RedsTwoSpacesApartThenPlusAndBlue)
{
    EXPECT_EQ(drawDisplayText("3", "7", "12", "19", "25", "33", "9"), "3  7  12  19  25  33 + 9");
}

// The judge keeps its search answers per key: a key rebuilt in place (a
// second click of the draw button during a run) and reds written otherwise
// than a ticket writes them must still be judged on their bytes.
struct HitsCase {
    const char* key[6];
    const char* drawn[6];
    std::int32_t hits;
};

TEST(JudgeHits, CountsTheDrawnRedsFoundInTheKeyAsItStandsNow)
{
    const HitsCase cases[] = {
        {{"3", "7", "12", "19", "25", "33"}, {"3", "7", "12", "19", "25", "33"}, 6},
        {{"1", "2", "15", "25", "30", "31"}, {"5", "12", "13", "14", "20", "3"}, 0}, // 5 is not in 15 or 25
        {{"05", " 7", "12", "x", "", "33"}, {"5", "7", "12", "05", " 7", "33"}, 4},  // texts, not numbers
        {{"9", "9", "9", "9", "9", "9"}, {"9", "10", "11", "12", "13", "14"}, 1},
        {{"3", "7", "12", "19", "25", "33"}, {"3", "7", "12", "19", "25", "34"}, 5},
    };
    Text key; // one key text, rebuilt in place case after case
    for (int round = 0; round < 2; ++round) {
        for (const auto& c : cases) {
            key = groupRedKey(c.key[0], c.key[1], c.key[2], c.key[3], c.key[4], c.key[5]);
            SCOPED_TRACE(key);
            const Text d[6] = {c.drawn[0], c.drawn[1], c.drawn[2], c.drawn[3], c.drawn[4], c.drawn[5]};
            // No blue hit: the prize tells the red hits from three up.
            const Prize* prize = judgeHits(key, d[0], d[1], d[2], d[3], d[4], d[5], "1", "2");
            EXPECT_EQ(prize, c.hits >= 4 ? findPrize(c.hits, 0) : nullptr);
            // With the blue: every count of hits but 3 has its own row.
            const Prize* withBlue = judgeHits(key, d[0], d[1], d[2], d[3], d[4], d[5], "1", "1");
            EXPECT_EQ(withBlue, findPrize(c.hits, 1));
        }
    }
}

} // namespace
