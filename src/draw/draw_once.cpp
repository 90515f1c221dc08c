#include "draw/draw_once.h"

#include "app/globals.h"
#include "app/locks.h"
#include "draw/groups.h"
#include "draw/judge.h"
#include "draw/run_state.h"
#include "draw/ticket.h"
#include "window/control_model.h"

#include <array>
#include <utility>

// A draw's control work is carried out in a few steps on the user-interface
// thread rather than one hop per control operation: each hop costs two
// thread switches and a chance to repaint. The steps are cut so that every
// change a watcher could see between two steps still shows on its own and
// in the same order: within a step the controls change in the window's
// order (draw row, period, spending, log, draw button), and no control
// changes twice. The steps run with the worker gate let go, so they read
// and write none of the worker's globals: the worker hands them what they
// show and takes back what they read.

namespace {

constexpr std::array<ControlId, 7> drawRow{编辑框1中奖1, 编辑框1中奖2, 编辑框1中奖3, 编辑框1中奖4,
                                           编辑框1中奖5, 编辑框1中奖6, 编辑框1中奖7};

// The counters wrap like 32-bit registers should a process ever draw that
// long, instead of overflowing.
void addWrapping(std::int32_t& counter, std::int32_t amount)
{
    counter = static_cast<std::int32_t>(static_cast<std::uint32_t>(counter) + static_cast<std::uint32_t>(amount));
}

// The ticket's numbers with the boxes they go to, found by their tags. The
// lists live as long as the worker's thread, so a draw allocates none.
const std::vector<std::pair<ControlRef, Text>>& ticketBoxes(const Text& ticket)
{
    thread_local std::vector<Text> parts;
    thread_local std::vector<std::pair<ControlRef, Text>> boxes;
    splitTextInto(parts, ticket, "+");
    boxes.resize(parts.size(), {WindowSelf, Text()});
    for (std::int32_t i = 1; i <= static_cast<std::int32_t>(parts.size()); ++i) {
        auto& box = boxes[static_cast<std::size_t>(i - 1)];
        box.first = findEditBoxByTag(100 + i);
        box.second = listItem(parts, i);
    }
    return boxes;
}

// What the window shows once the ticket is in: the draw row as it reads
// back, and the blue number of every ticked group (empty for the others).
struct Shown {
    std::array<Text, 7> row;
    std::array<bool, 5> ticked{};
    std::array<Text, 5> blues;
};

// First step: the ticket into the draw row, the period, then what the row
// and the groups show.
Shown showTicket(const std::vector<std::pair<ControlRef, Text>>& boxes, const Text& period)
{
    for (const auto& [box, number] : boxes)
        writeText(box, number);
    writeText(透明标签1期数, period);

    Shown shown;
    for (std::size_t i = 0; i < drawRow.size(); ++i)
        shown.row[i] = readText(drawRow[i]);
    for (std::int32_t k = 1; k <= 5; ++k) {
        const auto g = static_cast<std::size_t>(k - 1);
        shown.ticked[g] = readTicked(groupTickBox(k)) == 1;
        if (shown.ticked[g])
            shown.blues[g] = readText(groupNumberBox(k, 7));
    }
    return shown;
}

// One ticked group judged and charged: its prize (or none) and the spending
// label's text after its charge.
struct Charge {
    std::int32_t group = 0;
    const Prize* prize = nullptr;
    Text spending;
};

struct Judged {
    std::array<Charge, 5> groups;
    std::size_t count = 0;
};

// On the worker, touching no control: every ticked group in order, under
// one hold of drawLock. Every judgement would set lastDrawText to this
// draw's text, and so does a draw that judges none: it is written once.
Judged judgeTicked(const Shown& shown)
{
    const auto& n = drawnNumbers;
    Judged judged;
    LockScope lock(drawLock);
    for (std::int32_t k = 1; k <= 5; ++k) {
        const auto g = static_cast<std::size_t>(k - 1);
        if (!shown.ticked[g])
            continue;
        Charge& charge = judged.groups[judged.count++];
        charge.group = k;
        charge.prize =
            judgeHitsHoldingLock(groupRedKeys[g], n[0], n[1], n[2], n[3], n[4], n[5], n[6], shown.blues[g]);
        addWrapping(totalSpent, 2);
        charge.spending.assign("共消费").append(intToText(totalSpent));
    }
    writeDrawDisplayText(lastDrawText, n[0], n[1], n[2], n[3], n[4], n[5], n[6]);
    return judged;
}

// Then per group its prize, then its charge, and the draw line last. A
// charge goes with the next group's prize (or the draw line), the spending
// label coming before the log in the window's order: one step per ticked
// group and one more, the first left out when that group won nothing.
void showResults(const Judged& judged, const Text& lineHead, std::uint32_t run)
{
    const Text* chargeBefore = nullptr;
    for (std::size_t i = 0; i < judged.count; ++i) {
        const Charge& group = judged.groups[i];
        if (chargeBefore != nullptr || group.prize != nullptr) {
            asOneStep([&] {
                if (chargeBefore != nullptr)
                    writeText(透明标签1消费金额, *chargeBefore);
                if (group.prize != nullptr)
                    showPrize(*group.prize, lineHead, groupName(group.group), run);
            });
        }
        chargeBefore = &group.spending;
    }
    asOneStep([&] {
        if (chargeBefore != nullptr)
            writeText(透明标签1消费金额, *chargeBefore);
        appendText(编辑框1输出, lineHead + "  \r\n");
    });
}

} // namespace

void drawOnce()
{
    const auto& boxes = ticketBoxes(makeTicket());
    addWrapping(drawCount, 1);
    const Text period = "第" + intToText(drawCount) + "期";

    Shown shown;
    asOneStep([&] { shown = showTicket(boxes, period); });
    drawnNumbers = std::move(shown.row);

    const Judged judged = judgeTicked(shown);
    Text lineHead = period; // "第N期:" and the draw
    lineHead.append(":").append(lastDrawText);
    showResults(judged, lineHead, ownRun());
}
