// Process, threads, timing and the shell for the Windows build.
#include "platform/win32/win32_text.h"
#include "platform/win32/win32_window.h"

#include <commctrl.h>
#include <mmsystem.h>
#include <objbase.h>
#include <shellapi.h>

#include <atomic>
#include <cstdio>

namespace {

constexpr const wchar_t* DispatchClass = L"TavrelleDispatch";
constexpr UINT RunWorkMessage = WM_APP + 1;

DWORD uiThread = 0;
HWND dispatchWindow = nullptr;
std::atomic<bool> dispatching{false};

LRESULT CALLBACK dispatchProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == RunWorkMessage) {
        (*reinterpret_cast<const std::function<void()>*>(lParam))();
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

DWORD WINAPI threadStart(LPVOID routine)
{
    reinterpret_cast<void (*)()>(routine)();
    return 0;
}

// Dispatches what the queue holds; a quit message stays for the loop that
// waits for it.
void dispatchPending()
{
    MSG message{};
    while (PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE)) {
        if (message.message == WM_QUIT)
            return;
        if (!PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
            return;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

} // namespace

namespace win32 {

bool createDispatchWindow()
{
    WNDCLASSEXW dispatch{};
    dispatch.cbSize = sizeof dispatch;
    dispatch.lpfnWndProc = dispatchProc;
    dispatch.hInstance = instance();
    dispatch.lpszClassName = DispatchClass;
    if (RegisterClassExW(&dispatch) == 0)
        return false;
    dispatchWindow = CreateWindowExW(0, DispatchClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance(), nullptr);
    return dispatchWindow != nullptr;
}

void setDispatching(bool on)
{
    dispatching.store(on);
}

} // namespace win32

namespace platform {

void initialize()
{
    uiThread = GetCurrentThreadId();
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE); // for the shell
    INITCOMMONCONTROLSEX common{sizeof common, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&common);
    // The pause between draws is 10 ms; the default timer tick is 15.6 ms.
    timeBeginPeriod(1);
    if (!win32::createDispatchWindow()) {
        MessageBoxW(nullptr, L"The window system refused the program's helper window.", L"Tavrelle",
                    MB_ICONERROR | MB_OK);
        ExitProcess(static_cast<UINT>(-1));
    }
    win32::setDispatching(true);
}

bool onUiThread()
{
    return GetCurrentThreadId() == uiThread;
}

void runOnUiThread(const std::function<void()>& work)
{
    if (onUiThread()) {
        work();
        return;
    }
    // Once the loop has ended nothing answers a sent message any more.
    if (!dispatching.load())
        return;
    SendMessageW(dispatchWindow, RunWorkMessage, 0, reinterpret_cast<LPARAM>(&work));
}

bool startThread(void (*routine)())
{
    HANDLE thread = CreateThread(nullptr, 0, threadStart, reinterpret_cast<LPVOID>(routine), 0, nullptr);
    if (thread == nullptr)
        return false;
    CloseHandle(thread);
    return true;
}

std::uint32_t tickCount()
{
    return GetTickCount();
}

void waitDispatching(std::uint32_t milliseconds)
{
    HANDLE timer = CreateWaitableTimerW(nullptr, FALSE, nullptr);
    LARGE_INTEGER due{};
    due.QuadPart = -static_cast<LONGLONG>(milliseconds) * 10000; // relative, in 100 ns
    if (timer == nullptr || !SetWaitableTimer(timer, &due, 0, nullptr, nullptr, FALSE)) {
        // Without a timer the pause is still bounded.
        if (timer)
            CloseHandle(timer);
        Sleep(milliseconds);
        return;
    }
    const DWORD start = GetTickCount();
    for (;;) {
        const DWORD woke = MsgWaitForMultipleObjects(1, &timer, FALSE, INFINITE, QS_ALLINPUT);
        if (woke == WAIT_OBJECT_0)
            break;
        if (woke == WAIT_OBJECT_0 + 1) {
            dispatchPending();
            continue;
        }
        // A failed wait must not wait for ever: sleep out what is left.
        const DWORD spent = GetTickCount() - start;
        if (spent < milliseconds)
            Sleep(milliseconds - spent);
        break;
    }
    CloseHandle(timer);
}

void showErrorBox(const Text& title, const Text& message)
{
    MessageBoxW(nullptr, toWide(message).c_str(), toWide(title).c_str(), MB_ICONERROR | MB_OK | MB_SETFOREGROUND);
}

void endProcess(int status)
{
    std::fflush(nullptr);
    ExitProcess(static_cast<UINT>(status));
}

void openWebAddress(const Text& address)
{
    ShellExecuteW(nullptr, L"open", toWide(address).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

} // namespace platform
