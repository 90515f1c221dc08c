// The simulator's run in-process on the headless backend, where a test can
// set the program's counters: the tallies it reports stay exact where the
// window's 32-bit counters wrap.
#include "sim/simulator.h"

#include "app/globals.h"
#include "platform/headless/headless.h"
#include "window/control_model.h"

#include <gtest/gtest.h>

#include <limits>

TEST(HeadlessRun, TalliesStayExactWhereTheCountersWrap)
{
    sim::Options options;
    options.tick = 1;
    options.draws = 40;
    sim::openWindow(options); // five groups: 10 a draw
    headless::setLogSink([](std::string_view) {});

    drawCount = std::numeric_limits<std::int32_t>::max() - 5;
    totalSpent = std::numeric_limits<std::int32_t>::max() - 3;
    writeText(透明标签1中奖金额, "已中桨4294967290");
    writeText(标签1六等, "4294967295");

    const sim::Outcome outcome = sim::run(options);
    EXPECT_EQ(outcome.tallies.draws, 40u);
    EXPECT_EQ(outcome.tallies.spent, 400u);
    EXPECT_GT(outcome.tallies.won, 4294967290);
    EXPECT_GT(outcome.tallies.levels[5], 4294967295); // forty draws of five groups win a sixth prize
    EXPECT_FALSE(outcome.interrupted);
}
