#include "draw/judge.h"

#include "app/globals.h"
#include "app/locks.h"
#include "draw/run_state.h"
#include "window/control_model.h"

#include <algorithm>
#include <array>
#include <initializer_list>
#include <string_view>
#include <utility>

namespace {

// Tested in order; the first row that matches is the prize.
constexpr std::array<Prize, 10> prizeTable{{
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
}};

const Text winningsPrefix = "已中桨";

} // namespace

const Prize* findPrize(std::int32_t reds, std::int32_t blue)
{
    for (const auto& prize : prizeTable)
        if (prize.redHits == reds && prize.blueHit == blue)
            return &prize;
    return nullptr;
}

Text drawDisplayText(const Text& red1, const Text& red2, const Text& red3, const Text& red4,
                     const Text& red5, const Text& red6, const Text& blue)
{
    Text shown;
    writeDrawDisplayText(shown, red1, red2, red3, red4, red5, red6, blue);
    return shown;
}

void writeDrawDisplayText(Text& shown, const Text& red1, const Text& red2, const Text& red3, const Text& red4,
                          const Text& red5, const Text& red6, const Text& blue)
{
    const std::array<std::pair<const Text*, std::string_view>, 7> pieces{
        {{&red1, "  "}, {&red2, "  "}, {&red3, "  "}, {&red4, "  "}, {&red5, "  "}, {&red6, " + "}, {&blue, ""}}};
    std::size_t size = 0;
    for (const auto& [number, after] : pieces)
        size += number->size() + after.size();
    shown.resize(size); // one write of the whole, in the text's own storage
    char* out = shown.data();
    for (const auto& [number, after] : pieces) {
        out = std::copy(number->begin(), number->end(), out);
        out = std::copy(after.begin(), after.end(), out);
    }
}

namespace {

// Whether "·" + red + "·" occurs in a group's key. A run judges the same
// few keys against the numbers 1 to 33 millions of times, so the answer of
// findText for each key and number is kept (per thread, checked against the
// key's bytes at every judgement); any other text is searched afresh.
class RedSearch {
public:
    // How many of the drawn reds occur in the key.
    std::int32_t hits(const Text& key, std::initializer_list<const Text*> reds)
    {
        Answers& answers = answersFor(key);
        std::int32_t count = 0;
        for (const Text* red : reds) {
            const int number = smallNumber(*red);
            if (number == 0) {
                count += search(key, *red) ? 1 : 0;
                continue;
            }
            auto& answer = answers.found[static_cast<std::size_t>(number)];
            if (answer < 0)
                answer = search(key, *red) ? 1 : 0;
            count += answer;
        }
        return count;
    }

private:
    struct Answers {
        const Text* where = nullptr;
        Text key;
        std::array<std::int8_t, 34> found{}; // -1: not searched yet
    };

    // 1 to 33 when red is written the way a ticket writes it, else 0.
    static int smallNumber(const Text& red)
    {
        if (red.size() == 1 && red[0] >= '1' && red[0] <= '9')
            return red[0] - '0';
        if (red.size() == 2 && red[0] >= '1' && red[0] <= '3' && red[1] >= '0' && red[1] <= '9') {
            const int number = (red[0] - '0') * 10 + (red[1] - '0');
            return number <= 33 ? number : 0;
        }
        return 0;
    }

    bool search(const Text& key, const Text& red)
    {
        needle_.assign("·").append(red).append("·");
        return findText(key, needle_) != -1;
    }

    Answers& answersFor(const Text& key)
    {
        Answers* slot = nullptr;
        for (auto& answers : answers_)
            if (answers.where == &key)
                slot = &answers;
        if (slot == nullptr) {
            slot = &answers_[next_];
            next_ = (next_ + 1) % answers_.size();
            slot->where = &key;
            slot->key.clear();
            slot->found.fill(-1);
        }
        if (slot->key != key) {
            slot->key = key;
            slot->found.fill(-1);
        }
        return *slot;
    }

    Text needle_;
    std::array<Answers, 8> answers_;
    std::size_t next_ = 0;
};

} // namespace

const Prize* judgeHitsHoldingLock(const Text& groupRedKey, const Text& red1, const Text& red2, const Text& red3,
                                  const Text& red4, const Text& red5, const Text& red6, const Text& drawnBlue,
                                  const Text& groupBlue)
{
    thread_local RedSearch reds;
    redHits += reds.hits(groupRedKey, {&red1, &red2, &red3, &red4, &red5, &red6});
    if (groupBlue == drawnBlue)
        blueHit = 1;
    const Prize* prize = findPrize(redHits, blueHit);
    blueHit = 0;
    redHits = 0;
    return prize;
}

const Prize* judgeHits(const Text& groupRedKey, const Text& red1, const Text& red2, const Text& red3,
                       const Text& red4, const Text& red5, const Text& red6, const Text& drawnBlue,
                       const Text& groupBlue)
{
    LockScope lock(drawLock);
    return judgeHitsHoldingLock(groupRedKey, red1, red2, red3, red4, red5, red6, drawnBlue, groupBlue);
}

const Prize* judgeGroup(const Text& groupRedKey, const Text& red1, const Text& red2, const Text& red3,
                        const Text& red4, const Text& red5, const Text& red6, const Text& drawnBlue,
                        const Text& groupBlue)
{
    const Prize* prize = judgeHits(groupRedKey, red1, red2, red3, red4, red5, red6, drawnBlue, groupBlue);
    writeDrawDisplayText(lastDrawText, red1, red2, red3, red4, red5, red6, drawnBlue);
    return prize;
}

void showPrize(const Prize& prize, const Text& lineHead, const Text& groupName, std::uint32_t run)
{
    appendText(编辑框1输出, lineHead + "  " + groupName + prize.logSuffix);
    creditPrize(prize.amount, prize.levelLabel);
    if (&prize == &prizeTable.front())
        stopRun(run);
}

void judgeTicket(const Text& groupRedKey, const Text& red1, const Text& red2, const Text& red3,
                 const Text& red4, const Text& red5, const Text& red6, const Text& drawnBlue,
                 const Text& groupBlue, const Text& groupName)
{
    const Prize* prize = judgeGroup(groupRedKey, red1, red2, red3, red4, red5, red6, drawnBlue, groupBlue);
    if (prize == nullptr)
        return;
    const Text lineHead = "第" + intToText(drawCount) + "期:" + lastDrawText;
    const std::uint32_t run = ownRun();
    asOneStep([&] { showPrize(*prize, lineHead, groupName, run); });
}

void creditPrize(std::int32_t amount, ControlId levelLabel)
{
    // The label texts are the only store of the tallies. They are read back
    // without a 32-bit limit so that the totals stay exact past 2^31.
    const Text won = readText(透明标签1中奖金额);
    const double total = static_cast<double>(textToWhole(dropLeft(won, 6))) + amount;
    writeText(透明标签1中奖金额, winningsPrefix + wholeToText(total));

    const double wins = static_cast<double>(textToWhole(readText(levelLabel))) + 1.0;
    writeText(levelLabel, wholeToText(wins));
}
