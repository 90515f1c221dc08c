// The main window: built hidden from the control table, then shown; the
// control operations of the platform layer; the message loop.
#include "platform/win32/win32_text.h"
#include "platform/win32/win32_window.h"

#include <array>

namespace {

constexpr int AppIcon = 1; // the icon resource

HWND window = nullptr;
bool open = false;
platform::WindowEvents events{};
std::array<HWND, ControlCount> controls{};

bool isButton(ControlId id)
{
    const ControlKind kind = controlSpec(id).kind;
    return kind == ControlKind::PushButton || kind == ControlKind::TickBox;
}

void closeOnce()
{
    if (!open)
        return;
    events.closing();
    open = false;
}

LRESULT CALLBACK mainProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_COMMAND: {
        const int id = LOWORD(wParam) - win32::ControlIdBase;
        if (HIWORD(wParam) == BN_CLICKED && lParam != 0 && id > WindowSelf && id < ControlCount &&
            isButton(static_cast<ControlId>(id)) && events.clicked)
            events.clicked(static_cast<ControlId>(id));
        return 0;
    }
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
        if (HBRUSH brush = win32::controlColors(reinterpret_cast<HWND>(lParam), reinterpret_cast<HDC>(wParam)))
            return reinterpret_cast<LRESULT>(brush);
        break;
    case WM_DRAWITEM:
        if (lParam != 0 && win32::drawWrappingLabel(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)))
            return TRUE;
        break;
    case WM_NCHITTEST: {
        // The bare background drags the window like its title bar; labels,
        // group boxes and the panel let the press through to here.
        const LRESULT hit = DefWindowProcW(hwnd, message, wParam, lParam);
        return hit == HTCLIENT ? HTCAPTION : hit;
    }
    case WM_CLOSE:
        closeOnce();
        DestroyWindow(hwnd);
        return 0;
    case WM_DESTROY:
        closeOnce();
        window = nullptr;
        controls.fill(nullptr);
        PostQuitMessage(0);
        return 0;
    default:
        break;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

bool registerMainClass()
{
    WNDCLASSEXW main{};
    main.cbSize = sizeof main;
    main.lpfnWndProc = mainProc;
    main.hInstance = win32::instance();
    main.hIcon = LoadIconW(win32::instance(), MAKEINTRESOURCEW(AppIcon));
    main.hIconSm = static_cast<HICON>(LoadImageW(win32::instance(), MAKEINTRESOURCEW(AppIcon), IMAGE_ICON,
                                                 GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
    main.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    main.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    main.lpszClassName = win32::MainWindowClass;
    return RegisterClassExW(&main) != 0;
}

bool isContainer(const ControlSpec& entry)
{
    return entry.kind == ControlKind::GroupBox || entry.kind == ControlKind::Panel;
}

RECT placeInParent(HWND control)
{
    RECT place{};
    GetWindowRect(control, &place);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&place), 2);
    return place;
}

void moveTo(HWND control, int left, int top)
{
    SetWindowPos(control, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void resizeTo(HWND control, int width, int height)
{
    SetWindowPos(control, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// The height of a line of a box's font, as an edit control lays it out
// (external leading counted in, so that a view is never taken for taller
// than it is); 0 when it cannot be known. The log box keeps its font, so
// the last answer is kept.
int lineHeight(HWND box)
{
    static HWND measured = nullptr;
    static int height = 0;
    if (box == measured)
        return height;
    HDC dc = GetDC(box);
    if (dc == nullptr)
        return 0;
    const auto font = reinterpret_cast<HFONT>(SendMessageW(box, WM_GETFONT, 0, 0));
    HGDIOBJ before = font ? SelectObject(dc, font) : nullptr;
    TEXTMETRICW metrics{};
    const bool known = GetTextMetricsW(dc, &metrics) != 0;
    if (before)
        SelectObject(dc, before);
    ReleaseDC(box, dc);
    if (!known)
        return 0;
    measured = box;
    height = metrics.tmHeight + metrics.tmExternalLeading;
    return height;
}

// Whether the last line of a multi-line box lies wholly in its view. Asked
// with messages that cost the same whatever the text's length; under Wine
// EM_SCROLLCARET walks the whole line table even when there is nothing to
// scroll.
bool lastLineInView(HWND box)
{
    if ((GetWindowLongW(box, GWL_STYLE) & ES_MULTILINE) == 0)
        return false;
    const int height = lineHeight(box);
    if (height <= 0)
        return false;
    RECT format{};
    SendMessageW(box, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&format));
    const LRESULT shown = (format.bottom - format.top) / height;
    const LRESULT last = SendMessageW(box, EM_GETLINECOUNT, 0, 0) - 1;
    const LRESULT first = SendMessageW(box, EM_GETFIRSTVISIBLELINE, 0, 0);
    return first <= last && last < first + shown;
}

std::wstring windowText(HWND control)
{
    const int length = GetWindowTextLengthW(control);
    std::wstring text(static_cast<std::size_t>(length > 0 ? length : 0) + 1, L'\0');
    const int copied = GetWindowTextW(control, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
    return text;
}

} // namespace

namespace win32 {

HINSTANCE instance()
{
    return GetModuleHandleW(nullptr);
}

HWND mainWindow()
{
    return window;
}

HWND controlWindow(ControlId id)
{
    if (id < 0 || id >= ControlCount)
        return nullptr;
    return controls[static_cast<std::size_t>(id)];
}

int controlOf(HWND control)
{
    if (control == nullptr)
        return -1;
    const int id = GetDlgCtrlID(control) - ControlIdBase;
    if (id <= WindowSelf || id >= ControlCount || controls[static_cast<std::size_t>(id)] != control)
        return -1;
    return id;
}

} // namespace win32

namespace platform {

bool buildMainWindow(const WindowEvents& windowEvents)
{
    events = windowEvents;
    if (!registerMainClass() || !win32::registerPanelClass())
        return false;

    const ControlSpec& self = controlSpec(WindowSelf);
    const int left = (GetSystemMetrics(SM_CXSCREEN) - self.width) / 2;
    const int top = (GetSystemMetrics(SM_CYSCREEN) - self.height) / 2;
    const std::wstring title = toWide(self.text);
    window = CreateWindowExW(0, win32::MainWindowClass, title.c_str(), WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX,
                             left, top, self.width, self.height, nullptr, nullptr, win32::instance(), nullptr);
    if (window == nullptr)
        return false;
    controls[WindowSelf] = window;
    open = true;

    // The containers stand later in the table than what they hold, so they
    // are made first.
    for (const bool containers : {true, false}) {
        for (int i = 1; i < ControlCount; ++i) {
            const ControlSpec& entry = controlSpec(static_cast<ControlId>(i));
            if (isContainer(entry) != containers)
                continue;
            HWND control = win32::createControl(entry, controls[static_cast<std::size_t>(entry.container)]);
            if (control == nullptr)
                return false;
            controls[static_cast<std::size_t>(i)] = control;
        }
    }
    // Earlier in the table lies on top (and comes first in tab order): each
    // control in turn goes to the bottom of its siblings.
    for (int i = 1; i < ControlCount; ++i)
        SetWindowPos(controls[static_cast<std::size_t>(i)], HWND_BOTTOM, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);

    events.created();
    if (window == nullptr)
        return false; // closed from inside the creation handler

    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
    SetForegroundWindow(window);
    return true;
}

void runMessageLoop()
{
    MSG message{};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        // Esc closes the window whichever control has the focus.
        if (message.message == WM_KEYDOWN && message.wParam == VK_ESCAPE && window != nullptr &&
            (message.hwnd == window || IsChild(window, message.hwnd))) {
            PostMessageW(window, WM_CLOSE, 0, 0);
            continue;
        }
        if (window != nullptr && IsDialogMessageW(window, &message))
            continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    win32::setDispatching(false);
}

bool mainWindowOpen()
{
    return open && window != nullptr;
}

Text controlText(ControlId id)
{
    HWND control = win32::controlWindow(id);
    return control ? fromWide(windowText(control)) : Text();
}

void setControlText(ControlId id, const Text& text)
{
    HWND control = win32::controlWindow(id);
    if (control == nullptr)
        return;
    const std::wstring wide = toWide(text);
    if (controlSpec(id).kind == ControlKind::TransparentLabel) {
        if (windowText(control) == wide)
            return; // nothing to show, nothing to paint
        // A static control paints its new text at once, straight over the
        // old one when it has no background; with redrawing off it only
        // takes the text, and the paint comes once, beneath it first.
        // (Redrawing back on shows a window, so a hidden label is left be.)
        const bool shown = (GetWindowLongW(control, GWL_STYLE) & WS_VISIBLE) != 0;
        if (shown)
            SendMessageW(control, WM_SETREDRAW, FALSE, 0);
        SetWindowTextW(control, wide.c_str());
        if (shown)
            SendMessageW(control, WM_SETREDRAW, TRUE, 0);
        win32::repaintBeneath(control);
        return;
    }
    SetWindowTextW(control, wide.c_str());
    if (controlSpec(id).wraps)
        InvalidateRect(control, nullptr, TRUE);
}

bool controlTicked(ControlId id)
{
    HWND control = win32::controlWindow(id);
    return control && controlSpec(id).kind == ControlKind::TickBox &&
           SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void appendControlText(ControlId id, const Text& text)
{
    HWND box = win32::controlWindow(id);
    if (box == nullptr)
        return;
    // The true end is the text's length: EM_SETSEL(-1, ...) is not the end
    // on every implementation.
    const auto end = static_cast<WPARAM>(GetWindowTextLengthW(box));
    // The insert needs no scroll before it. After it the new end must be
    // in view; Wine's insert scrolls there itself, and a second scroll
    // would cost a walk of the whole line table for nothing.
    const std::wstring wide = toWide(text);
    SendMessageW(box, EM_SETSEL, end, static_cast<LPARAM>(end));
    SendMessageW(box, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(wide.c_str()));
    if (!lastLineInView(box))
        SendMessageW(box, EM_SCROLLCARET, 0, 0);
}

void setControlLeft(ControlId id, int left)
{
    HWND control = win32::controlWindow(id);
    if (control == window) {
        RECT outer{};
        GetWindowRect(window, &outer);
        moveTo(window, left, outer.top);
    } else if (control) {
        moveTo(control, left, placeInParent(control).top);
    }
}

void setControlTop(ControlId id, int top)
{
    HWND control = win32::controlWindow(id);
    if (control == window) {
        RECT outer{};
        GetWindowRect(window, &outer);
        moveTo(window, outer.left, top);
    } else if (control) {
        moveTo(control, placeInParent(control).left, top);
    }
}

void setControlWidth(ControlId id, int width)
{
    if (HWND control = win32::controlWindow(id)) {
        RECT outer{};
        GetWindowRect(control, &outer);
        resizeTo(control, width, outer.bottom - outer.top);
    }
}

void setControlHeight(ControlId id, int height)
{
    if (HWND control = win32::controlWindow(id)) {
        RECT outer{};
        GetWindowRect(control, &outer);
        resizeTo(control, outer.right - outer.left,
                 control == window ? height : win32::editBoxHeight(control, controlSpec(id), height));
    }
}

void setControlVisible(ControlId id, bool visible)
{
    if (HWND control = win32::controlWindow(id))
        ShowWindow(control, visible ? SW_SHOWNA : SW_HIDE);
}

} // namespace platform
