// One draw on the real window, watched operation by operation: the draw
// row, the period, the charges after each judgement, the prize lines before
// the draw line.
#include "draw_test_support.h"

#include <QTest>

#define TEXT_COMPARE(actual, expected) \
    QCOMPARE(QByteArray::fromStdString(Text(actual)), QByteArray::fromStdString(Text(expected)))

using namespace drawtest;

namespace {

const std::vector<ControlId> watched{编辑框1中奖1, 编辑框1中奖2, 编辑框1中奖3, 编辑框1中奖4,
                                     编辑框1中奖5, 编辑框1中奖6, 编辑框1中奖7, 透明标签1期数,
                                     透明标签1消费金额, 编辑框1输出, 按钮1开奖};

QByteArray joined(const std::vector<std::string>& entries)
{
    QByteArray all;
    for (const auto& e : entries)
        all += QByteArray::fromStdString(e) + "\n";
    return all;
}

} // namespace

class DrawOnceTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        harness::openMainWindow();
        QVERIFY(harness::waitForIdle());
    }

    void init()
    {
        clearLogAndTallies();
    }

    void cleanup()
    {
        pauseProbe.store(nullptr);
        release();
        // A test that passed has waited for the end of its runs already.
        if (QTest::currentTestFailed() || readText(按钮1开奖) != "开桨") {
            harness::click(按钮1停止);
            QVERIFY(harness::waitForIdle());
        }
        setTickSource(nullptr);
    }

    // drawCount 4, totalSpent 8, groups 1 and 3 ticked, and the next ticket
    // is 3+7+12+20+25+31+9.
    void drawWithGroupsOneAndThreeTicked()
    {
        QCOMPARE(QByteArray::fromStdString(referenceTicket(seedOf3_7_12_20_25_31_9)),
                 QByteArray("3+7+12+20+25+31+9"));
        fixTickets(seedOf3_7_12_20_25_31_9);
        for (int k = 1; k <= 5; ++k)
            setTicked(k, k == 1 || k == 3);
        typeGroup(1, {"3", "7", "12", "20", "25", "33", "9"}); // 5+1
        typeGroup(3, {"3", "7", "12", "1", "2", "4", "9"});    // 3+1
        harness::typeInto(编辑框1开奖, "1");
        drawCount = 4;
        totalSpent = 8;
        writeText(透明标签1消费金额, "共消费8");

        Trace trace(watched);
        harness::click(按钮1开奖);
        QVERIFY(harness::waitForIdle());

        const std::vector<std::string> expected{
            entry(按钮1开奖, "开桨中"),
            entry(编辑框1中奖1, "3"),
            entry(编辑框1中奖2, "7"),
            entry(编辑框1中奖3, "12"),
            entry(编辑框1中奖4, "20"),
            entry(编辑框1中奖5, "25"),
            entry(编辑框1中奖6, "31"),
            entry(编辑框1中奖7, "9"),
            entry(透明标签1期数, "第5期"),
            "log+第5期:3  7  12  20  25  31 + 9  第一组,三等桨5+1\r\n",
            entry(透明标签1消费金额, "共消费10"),
            "log+第5期:3  7  12  20  25  31 + 9  第三组,五等桨3+1\r\n",
            entry(透明标签1消费金额, "共消费12"),
            "log+第5期:3  7  12  20  25  31 + 9  \r\n",
            entry(按钮1开奖, "开桨"),
        };
        QCOMPARE(joined(trace.finish()), joined(expected));
        QCOMPARE(drawCount, 5);
        QCOMPARE(totalSpent, 12);
        TEXT_COMPARE(readText(透明标签1中奖金额), "已中桨3010");
        TEXT_COMPARE(readText(标签1三等), "1");
        TEXT_COMPARE(readText(标签1五等), "1");
    }

    // Every ticked group costs 2 and rewrites the spending label once, even
    // when its boxes are empty; with none ticked the draw still shows and
    // is logged, and nothing is charged.
    void chargesFollowTheTicks_data()
    {
        QTest::addColumn<QList<int>>("ticked");
        QTest::addColumn<bool>("fill");
        QTest::newRow("none ticked") << QList<int>{} << false;
        QTest::newRow("empty group 2 ticked") << QList<int>{2} << false;
        QTest::newRow("all five filled") << QList<int>{1, 2, 3, 4, 5} << true;
    }

    void chargesFollowTheTicks()
    {
        QFETCH(QList<int>, ticked);
        QFETCH(bool, fill);
        // A ticket that no group below can win with: the groups are empty or
        // filled from another seed; only prize lines could differ.
        const std::uint32_t seed = 4242u;
        fixTickets(77u);
        for (int k = 1; k <= 5; ++k) {
            setTicked(k, false);
            setTicked(k, ticked.contains(k)); // a click empties the group
        }
        if (fill)
            harness::click(按钮1随机生成);
        fixTickets(seed);
        harness::typeInto(编辑框1开奖, "1");
        const std::int32_t spentBefore = totalSpent;
        const std::int32_t period = drawCount + 1;
        const Text spendingBefore = readText(透明标签1消费金额);

        Trace trace({透明标签1消费金额});
        harness::click(按钮1开奖);
        QVERIFY(harness::waitForIdle());

        const auto charges = trace.finish();
        QCOMPARE(static_cast<int>(charges.size()), static_cast<int>(ticked.size()));
        for (std::size_t i = 0; i < charges.size(); ++i)
            QCOMPARE(QByteArray::fromStdString(charges[i]),
                     QByteArray::fromStdString(entry(透明标签1消费金额,
                                                     "共消费" + std::to_string(spentBefore + 2 * (i + 1)))));
        QCOMPARE(totalSpent, spentBefore + 2 * static_cast<std::int32_t>(ticked.size()));
        if (ticked.isEmpty())
            TEXT_COMPARE(readText(透明标签1消费金额), spendingBefore);

        const auto lines = logLines();
        QVERIFY(!lines.empty());
        TEXT_COMPARE(lines.back(), "第" + std::to_string(period) + "期:" + displayOf(referenceTicket(seed)) + "  ");
        if (!fill) { // empty groups never win
            QCOMPARE(static_cast<int>(lines.size()), 1);
            TEXT_COMPARE(readText(透明标签1中奖金额), "");
        }
        TEXT_COMPARE(readText(透明标签1期数), "第" + std::to_string(period) + "期");
        const auto row = ticketParts(referenceTicket(seed));
        TEXT_COMPARE(readText(编辑框1中奖6), row[5]);
        TEXT_COMPARE(readText(编辑框1中奖7), row[6]);
    }
};

TAVRELLE_GUI_TEST_MAIN(DrawOnceTest, harness::Scenarios{})

#include "draw_once_test.moc"
