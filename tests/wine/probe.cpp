#include "probe.h"

#include "platform/win32/win32_identity.h"
#include "platform/win32/win32_text.h"

#include <wincrypt.h>

#include <array>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

namespace probe {
namespace {

void (*failureHandler)(const std::string&) = nullptr;
HWND window = nullptr;
std::array<HWND, ControlCount> controls{};

BOOL CALLBACK collectChild(HWND child, LPARAM)
{
    const int id = controlOf(child);
    if (id > WindowSelf && id < ControlCount)
        controls[static_cast<std::size_t>(id)] = child;
    else
        failed("a child window outside the table, identifier " + std::to_string(GetDlgCtrlID(child)));
    return TRUE;
}

} // namespace

void setFailureHandler(void (*handler)(const std::string&))
{
    failureHandler = handler;
}

void failed(const std::string& what)
{
    if (failureHandler)
        failureHandler(what);
}

HWND findMainWindow()
{
    HWND found = FindWindowW(win32::MainWindowClass, L"Tavrelle");
    return found && IsWindowVisible(found) ? found : nullptr;
}

bool attach()
{
    window = findMainWindow();
    if (window == nullptr) {
        failed("no visible window titled Tavrelle");
        return false;
    }
    controls.fill(nullptr);
    controls[WindowSelf] = window;
    EnumChildWindows(window, collectChild, 0);
    for (int i = 1; i < ControlCount; ++i)
        if (controls[static_cast<std::size_t>(i)] == nullptr) {
            failed("no window for control " + std::to_string(i));
            return false;
        }
    return true;
}

HWND mainWindow()
{
    return window;
}

HWND hwnd(ControlId id)
{
    return controls[static_cast<std::size_t>(id)];
}

int controlOf(HWND child)
{
    return GetDlgCtrlID(child) - win32::ControlIdBase;
}

LRESULT send(HWND target, UINT message, WPARAM wParam, LPARAM lParam, UINT timeoutMs)
{
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(target, message, wParam, lParam, SMTO_NORMAL, timeoutMs, &result))
        failed("no answer to message " + std::to_string(message));
    return static_cast<LRESULT>(result);
}

Text textOf(ControlId id)
{
    const auto length = send(hwnd(id), WM_GETTEXTLENGTH, 0, 0);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const auto copied = send(hwnd(id), WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(copied));
    return fromWide(text);
}

void setText(ControlId id, const Text& text, UINT timeoutMs)
{
    const std::wstring wide = toWide(text);
    send(hwnd(id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str()), timeoutMs);
}

std::int64_t period()
{
    const Text label = textOf(透明标签1期数);
    if (label.size() < 4 || label.compare(0, 2, "第") != 0)
        return 0;
    return textToWhole(label.substr(2));
}

double nowMs()
{
    static const LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f{};
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now{};
    QueryPerformanceCounter(&now);
    return 1000.0 * static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

bool installCa(const char* path)
{
    std::ifstream file(path, std::ios::binary);
    const std::string pem((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    DWORD size = 0;
    if (!CryptStringToBinaryA(pem.c_str(), 0, CRYPT_STRING_BASE64HEADER, nullptr, &size, nullptr, nullptr)) {
        failed(std::string("cannot read ") + path);
        return false;
    }
    std::vector<BYTE> der(size);
    CryptStringToBinaryA(pem.c_str(), 0, CRYPT_STRING_BASE64HEADER, der.data(), &size, nullptr, nullptr);
    HCERTSTORE root = CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE, L"Root");
    const bool added = root && CertAddEncodedCertificateToStore(root, X509_ASN_ENCODING, der.data(), size,
                                                                CERT_STORE_ADD_REPLACE_EXISTING, nullptr);
    if (root)
        CertCloseStore(root, 0);
    if (!added) {
        failed("the root store refused the authority");
        return false;
    }
    std::printf("trusted\n");
    return true;
}

} // namespace probe
