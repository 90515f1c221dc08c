// Times tavrelle.exe from outside under Wine, as bench/wine.sh runs it:
// finds the window by its title, clicks and reads texts with window
// messages. Cross-compiled like the program.
//
//   wine_driver.exe install-ca FILE.pem     trusts the local update host's authority
//   wine_driver.exe startup REPS APP BARE   process start to window shown, APP / BARE
//   wine_driver.exe pacing REPS             200-draw runs / (200 x 10 ms)
//   wine_driver.exe flat REPS               run overhead with 100,000 log lines / empty
//   wine_driver.exe respond CLICKS          queued click on stop to caption, ms
//   wine_driver.exe set-log LINES           appends lines as the program does; prints bytes
//   wine_driver.exe clear-log               empties the log
//   wine_driver.exe close                   closes the window
//
// Prints "RESULT <figure> <value> <context>" lines; every wait is bounded.
#include "probe.h"
#include "stats.h"
#include "platform/win32/win32_identity.h"
#include "platform/win32/win32_text.h"
#include "text/text.h"
#include "window/controls.h"

#include <windows.h>
#include <wincrypt.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace {

[[noreturn]] void fail(const std::string& why)
{
    std::printf("FAIL %s\n", why.c_str());
    std::fflush(stdout);
    std::exit(1);
}

using probe::hwnd;
using probe::mainWindow;
using probe::nowMs;
using probe::period;
using probe::send;
using probe::setText;
using probe::textOf;

// --- The window ---------------------------------------------------------------

HWND findWindowOf(const wchar_t* className, const wchar_t* title)
{
    HWND found = FindWindowW(className, title);
    return found && IsWindowVisible(found) ? found : nullptr;
}

void attach()
{
    if (!probe::attach())
        fail("no Tavrelle window with all its controls");
}

bool captionIs(const Text& caption)
{
    return textOf(按钮1开奖) == caption;
}

// Looks every millisecond or so until condition holds.
template <typename Condition>
bool waitFor(const Condition& condition, double timeoutMs)
{
    return probe::waitFor(condition, timeoutMs, 1);
}

// The caption is back and the period stays put for a while.
void waitIdle()
{
    if (!waitFor([] { return captionIs("开桨"); }, 60000))
        fail("the run never ended");
    std::int64_t last = period();
    double steady = nowMs();
    waitFor(
        [&] {
            const std::int64_t now = period();
            if (now != last) {
                last = now;
                steady = nowMs();
            }
            return nowMs() - steady > 60;
        },
        30000);
}

void tickAll()
{
    for (ControlId box : {选择框1, 选择框2, 选择框3, 选择框4, 选择框5})
        if (send(hwnd(box), BM_GETCHECK, 0, 0) != BST_CHECKED)
            fail("run with all five groups ticked");
}

// A run of count draws: click to the caption's return, in ms; negative
// when it did not make every draw (a first prize stops it).
double timedRun(std::int32_t count)
{
    waitIdle();
    setText(编辑框1开奖, intToText(count));
    const std::int64_t first = period();
    const double start = nowMs();
    send(hwnd(按钮1开奖), BM_CLICK, 0, 0);
    if (!waitFor([] { return captionIs("开桨中"); }, 10000) || !waitFor([] { return captionIs("开桨"); }, 120000))
        fail("a run did not start or end");
    const double wall = nowMs() - start;
    waitIdle();
    return period() - first == count ? wall : -1;
}

Text logLine(std::int32_t number, std::mt19937& random)
{
    std::vector<int> pool(33);
    for (int i = 0; i < 33; ++i)
        pool[static_cast<std::size_t>(i)] = i + 1;
    std::shuffle(pool.begin(), pool.end(), random);
    std::sort(pool.begin(), pool.begin() + 6);
    Text line = "第" + intToText(number) + "期:";
    for (int i = 0; i < 6; ++i)
        line += intToText(pool[static_cast<std::size_t>(i)]) + (i < 5 ? "  " : " + ");
    return line + intToText(static_cast<std::int32_t>(random() % 16 + 1)) + "  \r\n";
}

// Appends to the log with the edit control operations the program's own
// append uses (caret to the end, replace the selection, scroll to it).
void appendLog(const Text& text)
{
    HWND box = hwnd(编辑框1输出);
    const auto end = static_cast<WPARAM>(send(box, WM_GETTEXTLENGTH, 0, 0));
    send(box, EM_SETSEL, end, static_cast<LPARAM>(end));
    const std::wstring wide = toWide(text);
    send(box, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(wide.c_str()), 180000);
    send(box, EM_SCROLLCARET, 0, 0);
}

// The time of each message of one append, median over a few lines, as
// "GETTEXTLENGTH a, SETSEL b, REPLACESEL c, SCROLLCARET d ms".
std::string appendCosts()
{
    HWND box = hwnd(编辑框1输出);
    std::vector<double> costs[4];
    std::mt19937 random(3);
    for (int i = 0; i < 15; ++i) {
        const std::wstring wide = toWide(logLine(i, random));
        double at = nowMs();
        const auto end = static_cast<WPARAM>(send(box, WM_GETTEXTLENGTH, 0, 0));
        const auto lap = [&](int k) {
            const double now = nowMs();
            costs[k].push_back(now - at);
            at = now;
        };
        lap(0);
        send(box, EM_SETSEL, end, static_cast<LPARAM>(end));
        lap(1);
        send(box, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(wide.c_str()));
        lap(2);
        send(box, EM_SCROLLCARET, 0, 0);
        lap(3);
    }
    char text[160];
    std::snprintf(text, sizeof text, "GETTEXTLENGTH %.2f, SETSEL %.2f, REPLACESEL %.2f, SCROLLCARET %.2f ms",
                  median(costs[0]), median(costs[1]), median(costs[2]), median(costs[3]));
    return text;
}

// Fills the log with lines, a thousand per append (Wine carries a message's
// text between processes only up to a bound); returns the bytes appended.
long long fillLog(std::int32_t lines)
{
    std::mt19937 random(7);
    long long bytes = 0;
    Text chunk;
    for (std::int32_t i = 1; i <= lines; ++i) {
        chunk += logLine(i, random);
        if (i % 1000 == 0 || i == lines) {
            bytes += static_cast<long long>(chunk.size());
            appendLog(chunk);
            chunk.clear();
        }
    }
    return bytes;
}

// --- Commands -----------------------------------------------------------------

// Starts a program, times it to its visible window, closes it. Negative on
// failure. full: the window must be the full one (the update check answered).
double timeStart(const std::wstring& exe, const wchar_t* className, const wchar_t* title, bool full)
{
    std::wstring command = L"\"" + exe + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    const double start = nowMs();
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return -1;
    HWND window = nullptr;
    waitFor([&] { return (window = findWindowOf(className, title)) != nullptr; }, 60000);
    const double shown = nowMs() - start;
    bool ok = window != nullptr;
    if (ok && full) {
        RECT outer{};
        GetWindowRect(window, &outer);
        ok = outer.right - outer.left == MainWindowWidth;
    }
    if (window)
        PostMessageW(window, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process.hProcess, 15000) != WAIT_OBJECT_0)
        TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return ok ? shown : -1;
}

int startup(int reps, const std::wstring& app, const std::wstring& bare)
{
    timeStart(app, win32::MainWindowClass, L"Tavrelle", true); // warm the caches
    timeStart(bare, L"TavrelleBare", L"TavrelleBare", false);
    std::vector<double> a, b, ratios;
    for (int i = 0; i < reps; ++i) {
        double ta, tb;
        if (i % 2 == 0) {
            ta = timeStart(app, win32::MainWindowClass, L"Tavrelle", true);
            tb = timeStart(bare, L"TavrelleBare", L"TavrelleBare", false);
        } else {
            tb = timeStart(bare, L"TavrelleBare", L"TavrelleBare", false);
            ta = timeStart(app, win32::MainWindowClass, L"Tavrelle", true);
        }
        if (ta < 0 || tb < 0)
            fail("a start did not show its window (or showed the download panel)");
        a.push_back(ta);
        b.push_back(tb);
        ratios.push_back(ta / tb);
    }
    result("startup", median(ratios),
           format("median %.0f ms to shown, bare Win32 window %.0f ms (%.0f pairs)", median(a), median(b), reps));
    return 0;
}

int pacing(int reps)
{
    attach();
    tickAll();
    std::vector<double> walls;
    for (int attempt = 0; static_cast<int>(walls.size()) < reps && attempt < reps + 3; ++attempt) {
        const double wall = timedRun(200);
        if (wall > 0)
            walls.push_back(wall);
    }
    result("pacing", median(walls) / 2000.0,
           format("median %.0f ms per 200 draws, min %.0f, max %.0f", median(walls),
                  *std::min_element(walls.begin(), walls.end()), *std::max_element(walls.begin(), walls.end())));
    return 0;
}

// From outside a draw cannot be timed alone: a run of 200 draws less its
// 200 pauses of 10 ms is the time the draws took.
int flat(int reps)
{
    attach();
    tickAll();
    std::vector<double> ratios, emptyDraws, fullDraws;
    std::string emptyCosts, fullCosts;
    for (int r = 0; r < reps; ++r) {
        double empty = -1, loaded = -1;
        for (const bool withLog : {r % 2 != 0, r % 2 == 0}) {
            waitIdle();
            setText(编辑框1输出, "");
            if (withLog)
                fillLog(100000);
            (withLog ? fullCosts : emptyCosts) = appendCosts();
            (withLog ? loaded : empty) = timedRun(200);
        }
        if (empty <= 0 || loaded <= 0)
            continue;
        emptyDraws.push_back((empty - 2000) / 200);
        fullDraws.push_back((loaded - 2000) / 200);
        ratios.push_back((loaded - 2000) / (empty - 2000));
    }
    setText(编辑框1输出, "");
    result("append-cost", 0, "one log append with 100,000 lines: " + fullCosts + "; empty log: " + emptyCosts);
    result("flat", median(ratios),
           format("per draw beyond the pause %.2f ms with 100,000 lines, %.2f ms empty (runs of 200)",
                  median(fullDraws), median(emptyDraws)));
    return 0;
}

int respond(int clicks)
{
    attach();
    tickAll();
    HWND stop = hwnd(按钮1停止);
    RECT area{};
    GetClientRect(stop, &area);
    const LPARAM at = MAKELPARAM((area.right - area.left) / 2, (area.bottom - area.top) / 2);
    std::mt19937 random(11);
    std::vector<double> delays;
    setText(编辑框1开奖, "100000");
    for (int c = 0; c < clicks; ++c) {
        waitIdle();
        const std::int64_t first = period();
        send(hwnd(按钮1开奖), BM_CLICK, 0, 0);
        if (!waitFor([&] { return captionIs("开桨中") && period() > first; }, 10000))
            fail("the run did not start");
        Sleep(random() % 40);
        // The click goes through the window's queue, as a real one does.
        const double posted = nowMs();
        PostMessageW(stop, WM_LBUTTONDOWN, MK_LBUTTON, at);
        PostMessageW(stop, WM_LBUTTONUP, 0, at);
        if (!waitFor([] { return captionIs("开桨"); }, 10000))
            fail("the stop click never landed");
        delays.push_back(nowMs() - posted);
    }
    waitIdle();
    result("respond", percentile(delays, 99),
           format("ms; median %.2f ms, max %.2f ms over %.0f clicks (looked at every ~1 ms)", median(delays),
                  *std::max_element(delays.begin(), delays.end()), static_cast<double>(delays.size())));
    return 0;
}

int setLog(std::int32_t lines)
{
    attach();
    const double start = nowMs();
    const long long bytes = fillLog(lines);
    std::printf("BYTES %lld\nappended %d lines in %.0f ms\n", bytes, lines, nowMs() - start);
    return 0;
}

int close()
{
    attach();
    PostMessageW(mainWindow(), WM_CLOSE, 0, 0);
    return waitFor([] { return !IsWindow(mainWindow()); }, 15000) ? 0 : 1;
}

std::wstring wideArgument(const char* text)
{
    const int size = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(size > 0 ? size : 1), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text, -1, wide.data(), size);
    wide.resize(wide.size() - 1);
    return wide;
}

} // namespace

int main(int argc, char** argv)
{
    setvbuf(stdout, nullptr, _IONBF, 0);
    probe::setFailureHandler(fail);
    const std::string command = argc > 1 ? argv[1] : "";
    const int count = argc > 2 ? std::atoi(argv[2]) : 0;
    if (command == "install-ca" && argc > 2)
        return probe::installCa(argv[2]) ? 0 : 1;
    if (command == "startup" && argc > 4)
        return startup(count, wideArgument(argv[3]), wideArgument(argv[4]));
    if (command == "pacing")
        return pacing(count > 0 ? count : 5);
    if (command == "flat")
        return flat(count > 0 ? count : 3);
    if (command == "respond")
        return respond(count > 0 ? count : 200);
    if (command == "set-log")
        return setLog(count);
    if (command == "clear-log") {
        attach();
        setText(编辑框1输出, "");
        return 0;
    }
    if (command == "close")
        return close();
    std::printf("FAIL unknown command \"%s\"\n", command.c_str());
    return 2;
}
