#include "draw/ticket.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <ostream>
#include <thread>
#include <vector>

namespace {

// The tick counter the generator reads, set by each test.
std::atomic<std::uint32_t> tick{0};
std::atomic<bool> tickAdvances{false};

std::uint32_t testTick()
{
    return tickAdvances.load() ? tick.fetch_add(1) : tick.load();
}

// seedCounter lives for the whole process: every test starts it at 0 and
// puts it back, so the order of tests never matters.
class TicketTest : public testing::Test {
protected:
    void SetUp() override
    {
        seedCounter = 0;
        tick = 0;
        tickAdvances = false;
        setTickSource(testTick);
    }
    void TearDown() override
    {
        setTickSource(nullptr);
        seedCounter = 0;
    }
};

TEST_F(TicketTest, GeneratorFromStateOneGivesTheKnownSequence)
{
    setGeneratorState(1);
    EXPECT_EQ(nextRandom(), 41);
    EXPECT_EQ(nextRandom(), 18467);
    EXPECT_EQ(nextRandom(), 6334);
}

TEST_F(TicketTest, GeneratorWrapsModulo2To32)
{
    // Worked out separately from state * 214013 + 2531011 mod 2^32.
    setGeneratorState(0xFFFFFFFFu);
    EXPECT_EQ(nextRandom(), 35);
    EXPECT_EQ(nextRandom(), 29739);
    EXPECT_EQ(nextRandom(), 3374);
    EXPECT_EQ(nextRandom(), 11141);
}

TEST_F(TicketTest, RangeOfOneValueDoesNotAdvanceTheGenerator)
{
    setGeneratorState(1);
    EXPECT_EQ(randomInRange(5, 5), 5);
    EXPECT_EQ(randomInRange(1, 33), 1 + 41 % 33); // still the first output
    EXPECT_EQ(randomInRange(1, 16), 1 + 18467 % 16);
}

TEST_F(TicketTest, PositionsDrawnFromSeed1000)
{
    setGeneratorState(1000);
    std::vector<std::int32_t> positions;
    for (std::int32_t k = 33; k >= 28; --k)
        positions.push_back(randomInRange(1, k));
    EXPECT_EQ(positions, (std::vector<std::int32_t>{5, 30, 4, 29, 2, 12}));
    EXPECT_EQ(randomInRange(1, 16), 1);
}

TEST_F(TicketTest, TwoTicketsInTheSameMillisecondDiffer)
{
    tick = 1000;
    EXPECT_EQ(makeTicket(), "2+4+5+15+31+32+1");
    EXPECT_EQ(seedCounter, 332u);
    EXPECT_EQ(makeTicket(), "2+10+18+21+26+33+7"); // 2 before 10, 10 before 31
    EXPECT_EQ(seedCounter, 484u);
}

struct TicketCase {
    std::uint32_t tick;
    std::uint32_t counterBefore;
    const char* ticket;
    std::uint32_t counterAfter;
};

void PrintTo(const TicketCase& c, std::ostream* out)
{
    *out << "tick " << c.tick << ", counter " << c.counterBefore;
}

class TicketCaseTest : public TicketTest, public testing::WithParamInterface<TicketCase> {};

TEST_P(TicketCaseTest, MatchesAnIndependentComputation)
{
    tick = GetParam().tick;
    seedCounter = GetParam().counterBefore;
    EXPECT_EQ(makeTicket(), GetParam().ticket);
    EXPECT_EQ(seedCounter, GetParam().counterAfter);
}

// Computed with a separate script of the generator and the picks, not with
// this program. Several have a blue equal to one of the reds.
INSTANTIATE_TEST_SUITE_P(
    Cases, TicketCaseTest,
    testing::Values(TicketCase{0, 0, "4+6+9+11+14+15+14", 100},             // blue equals a red
                    TicketCase{7, 7, "3+4+6+17+19+23+4", 121},              // blue equals a red
                    TicketCase{0xFFFFFFFFu, 0, "3+4+13+14+21+29+6", 355},   // largest tick
                    TicketCase{123456789, 4294967200u, "9+11+17+25+28+30+16", 185}, // seed and counter wrap
                    TicketCase{86400000, 500, "9+24+25+28+29+30+12", 844}));

TEST_F(TicketTest, ThreeTicketsInARowCarryTheCounter)
{
    tick = 5000;
    EXPECT_EQ(makeTicket(), "5+19+24+27+31+32+13");
    EXPECT_EQ(seedCounter, 236u);
    EXPECT_EQ(makeTicket(), "6+7+8+10+11+24+8");
    EXPECT_EQ(seedCounter, 452u);
    EXPECT_EQ(makeTicket(), "5+12+22+23+32+33+9");
    EXPECT_EQ(seedCounter, 628u);
}

// Reads a field as written by intToText of a positive number: digits only,
// no leading zero. 0 when it is not such a field.
int plainNumber(const std::string& field)
{
    if (field.empty() || field.size() > 2 || field[0] == '0')
        return 0;
    int value = 0;
    for (const char c : field) {
        if (c < '0' || c > '9')
            return 0;
        value = value * 10 + (c - '0');
    }
    return value;
}

TEST_F(TicketTest, EveryTicketOfALongSeriesIsWellFormed)
{
    tick = 12345;
    tickAdvances = true;
    bool blueEqualedARed = false;
    for (int n = 0; n < 20000; ++n) {
        const Text ticket = makeTicket();
        ASSERT_GE(ticket.size(), 13u) << ticket;
        ASSERT_LE(ticket.size(), 20u) << ticket;
        const auto fields = splitText(ticket, "+");
        ASSERT_EQ(fields.size(), 7u) << ticket;
        int previous = 0;
        for (int i = 0; i < 6; ++i) {
            const int red = plainNumber(fields[static_cast<std::size_t>(i)]);
            ASSERT_GT(red, previous) << ticket; // ascending as numbers, so distinct
            ASSERT_LE(red, 33) << ticket;
            previous = red;
        }
        const int blue = plainNumber(fields[6]);
        ASSERT_GE(blue, 1) << ticket;
        ASSERT_LE(blue, 16) << ticket;
        for (int i = 0; i < 6; ++i)
            blueEqualedARed = blueEqualedARed || fields[static_cast<std::size_t>(i)] == fields[6];
    }
    EXPECT_TRUE(blueEqualedARed) << "the blue is drawn independently of the reds";
}

TEST_F(TicketTest, EachThreadHasItsOwnGeneratorState)
{
    setGeneratorState(1);
    std::int32_t other = -1;
    std::thread([&] {
        setGeneratorState(1000);
        nextRandom();
        other = nextRandom();
    }).join();
    EXPECT_EQ(nextRandom(), 41); // untouched by the other thread
    setGeneratorState(1000);
    nextRandom();
    EXPECT_EQ(nextRandom(), other);
}

} // namespace
