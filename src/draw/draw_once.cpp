#include "draw/draw_once.h"

#include "app/globals.h"
#include "draw/groups.h"
#include "draw/judge.h"
#include "draw/ticket.h"
#include "window/control_model.h"

#include <array>

namespace {

constexpr std::array<ControlId, 7> drawRow{编辑框1中奖1, 编辑框1中奖2, 编辑框1中奖3, 编辑框1中奖4,
                                           编辑框1中奖5, 编辑框1中奖6, 编辑框1中奖7};

// The counters wrap like 32-bit registers should a process ever draw that
// long, instead of overflowing.
void addWrapping(std::int32_t& counter, std::int32_t amount)
{
    counter = static_cast<std::int32_t>(static_cast<std::uint32_t>(counter) + static_cast<std::uint32_t>(amount));
}

} // namespace

void drawOnce()
{
    const auto parts = splitText(makeTicket(), "+");
    for (std::int32_t i = 1; i <= static_cast<std::int32_t>(parts.size()); ++i)
        writeText(findEditBoxByTag(100 + i), listItem(parts, i));

    addWrapping(drawCount, 1);
    writeText(透明标签1期数, "第" + intToText(drawCount) + "期");

    for (std::size_t i = 0; i < drawRow.size(); ++i)
        drawnNumbers[i] = readText(drawRow[i]);
    const auto& n = drawnNumbers;

    bool anyJudged = false;
    for (std::int32_t k = 1; k <= 5; ++k) {
        if (readTicked(groupTickBox(k)) != 1)
            continue;
        const Text blue = readText(groupNumberBox(k, 7));
        judgeTicket(groupRedKeys[static_cast<std::size_t>(k - 1)], n[0], n[1], n[2], n[3], n[4], n[5], n[6],
                    blue, groupName(k));
        addWrapping(totalSpent, 2);
        writeText(透明标签1消费金额, "共消费" + intToText(totalSpent));
        anyJudged = true;
    }
    if (!anyJudged)
        lastDrawText = drawDisplayText(n[0], n[1], n[2], n[3], n[4], n[5], n[6]);

    appendText(编辑框1输出, "第" + intToText(drawCount) + "期:" + lastDrawText + "  \r\n");
}
