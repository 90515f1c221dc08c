// textBetween and the update file's rule: plain byte work, apart from the
// window and the network.
#include "update/update.h"

namespace {

Text replaceAll(Text text, const Text& from, const Text& to)
{
    for (auto at = text.find(from); at != Text::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

char foldAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// A two-byte character is compared whole and exactly: its second byte may
// fall in the ASCII letter range, but it is no letter.
bool matchesAt(const Text& source, std::size_t at, const Text& sought, bool ignoreCase)
{
    for (std::size_t i = 0; i < sought.size(); ++i) {
        const char a = source[at + i];
        const char b = sought[i];
        if (static_cast<unsigned char>(b) >= 0x80) {
            if (a != b || (i + 1 < sought.size() && source[at + i + 1] != sought[i + 1]))
                return false;
            ++i;
            continue;
        }
        if (ignoreCase ? foldAscii(a) != foldAscii(b) : a != b)
            return false;
    }
    return true;
}

// 0-based index of the first match at or after from, tried only where a
// character begins (a byte of 0x80 or above opens a two-byte character);
// npos when there is none.
std::size_t findCharacterwise(const Text& source, const Text& sought, std::size_t from, bool ignoreCase)
{
    if (sought.empty() || source.size() < sought.size())
        return Text::npos;
    for (std::size_t at = from; at + sought.size() <= source.size();) {
        if (matchesAt(source, at, sought, ignoreCase))
            return at;
        at += static_cast<unsigned char>(source[at]) >= 0x80 ? 2 : 1;
    }
    return Text::npos;
}

} // namespace

Text textBetween(const Text& source, const Text& left, const Text& right, std::int32_t start,
                 bool ignoreCase)
{
    const Text quote = "\"";
    const Text leftMarker = replaceAll(left, "#引号", quote);
    const Text rightMarker = replaceAll(right, "#引号", quote);

    const std::size_t from = start < 1 ? 0 : static_cast<std::size_t>(start - 1);
    const auto i = findCharacterwise(source, leftMarker, from, ignoreCase);
    if (i == Text::npos)
        return {};
    const auto j = i + leftMarker.size();
    const auto k = findCharacterwise(source, rightMarker, j, ignoreCase);
    if (k == Text::npos)
        return {};
    return source.substr(j, k - j);
}

Text versionInUpdateFile(const Text& page)
{
    return textBetween(page, "最新版本【", "】", 0, false);
}

