// The controls as plain state: one entry per row of the control table.
#include "platform/headless/headless.h"
#include "platform/platform.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <utility>

namespace {

struct Control {
    Text text;
    bool ticked = false;
    bool visible = true;
    int left = 0, top = 0, width = 0, height = 0;
};

std::array<Control, ControlCount> controls;
platform::WindowEvents windowEvents{};
bool built = false; // no window closes here: built is open
std::thread::id uiThread;
headless::LogSink logSink;
void (*pauseHook)() = nullptr;

Control& control(ControlId id)
{
    return controls[static_cast<std::size_t>(id)];
}

bool known(ControlId id)
{
    return id >= WindowSelf && id < ControlCount;
}

template <typename Value>
void setField(ControlId id, Value Control::*field, Value value)
{
    if (known(id))
        control(id).*field = value;
}

} // namespace

namespace platform {

void initialize()
{
    uiThread = std::this_thread::get_id();
}

bool buildMainWindow(const WindowEvents& events)
{
    windowEvents = events;
    for (int i = 0; i < ControlCount; ++i) {
        const ControlSpec& entry = controlSpec(static_cast<ControlId>(i));
        controls[static_cast<std::size_t>(i)] = {entry.text, entry.ticked, entry.visible,
                                                 entry.left, entry.top, entry.width, entry.height};
    }
    built = true;
    if (events.created)
        events.created();
    return true;
}

// Nothing to dispatch: a headless program drives its window itself.
void runMessageLoop() {}

bool mainWindowOpen()
{
    return built;
}

Text controlText(ControlId id)
{
    return known(id) ? control(id).text : Text();
}

void setControlText(ControlId id, const Text& text)
{
    if (known(id))
        control(id).text = text;
}

bool controlTicked(ControlId id)
{
    return known(id) && control(id).ticked;
}

void appendControlText(ControlId id, const Text& text)
{
    if (!known(id))
        return;
    if (id == 编辑框1输出 && logSink)
        logSink(text);
    else
        control(id).text += text;
}

void setControlLeft(ControlId id, int left)
{
    setField(id, &Control::left, left);
}

void setControlTop(ControlId id, int top)
{
    setField(id, &Control::top, top);
}

void setControlWidth(ControlId id, int width)
{
    setField(id, &Control::width, width);
}

void setControlHeight(ControlId id, int height)
{
    setField(id, &Control::height, height);
}

void setControlVisible(ControlId id, bool visible)
{
    setField(id, &Control::visible, visible);
}

bool onUiThread()
{
    return std::this_thread::get_id() == uiThread;
}

// Only the user-interface thread calls the model here: workers run on it.
void runOnUiThread(const std::function<void()>& work)
{
    work();
}

// A worker runs at once on the calling thread, to its end: there is no
// message loop that would have to stay free meanwhile.
bool startThread(void (*routine)())
{
    routine();
    return true;
}

// The pause paces a run for a watcher's eye; with no window it is skipped.
void waitDispatching(std::uint32_t)
{
    if (pauseHook)
        pauseHook();
}

void showErrorBox(const Text& title, const Text& message)
{
    const std::string text = headless::toUtf8(title + ": " + message);
    std::fwrite(text.data(), 1, text.size(), stderr);
    if (text.empty() || text.back() != '\n')
        std::fputc('\n', stderr);
}

void endProcess(int status)
{
    std::fflush(nullptr);
    std::_Exit(status);
}

// No network without a window: the version check reads nothing.
Bytes httpGetFile(const Text&, const HttpRequest&)
{
    return {};
}

void openWebAddress(const Text&) {}

} // namespace platform

namespace headless {

void click(ControlId id)
{
    if (!platform::mainWindowOpen() || !known(id))
        return;
    const ControlKind kind = controlSpec(id).kind;
    if (kind == ControlKind::TickBox)
        control(id).ticked = !control(id).ticked;
    if ((kind == ControlKind::TickBox || kind == ControlKind::PushButton) && windowEvents.clicked)
        windowEvents.clicked(id);
}

void type(ControlId id, const Text& text)
{
    if (platform::mainWindowOpen() && known(id) && controlSpec(id).kind == ControlKind::EditBox &&
        !controlSpec(id).readOnly)
        control(id).text = text;
}

void setLogSink(LogSink sink)
{
    logSink = std::move(sink);
}

void setPauseHook(void (*hook)())
{
    pauseHook = hook;
}

} // namespace headless
