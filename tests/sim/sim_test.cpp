// tavrelle-sim as a user runs it: its arguments, a first prize ending the
// run where the generator says, Ctrl+C, and the files it writes.
#include "reference_ticket.h"
#include "sim_process.h"

#include <gtest/gtest.h>

#include <iconv.h>

#include <algorithm>

using namespace simtest;

namespace {

std::vector<std::string> lines(const std::string& text, const std::string& end)
{
    std::vector<std::string> result;
    std::size_t from = 0;
    for (std::size_t at; (at = text.find(end, from)) != std::string::npos; from = at + end.size())
        result.push_back(text.substr(from, at - from));
    if (from < text.size())
        result.push_back(text.substr(from));
    return result;
}

// Draw lines end with two spaces; prize lines name their group instead.
std::vector<std::string> drawLines(const std::string& log)
{
    std::vector<std::string> result;
    for (const auto& line : lines(log, "\r\n"))
        if (line.size() >= 2 && line.compare(line.size() - 2, 2, "  ") == 0)
            result.push_back(line);
    return result;
}

// "第N期:..." in CP936.
std::string periodHead(std::uint64_t period)
{
    return "第" + std::to_string(period) + "期:";
}

std::string cp936ToUtf8(const std::string& text)
{
    iconv_t cd = iconv_open("UTF-8", "CP936");
    std::string out(text.size() * 2 + 16, '\0');
    char* in = const_cast<char*>(text.data());
    std::size_t inLeft = text.size(), outLeft = out.size();
    char* to = out.data();
    iconv(cd, &in, &inLeft, &to, &outLeft);
    iconv_close(cd);
    out.resize(out.size() - outLeft);
    return out;
}

} // namespace

struct BadArgument {
    std::vector<std::string> args;
    std::string named; // what the one line on stderr must name
};

TEST(SimArguments, BadArgumentIsOneLineExitTwoAndNothingRuns)
{
    const std::string seven = "1+2+3+4+5+6+7";
    const std::string log = scratchPath("bad.log");
    const std::vector<BadArgument> cases{
        {{"--ticket", "1+2+3+4+5+6"}, "--ticket 1+2+3+4+5+6"},
        {{"--ticket", "1+2+3+4+5+6+7+8"}, "--ticket 1+2+3+4+5+6+7+8"},
        {{"--ticket", ""}, "--ticket"},
        {{"--ticket", seven, "--ticket", seven, "--ticket", seven, "--ticket", seven, "--ticket", seven,
          "--ticket", seven},
         "more than five"},
        {{"--random", "6"}, "--random 6"},
        {{"--random", "-1"}, "--random -1"},
        {{"--ticket", seven, "--ticket", seven, "--random", "4"}, "--random 4"},
        {{"--draws", "-5"}, "--draws -5"},
        {{"--draws", "1e3"}, "--draws 1e3"},
        {{"--draws", "99999999999999999999999"}, "--draws"},
        {{"--draws"}, "--draws"},
        {{"--tick", "4294967296"}, "--tick 4294967296"},
        {{"--tick", "-1"}, "--tick -1"},
        {{"--until-first-prize", "--draws", "10"}, "--until-first-prize"},
        {{"--utf8"}, "--utf8"},
        {{"--json=yes"}, "--json"},
        {{"--chart"}, "--chart"},
        {{"--seed", "5"}, "--seed"},
        {{"--log", "/nonexistent-directory/out.log"}, "--log /nonexistent-directory/out.log"},
    };
    for (const auto& c : cases) {
        // A good --log first, to see that nothing is written (--utf8 is
        // bad only without one).
        std::vector<std::string> args{"--log", log};
        if (c.args[0] == "--log" || c.args[0] == "--utf8")
            args.clear();
        args.insert(args.end(), c.args.begin(), c.args.end());
        std::remove(log.c_str());
        const auto result = runSim(args);
        SCOPED_TRACE(c.named);
        EXPECT_EQ(result.status, 2);
        EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
        EXPECT_NE(result.err.find(c.named), std::string::npos) << result.err;
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(readFile(log), "") << "the log was written although nothing should run";
    }
}

struct FirstPrizeCase {
    std::uint32_t tick;
    std::vector<std::string> howLong;
};

// The ticket of draw 300 typed into group 1: the run ends at the first draw
// that repeats it, and not a draw later.
TEST(SimRun, FirstPrizeEndsTheRunAtTheDrawTheGeneratorPredicts)
{
    const std::vector<FirstPrizeCase> cases{
        {4242, {"--draws", "100000"}},
        {4294967295u, {"--until-first-prize"}}, // the seed wraps at once
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.tick);
        constexpr std::size_t startUp = 5, target = 300;
        const auto tickets = drawtest::ticketsAtTick(c.tick, startUp + target);
        const Text typed = tickets[startUp + target - 1];
        std::uint64_t predicted = 0;
        for (std::size_t draw = 1; predicted == 0; ++draw)
            if (tickets[startUp + draw - 1] == typed)
                predicted = draw;

        const std::string log = scratchPath("first.log");
        std::vector<std::string> args{"--tick", std::to_string(c.tick), "--ticket", typed, "--json", "--log", log};
        args.insert(args.end(), c.howLong.begin(), c.howLong.end());
        const auto result = runSim(args);
        ASSERT_EQ(result.status, 0) << result.err;
        const auto numbers = jsonNumbers(result.out);
        ASSERT_EQ(numbers.size(), 9u) << result.out;
        EXPECT_EQ(numbers[0], static_cast<std::int64_t>(predicted)) << "draws";
        EXPECT_EQ(numbers[1], static_cast<std::int64_t>(2 * predicted)) << "spent";
        EXPECT_EQ(numbers[3], 1) << "first prizes";
        EXPECT_GE(numbers[2], 5000000);

        const auto logLines = lines(readFile(log), "\r\n");
        ASSERT_GE(logLines.size(), 2u);
        const std::string& prizeLine = logLines[logLines.size() - 2];
        EXPECT_EQ(prizeLine.rfind(periodHead(predicted), 0), 0u) << prizeLine;
        EXPECT_NE(prizeLine.find("第一组,一等桨6+1"), std::string::npos) << prizeLine;
        EXPECT_EQ(logLines.back().rfind(periodHead(predicted), 0), 0u) << logLines.back();
        EXPECT_EQ(drawLines(readFile(log)).size(), predicted);
        std::remove(log.c_str());
    }
}

// Ctrl+C during an endless run: it ends after the draw in progress, and the
// tallies printed are those of the draws the log holds.
TEST(SimRun, InterruptEndsAfterTheDrawInProgressWithTheTalliesSoFar)
{
    const std::string log = scratchPath("interrupt.log");
    const auto result = runSim({"--tick", "7", "--ticket", "x+x+x+x+x+x+x", "--until-first-prize", "--json", "--log", log},
                               [&log](pid_t pid) {
                                   // Once it draws (a slow start must not meet the
                                   // signal before its handler), and a while after.
                                   for (int i = 0; i < 2000 && readFile(log).empty(); ++i)
                                       std::this_thread::sleep_for(std::chrono::milliseconds(5));
                                   std::this_thread::sleep_for(std::chrono::milliseconds(200));
                                   kill(pid, SIGINT);
                               });
    EXPECT_EQ(result.status, 130);
    EXPECT_NE(result.err.find("interrupted"), std::string::npos) << result.err;
    const auto numbers = jsonNumbers(result.out);
    ASSERT_EQ(numbers.size(), 9u) << result.out;
    const auto draws = static_cast<std::uint64_t>(numbers[0]);
    EXPECT_GT(draws, 0u);
    EXPECT_EQ(numbers[1], numbers[0] * 2);
    const auto drawn = drawLines(readFile(log));
    ASSERT_EQ(drawn.size(), draws);
    EXPECT_EQ(drawn.back().rfind(periodHead(draws), 0), 0u);
    std::remove(log.c_str());
}

TEST(SimRun, SameCommandSameLogAndUtf8IsTheSameText)
{
    const std::string gbk = scratchPath("gbk.log"), utf8 = scratchPath("utf8.log"), again = scratchPath("again.log");
    const std::vector<std::string> command{"--tick", "1000", "--draws", "3000"};
    auto with = [&](std::vector<std::string> extra) {
        auto args = command;
        args.insert(args.end(), extra.begin(), extra.end());
        return runSim(args);
    };
    ASSERT_EQ(with({"--log", gbk}).status, 0);
    ASSERT_EQ(with({"--log", again}).status, 0);
    ASSERT_EQ(with({"--log", utf8, "--utf8"}).status, 0);
    const std::string log = readFile(gbk);
    EXPECT_EQ(drawLines(log).size(), 3000u);
    EXPECT_EQ(log, readFile(again));
    EXPECT_EQ(readFile(utf8), cp936ToUtf8(log));
    EXPECT_NE(readFile(utf8), log);
    for (const auto& f : {gbk, utf8, again})
        std::remove(f.c_str());
}

TEST(SimReport, TableAndChart)
{
    const std::string chart = scratchPath("chart.svg");
    const auto result = runSim({"--tick", "99", "--draws", "5000", "--chart", chart});
    ASSERT_EQ(result.status, 0) << result.err;
    // The window's words in UTF-8: the period, the spending and the winnings.
    EXPECT_EQ(result.out.rfind("\xE7\xAC\xAC" "5000" "\xE6\x9C\x9F  \xE5\x85\xB1\xE6\xB6\x88\xE8\xB4\xB9" "50000", 0), 0u)
        << result.out;
    EXPECT_NE(result.out.find("money back per 100 spent: "), std::string::npos);
    EXPECT_EQ(lines(result.out, "\n").size(), 11u) << result.out;

    const std::string svg = readFile(chart);
    EXPECT_EQ(svg.rfind("<svg xmlns=\"http://www.w3.org/2000/svg\"", 0), 0u);
    EXPECT_NE(svg.find("over 5,000 draws"), std::string::npos);
    EXPECT_EQ(svg.substr(svg.size() - 7), "</svg>\n");
    std::size_t lines = 0;
    for (std::size_t at = 0; (at = svg.find("stroke-width=\"2\" points=\"", at)) != std::string::npos; ++at)
        ++lines;
    EXPECT_EQ(lines, 2u);
    std::remove(chart.c_str());
}
