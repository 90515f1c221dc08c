#include "update/update.h"

#include "app/globals.h"
#include "platform/platform.h"
#include "window/control_model.h"

#ifndef TAVRELLE_UPDATE_URL
#error "the build sets TAVRELLE_UPDATE_URL"
#endif
#ifndef TAVRELLE_DOWNLOAD_URL
#error "the build sets TAVRELLE_DOWNLOAD_URL"
#endif

const Text updateFileAddress = TAVRELLE_UPDATE_URL;
const Text downloadPageAddress = TAVRELLE_DOWNLOAD_URL;

namespace {

UpdateFetcher fetcher = nullptr;

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

void checkForUpdate()
{
    Text page = bytesToText(fetcher ? fetcher(updateFileAddress) : platform::httpGetFile(updateFileAddress));
    // No order between versions: anything but the built-in one, the empty
    // text of a failed fetch included, sends the user to the download page.
    currentVersion = "20200915";
    latestVersion = versionInUpdateFile(page);
    if (currentVersion != latestVersion) {
        setLeft(外形框2, 0);
        setTop(外形框2, 0);
        setWidth(WindowSelf, 400);
        setHeight(WindowSelf, 240);
        setVisible(外形框2, true);
    }
    release(page);
}

void setUpdateFetcher(UpdateFetcher replacement)
{
    fetcher = replacement;
}

void onDownloadClicked()
{
    platform::openWebAddress(downloadPageAddress);
}
