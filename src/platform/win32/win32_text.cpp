#include "platform/win32/win32_text.h"

#include <windows.h>

namespace {

constexpr UINT ChineseCodePage = 936;

} // namespace

std::wstring toWide(const Text& text)
{
    if (text.empty())
        return {};
    const int length = MultiByteToWideChar(ChineseCodePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length > 0 ? length : 0), L'\0');
    if (length > 0)
        MultiByteToWideChar(ChineseCodePage, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
    return wide;
}

Text fromWide(const wchar_t* text, int length)
{
    if (length <= 0)
        return {};
    const int size = WideCharToMultiByte(ChineseCodePage, 0, text, length, nullptr, 0, nullptr, nullptr);
    Text bytes(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
    if (size > 0)
        WideCharToMultiByte(ChineseCodePage, 0, text, length, bytes.data(), size, nullptr, nullptr);
    return bytes;
}

Text fromWide(const std::wstring& text)
{
    return fromWide(text.data(), static_cast<int>(text.size()));
}
