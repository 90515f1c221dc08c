#include "entry/entry.h"

#include "draw/groups.h"
#include "draw/ticket.h"
#include "window/control_model.h"

void fillCheckedGroups()
{
    for (std::int32_t k = 1; k <= 5; ++k) {
        if (readTicked(groupTickBox(k)) != 1)
            continue;
        const auto parts = splitText(makeTicket(), "+");
        for (std::int32_t i = 1; i <= static_cast<std::int32_t>(parts.size()); ++i)
            writeText(findEditBoxByTag(groupNumberTag(k, i)), listItem(parts, i));
    }
}

void clearGroup(std::int32_t group)
{
    for (std::int32_t i = 1; i <= 7; ++i)
        writeText(findEditBoxByTag(groupNumberTag(group, i)), "");
}
