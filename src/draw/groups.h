// The five ticket groups: which controls make up group k (1 to 5).
#pragma once

#include "text/text.h"
#include "window/control_model.h"

#include <cstdint>

ControlRef groupTickBox(std::int32_t group);
// Position 1 to 6 are the red numbers, 7 the blue one.
ControlRef groupNumberBox(std::int32_t group, std::int32_t position);
// The tag of a group's number box: group k's boxes are tagged 10*(k-1)+1 to
// 10*(k-1)+7, position 7 the blue one.
constexpr std::int32_t groupNumberTag(std::int32_t group, std::int32_t position)
{
    return 10 * (group - 1) + position;
}
// "第一组" to "第五组", as the log names the group.
const Text& groupName(std::int32_t group);
