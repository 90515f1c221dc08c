// The simulator gives the window's results: the real window and
// tavrelle-sim, with the same typed and random tickets and the same fixed
// tick counter, end with the same log bytes and the same tallies. Each case
// runs its window in a child process of its own, since a process opens the
// window once.
#include "draw_test_support.h"
#include "sim_process.h"

#include "platform/qt/qt_text.h"

#include <QLineEdit>
#include <QTest>

#include <cstdio>

using namespace drawtest;

namespace {

constexpr std::uint32_t fixedTick = 1000;

std::uint32_t readFixedTick()
{
    return fixedTick;
}

struct Case {
    std::vector<std::array<Text, 7>> typed; // groups 1, 2, ...
    int randomGroups = 0;
    bool groupsGiven = false;
    int draws = 0;
};

// What the user does in the window to get the groups that the simulator's
// --ticket and --random options describe: the groups beyond them unticked,
// only the random ones ticked while the fill button runs, then the typed
// ones ticked again and typed into.
void setUpGroups(const Case& c)
{
    const int typed = static_cast<int>(c.typed.size());
    for (int k = typed + c.randomGroups + 1; k <= 5; ++k)
        harness::click(groupTickBox(k).id);
    if (c.randomGroups > 0) {
        for (int k = 1; k <= typed; ++k)
            harness::click(groupTickBox(k).id);
        harness::click(按钮1随机生成);
        for (int k = 1; k <= typed; ++k)
            harness::click(groupTickBox(k).id);
    }
    for (int k = 1; k <= typed; ++k) {
        for (int p = 1; p <= 7; ++p) {
            const Text& number = c.typed[static_cast<std::size_t>(k - 1)][static_cast<std::size_t>(p - 1)];
            const ControlId box = groupNumberBox(k, p).id;
            const bool ascii = std::all_of(number.begin(), number.end(), [](char b) { return (b & 0x80) == 0; });
            if (ascii)
                harness::typeInto(box, number);
            else // keys are typed in ASCII only: the rest is pasted
                qobject_cast<QLineEdit*>(harness::widget(box))->setText(toQString(number));
        }
    }
}

std::vector<std::string> simArguments(const Case& c, const std::string& log)
{
    std::vector<std::string> args{"--tick", std::to_string(fixedTick), "--draws", std::to_string(c.draws),
                                  "--json", "--log", log};
    for (const auto& ticket : c.typed) {
        Text joined;
        for (std::size_t p = 0; p < ticket.size(); ++p)
            joined += (p ? "+" : "") + ticket[p];
        args.push_back("--ticket");
        args.push_back(toQString(joined).toUtf8().toStdString()); // as a terminal passes it
    }
    if (c.groupsGiven && c.randomGroups >= 0) {
        args.push_back("--random");
        args.push_back(std::to_string(c.randomGroups));
    }
    return args;
}

void say(const std::string& line)
{
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

// The child: the window's run, then the simulator's, then the comparison,
// reported on standard output ("MATCH" when all agree).
void compareWithWindow(const Case& c)
{
    setTickSource(readFixedTick);
    harness::openMainWindow();
    if (!harness::waitForIdle())
        return say("the window did not settle");
    if (c.groupsGiven)
        setUpGroups(c);
    harness::typeInto(编辑框1开奖, intToText(c.draws));
    harness::click(按钮1开奖);
    if (!harness::waitFor([] { return shownPeriod() > 0; }) || !harness::waitForIdle(120000))
        return say("the window's run did not end");

    const std::string log = simtest::scratchPath("compare.log");
    const auto sim = simtest::runSim(simArguments(c, log));
    const std::string simLog = simtest::readFile(log);
    std::remove(log.c_str());
    if (sim.status != 0)
        return say("tavrelle-sim failed: " + sim.err);

    bool match = true;
    const Text windowLog = readText(编辑框1输出);
    if (windowLog != simLog) {
        std::size_t at = 0;
        while (at < windowLog.size() && at < simLog.size() && windowLog[at] == simLog[at])
            ++at;
        say("logs differ at byte " + std::to_string(at) + " of " + std::to_string(windowLog.size()) + " and " +
            std::to_string(simLog.size()));
        match = false;
    }
    const std::vector<std::int64_t> window{
        shownPeriod(),
        shownSpending(),
        textToWhole(dropLeft(readText(透明标签1中奖金额), 6)),
        textToWhole(readText(标签1一等)),
        textToWhole(readText(标签1二等)),
        textToWhole(readText(标签1三等)),
        textToWhole(readText(标签1四等)),
        textToWhole(readText(标签1五等)),
        textToWhole(readText(标签1六等)),
    };
    const auto tallies = simtest::jsonNumbers(sim.out);
    if (tallies != window) {
        std::string shown = "tallies differ: window";
        for (auto n : window)
            shown += " " + std::to_string(n);
        shown += ", simulator " + sim.out;
        say(shown);
        match = false;
    }
    if (window[0] != c.draws || window[8] == 0)
        say("the run made " + std::to_string(window[0]) + " draws and " + std::to_string(window[8]) +
            " sixth prizes: too few to compare");
    else if (match)
        say("MATCH");
}

const Case typedAndRandom{
    // Group 2 as a user may type it: a leading zero, a space, a letter, an
    // empty box, a full-width digit; it is judged on these texts.
    {{"3", "7", "12", "19", "25", "33", "9"}, {"05", " 7", "12", "x", "", "５", "09"}},
    2,
    true,
    400,
};
// The five random groups of the start-up: scripts/sim.sh --tick 1000
// --draws 3000 --log FILE.
const Case asOpened{{}, 0, false, 3000};

} // namespace

class SimCompareTest : public QObject {
    Q_OBJECT

private slots:
    void sameLogAndTalliesAsTheWindow_data()
    {
        QTest::addColumn<QString>("scenario");
        QTest::newRow("typed and random groups") << QStringLiteral("typed-and-random");
        QTest::newRow("the groups the window opens with") << QStringLiteral("as-opened");
    }

    void sameLogAndTalliesAsTheWindow()
    {
        QFETCH(QString, scenario);
        const auto result = harness::runChild(scenario.toStdString(), 180000);
        QVERIFY2(result.output.contains("MATCH\n"), result.output.constData());
        QCOMPARE(result.exitStatus, 0);
    }
};

static const harness::Scenarios scenarios{
    {"typed-and-random", [] { compareWithWindow(typedAndRandom); }},
    {"as-opened", [] { compareWithWindow(asOpened); }},
};

TAVRELLE_GUI_TEST_MAIN(SimCompareTest, scenarios)

#include "sim_compare_test.moc"
