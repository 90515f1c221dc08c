// Drives tavrelle.exe from outside, as a user's tools would see it: finds
// the window by its title, walks its controls against the control table,
// clicks, types and reads texts with window messages. Cross-compiled like
// the program and run under Wine by tests/wine/run.sh.
//
//   driver.exe install-ca FILE.pem    trusts a test authority (machine root store)
//   driver.exe resources EXE          version, icon and manifest of a program
//   driver.exe wait-window SECONDS    until the main window shows
//   driver.exe walk full|panel        every control against the table
//   driver.exe session                fill, ticks, a run of 5, stop
//   driver.exe timed-run COUNT        a run of COUNT draws; prints its wall time
//   driver.exe start-run COUNT        starts a run and returns once it draws
//   driver.exe drag full|panel        drags the window by what should move it
//   driver.exe close | escape         closes the window (WM_CLOSE | the Esc key)
//
// Every wait is bounded. Exit status 0 when every check held; each failed
// check prints a line starting with "FAIL".
#include "probe.h"
#include "platform/win32/win32_text.h"
#include "text/text.h"
#include "window/controls.h"

#include <windows.h>
#include <wincrypt.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

namespace {

int failures = 0;

void check(bool holds, const std::string& what)
{
    if (!holds) {
        ++failures;
        std::printf("FAIL %s\n", what.c_str());
        std::fflush(stdout);
    }
}

// Texts of the table and of the program are CP936; the console shows UTF-8.
std::string shown(const Text& text)
{
    const std::wstring wide = toWide(text);
    const int size = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                                         nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
    if (size > 0)
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(), size, nullptr,
                            nullptr);
    return utf8;
}

std::string nameOf(ControlId id)
{
    return shown(controlSpec(id).name);
}

// --- The window and its controls --------------------------------------------

using probe::attach;
using probe::findMainWindow;
using probe::hwnd;
using probe::mainWindow;
using probe::period;
using probe::send;
using probe::textOf;

void typeInto(ControlId id, const Text& text)
{
    probe::setText(id, text, 10000);
}

// A click as the button itself takes it (press and release), so the
// notification travels through the control's real parent.
void click(ControlId id)
{
    send(hwnd(id), BM_CLICK, 0, 0);
}

bool ticked(ControlId id)
{
    return send(hwnd(id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

RECT placeInParent(HWND control)
{
    RECT place{};
    GetWindowRect(control, &place);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&place), 2);
    return place;
}

// Looks every 20 ms: often enough, and little load on the window.
bool waitFor(const auto& condition, double timeoutMs)
{
    return probe::waitFor(condition, timeoutMs, 20);
}

// --- The program's texts ------------------------------------------------------

constexpr std::array<std::array<ControlId, 7>, 5> groups{{
    {编辑框1预选1, 编辑框1预选2, 编辑框1预选3, 编辑框1预选4, 编辑框1预选5, 编辑框1预选6, 编辑框1预选7},
    {编辑框2预选1, 编辑框2预选2, 编辑框2预选3, 编辑框2预选4, 编辑框2预选5, 编辑框2预选6, 编辑框2预选7},
    {编辑框3预选1, 编辑框3预选2, 编辑框3预选3, 编辑框3预选4, 编辑框3预选5, 编辑框3预选6, 编辑框3预选7},
    {编辑框4预选1, 编辑框4预选2, 编辑框4预选3, 编辑框4预选4, 编辑框4预选5, 编辑框4预选6, 编辑框4预选7},
    {编辑框5预选1, 编辑框5预选2, 编辑框5预选3, 编辑框5预选4, 编辑框5预选5, 编辑框5预选6, 编辑框5预选7},
}};
constexpr std::array<ControlId, 7> drawRow{编辑框1中奖1, 编辑框1中奖2, 编辑框1中奖3, 编辑框1中奖4,
                                           编辑框1中奖5, 编辑框1中奖6, 编辑框1中奖7};
constexpr std::array<ControlId, 5> tickBoxes{选择框1, 选择框2, 选择框3, 选择框4, 选择框5};
constexpr std::array<ControlId, 6> levelLabels{标签1一等, 标签1二等, 标签1三等, 标签1四等, 标签1五等, 标签1六等};

bool isNumber(const Text& text, int low, int high)
{
    if (text.empty() || text.size() > 2 || text[0] == '0')
        return false;
    for (char c : text)
        if (c < '0' || c > '9')
            return false;
    const int value = std::atoi(text.c_str());
    return value >= low && value <= high;
}

// Six distinct reds 1..33 in ascending order and a blue 1..16.
bool isTicket(const std::vector<Text>& numbers)
{
    if (numbers.size() != 7)
        return false;
    for (int i = 0; i < 6; ++i) {
        if (!isNumber(numbers[static_cast<std::size_t>(i)], 1, 33))
            return false;
        if (i > 0 && std::atoi(numbers[static_cast<std::size_t>(i)].c_str()) <=
                         std::atoi(numbers[static_cast<std::size_t>(i - 1)].c_str()))
            return false;
    }
    return isNumber(numbers[6], 1, 16);
}

std::vector<Text> texts(const std::array<ControlId, 7>& boxes)
{
    std::vector<Text> all;
    for (ControlId id : boxes)
        all.push_back(textOf(id));
    return all;
}

std::string joined(const std::vector<Text>& numbers)
{
    std::string line;
    for (const Text& number : numbers)
        line += (line.empty() ? "" : " ") + number;
    return "[" + line + "]";
}

bool idle()
{
    return textOf(按钮1开奖) == "开桨";
}

std::vector<Text> logLines()
{
    std::vector<Text> lines = splitText(textOf(编辑框1输出), "\r\n");
    if (!lines.empty() && lines.back().empty())
        lines.pop_back();
    return lines;
}

// "第N期:r1  r2  r3  r4  r5  r6 + b" and what follows it; false when the
// line has another form.
bool parseLine(const Text& line, std::int64_t& number, std::vector<Text>& ticket, Text& rest)
{
    if (line.compare(0, 2, "第") != 0)
        return false;
    const auto mark = line.find("期:");
    if (mark == Text::npos)
        return false;
    number = textToWhole(line.substr(2, mark - 2));
    const Text body = line.substr(mark + 3);
    const auto plus = body.find(" + ");
    if (plus == Text::npos)
        return false;
    ticket = splitText(body.substr(0, plus), "  ");
    const Text afterPlus = body.substr(plus + 3);
    const auto space = afterPlus.find("  ");
    if (space == Text::npos)
        return false;
    ticket.push_back(afterPlus.substr(0, space));
    rest = afterPlus.substr(space + 2);
    return isTicket(ticket);
}

// --- Commands -----------------------------------------------------------------

// The program's own resources: version, icon and manifest.
int resources(const char* path)
{
    const std::wstring file = toWide(path);
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(file.c_str(), &ignored);
    std::vector<BYTE> version(size);
    wchar_t* product = nullptr;
    UINT length = 0;
    const bool read = size > 0 && GetFileVersionInfoW(file.c_str(), 0, size, version.data()) &&
                      VerQueryValueW(version.data(), L"\\StringFileInfo\\080403a8\\ProductVersion",
                                     reinterpret_cast<void**>(&product), &length);
    check(read && product && std::wstring(product) == L"20200915", "product version 20200915");
    HMODULE image = LoadLibraryExW(file.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    check(image && FindResourceW(image, MAKEINTRESOURCEW(1), RT_GROUP_ICON), "an icon");
    check(image && FindResourceW(image, MAKEINTRESOURCEW(1), RT_MANIFEST), "a manifest");
    if (image)
        FreeLibrary(image);
    std::printf("resources checked\n");
    return failures == 0 ? 0 : 1;
}

int waitWindow(int seconds)
{
    const bool shown = waitFor([] { return findMainWindow() != nullptr; }, static_cast<DWORD>(seconds) * 1000);
    std::printf("%s\n", shown ? "window shown" : "no window");
    return shown ? 0 : 1;
}

void checkWindowFrame(bool panel)
{
    RECT outer{};
    GetWindowRect(mainWindow(), &outer);
    const int width = outer.right - outer.left;
    const int height = outer.bottom - outer.top;
    const int expectedWidth = panel ? 400 : MainWindowWidth;
    const int expectedHeight = panel ? 240 : MainWindowHeight;
    check(width == expectedWidth && height == expectedHeight,
          "window size " + std::to_string(width) + "x" + std::to_string(height));
    // Centred as the full window, also when it shrank to the panel.
    const int left = (GetSystemMetrics(SM_CXSCREEN) - MainWindowWidth) / 2;
    const int top = (GetSystemMetrics(SM_CYSCREEN) - MainWindowHeight) / 2;
    check(outer.left == left && outer.top == top,
          "window place " + std::to_string(outer.left) + "," + std::to_string(outer.top));
    const auto style = static_cast<DWORD>(GetWindowLongW(mainWindow(), GWL_STYLE));
    check((style & (WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX)) == (WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX),
          "title bar, system menu and minimise box");
    check((style & (WS_MAXIMIZEBOX | WS_THICKFRAME)) == 0, "no maximise box, fixed frame");
    check(textOf(WindowSelf) == "Tavrelle", "window title");
}

std::wstring classOf(HWND control)
{
    wchar_t name[64] = {};
    GetClassNameW(control, name, 64);
    return CharLowerW(name);
}

void checkControl(ControlId id, bool panel)
{
    const ControlSpec& entry = controlSpec(id);
    HWND control = hwnd(id);
    const std::string name = nameOf(id);
    const auto style = static_cast<DWORD>(GetWindowLongW(control, GWL_STYLE));
    const std::wstring className = classOf(control);

    // Kind and look, as the Win32 class and styles carry them.
    switch (entry.kind) {
    case ControlKind::EditBox:
        check(className == L"edit", name + ": an edit box");
        check(((style & ES_MULTILINE) != 0) == entry.multiLine, name + ": lines");
        check(((style & ES_READONLY) != 0) == entry.readOnly, name + ": read-only");
        check(((style & ES_CENTER) != 0) == (entry.align == Align::Center), name + ": alignment");
        // The edit control turns WS_BORDER into a one-pixel frame it draws
        // itself; a sunken edge would be thicker.
        check((GetWindowLongW(control, GWL_EXSTYLE) & WS_EX_CLIENTEDGE) == 0, name + ": one-pixel border");
        if (entry.multiLine)
            check((style & WS_VSCROLL) && !(style & ES_AUTOHSCROLL) && !(style & WS_HSCROLL),
                  name + ": vertical scroll bar and word wrap");
        break;
    case ControlKind::Label:
    case ControlKind::TransparentLabel:
        check(className == L"static", name + ": a label");
        // One line centred vertically; the wrapping label draws its own lines.
        check(entry.wraps ? (style & SS_TYPEMASK) == SS_OWNERDRAW
                         : (style & SS_TYPEMASK) == SS_LEFT && (style & SS_CENTERIMAGE) != 0,
              name + ": one line centred, or wrapping");
        break;
    case ControlKind::TickBox:
        check(className == L"button" && (style & BS_TYPEMASK) == BS_AUTOCHECKBOX, name + ": a tick box");
        break;
    case ControlKind::GroupBox:
        check(className == L"button" && (style & BS_TYPEMASK) == BS_GROUPBOX, name + ": a group box");
        break;
    case ControlKind::Panel:
        check(className == L"tavrellepanel", name + ": the panel");
        break;
    case ControlKind::PushButton:
        check(className == L"button" &&
                  ((style & BS_TYPEMASK) == BS_PUSHBUTTON || (style & BS_TYPEMASK) == BS_DEFPUSHBUTTON),
              name + ": a push button");
        break;
    case ControlKind::Window:
        break;
    }
    check(((style & WS_TABSTOP) != 0) == entry.isTabStop(), name + ": tab stop");
    check(GetParent(control) == hwnd(entry.container), name + ": container");

    // Place and size; the panel moved to the corner when it showed.
    const RECT place = placeInParent(control);
    const bool movedPanel = panel && id == 外形框2;
    const int left = movedPanel ? 0 : entry.left;
    const int top = movedPanel ? 0 : entry.top;
    check(place.left == left && place.top == top,
          name + ": place " + std::to_string(place.left) + "," + std::to_string(place.top));
    const int width = place.right - place.left;
    const int height = place.bottom - place.top;
    check(width == entry.width, name + ": width " + std::to_string(width));
    if (entry.kind == ControlKind::EditBox && !entry.multiLine) {
        // At least one line of its font, in full, within the border.
        HDC dc = GetDC(nullptr);
        HFONT font = CreateFontW(-entry.fontPixels, 0, 0, 0, FW_NORMAL, 0, 0, 0, GB2312_CHARSET, 0, 0, 0, 0, L"SimSun");
        const HGDIOBJ old = SelectObject(dc, font);
        TEXTMETRICW metrics{};
        GetTextMetricsW(dc, &metrics);
        SelectObject(dc, old);
        DeleteObject(font);
        ReleaseDC(nullptr, dc);
        check(height >= entry.height && height >= metrics.tmHeight + 2,
              name + ": height " + std::to_string(height) + " for a line of " + std::to_string(metrics.tmHeight));
    } else {
        check(height == entry.height, name + ": height " + std::to_string(height));
    }

    // Visibility: the panel shows only after a differing version.
    const bool visible = (style & WS_VISIBLE) != 0;
    check(visible == (entry.visible || movedPanel), name + ": visibility");
    check(IsWindowEnabled(control), name + ": enabled");
    if (entry.kind == ControlKind::TickBox)
        check(ticked(id), name + ": ticked at start");

    // Texts: captions as in the table; the boxes as start-up leaves them.
    const Text text = textOf(id);
    if (entry.kind != ControlKind::EditBox)
        check(text == entry.text, name + ": caption \"" + shown(text) + "\"");
}

void checkStacking(HWND parent)
{
    // Earlier in the table lies on top; the top sibling comes first.
    int previous = 0;
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        const int id = probe::controlOf(child);
        check(id > previous, "stacking: " + nameOf(static_cast<ControlId>(id)) + " lies above " +
                                 nameOf(static_cast<ControlId>(previous)));
        previous = id;
    }
}

// Pressing the background, a group box, a label or the panel drags the
// window: they answer the hit test as the title bar or let it through.
void checkDragging()
{
    const auto hitAt = [](HWND target, HWND client, int x, int y) {
        POINT point{x, y};
        ClientToScreen(client, &point);
        return send(target, WM_NCHITTEST, 0, MAKELPARAM(point.x, point.y));
    };
    check(hitAt(mainWindow(), mainWindow(), 3, 3) == HTCAPTION, "the bare background drags the window");
    for (ControlId id : {分组框1, 分组框2, 标签4, 标签3, 透明标签1期数, 标签1一等})
        check(hitAt(hwnd(id), hwnd(id), 2, 2) == HTTRANSPARENT, nameOf(id) + ": a press passes to the window");
    // The panel lies over other controls: it keeps the press and drags.
    for (ControlId id : {编辑框1开奖, 按钮1开奖, 选择框1, 外形框2})
        check(hitAt(hwnd(id), hwnd(id), 5, 5) == HTCLIENT, nameOf(id) + ": keeps its presses");
}

void checkGroupsFilled(const std::string& when)
{
    for (std::size_t k = 0; k < groups.size(); ++k) {
        const auto numbers = texts(groups[k]);
        check(isTicket(numbers), when + ": group " + std::to_string(k + 1) + " holds a ticket " + joined(numbers));
    }
}

int walk(bool panel)
{
    if (!attach())
        return 1;
    checkWindowFrame(panel);
    for (int i = 1; i < ControlCount; ++i)
        checkControl(static_cast<ControlId>(i), panel);
    checkStacking(mainWindow());
    checkStacking(hwnd(分组框1));
    checkStacking(hwnd(分组框2));
    check(IsWindowVisible(hwnd(按钮6)) == (panel ? TRUE : FALSE), "download button shows with the panel");

    checkDragging();

    checkGroupsFilled("start");
    for (ControlId id : drawRow)
        check(textOf(id).empty(), nameOf(id) + ": empty at start");
    check(textOf(编辑框1开奖) == "100", "count box holds 100");
    check(textOf(编辑框1输出).empty(), "log box empty at start");
    std::printf("walked %d controls\n", ControlCount - 1);
    return failures == 0 ? 0 : 1;
}

// A run that ends by itself: its last period shows and the caption is back.
// The worker claims the caption a moment after the click, so "idle" alone
// would hold before the run began.
bool runAndWait(std::int32_t count, DWORD timeoutMs)
{
    const std::int64_t last = period() + count;
    typeInto(编辑框1开奖, intToText(count));
    click(按钮1开奖);
    return waitFor([&] { return period() >= last && idle(); }, timeoutMs);
}

int session()
{
    if (!attach())
        return 1;

    // The fill button refills every ticked group.
    std::array<std::vector<Text>, 5> before;
    for (std::size_t k = 0; k < 5; ++k)
        before[k] = texts(groups[k]);
    click(按钮1随机生成);
    checkGroupsFilled("after the fill button");
    bool changed = false;
    for (std::size_t k = 0; k < 5; ++k)
        changed = changed || texts(groups[k]) != before[k];
    check(changed, "the fill button drew new tickets");

    // A click on a tick box toggles it and empties its group.
    click(选择框2);
    check(!ticked(选择框2), "选择框2 unticked by a click");
    for (ControlId id : groups[1])
        check(textOf(id).empty(), nameOf(id) + ": emptied with its tick");
    const auto group1 = texts(groups[0]);
    click(按钮1随机生成);
    for (ControlId id : groups[1])
        check(textOf(id).empty(), nameOf(id) + ": an unticked group is not filled");
    check(texts(groups[0]) != group1, "the fill button refilled group 1");
    click(选择框2);
    check(ticked(选择框2), "选择框2 ticked again");
    click(按钮1随机生成);
    checkGroupsFilled("all ticked and filled");

    // A whole run of five draws with five groups.
    const bool finished = runAndWait(5, 30000);
    check(finished, "a run of 5 ends");
    check(textOf(透明标签1期数) == "第5期", "period label \"" + shown(textOf(透明标签1期数)) + "\"");
    check(textOf(透明标签1消费金额) == "共消费50", "spending label \"" + shown(textOf(透明标签1消费金额)) + "\"");
    const auto row = texts(drawRow);
    check(isTicket({row[0], row[1], row[2], row[3], row[4], row[5], row[6]}), "draw row holds a ticket " + joined(row));

    std::int64_t expected = 1;
    std::int64_t prizeLines = 0;
    std::vector<Text> lastDraw;
    for (const Text& line : logLines()) {
        std::int64_t number = 0;
        std::vector<Text> ticket;
        Text rest;
        check(parseLine(line, number, ticket, rest), "log line in form: " + shown(line));
        if (rest.empty()) { // the draw line closes each period
            check(number == expected, "draw line of period " + std::to_string(expected) + ": " + shown(line));
            ++expected;
            lastDraw = ticket;
        } else {
            check(number == expected && rest.compare(0, 2, "第") == 0 && rest.find("组,") != Text::npos,
                  "prize line: " + shown(line));
            ++prizeLines;
        }
    }
    check(expected == 6, "five draw lines");
    check(lastDraw == row, "the last draw line shows the draw row");
    std::int64_t wins = 0;
    for (ControlId id : levelLabels)
        wins += textToWhole(textOf(id));
    check(wins == prizeLines, "level labels count the prize lines (" + std::to_string(wins) + " against " +
                                  std::to_string(prizeLines) + ")");
    const Text won = textOf(透明标签1中奖金额);
    check(prizeLines == 0 ? won.empty() : won.compare(0, 6, "已中桨") == 0, "winnings label \"" + shown(won) + "\"");

    // Appends go to the true end of the log whatever its selection, past
    // the 30,000 characters an edit box takes by default, and show the end.
    std::wstring filler;
    while (filler.size() < 40000)
        filler += L"填充行 0123456789 abcdefghij\r\n";
    send(hwnd(编辑框1输出), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(filler.c_str()));
    send(hwnd(编辑框1输出), EM_SETSEL, 10, 20);
    check(runAndWait(1, 30000), "a run of 1 ends");
    const Text log = textOf(编辑框1输出);
    const Text filled = fromWide(filler);
    check(log.size() > filled.size() && log.compare(0, filled.size(), filled) == 0,
          "the log keeps its text and grows past 40,000 characters");
    const Text tail = log.substr(filled.size());
    check(tail.compare(0, 6, "第6期:") == 0 && tail.size() > 4 && tail.compare(tail.size() - 4, 4, "  \r\n") == 0,
          "the draw line stands at the end: " + shown(tail));
    const auto length = static_cast<DWORD>(send(hwnd(编辑框1输出), WM_GETTEXTLENGTH, 0, 0));
    const auto selection = static_cast<DWORD>(send(hwnd(编辑框1输出), EM_GETSEL, 0, 0)); // no pointers across processes
    check(LOWORD(selection) == length && HIWORD(selection) == length, "the caret stands at the end");
    const auto lines = send(hwnd(编辑框1输出), EM_GETLINECOUNT, 0, 0);
    const auto firstShown = send(hwnd(编辑框1输出), EM_GETFIRSTVISIBLELINE, 0, 0);
    check(firstShown > lines - 60 && firstShown < lines, "the log shows its end (first line shown " +
                                                             std::to_string(firstShown) + " of " +
                                                             std::to_string(lines) + ")");

    // Stop: the caption returns at once and the run ends after one more draw at most.
    typeInto(编辑框1开奖, "100000");
    click(按钮1开奖);
    check(waitFor([] { return period() >= 15; }, 30000), "a long run draws");
    click(按钮1停止);
    check(idle(), "the stop button gives the caption back at once");
    const std::int64_t atStop = period();
    // The run has ended once the period stands still for a second.
    std::int64_t after = atStop;
    DWORD still = GetTickCount();
    const bool settled = waitFor(
        [&] {
            const std::int64_t now = period();
            if (now != after) {
                after = now;
                still = GetTickCount();
            }
            return GetTickCount() - still >= 1000;
        },
        15000);
    check(settled, "the stopped run ends");
    check(after >= atStop && after <= atStop + 1,
          "at most one draw after the stop (" + std::to_string(after - atStop) + ")");
    typeInto(编辑框1开奖, "100");
    std::printf("session checked, %lld prize lines\n", static_cast<long long>(prizeLines));
    return failures == 0 ? 0 : 1;
}

int timedRun(const Text& count)
{
    if (!attach())
        return 1;
    const std::int64_t first = period();
    LARGE_INTEGER frequency{}, start{}, end{};
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    const bool finished = runAndWait(textToInt(count), 120000);
    QueryPerformanceCounter(&end);
    check(finished, "the timed run ends");
    check(period() - first == textToInt(count), "the timed run made every draw");
    const double ms = 1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
    std::printf("%s draws with five groups: %.0f ms\n", count.c_str(), ms);
    return failures == 0 ? 0 : 1;
}

int startRun(const Text& count)
{
    if (!attach())
        return 1;
    const std::int64_t first = period();
    typeInto(编辑框1开奖, count);
    click(按钮1开奖);
    check(waitFor([&] { return period() >= first + 5; }, 30000), "the run draws");
    return failures == 0 ? 0 : 1;
}

// Presses the left button at a point of a control, moves the mouse by
// (dx, dy) and lets go, as a user drags.
void dragBy(HWND control, int x, int y, int dx, int dy)
{
    POINT point{x, y};
    ClientToScreen(control, &point);
    SetCursorPos(point.x, point.y);
    Sleep(100);
    const auto press = [](DWORD flags) {
        INPUT input{};
        input.type = INPUT_MOUSE;
        input.mi.dwFlags = flags;
        SendInput(1, &input, sizeof input);
    };
    press(MOUSEEVENTF_LEFTDOWN);
    Sleep(100);
    for (int step = 1; step <= 10; ++step) {
        SetCursorPos(point.x + dx * step / 10, point.y + dy * step / 10);
        INPUT move{};
        move.type = INPUT_MOUSE;
        move.mi.dwFlags = MOUSEEVENTF_MOVE;
        SendInput(1, &move, sizeof move);
        Sleep(30);
    }
    press(MOUSEEVENTF_LEFTUP);
    Sleep(200);
}

// Dragging the bare background, a label, a group box and (when shown) the
// panel moves the window; a drag on the count box does not.
int drag(bool panel)
{
    if (!attach())
        return 1;
    struct Grip {
        ControlId id;
        int x, y;
        bool moves;
    };
    std::vector<Grip> grips{{WindowSelf, 50, 128, true}, {标签4, 30, 17, true}, {分组框1, 3, 100, true},
                            {编辑框1开奖, 100, 15, false}};
    if (panel)
        grips = {{外形框2, 260, 20, true}, {按钮1停止, 50, 25, false}}; // the panel over the count box
    for (const Grip& grip : grips) {
        RECT before{}, after{};
        GetWindowRect(mainWindow(), &before);
        dragBy(hwnd(grip.id), grip.x, grip.y, 40, 30);
        // A busy machine may take a moment to play the moves out.
        waitFor(
            [&] {
                GetWindowRect(mainWindow(), &after);
                return after.left == before.left + 40 && after.top == before.top + 30;
            },
            grip.moves ? 5000 : 500);
        const int dx = after.left - before.left;
        const int dy = after.top - before.top;
        check(grip.moves ? dx == 40 && dy == 30 : dx == 0 && dy == 0,
              "drag on " + nameOf(grip.id) + " moved the window by " + std::to_string(dx) + "," + std::to_string(dy));
    }
    return failures == 0 ? 0 : 1;
}

int close(bool escape)
{
    if (!attach())
        return 1;
    if (escape) // as the key reaches the focused control through the queue
        PostMessageW(hwnd(编辑框1开奖), WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    else
        PostMessageW(mainWindow(), WM_CLOSE, 0, 0);
    const bool gone = waitFor([] { return !IsWindow(mainWindow()); }, 15000);
    check(gone, "the window closes");
    return failures == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    setvbuf(stdout, nullptr, _IONBF, 0);
    probe::setFailureHandler([](const std::string& what) { check(false, what); });
    const std::string command = argc > 1 ? argv[1] : "";
    const char* argument = argc > 2 ? argv[2] : "";
    if (command == "install-ca")
        return probe::installCa(argument) ? 0 : 1;
    if (command == "resources")
        return resources(argument);
    if (command == "wait-window")
        return waitWindow(std::atoi(argument));
    if (command == "walk")
        return walk(std::string(argument) == "panel");
    if (command == "session")
        return session();
    if (command == "timed-run")
        return timedRun(argument);
    if (command == "start-run")
        return startRun(argument);
    if (command == "drag")
        return drag(std::string(argument) == "panel");
    if (command == "close" || command == "escape")
        return close(command == "escape");
    std::printf("FAIL unknown command \"%s\"\n", command.c_str());
    return 2;
}
