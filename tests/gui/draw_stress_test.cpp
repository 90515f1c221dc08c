// Many clicks on draw and stop, fills, tick clicks and hand edits of the
// groups while runs draw; afterwards the log and the tallies must agree.
// Also run under ThreadSanitizer by tests/extra/tsan.sh.
#include "draw_test_support.h"

#include <QRandomGenerator>
#include <QTest>

#include <cstdlib>
#include <map>

#define TEXT_COMPARE(actual, expected) \
    QCOMPARE(QByteArray::fromStdString(Text(actual)), QByteArray::fromStdString(Text(expected)))

using namespace drawtest;

namespace {

struct Level {
    ControlId label;
    std::int64_t amount;
};

// What each logged prize is worth and where it is counted.
const std::map<Text, Level>& prizes()
{
    static const std::map<Text, Level> table{
        {",一等桨6+1", {标签1一等, 5000000}}, {",二等桨6+0", {标签1二等, 500000}},
        {",三等桨5+1", {标签1三等, 3000}},    {",四等桨5+0", {标签1四等, 200}},
        {",四等桨4+1", {标签1四等, 200}},     {",五等桨4+0", {标签1五等, 10}},
        {",五等桨3+1", {标签1五等, 10}},      {",六等桨2+1", {标签1六等, 5}},
        {",六等桨1+1", {标签1六等, 5}},       {",六等桨0+1", {标签1六等, 5}},
    };
    return table;
}

// The number of actions: STRESS_ACTIONS overrides the default.
int actionCount()
{
    const char* wanted = std::getenv("STRESS_ACTIONS");
    return wanted ? std::atoi(wanted) : 400;
}

} // namespace

class DrawStressTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        harness::openMainWindow();
        QVERIFY(harness::waitForIdle());
    }

    void clicksDuringRunsKeepTheLogAndTalliesConsistent()
    {
        clearLogAndTallies();
        const std::int32_t firstPeriod = drawCount + 1;
        const std::int32_t spent = totalSpent;
        std::int64_t charges = 0;

        // Every judgement writes the spending label once, each time 2 more.
        Trace spending({透明标签1消费金额});

        QRandomGenerator random(20260915u);
        const int actions = actionCount();
        int draws = 0, stops = 0;
        for (int action = 0; action < actions; ++action) {
            const auto pick = random.bounded(100);
            if (pick < 22) {
                if (random.bounded(3) == 0)
                    harness::typeInto(编辑框1开奖, std::to_string(1 + random.bounded(8)));
                harness::click(按钮1开奖);
                ++draws;
            } else if (pick < 30) {
                harness::click(按钮1停止);
                ++stops;
            } else if (pick < 46) {
                harness::click(按钮1随机生成);
            } else if (pick < 62) {
                harness::click(groupTickBox(1 + static_cast<std::int32_t>(random.bounded(5))).id);
            } else if (pick < 86) {
                static const char* const texts[] = {"1", "5", "05", "16", "33", " 7", "", "x", "12"};
                const auto group = 1 + static_cast<std::int32_t>(random.bounded(5));
                const auto position = 1 + static_cast<std::int32_t>(random.bounded(7));
                harness::typeInto(groupNumberBox(group, position).id, texts[random.bounded(9)]);
            } else {
                QTest::qWait(static_cast<int>(random.bounded(30)));
            }
            QTest::qWait(static_cast<int>(random.bounded(4)));
        }
        harness::click(按钮1停止);
        QVERIFY(harness::waitForIdle(60000));
        qInfo("%d draw clicks, %d stops, %d draws made", draws, stops, drawCount - firstPeriod + 1);

        for (const auto& change : spending.finish()) {
            ++charges;
            TEXT_COMPARE(change, entry(透明标签1消费金额, "共消费" + std::to_string(spent + 2 * charges)));
        }
        QCOMPARE(static_cast<std::int64_t>(totalSpent - spent), 2 * charges);
        QVERIFY(charges > 0);
        TEXT_COMPARE(readText(透明标签1消费金额), "共消费" + std::to_string(totalSpent));

        // Periods: consecutive, each once; prize lines come right before
        // their own draw line.
        std::vector<std::int64_t> periods;
        std::vector<std::int64_t> pendingPrizes;
        std::int64_t won = 0;
        std::map<ControlId, std::int64_t> wins;
        for (const Text& line : logLines()) {
            const auto period = periodOf(line);
            QVERIFY2(period > 0, line.c_str());
            if (isDrawLine(line)) {
                QVERIFY(line.ends_with("  "));
                for (auto prizePeriod : pendingPrizes)
                    QCOMPARE(prizePeriod, period);
                pendingPrizes.clear();
                periods.push_back(period);
                continue;
            }
            pendingPrizes.push_back(period);
            const auto comma = line.rfind(',');
            QVERIFY(comma != Text::npos);
            const auto found = prizes().find(line.substr(comma));
            QVERIFY2(found != prizes().end(), line.c_str());
            won += found->second.amount;
            ++wins[found->second.label];
        }
        QVERIFY(pendingPrizes.empty());
        QCOMPARE(static_cast<std::int64_t>(periods.size()), static_cast<std::int64_t>(drawCount - firstPeriod + 1));
        for (std::size_t i = 0; i < periods.size(); ++i)
            QCOMPARE(periods[i], static_cast<std::int64_t>(firstPeriod) + static_cast<std::int64_t>(i));
        QVERIFY2(periods.size() > 20, "the runs should have drawn");

        TEXT_COMPARE(readText(透明标签1中奖金额), won ? "已中桨" + std::to_string(won) : Text());
        for (ControlId label : {标签1一等, 标签1二等, 标签1三等, 标签1四等, 标签1五等, 标签1六等})
            TEXT_COMPARE(readText(label), wins[label] ? std::to_string(wins[label]) : Text());
        TEXT_COMPARE(readText(按钮1开奖), "开桨");
    }
};

TAVRELLE_GUI_TEST_MAIN(DrawStressTest, harness::Scenarios{})

#include "draw_stress_test.moc"
