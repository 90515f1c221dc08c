// The identities of the main window's controls, named as in the window
// table. The value of each is its order in the table, which is also the
// order of stacking (earlier on top) and of tag lookup.
#pragma once

#include "text/text.h"

#include <cstdint>

// clang-format off
enum ControlId : int {
    WindowSelf = 0,
    标签1,
    选择框5, 选择框4, 选择框3, 选择框2, 选择框1,
    编辑框4预选7, 编辑框5预选7, 编辑框4预选6, 编辑框5预选6, 编辑框4预选5, 编辑框5预选5,
    编辑框4预选4, 编辑框5预选4, 编辑框4预选3, 编辑框5预选3, 编辑框4预选2, 编辑框5预选2,
    编辑框5预选1, 编辑框4预选1,
    编辑框3预选7, 编辑框3预选6, 编辑框3预选5, 编辑框3预选4, 编辑框3预选3, 编辑框3预选2, 编辑框3预选1,
    编辑框2预选7, 编辑框2预选6, 编辑框2预选5, 编辑框2预选4, 编辑框2预选3, 编辑框2预选2, 编辑框2预选1,
    编辑框1中奖1, 编辑框1中奖2, 编辑框1中奖3, 编辑框1中奖4, 编辑框1中奖5, 编辑框1中奖7, 编辑框1中奖6,
    分组框2,
    按钮1随机生成,
    编辑框1预选7, 编辑框1预选6, 编辑框1预选5, 编辑框1预选4, 编辑框1预选3, 编辑框1预选2, 编辑框1预选1,
    分组框1,
    标签1六等, 标签1五等, 标签1四等, 标签1三等, 标签1二等, 标签1一等,
    按钮1停止,
    外形框2,
    按钮6,
    编辑框1开奖,
    标签4,
    标签3,
    透明标签1中奖金额, 透明标签1消费金额, 透明标签1期数,
    按钮1开奖,
    编辑框1输出,
    ControlCount
};
// clang-format on

enum class ControlKind { Window, EditBox, Label, TransparentLabel, TickBox, GroupBox, Panel, PushButton };

enum class Align { Left, Center };

constexpr std::uint32_t Black = 0x000000;
constexpr std::uint32_t Red = 0xFF0000;
constexpr std::uint32_t Blue = 0x0088FF;

// One row of the window table.
struct ControlSpec {
    ControlId id;
    const char* name;
    ControlKind kind;
    ControlId container; // WindowSelf for the window's direct controls
    int left, top, width, height;
    const char* tag;  // "" is the empty tag
    const char* text; // initial text or caption
    int fontPixels;   // character height; 0 is the toolkit's default font
    std::uint32_t color = Black;
    Align align = Align::Left;
    bool readOnly = false;
    bool multiLine = false;
    bool wraps = false; // wrapping label
    bool visible = true;
    bool ticked = false;

    bool isTabStop() const
    {
        return kind == ControlKind::EditBox || kind == ControlKind::TickBox || kind == ControlKind::PushButton;
    }
};

// The whole table, indexed by ControlId (entry 0 is the window itself).
const ControlSpec& controlSpec(ControlId id);

// Title of the main window and its outer size.
inline constexpr int MainWindowWidth = 1000;
inline constexpr int MainWindowHeight = 720;
