// The groups on the live window: the start-up fill, the random-fill button
// and the tick boxes that empty their group.
#include "harness.h"

#include "draw/groups.h"
#include "draw/ticket.h"
#include "window/control_model.h"

#include <QTest>

#include <algorithm>
#include <array>
#include <vector>

namespace {

using GroupTexts = std::array<Text, 7>;

GroupTexts groupTexts(int group)
{
    GroupTexts texts;
    for (int p = 1; p <= 7; ++p)
        texts[static_cast<std::size_t>(p - 1)] = readText(groupNumberBox(group, p));
    return texts;
}

Text joined(const GroupTexts& texts)
{
    Text ticket = texts[0];
    for (std::size_t i = 1; i < texts.size(); ++i)
        ticket += "+" + texts[i];
    return ticket;
}

bool isEmpty(const GroupTexts& texts)
{
    for (const Text& text : texts)
        if (!text.empty())
            return false;
    return true;
}

// Six ascending reds from 1 to 33 and a blue from 1 to 16, as written.
bool holdsATicket(const GroupTexts& texts)
{
    int previous = 0;
    for (std::size_t i = 0; i < 7; ++i) {
        const Text& text = texts[i];
        if (text.empty() || text[0] == '0' || intToText(textToInt(text)) != text)
            return false;
        const int number = textToInt(text);
        if (i < 6 && (number <= previous || number > 33))
            return false;
        if (i == 6 && (number < 1 || number > 16))
            return false;
        previous = number;
    }
    return true;
}

// Ticks exactly the groups given, by clicking as the user would.
void tickOnly(const std::vector<int>& groups)
{
    for (int k = 1; k <= 5; ++k) {
        const bool wanted = std::find(groups.begin(), groups.end(), k) != groups.end();
        if ((readTicked(groupTickBox(k)) == 1) != wanted)
            harness::click(groupTickBox(k).id);
    }
}

// Hand-typed texts in every box of a group.
void typeGroup(int group, const Text& prefix)
{
    for (int p = 1; p <= 7; ++p)
        harness::typeInto(groupNumberBox(group, p).id, prefix + intToText(p));
}

std::uint32_t fixedTick()
{
    return 1000;
}

} // namespace

class EntryTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        harness::openMainWindow();
    }

    void cleanup()
    {
        setTickSource(nullptr);
        tickOnly({1, 2, 3, 4, 5});
        harness::typeInto(编辑框1开奖, "100");
    }

    // Runs first: the window as it opened.
    void startUpFillsAllFiveGroups()
    {
        for (int k = 1; k <= 5; ++k) {
            QCOMPARE(readTicked(groupTickBox(k)), 1);
            QVERIFY2(holdsATicket(groupTexts(k)), joined(groupTexts(k)).c_str());
        }
        for (const ControlId box : {编辑框1中奖1, 编辑框1中奖2, 编辑框1中奖3, 编辑框1中奖4, 编辑框1中奖5, 编辑框1中奖6,
                                    编辑框1中奖7})
            QCOMPARE(readText(box), Text(""));
        QCOMPARE(readText(编辑框1开奖), Text("100"));
    }

    void fillRewritesOnlyTheTickedGroups()
    {
        tickOnly({2, 4});
        typeGroup(1, "a");
        typeGroup(2, "b");
        typeGroup(3, "c");
        typeGroup(4, "d");
        typeGroup(5, " 9");
        const GroupTexts one = groupTexts(1), three = groupTexts(3), five = groupTexts(5);

        // A known tick and counter give known tickets: group 2 first, then
        // group 4 in the same millisecond.
        const std::uint32_t counter = seedCounter;
        seedCounter = 0;
        setTickSource(fixedTick);
        harness::click(按钮1随机生成);
        const std::uint32_t after = seedCounter;
        seedCounter = counter;

        QCOMPARE(joined(groupTexts(2)), Text("2+4+5+15+31+32+1"));
        QCOMPARE(joined(groupTexts(4)), Text("2+10+18+21+26+33+7"));
        QCOMPARE(after, 484u); // exactly two tickets were made
        QVERIFY(groupTexts(1) == one);
        QVERIFY(groupTexts(3) == three);
        QVERIFY(groupTexts(5) == five);
        QCOMPARE(readText(编辑框1开奖), Text("100"));
    }

    void fillWithNoGroupTickedChangesNothing()
    {
        tickOnly({});
        for (int k = 1; k <= 5; ++k)
            typeGroup(k, intToText(k));
        std::array<GroupTexts, 5> before;
        for (int k = 1; k <= 5; ++k)
            before[static_cast<std::size_t>(k - 1)] = groupTexts(k);
        const std::uint32_t counter = seedCounter;

        harness::click(按钮1随机生成);

        QCOMPARE(seedCounter, counter); // no ticket was made
        for (int k = 1; k <= 5; ++k)
            QVERIFY(groupTexts(k) == before[static_cast<std::size_t>(k - 1)]);
        for (int k = 1; k <= 5; ++k)
            QCOMPARE(readTicked(groupTickBox(k)), 0);
    }

    void groupOneNeverTouchesTheCountBox()
    {
        tickOnly({1});
        harness::typeInto(编辑框1开奖, "250");
        harness::click(按钮1随机生成);
        QVERIFY(holdsATicket(groupTexts(1)));
        QCOMPARE(readText(编辑框1开奖), Text("250"));

        harness::click(选择框1); // clears group 1
        QVERIFY(isEmpty(groupTexts(1)));
        QCOMPARE(readText(编辑框1开奖), Text("250"));
        harness::click(选择框1);
        QVERIFY(isEmpty(groupTexts(1)));
        QCOMPARE(readText(编辑框1开奖), Text("250"));
    }

    void tickBoxClickEmptiesItsGroupEitherWay_data()
    {
        QTest::addColumn<int>("group");
        for (int k = 1; k <= 5; ++k)
            QTest::addRow("group %d", k) << k;
    }

    void tickBoxClickEmptiesItsGroupEitherWay()
    {
        QFETCH(int, group);
        const ControlId tick = groupTickBox(group).id;
        const int other = group == 5 ? 1 : group + 1;
        tickOnly({1, 2, 3, 4, 5});
        harness::click(按钮1随机生成);
        const GroupTexts neighbour = groupTexts(other);

        // Ticked: the click unticks and empties; the next fill skips it.
        harness::click(tick);
        QCOMPARE(readTicked(tick), 0);
        QVERIFY(isEmpty(groupTexts(group)));
        QVERIFY(groupTexts(other) == neighbour); // only its own group
        harness::click(按钮1随机生成);
        QVERIFY(isEmpty(groupTexts(group)));

        // Unticked with hand-typed numbers: the click ticks and empties;
        // the next fill fills it.
        typeGroup(group, "1");
        harness::click(tick);
        QCOMPARE(readTicked(tick), 1);
        QVERIFY(isEmpty(groupTexts(group)));
        harness::click(按钮1随机生成);
        QVERIFY(holdsATicket(groupTexts(group)));

        // Two clicks: the tick is as it was and the group is empty.
        harness::click(tick);
        harness::click(tick);
        QCOMPARE(readTicked(tick), 1);
        QVERIFY(isEmpty(groupTexts(group)));
    }
};

TAVRELLE_GUI_TEST_MAIN(EntryTest, {})

#include "entry_test.moc"
