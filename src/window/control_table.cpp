// The main window and its 68 controls, as data. Column order: identity,
// name, kind, container, left, top, width, height, tag, initial text, font
// pixels, then the look (colour, alignment, read-only, multi-line, wrapping,
// visible, ticked).
#include "window/controls.h"

#include <array>

namespace {

using K = ControlKind;
constexpr auto W = WindowSelf;
constexpr auto Ctr = Align::Center;

// The prize rules: seven lines, each but the last followed by an empty line.
constexpr const char* PrizeRules =
    "中奖说明:\r\n\r\n"
    "一等桨500W（6+1）\r\n\r\n"
    "二等桨50W（6+0）\r\n\r\n"
    "三等桨3000（5+1）\r\n\r\n"
    "四等桨200（5+0/4+1）\r\n\r\n"
    "五等桨10（4+0/3+1)\r\n\r\n"
    "六等桨5（2+1/1+1/0+1）";

// Shorthands for the rows that repeat a look.
constexpr ControlSpec tickBox(ControlId id, const char* name, int top)
{
    return {id, name, K::TickBox, 分组框1, 415, top, 35, 35, "", " ", 20, Black, Align::Left,
            false, false, false, true, true};
}

constexpr ControlSpec numberBox(ControlId id, const char* name, ControlId box, int left, int top,
                                const char* tag, bool blue, bool readOnly)
{
    return {id, name, K::EditBox, box, left, top, 50, 35, tag, "", 35, blue ? Blue : Red, Ctr, readOnly};
}

// A number box of one of the five ticket groups (group box 1).
constexpr ControlSpec ticketBox(ControlId id, const char* name, int left, int top, const char* tag, bool blue)
{
    return numberBox(id, name, 分组框1, left, top, tag, blue, false);
}

// A number box of the draw row (group box 2), read-only.
constexpr ControlSpec drawBox(ControlId id, const char* name, int left, const char* tag, bool blue)
{
    return numberBox(id, name, 分组框2, left, 20, tag, blue, true);
}

constexpr ControlSpec levelLabel(ControlId id, const char* name, int top)
{
    return {id, name, K::Label, W, 250, top, 220, 30, "", "", 16};
}

constexpr ControlSpec transparentLabel(ControlId id, const char* name, int top)
{
    return {id, name, K::TransparentLabel, W, 120, top, 300, 30, "", "", 16};
}

// clang-format off
constexpr std::array<ControlSpec, ControlCount> table{{
    {WindowSelf, "(window)", K::Window, W, 0, 0, MainWindowWidth, MainWindowHeight, "", "Tavrelle", 0},
    {标签1, "标签1", K::Label, 分组框1, 390, 10, 65, 30, "", "勾选后生效", 0},
    tickBox(选择框5, "选择框5", 222),
    tickBox(选择框4, "选择框4", 177),
    tickBox(选择框3, "选择框3", 132),
    tickBox(选择框2, "选择框2", 87),
    tickBox(选择框1, "选择框1", 42),
    ticketBox(编辑框4预选7, "编辑框4预选7", 345, 177, "37", true),
    ticketBox(编辑框5预选7, "编辑框5预选7", 345, 222, "47", true),
    ticketBox(编辑框4预选6, "编辑框4预选6", 288, 177, "36", false),
    ticketBox(编辑框5预选6, "编辑框5预选6", 288, 222, "46", false),
    ticketBox(编辑框4预选5, "编辑框4预选5", 232, 177, "35", false),
    ticketBox(编辑框5预选5, "编辑框5预选5", 232, 222, "45", false),
    ticketBox(编辑框4预选4, "编辑框4预选4", 176, 177, "34", false),
    ticketBox(编辑框5预选4, "编辑框5预选4", 176, 222, "44", false),
    ticketBox(编辑框4预选3, "编辑框4预选3", 120, 177, "33", false),
    ticketBox(编辑框5预选3, "编辑框5预选3", 120, 222, "43", false),
    ticketBox(编辑框4预选2, "编辑框4预选2", 64, 177, "32", false),
    ticketBox(编辑框5预选2, "编辑框5预选2", 64, 222, "42", false),
    ticketBox(编辑框5预选1, "编辑框5预选1", 8, 222, "41", false),
    ticketBox(编辑框4预选1, "编辑框4预选1", 8, 177, "31", false),
    ticketBox(编辑框3预选7, "编辑框3预选7", 345, 132, "27", true),
    ticketBox(编辑框3预选6, "编辑框3预选6", 288, 132, "26", false),
    ticketBox(编辑框3预选5, "编辑框3预选5", 232, 132, "25", false),
    ticketBox(编辑框3预选4, "编辑框3预选4", 176, 132, "24", false),
    ticketBox(编辑框3预选3, "编辑框3预选3", 120, 132, "23", false),
    ticketBox(编辑框3预选2, "编辑框3预选2", 64, 132, "22", false),
    ticketBox(编辑框3预选1, "编辑框3预选1", 8, 132, "21", false),
    ticketBox(编辑框2预选7, "编辑框2预选7", 345, 87, "17", true),
    ticketBox(编辑框2预选6, "编辑框2预选6", 288, 87, "16", false),
    ticketBox(编辑框2预选5, "编辑框2预选5", 232, 87, "15", false),
    ticketBox(编辑框2预选4, "编辑框2预选4", 176, 87, "14", false),
    ticketBox(编辑框2预选3, "编辑框2预选3", 120, 87, "13", false),
    ticketBox(编辑框2预选2, "编辑框2预选2", 64, 87, "12", false),
    ticketBox(编辑框2预选1, "编辑框2预选1", 8, 87, "11", false),
    drawBox(编辑框1中奖1, "编辑框1中奖1", 8, "101", false),
    drawBox(编辑框1中奖2, "编辑框1中奖2", 64, "102", false),
    drawBox(编辑框1中奖3, "编辑框1中奖3", 120, "103", false),
    drawBox(编辑框1中奖4, "编辑框1中奖4", 176, "104", false),
    drawBox(编辑框1中奖5, "编辑框1中奖5", 232, "105", false),
    drawBox(编辑框1中奖7, "编辑框1中奖7", 345, "107", true),
    drawBox(编辑框1中奖6, "编辑框1中奖6", 288, "106", false),
    {分组框2, "分组框2", K::GroupBox, W, 10, 405, 460, 65, "", "中桨号码", 0},
    {按钮1随机生成, "按钮1随机生成", K::PushButton, 分组框1, 64, 10, 276, 29, "", "随机生成  可以手动填写", 16},
    ticketBox(编辑框1预选7, "编辑框1预选7", 345, 42, "7", true),
    ticketBox(编辑框1预选6, "编辑框1预选6", 288, 42, "6", false),
    ticketBox(编辑框1预选5, "编辑框1预选5", 232, 42, "5", false),
    ticketBox(编辑框1预选4, "编辑框1预选4", 176, 42, "4", false),
    ticketBox(编辑框1预选3, "编辑框1预选3", 120, 42, "3", false),
    ticketBox(编辑框1预选2, "编辑框1预选2", 64, 42, "2", false),
    ticketBox(编辑框1预选1, "编辑框1预选1", 8, 42, "1", false),
    {分组框1, "分组框1", K::GroupBox, W, 10, 135, 460, 270, "", "预选号码", 0},
    levelLabel(标签1六等, "标签1六等", 662),
    levelLabel(标签1五等, "标签1五等", 630),
    levelLabel(标签1四等, "标签1四等", 598),
    levelLabel(标签1三等, "标签1三等", 566),
    levelLabel(标签1二等, "标签1二等", 534),
    levelLabel(标签1一等, "标签1一等", 502),
    {按钮1停止, "按钮1停止", K::PushButton, W, 8, 70, 100, 50, "", "停止", 29},
    {外形框2, "外形框2", K::Panel, W, 552, 328, 400, 240, "", "", 0, Black, Align::Left,
     false, false, false, /*visible=*/false},
    {按钮6, "按钮6", K::PushButton, 外形框2, 100, 80, 200, 50, "", "打开网盘下载", 29},
    {编辑框1开奖, "编辑框1开奖", K::EditBox, W, 246, 8, 224, 35, "1", "100", 35},
    {标签4, "标签4", K::Label, W, 120, 8, 192, 35, "", "设置开奖注数", 20},
    {标签3, "标签3", K::Label, W, 8, 477, 300, 210, "", PrizeRules, 16, Black, Align::Left,
     false, false, /*wraps=*/true},
    transparentLabel(透明标签1中奖金额, "透明标签1中奖金额", 110),
    transparentLabel(透明标签1消费金额, "透明标签1消费金额", 80),
    transparentLabel(透明标签1期数, "透明标签1期数", 50),
    {按钮1开奖, "按钮1开奖", K::PushButton, W, 8, 8, 100, 50, "", "开桨", 29},
    {编辑框1输出, "编辑框1输出", K::EditBox, W, 475, 8, 512, 680, "", "", 16, Black, Align::Left,
     /*readOnly=*/true, /*multiLine=*/true},
}};
// clang-format on

constexpr bool tableIsInOrder()
{
    for (int i = 0; i < ControlCount; ++i)
        if (table[static_cast<std::size_t>(i)].id != i)
            return false;
    return true;
}
static_assert(tableIsInOrder(), "every row stands at the order of its identity");

} // namespace

const ControlSpec& controlSpec(ControlId id)
{
    return table.at(static_cast<std::size_t>(id));
}
