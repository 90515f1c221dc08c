#include "draw/groups.h"

#include <array>

namespace {

constexpr std::array<ControlId, 5> tickBoxes{选择框1, 选择框2, 选择框3, 选择框4, 选择框5};

// clang-format off
constexpr std::array<std::array<ControlId, 7>, 5> numberBoxes{{
    {编辑框1预选1, 编辑框1预选2, 编辑框1预选3, 编辑框1预选4, 编辑框1预选5, 编辑框1预选6, 编辑框1预选7},
    {编辑框2预选1, 编辑框2预选2, 编辑框2预选3, 编辑框2预选4, 编辑框2预选5, 编辑框2预选6, 编辑框2预选7},
    {编辑框3预选1, 编辑框3预选2, 编辑框3预选3, 编辑框3预选4, 编辑框3预选5, 编辑框3预选6, 编辑框3预选7},
    {编辑框4预选1, 编辑框4预选2, 编辑框4预选3, 编辑框4预选4, 编辑框4预选5, 编辑框4预选6, 编辑框4预选7},
    {编辑框5预选1, 编辑框5预选2, 编辑框5预选3, 编辑框5预选4, 编辑框5预选5, 编辑框5预选6, 编辑框5预选7},
}};
// clang-format on

std::size_t index(std::int32_t oneBased)
{
    return static_cast<std::size_t>(oneBased - 1);
}

} // namespace

ControlRef groupTickBox(std::int32_t group)
{
    return tickBoxes.at(index(group));
}

ControlRef groupNumberBox(std::int32_t group, std::int32_t position)
{
    return numberBoxes.at(index(group)).at(index(position));
}

const Text& groupName(std::int32_t group)
{
    static const std::array<Text, 5> names{"第一组", "第二组", "第三组", "第四组", "第五组"};
    return names.at(index(group));
}
