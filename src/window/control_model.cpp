#include "window/control_model.h"

#include "app/exit_routines.h"
#include "platform/platform.h"
#include "window/worker_gate.h"

#include <array>
#include <atomic>

namespace {

bool exists(ControlRef control)
{
    return control.id >= WindowSelf && control.id < ControlCount;
}

// Stops with the given report unless the window and the control are there.
void requireLoaded(ControlRef control, const char* message)
{
    if (!platform::mainWindowOpen())
        fatalError(0, "未载入欲访问窗口组件所在的窗口");
    if (!exists(control))
        fatalError(0, message);
}

std::int32_t clampPlace(std::int32_t value)
{
    constexpr std::int32_t bound = 32627;
    return value < -bound ? -bound : (value > bound ? bound : value);
}

std::int32_t clampSize(std::int32_t value)
{
    constexpr std::int32_t bound = 32627;
    return value < 0 ? 0 : (value > bound ? bound : value);
}

// Tags never change: each is read as a number once.
const std::array<std::int32_t, ControlCount>& tagValues()
{
    static const auto values = [] {
        std::array<std::int32_t, ControlCount> parsed{};
        for (int i = 0; i < ControlCount; ++i)
            parsed[static_cast<std::size_t>(i)] = textToInt(controlSpec(static_cast<ControlId>(i)).tag);
        return parsed;
    }();
    return values;
}

// The first control in table order for each tag from 0 to 127 (-1: none),
// the numbers every draw looks up.
const std::array<int, 128>& firstWithSmallTag()
{
    static const auto first = [] {
        std::array<int, 128> table;
        table.fill(-1);
        const auto& tags = tagValues();
        for (int i = ControlCount - 1; i >= 0; --i) {
            const auto tag = tags[static_cast<std::size_t>(i)];
            if (tag >= 0 && static_cast<std::size_t>(tag) < table.size())
                table[static_cast<std::size_t>(tag)] = i;
        }
        return table;
    }();
    return first;
}

} // namespace

TagMatch findByTag(std::int32_t n)
{
    const auto& first = firstWithSmallTag();
    if (n >= 0 && static_cast<std::size_t>(n) < first.size()) {
        if (first[static_cast<std::size_t>(n)] >= 0) {
            const auto id = static_cast<ControlId>(first[static_cast<std::size_t>(n)]);
            return {id, controlSpec(id).kind};
        }
        fatalError(0, "未找到指定标记的组件");
    }
    const auto& tags = tagValues();
    for (int i = 0; i < ControlCount; ++i) {
        if (tags[static_cast<std::size_t>(i)] == n) {
            const auto id = static_cast<ControlId>(i);
            return {id, controlSpec(id).kind};
        }
    }
    fatalError(0, "未找到指定标记的组件");
}

ControlRef findEditBoxByTag(std::int32_t n)
{
    const auto found = findByTag(n);
    if (found.kind != ControlKind::EditBox)
        fatalError(5, "数据或数组类型不匹配");
    return found.control;
}

Text readText(ControlRef control)
{
    return onUi([&] {
        requireLoaded(control, "指定窗口尚未载入");
        return platform::controlText(control.id);
    });
}

void writeText(ControlRef control, const Text& text)
{
    onUi([&] {
        requireLoaded(control, "指定窗口尚未载入");
        platform::setControlText(control.id, text);
    });
}

std::int32_t readTicked(ControlRef control)
{
    return onUi([&] {
        requireLoaded(control, "指定窗口尚未载入");
        return platform::controlTicked(control.id) ? 1 : 0;
    });
}

void appendText(ControlRef control, const Text& text)
{
    onUi([&] {
        requireLoaded(control, "指定窗口或窗口组件不存在或尚未载入");
        platform::appendControlText(control.id, text);
    });
}

void setLeft(ControlRef control, std::int32_t left)
{
    onUi([&] {
        requireLoaded(control, "指定窗口尚未载入");
        platform::setControlLeft(control.id, clampPlace(left));
    });
}

void setTop(ControlRef control, std::int32_t top)
{
    onUi([&] {
        requireLoaded(control, "指定窗口尚未载入");
        platform::setControlTop(control.id, clampPlace(top));
    });
}

void setWidth(ControlRef control, std::int32_t width)
{
    onUi([&] {
        requireLoaded(control, "指定窗口尚未载入");
        platform::setControlWidth(control.id, clampSize(width));
    });
}

void setHeight(ControlRef control, std::int32_t height)
{
    onUi([&] {
        requireLoaded(control, "指定窗口尚未载入");
        platform::setControlHeight(control.id, clampSize(height));
    });
}

void setVisible(ControlRef control, bool visible)
{
    onUi([&] {
        requireLoaded(control, "指定窗口尚未载入");
        platform::setControlVisible(control.id, visible);
    });
}

Text fatalReportText(std::int32_t code, const Text& message)
{
    Text report = "运行时出错!\r\n\r\n";
    if (code != 0)
        report += "错误代码：" + intToText(code) + "\r\n\r\n";
    if (!message.empty())
        report += "错误信息：" + message + "\r\n";
    return report;
}

void fatalError(std::int32_t code, const Text& message)
{
    // One report per process: a second thread that fails meanwhile waits
    // for the end that the first one brings.
    static std::atomic<bool> reporting{false};
    if (reporting.exchange(true))
        parkForever();
    // The box waits for the user; shut-down must not wait for it.
    letGoOfGateForReport();
    clearExitRoutines();
    platform::showErrorBox("错误", fatalReportText(code, message));
    platform::endProcess(-1);
}

const Text& listItem(const std::vector<Text>& list, std::int32_t position)
{
    if (position < 1)
        fatalError(4, "数组成员引用下标必须大于等于1");
    if (static_cast<std::size_t>(position) > list.size())
        fatalError(1, "数组成员引用下标超出定义范围");
    return list[static_cast<std::size_t>(position - 1)];
}
