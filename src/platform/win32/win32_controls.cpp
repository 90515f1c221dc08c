// The controls of the main window, one table row at a time: the Win32
// class and styles of each kind, its font and its colours.
#include "platform/win32/win32_text.h"
#include "platform/win32/win32_window.h"

#include <commctrl.h>

#include <map>

namespace {

constexpr const wchar_t* PanelClass = L"TavrellePanel";

WNDPROC groupBoxProc = nullptr; // the system's BUTTON procedure

COLORREF colorOf(std::uint32_t rgb)
{
    return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

HBRUSH whiteBrush()
{
    return static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
}

// Containers hand what their children report on to the main window, so a
// click inside a group box or the panel reaches the program's handler and
// the children get their colours.
bool forwardedToMain(UINT message)
{
    switch (message) {
    case WM_COMMAND:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_DRAWITEM:
        return true;
    default:
        return false;
    }
}

LRESULT CALLBACK groupBoxSubclass(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (forwardedToMain(message) && win32::mainWindow())
        return SendMessageW(win32::mainWindow(), message, wParam, lParam);
    if (message == WM_NCHITTEST)
        return HTTRANSPARENT; // a press on the frame drags the window
    return CallWindowProcW(groupBoxProc, window, message, wParam, lParam);
}

LRESULT CALLBACK panelProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (forwardedToMain(message) && win32::mainWindow())
        return SendMessageW(win32::mainWindow(), message, wParam, lParam);
    if (message == WM_LBUTTONDOWN && win32::mainWindow()) {
        // The panel lies over other controls, so it keeps the press (letting
        // it through would reach the control beneath) and drags the window
        // itself, as its title bar would.
        ReleaseCapture();
        const DWORD at = GetMessagePos();
        SendMessageW(win32::mainWindow(), WM_NCLBUTTONDOWN, HTCAPTION, static_cast<LPARAM>(at));
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

struct ClassAndStyle {
    const wchar_t* className;
    DWORD style;
    DWORD extendedStyle;
};

ClassAndStyle classAndStyle(const ControlSpec& entry)
{
    switch (entry.kind) {
    case ControlKind::EditBox:
        if (entry.multiLine)
            return {WC_EDITW,
                    WS_BORDER | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_LEFT |
                        (entry.readOnly ? ES_READONLY : 0u),
                    0};
        return {WC_EDITW,
                WS_BORDER | ES_AUTOHSCROLL | (entry.align == Align::Center ? ES_CENTER : ES_LEFT) |
                    (entry.readOnly ? ES_READONLY : 0u),
                0};
    case ControlKind::Label:
    case ControlKind::TransparentLabel:
        // One line centred vertically, or the wrapping label from the top,
        // which draws itself (drawWrappingLabel).
        return {WC_STATICW, static_cast<DWORD>(SS_NOPREFIX | (entry.wraps ? SS_OWNERDRAW : SS_LEFT | SS_CENTERIMAGE)), 0};
    case ControlKind::TickBox:
        return {WC_BUTTONW, BS_AUTOCHECKBOX, 0};
    case ControlKind::GroupBox:
        return {WC_BUTTONW, BS_GROUPBOX | WS_CLIPCHILDREN, WS_EX_CONTROLPARENT};
    case ControlKind::Panel:
        return {PanelClass, WS_CLIPCHILDREN, WS_EX_CONTROLPARENT};
    case ControlKind::PushButton:
        return {WC_BUTTONW, BS_PUSHBUTTON, 0};
    case ControlKind::Window:
        break;
    }
    return {WC_STATICW, 0, 0};
}

} // namespace

namespace win32 {

bool registerPanelClass()
{
    WNDCLASSEXW panel{};
    panel.cbSize = sizeof panel;
    panel.lpfnWndProc = panelProc;
    panel.hInstance = instance();
    panel.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    panel.hbrBackground = whiteBrush(); // white inside, and so is the outline
    panel.lpszClassName = PanelClass;
    return RegisterClassExW(&panel) != 0;
}

HFONT fontFor(const ControlSpec& entry)
{
    static std::map<int, HFONT> fonts;
    const auto known = fonts.find(entry.fontPixels);
    if (known != fonts.end())
        return known->second;

    LOGFONTW look{};
    if (entry.fontPixels > 0) {
        look.lfHeight = -entry.fontPixels; // a character height, not a cell height
    } else {
        NONCLIENTMETRICSW metrics{};
        metrics.cbSize = sizeof metrics;
        look.lfHeight = SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)
                            ? metrics.lfMessageFont.lfHeight
                            : -12;
    }
    look.lfWeight = FW_NORMAL;
    look.lfCharSet = GB2312_CHARSET; // no face name: the system's Chinese typeface
    look.lfOutPrecision = OUT_DEFAULT_PRECIS;
    look.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    look.lfQuality = DEFAULT_QUALITY;
    look.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
    lstrcpynW(look.lfFaceName, L"SimSun", LF_FACESIZE);
    HFONT font = CreateFontIndirectW(&look);
    if (font == nullptr)
        font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    fonts.emplace(entry.fontPixels, font);
    return font;
}

int editBoxHeight(HWND box, const ControlSpec& entry, int height)
{
    if (entry.kind != ControlKind::EditBox || entry.multiLine)
        return height;
    HDC dc = GetDC(box);
    if (dc == nullptr)
        return height;
    const HGDIOBJ old = SelectObject(dc, fontFor(entry));
    TEXTMETRICW metrics{};
    const bool measured = GetTextMetricsW(dc, &metrics) != 0;
    SelectObject(dc, old);
    ReleaseDC(box, dc);
    if (!measured)
        return height;
    const int least = metrics.tmHeight + 2 * GetSystemMetrics(SM_CYEDGE);
    return height < least ? least : height;
}

HWND createControl(const ControlSpec& entry, HWND parent)
{
    const ClassAndStyle how = classAndStyle(entry);
    DWORD style = WS_CHILD | WS_CLIPSIBLINGS | how.style;
    if (entry.visible)
        style |= WS_VISIBLE;
    if (entry.isTabStop())
        style |= WS_TABSTOP;
    const std::wstring text = toWide(entry.text);
    HWND control = CreateWindowExW(how.extendedStyle, how.className, text.c_str(), style, entry.left, entry.top,
                                   entry.width, entry.height, parent,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(ControlIdBase + entry.id)),
                                   instance(), nullptr);
    if (control == nullptr)
        return nullptr;

    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(fontFor(entry)), FALSE);
    switch (entry.kind) {
    case ControlKind::EditBox:
        SendMessageW(control, EM_SETLIMITTEXT, 0, 0); // no length limit
        if (!entry.multiLine)
            SetWindowPos(control, nullptr, 0, 0, entry.width, editBoxHeight(control, entry, entry.height),
                         SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        break;
    case ControlKind::TickBox:
        SendMessageW(control, BM_SETCHECK, entry.ticked ? BST_CHECKED : BST_UNCHECKED, 0);
        break;
    case ControlKind::GroupBox: {
        const auto previous = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(groupBoxSubclass)));
        if (groupBoxProc == nullptr)
            groupBoxProc = previous;
        break;
    }
    default:
        break;
    }
    return control;
}

HBRUSH controlColors(HWND control, HDC dc)
{
    const int id = controlOf(control);
    if (id <= WindowSelf)
        return nullptr;
    const ControlSpec& entry = controlSpec(static_cast<ControlId>(id));
    switch (entry.kind) {
    case ControlKind::TransparentLabel:
        SetTextColor(dc, colorOf(entry.color));
        SetBkMode(dc, TRANSPARENT);
        return static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
    case ControlKind::EditBox: // read-only boxes ask with WM_CTLCOLORSTATIC
    case ControlKind::Label:
    case ControlKind::TickBox:
    case ControlKind::GroupBox:
    case ControlKind::Panel:
        SetTextColor(dc, colorOf(entry.color));
        SetBkColor(dc, RGB(255, 255, 255));
        return whiteBrush();
    case ControlKind::PushButton:
    case ControlKind::Window:
        break;
    }
    return nullptr;
}

namespace {

bool isWide(wchar_t c)
{
    return c >= 0x2E80; // CJK and full-width forms: a line may break beside any of them
}

// Where the line that starts at text[0] ends (at least one character): all
// that fits the width, else the last break that fits.
int lineLength(HDC dc, const wchar_t* text, int length, int width)
{
    int fit = 0;
    SIZE size{};
    if (!GetTextExtentExPointW(dc, text, length, width, &fit, nullptr, &size) || fit >= length)
        return length;
    if (fit < 1)
        return 1;
    for (int end = fit; end > 0; --end) {
        if (text[end] == L' ' || text[end - 1] == L' ' || isWide(text[end]) || isWide(text[end - 1]))
            return end;
    }
    return fit;
}

} // namespace

bool drawWrappingLabel(const DRAWITEMSTRUCT& item)
{
    const int id = controlOf(item.hwndItem);
    if (id <= WindowSelf || !controlSpec(static_cast<ControlId>(id)).wraps)
        return false;
    const ControlSpec& entry = controlSpec(static_cast<ControlId>(id));
    HDC dc = item.hDC;
    RECT area = item.rcItem;
    FillRect(dc, &area, whiteBrush());
    const HGDIOBJ oldFont = SelectObject(dc, fontFor(entry));
    SetTextColor(dc, colorOf(entry.color));
    SetBkMode(dc, TRANSPARENT);

    // Lines follow each other at the character height: with the usual
    // Chinese typeface that is the cell height, and a typeface with more
    // leading (as Wine's substitutes have) still fits the same lines.
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    const int pitch = metrics.tmHeight - metrics.tmInternalLeading > 0 ? metrics.tmHeight - metrics.tmInternalLeading
                                                                        : metrics.tmHeight;
    const int width = area.right - area.left;

    const int length = GetWindowTextLengthW(item.hwndItem);
    std::wstring caption(static_cast<std::size_t>(length > 0 ? length : 0) + 1, L'\0');
    caption.resize(static_cast<std::size_t>(GetWindowTextW(item.hwndItem, caption.data(), length + 1)));

    int top = area.top;
    std::size_t start = 0;
    while (start <= caption.size() && top < area.bottom) {
        std::size_t end = caption.find(L"\r\n", start);
        if (end == std::wstring::npos)
            end = caption.size();
        const wchar_t* line = caption.data() + start;
        int rest = static_cast<int>(end - start);
        if (rest == 0)
            top += pitch; // an empty line
        while (rest > 0 && top < area.bottom) {
            const int shown = lineLength(dc, line, rest, width);
            TextOutW(dc, area.left, top, line, shown);
            top += pitch;
            line += shown;
            rest -= shown;
            while (rest > 0 && *line == L' ') { // a break eats its spaces
                ++line;
                --rest;
            }
        }
        start = end + 2;
    }
    SelectObject(dc, oldFont);
    return true;
}

void repaintBeneath(HWND label)
{
    HWND parent = GetParent(label);
    RECT area{};
    GetWindowRect(label, &area);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&area), 2);
    // Only marked here: the parent's background and then the label are
    // painted once the thread has nothing else to do, so a draw's several
    // writes cost one paint instead of one each (the parent comes first,
    // as it is the one that erases the old text).
    RedrawWindow(parent, &area, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

} // namespace win32
