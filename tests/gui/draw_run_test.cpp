// Runs of draws on the live window: the count box, stops at every moment
// of a run, first prizes, second clicks, and the two races of the caption
// guard.
#include "draw_test_support.h"

#include "draw/run_state.h"

#include <QElapsedTimer>
#include <QTest>

#define TEXT_COMPARE(actual, expected) \
    QCOMPARE(QByteArray::fromStdString(Text(actual)), QByteArray::fromStdString(Text(expected)))

using namespace drawtest;

namespace {

// Two seeds with different tickets: a group holding the first never wins a
// first prize on the second.
constexpr std::uint32_t winningSeed = 123456u;
constexpr std::uint32_t otherSeed = 987654u;

QByteArray periodsText(const std::vector<std::int64_t>& periods)
{
    QByteArray text;
    for (auto p : periods)
        text += QByteArray::number(static_cast<qlonglong>(p)) + " ";
    return text;
}

std::vector<std::int64_t> range(std::int64_t from, std::int64_t to)
{
    std::vector<std::int64_t> periods;
    for (auto p = from; p <= to; ++p)
        periods.push_back(p);
    return periods;
}

// Only group 1 ticked, holding numbers no ticket has: no prize, 2 a draw.
void oneLosingGroup()
{
    for (int k = 1; k <= 5; ++k)
        setTicked(k, k == 1);
    typeGroup(1, {"40", "41", "42", "43", "44", "45", "17"});
}

} // namespace

class DrawRunTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        harness::openMainWindow();
        QVERIFY(harness::waitForIdle());
        QVERIFY(referenceTicket(winningSeed) != referenceTicket(otherSeed));
    }

    void init()
    {
        clearLogAndTallies();
        fixTickets(otherSeed);
        oneLosingGroup();
    }

    void cleanup()
    {
        release();
        releasePause();
        pauseProbe.store(nullptr);
        // A test that passed has waited for the end of its runs already.
        if (QTest::currentTestFailed() || readText(按钮1开奖) != "开桨") {
            harness::click(按钮1停止);
            QVERIFY(harness::waitForIdle());
        }
        setTickSource(nullptr);
    }

    void countBox_data()
    {
        QTest::addColumn<QByteArray>("count");
        QTest::addColumn<int>("draws"); // -1: a long run, stopped once it has begun
        // "100", the box's first text, is the run of hundredDrawsWithFiveGroups.
        QTest::newRow("0") << QByteArray("0") << 0;
        QTest::newRow("-3") << QByteArray("-3") << 0;
        QTest::newRow("abc") << QByteArray("abc") << 0;
        QTest::newRow("empty") << QByteArray("") << 0;
        QTest::newRow("12abc") << QByteArray("12abc") << 12;
        QTest::newRow("spaces then 7") << QByteArray("  7") << 7;
        QTest::newRow("+5") << QByteArray("+5") << 5;
        QTest::newRow("full-width 12") << QByteArray("１２") << 12;
        QTest::newRow("2^32 + 3 wraps to 3") << QByteArray("4294967299") << 3;
        QTest::newRow("2^31 wraps negative") << QByteArray("2147483648") << 0;
        QTest::newRow("2147483647") << QByteArray("2147483647") << -1;
    }

    void countBox()
    {
        QFETCH(QByteArray, count);
        QFETCH(int, draws);
        // Key clicks of the test library take Latin-1 only: full-width
        // digits are put into the box directly.
        if (std::all_of(count.begin(), count.end(), [](char c) { return (c & 0x80) == 0; }))
            harness::typeInto(编辑框1开奖, count.toStdString());
        else
            writeText(编辑框1开奖, count.toStdString());
        TEXT_COMPARE(readText(编辑框1开奖), count.toStdString());
        const std::int32_t before = drawCount;

        Trace caption({按钮1开奖});
        harness::click(按钮1开奖);
        if (draws < 0) {
            QVERIFY(harness::waitFor([&] { return shownPeriod() > before; }));
            harness::click(按钮1停止);
        }
        QVERIFY(harness::waitForIdle());

        // Even a count that makes no draw claims the caption and gives it back.
        const auto captions = caption.finish();
        QCOMPARE(static_cast<int>(captions.size()), 2);
        QCOMPARE(QByteArray::fromStdString(captions[0]), QByteArray::fromStdString(entry(按钮1开奖, "开桨中")));
        QCOMPARE(QByteArray::fromStdString(captions[1]), QByteArray::fromStdString(entry(按钮1开奖, "开桨")));
        if (draws >= 0) {
            QCOMPARE(drawCount - before, draws);
            QCOMPARE(periodsText(drawPeriods()), periodsText(range(before + 1, before + draws)));
        } else {
            QVERIFY(drawCount > before);
        }
    }

    // A full run of 100 draws with all five groups ticked and filled: the
    // caption shows the run until the last draw and its pause are done, and
    // each draw charges all five. The wall time is printed for reference.
    void hundredDrawsWithFiveGroups()
    {
        for (int k = 1; k <= 5; ++k)
            setTicked(k, true);
        setTickSource(nullptr);
        harness::click(按钮1随机生成);
        harness::typeInto(编辑框1开奖, "100");
        const std::int32_t before = drawCount;
        const std::int32_t spent = totalSpent;

        QElapsedTimer wall;
        wall.start();
        harness::click(按钮1开奖);
        QVERIFY(harness::waitFor([] { return readText(按钮1开奖) == "开桨中"; }));
        QVERIFY(harness::waitFor([] { return readText(按钮1开奖) == "开桨"; }, 30000));
        const auto elapsed = wall.elapsed();
        QVERIFY(harness::waitForIdle());

        // A first prize would end the run early; with random tickets it is
        // about one in 17 million per group and draw.
        if (readText(标签1一等).empty()) {
            QCOMPARE(drawCount - before, 100);
            QCOMPARE(totalSpent - spent, 1000);
        }
        QCOMPARE(periodsText(drawPeriods()), periodsText(range(before + 1, drawCount)));
        qInfo("100-draw run, five groups ticked: %lld ms from the click to the caption back", static_cast<long long>(elapsed));
    }

    // The stop lands while the third draw is being made: that draw is made
    // whole (judged, charged, logged) and no other follows.
    void stopDuringDrawEndsAfterThatDraw()
    {
        harness::typeInto(编辑框1开奖, "50");
        const std::int32_t before = drawCount;
        const std::int32_t spent = totalSpent;
        holdTicket(3, otherSeed);
        harness::click(按钮1开奖);
        QVERIFY(waitForTicketHeld());

        harness::click(按钮1停止);
        TEXT_COMPARE(readText(按钮1开奖), "开桨"); // at once, before the draw ends
        QCOMPARE(runState.load(), 2);
        release();
        QVERIFY(harness::waitForIdle());

        QCOMPARE(drawCount - before, 3);
        QCOMPARE(totalSpent - spent, 6);
        TEXT_COMPARE(readText(透明标签1消费金额), "共消费" + std::to_string(totalSpent));
        QCOMPARE(periodsText(drawPeriods()), periodsText(range(before + 1, before + 3)));
    }

    // The stop lands in the pause after the second draw: one more draw.
    void stopDuringPauseLetsExactlyOneMoreDraw()
    {
        harness::typeInto(编辑框1开奖, "50");
        const std::int32_t before = drawCount;
        holdPause(2);
        harness::click(按钮1开奖);
        QVERIFY(harness::waitFor([] { return pauses.held.load(); }));
        QCOMPARE(drawCount - before, 2);

        harness::click(按钮1停止);
        harness::click(按钮1停止); // twice is the same as once
        releasePause();
        QVERIFY(harness::waitForIdle());

        QCOMPARE(drawCount - before, 3);
        QCOMPARE(periodsText(drawPeriods()), periodsText(range(before + 1, before + 3)));
    }

    // A first prize in group 2 with groups 3 to 5 ticked: they are still
    // judged and charged in that draw, the draw line follows, and the run
    // ends there.
    void firstPrizeEndsTheRunAfterItsDraw()
    {
        const Text ticket = referenceTicket(winningSeed);
        const auto numbers = ticketParts(ticket);
        fixTickets(winningSeed);
        for (int k = 1; k <= 5; ++k)
            setTicked(k, k != 1);
        typeGroup(2, numbers); // 6+1
        auto secondPrize = numbers;
        secondPrize[6] = numbers[6] == "1" ? "2" : "1";
        typeGroup(4, secondPrize);                                    // 6+0
        typeGroup(5, {"40", "41", "42", "43", "44", "45", numbers[6]}); // 0+1
        // group 3 stays empty: judged, charged, no prize
        harness::typeInto(编辑框1开奖, "20");
        const std::int32_t period = drawCount + 1;
        const std::int32_t spent = totalSpent;

        harness::click(按钮1开奖);
        QVERIFY(harness::waitForIdle());

        const Text head = "第" + std::to_string(period) + "期:" + displayOf(ticket) + "  ";
        const auto lines = logLines();
        QCOMPARE(static_cast<int>(lines.size()), 4);
        TEXT_COMPARE(lines[0], head + "第二组,一等桨6+1");
        TEXT_COMPARE(lines[1], head + "第四组,二等桨6+0");
        TEXT_COMPARE(lines[2], head + "第五组,六等桨0+1");
        TEXT_COMPARE(lines[3], head);
        QCOMPARE(drawCount, period);
        QCOMPARE(totalSpent - spent, 8);
        TEXT_COMPARE(readText(透明标签1中奖金额), "已中桨5500005");
        TEXT_COMPARE(readText(标签1一等), "1");
        QCOMPARE(runState.load(), 2);
    }

    // Red numbers edited during a run count only once a second click has
    // rebuilt the keys; that click starts no second run.
    void secondClickRebuildsKeysButStartsNoRun()
    {
        const auto numbers = ticketParts(referenceTicket(otherSeed));
        typeGroup(1, {"40", "41", "42", "43", "44", "45", numbers[6] == "1" ? "2" : "1"});
        harness::typeInto(编辑框1开奖, "300");
        const std::int32_t before = drawCount;
        const std::int32_t spent = totalSpent;
        harness::click(按钮1开奖);
        QVERIFY(harness::waitFor([&] { return shownPeriod() >= before + 2; }));

        for (int p = 1; p <= 6; ++p) // now 6+0 against every draw, once the keys know
            harness::typeInto(groupNumberBox(1, p).id, numbers[static_cast<std::size_t>(p - 1)]);
        const std::int64_t edited = shownPeriod();
        QVERIFY(harness::waitFor([&] { return shownPeriod() >= edited + 3; }));
        QVERIFY(readText(透明标签1中奖金额).empty());

        const std::int64_t clicked = shownPeriod();
        harness::click(按钮1开奖);
        QVERIFY(harness::waitFor([] { return !readText(透明标签1中奖金额).empty(); }));
        const std::int64_t won = shownPeriod();
        QVERIFY(harness::waitFor([&] { return shownPeriod() >= won + 3; }));
        harness::click(按钮1停止);
        QVERIFY(harness::waitForIdle());

        const auto draws = drawCount - before;
        QCOMPARE(periodsText(drawPeriods()), periodsText(range(before + 1, drawCount)));
        QCOMPARE(totalSpent - spent, 2 * draws);
        // Prizes from some draw on or after the click, then in every draw.
        std::vector<std::int64_t> prizePeriods;
        for (const Text& line : logLines())
            if (!isDrawLine(line)) {
                QVERIFY(line.ends_with("第一组,二等桨6+0"));
                prizePeriods.push_back(periodOf(line));
            }
        QVERIFY(!prizePeriods.empty());
        QVERIFY(prizePeriods.front() >= clicked);
        QCOMPARE(periodsText(prizePeriods), periodsText(range(prizePeriods.front(), drawCount)));
    }

    void stopWhileIdleThenDrawStartsANormalRun()
    {
        harness::click(按钮1停止);
        TEXT_COMPARE(readText(按钮1开奖), "开桨");
        QCOMPARE(runState.load(), 2);
        harness::typeInto(编辑框1开奖, "3");
        const std::int32_t before = drawCount;
        harness::click(按钮1开奖);
        QVERIFY(harness::waitForIdle());
        QCOMPARE(drawCount - before, 3);
    }

    void periodsAndSpendingContinueAcrossRuns()
    {
        for (int k = 1; k <= 5; ++k)
            setTicked(k, k <= 2);
        harness::typeInto(编辑框1开奖, "3");
        const std::int32_t before = drawCount;
        const std::int32_t spent = totalSpent;
        for (int run = 0; run < 2; ++run) {
            harness::click(按钮1开奖);
            QVERIFY(harness::waitForIdle());
        }
        QCOMPARE(periodsText(drawPeriods()), periodsText(range(before + 1, before + 6)));
        QCOMPARE(totalSpent - spent, 24);
        TEXT_COMPARE(readText(透明标签1消费金额), "共消费" + std::to_string(totalSpent));
        TEXT_COMPARE(readText(透明标签1期数), "第" + std::to_string(before + 6) + "期");
    }

    // Clicks so close together that every worker reads the caption before
    // any has written "开桨中": one run.
    void clicksCloseTogetherMakeOneRun()
    {
        harness::typeInto(编辑框1开奖, "5");
        const std::int32_t before = drawCount;
        onDrawClicked();
        onDrawClicked();
        onDrawClicked();
        QVERIFY(harness::waitForIdle());
        QCOMPARE(drawCount - before, 5);
        QCOMPARE(periodsText(drawPeriods()), periodsText(range(before + 1, before + 5)));
    }

    // A click after a stop, while the stopped run still makes its last
    // draw: the new run claims the caption at once, draws only once that
    // draw is done, and the old run neither goes on nor takes the caption.
    void clickAfterStopBeginsRightAfterTheStoppedDraw()
    {
        harness::typeInto(编辑框1开奖, "50");
        const std::int32_t before = drawCount;
        holdTicket(3, otherSeed);
        Trace caption({按钮1开奖});
        harness::click(按钮1开奖);
        QVERIFY(waitForTicketHeld());

        harness::click(按钮1停止);
        harness::typeInto(编辑框1开奖, "4");
        harness::click(按钮1开奖);
        QVERIFY(harness::waitFor([] { return readText(按钮1开奖) == "开桨中"; }));
        QCOMPARE(drawCount - before, 2); // the third draw waits at its start, the new run for it
        release();
        QVERIFY(harness::waitForIdle());

        QCOMPARE(drawCount - before, 7);
        QCOMPARE(periodsText(drawPeriods()), periodsText(range(before + 1, before + 7)));
        QCOMPARE(caption.finish().size(), std::size_t{4}); // 开桨中 开桨 开桨中 开桨
    }

    // The same race with a first prize in the stopped run's last draw: that
    // stop is the old run's own and leaves the new run alone.
    void lateFirstPrizeOfAStoppedRunLeavesTheNewRunAlone()
    {
        const auto winning = ticketParts(referenceTicket(winningSeed));
        typeGroup(1, winning);
        harness::typeInto(编辑框1开奖, "50");
        const std::int32_t before = drawCount;
        holdTicket(3, winningSeed);
        Trace caption({按钮1开奖});
        harness::click(按钮1开奖);
        QVERIFY(waitForTicketHeld());

        harness::click(按钮1停止);
        harness::typeInto(编辑框1开奖, "4");
        harness::click(按钮1开奖);
        QVERIFY(harness::waitFor([] { return readText(按钮1开奖) == "开桨中"; }));
        release();
        QVERIFY(harness::waitForIdle());

        QCOMPARE(drawCount - before, 7);
        TEXT_COMPARE(readText(标签1一等), "1");
        const auto lines = logLines();
        QCOMPARE(static_cast<int>(lines.size()), 8);
        TEXT_COMPARE(lines[2], "第" + std::to_string(before + 3) + "期:" + displayOf(referenceTicket(winningSeed)) +
                                   "  第一组,一等桨6+1");
        QCOMPARE(caption.finish().size(), std::size_t{4});
    }

private:
    static bool waitForTicketHeld()
    {
        return harness::waitFor([] { return ticks.held.load(); });
    }
};

TAVRELLE_GUI_TEST_MAIN(DrawRunTest, harness::Scenarios{})

#include "draw_run_test.moc"
