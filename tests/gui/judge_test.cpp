// Judging one group against a draw, on the real window: the prize lines in
// the log, the winnings and level labels, the first-prize stop, and the
// comparison of texts rather than numbers.
#include "draw_test_support.h"

#include "app/globals.h"
#include "draw/judge.h"
#include "draw/run.h"

#include <QTest>

#define TEXT_COMPARE(actual, expected) \
    QCOMPARE(QByteArray::fromStdString(Text(actual)), QByteArray::fromStdString(Text(expected)))

namespace {

const ControlId levelLabels[] = {标签1一等, 标签1二等, 标签1三等, 标签1四等, 标签1五等, 标签1六等};

struct Draw {
    std::array<Text, 6> reds;
    Text blue;
};

void judge(const Draw& draw, const std::array<Text, 6>& groupReds, const Text& groupBlue,
           const Text& name = "第一组")
{
    const auto& g = groupReds;
    const auto& d = draw.reds;
    judgeTicket(groupRedKey(g[0], g[1], g[2], g[3], g[4], g[5]), d[0], d[1], d[2], d[3], d[4], d[5], draw.blue,
                groupBlue, name);
}

} // namespace

class JudgeTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        harness::openMainWindow();
    }

    // A run seems to be drawing: the stop of a first prize must show.
    void init()
    {
        drawtest::clearLogAndTallies();
        writeText(按钮1开奖, "开桨中");
        runState.store(1);
    }

    void cleanupTestCase()
    {
        writeText(按钮1开奖, "开桨");
        runState.store(0);
    }

    void prizeTable_data()
    {
        QTest::addColumn<int>("redHits");
        QTest::addColumn<bool>("blueHit");
        QTest::addColumn<QByteArray>("suffix");
        QTest::addColumn<QByteArray>("winnings");
        QTest::addColumn<int>("level");

        auto row = [](const char* name, int reds, bool blue, const char* suffix, const char* winnings, int level) {
            QTest::newRow(name) << reds << blue << QByteArray(suffix) << QByteArray(winnings) << level;
        };
        row("6+1", 6, true, ",一等桨6+1\r\n", "已中桨5000000", 标签1一等);
        row("6+0", 6, false, ",二等桨6+0\r\n", "已中桨500000", 标签1二等);
        row("5+1", 5, true, ",三等桨5+1\r\n", "已中桨3000", 标签1三等);
        row("5+0", 5, false, ",四等桨5+0\r\n", "已中桨200", 标签1四等);
        row("4+1", 4, true, ",四等桨4+1\r\n", "已中桨200", 标签1四等);
        row("4+0", 4, false, ",五等桨4+0\r\n", "已中桨10", 标签1五等);
        row("3+1", 3, true, ",五等桨3+1\r\n", "已中桨10", 标签1五等);
        row("2+1", 2, true, ",六等桨2+1\r\n", "已中桨5", 标签1六等);
        row("1+1", 1, true, ",六等桨1+1\r\n", "已中桨5", 标签1六等);
        row("0+1", 0, true, ",六等桨0+1\r\n", "已中桨5", 标签1六等);
        row("3+0", 3, false, "", "", -1);
        row("2+0", 2, false, "", "", -1);
        row("1+0", 1, false, "", "", -1);
        row("0+0", 0, false, "", "", -1);
    }

    void prizeTable()
    {
        QFETCH(int, redHits);
        QFETCH(bool, blueHit);
        QFETCH(QByteArray, suffix);
        QFETCH(QByteArray, winnings);
        QFETCH(int, level);

        // The group holds the first redHits drawn reds and numbers never drawn.
        const Draw draw{{"1", "2", "3", "4", "5", "6"}, "7"};
        std::array<Text, 6> group{"20", "21", "22", "23", "24", "25"};
        for (int i = 0; i < redHits; ++i)
            group[static_cast<std::size_t>(i)] = draw.reds[static_cast<std::size_t>(i)];
        drawCount = 12;

        judge(draw, group, blueHit ? "7" : "8");

        const Text line = suffix.isEmpty() ? Text() : "第12期:1  2  3  4  5  6 + 7  第一组" + suffix.toStdString();
        TEXT_COMPARE(readText(编辑框1输出), line);
        TEXT_COMPARE(readText(透明标签1中奖金额), winnings.toStdString());
        for (ControlId label : levelLabels)
            TEXT_COMPARE(readText(label), label == level ? "1" : "");
        const bool first = redHits == 6 && blueHit;
        QCOMPARE(runState.load(), first ? 2 : 1);
        TEXT_COMPARE(readText(按钮1开奖), first ? "开桨" : "开桨中");
        QCOMPARE(::redHits, 0);
        QCOMPARE(::blueHit, 0);
        TEXT_COMPARE(lastDrawText, "1  2  3  4  5  6 + 7");
    }

    void firstPrizeAtPeriod57ByteForByte()
    {
        drawCount = 57;
        judge({{"3", "7", "12", "19", "25", "33"}, "9"}, {"3", "7", "12", "19", "25", "33"}, "9");

        TEXT_COMPARE(readText(编辑框1输出), "\xb5\xda" "57\xc6\xda:3  7  12  19  25  33 + 9  \xb5\xda\xd2\xbb\xd7\xe9"
                                         ",\xd2\xbb\xb5\xc8\xbd\xb0" "6+1\r\n");
        TEXT_COMPARE(readText(透明标签1中奖金额), "已中桨5000000");
        TEXT_COMPARE(readText(标签1一等), "1");
        TEXT_COMPARE(readText(按钮1开奖), "开桨");
        QCOMPARE(runState.load(), 2);
        QCOMPARE(::redHits, 0);
        QCOMPARE(::blueHit, 0);
    }

    // The tallies live only in the label texts; a win adds to what they say.
    void winsAddToTheLabelsAsTheyStand_data()
    {
        QTest::addColumn<QByteArray>("winningsBefore");
        QTest::addColumn<QByteArray>("levelBefore");
        QTest::addColumn<QByteArray>("winningsAfter");
        QTest::addColumn<QByteArray>("levelAfter");
        QTest::newRow("10 and 5+0") << QByteArray("已中桨10") << QByteArray("3") << QByteArray("已中桨210")
                                   << QByteArray("4");
        QTest::newRow("empty labels") << QByteArray("") << QByteArray("") << QByteArray("已中桨200")
                                      << QByteArray("1");
        // Past 2^31 the totals stay exact: no 32-bit wrap when read back.
        QTest::newRow("past 2^31") << QByteArray("已中桨2147483647") << QByteArray("2147483647")
                                   << QByteArray("已中桨2147483847") << QByteArray("2147483648");
        QTest::newRow("past 2^32") << QByteArray("已中桨4294967296") << QByteArray("4294967296")
                                   << QByteArray("已中桨4294967496") << QByteArray("4294967297");
        QTest::newRow("past 10^13") << QByteArray("已中桨9999999999999") << QByteArray("9999999999999")
                                    << QByteArray("已中桨10000000000199") << QByteArray("10000000000000");
        QTest::newRow("not a number") << QByteArray("已中桨abc") << QByteArray("x7") << QByteArray("已中桨200")
                                      << QByteArray("1");
    }

    void winsAddToTheLabelsAsTheyStand()
    {
        QFETCH(QByteArray, winningsBefore);
        QFETCH(QByteArray, levelBefore);
        QFETCH(QByteArray, winningsAfter);
        QFETCH(QByteArray, levelAfter);
        writeText(透明标签1中奖金额, winningsBefore.toStdString());
        writeText(标签1四等, levelBefore.toStdString());
        drawCount = 3;

        judge({{"1", "2", "3", "4", "5", "6"}, "7"}, {"1", "2", "3", "4", "5", "30"}, "8"); // 5+0

        TEXT_COMPARE(readText(透明标签1中奖金额), winningsAfter.toStdString());
        TEXT_COMPARE(readText(标签1四等), levelAfter.toStdString());
        TEXT_COMPARE(readText(编辑框1输出), "第3期:1  2  3  4  5  6 + 7  第一组,四等桨5+0\r\n");
    }

    // Texts are compared, not numbers. The blue always hits here, so the
    // log's suffix shows how many reds counted.
    void textsNotNumbers_data()
    {
        QTest::addColumn<QByteArray>("red1");
        QTest::addColumn<QByteArray>("red2");
        QTest::addColumn<QByteArray>("blue");
        QTest::addColumn<QByteArray>("suffix");
        auto row = [](const char* name, const char* r1, const char* r2, const char* blue, const char* suffix) {
            QTest::newRow(name) << QByteArray(r1) << QByteArray(r2) << QByteArray(blue) << QByteArray(suffix);
        };
        row("5 matches 5", "5", "30", "11", ",六等桨1+1\r\n");
        row("leading zero", "05", "30", "11", ",六等桨0+1\r\n");
        row("leading space", " 5", "30", "11", ",六等桨0+1\r\n");
        row("trailing space", "5 ", "30", "11", ",六等桨0+1\r\n");
        row("full-width digit", "５", "30", "11", ",六等桨0+1\r\n");
        row("15 and 25 hold no 5", "15", "25", "11", ",六等桨0+1\r\n");
        row("5 typed twice counts once", "5", "5", "11", ",六等桨1+1\r\n");
        row("blue with leading zero", "5", "30", "011", "");
        row("blue with a space", "5", "30", " 11", "");
        row("empty blue", "5", "30", "", "");
    }

    void textsNotNumbers()
    {
        QFETCH(QByteArray, red1);
        QFETCH(QByteArray, red2);
        QFETCH(QByteArray, blue);
        QFETCH(QByteArray, suffix);
        drawCount = 8;

        judge({{"5", "9", "14", "22", "27", "31"}, "11"}, {red1.toStdString(), red2.toStdString(), "1", "2", "3", "4"},
              blue.toStdString());

        const Text line =
            suffix.isEmpty() ? Text() : "第8期:5  9  14  22  27  31 + 11  第一组" + suffix.toStdString();
        TEXT_COMPARE(readText(编辑框1输出), line);
    }

    void emptyGroupNeverWins()
    {
        drawCount = 9;
        judge({{"1", "2", "3", "4", "5", "6"}, "7"}, {"", "", "", "", "", ""}, "");
        TEXT_COMPARE(readText(编辑框1输出), "");
        TEXT_COMPARE(readText(透明标签1中奖金额), "");
        TEXT_COMPARE(lastDrawText, "1  2  3  4  5  6 + 7");
    }
};

TAVRELLE_GUI_TEST_MAIN(JudgeTest, harness::Scenarios{})

#include "judge_test.moc"
