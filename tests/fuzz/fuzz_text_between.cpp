// Fuzzes textBetween, and the update-file rule built on it, against a plain
// reference that marks where characters begin and then compares bytes.
#include "text/text.h"
#include "update/update.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

char folded(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// The sought text cut into its characters; the same cut laid over the
// source window. Only one-byte characters (ASCII) fold.
bool sameCharacters(const std::string& window, const std::string& sought, bool ignoreCase)
{
    for (std::size_t i = 0; i < sought.size();) {
        const std::size_t width = static_cast<unsigned char>(sought[i]) >= 0x80 ? 2 : 1;
        const std::string a = window.substr(i, width);
        const std::string b = sought.substr(i, width);
        if (width == 1 && ignoreCase ? folded(a[0]) != folded(b[0]) : a != b)
            return false;
        i += width;
    }
    return true;
}

std::string withQuotes(std::string marker)
{
    const std::string code = "#引号";
    for (auto at = marker.find(code); at != std::string::npos; at = marker.find(code, at + 1))
        marker.replace(at, code.size(), "\"");
    return marker;
}

// Index of the first match at or after from among the character starts.
long referenceFind(const std::string& source, const std::string& sought, std::size_t from, bool ignoreCase)
{
    if (sought.empty())
        return -1;
    std::vector<bool> starts(source.size() + 2, false);
    for (std::size_t at = from; at < source.size(); at += static_cast<unsigned char>(source[at]) >= 0x80 ? 2 : 1)
        starts[at] = true;
    for (std::size_t at = from; at + sought.size() <= source.size(); ++at)
        if (starts[at] && sameCharacters(source.substr(at, sought.size()), sought, ignoreCase))
            return static_cast<long>(at);
    return -1;
}

std::string referenceBetween(const std::string& source, const std::string& left, const std::string& right,
                             int start, bool ignoreCase)
{
    const std::string l = withQuotes(left);
    const std::string r = withQuotes(right);
    const std::size_t from = start < 1 ? 0 : static_cast<std::size_t>(start - 1);
    const long i = referenceFind(source, l, from, ignoreCase);
    if (i < 0)
        return {};
    const std::size_t j = static_cast<std::size_t>(i) + l.size();
    const long k = referenceFind(source, r, j, ignoreCase);
    if (k < 0)
        return {};
    return source.substr(j, static_cast<std::size_t>(k) - j);
}

const std::string markers[] = {"最新版本【", "】", "#引号", "\"", "a", "Ab"};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 4)
        return 0;
    const bool ignoreCase = data[0] & 1;
    const int start = static_cast<std::int8_t>(data[1]);
    const std::string rest(reinterpret_cast<const char*>(data + 4), size - 4);
    const std::size_t cut1 = rest.empty() ? 0 : data[2] % (rest.size() + 1);
    const std::size_t cut2 = rest.empty() ? 0 : cut1 + data[3] % (rest.size() - cut1 + 1);

    // Markers from the input, or the real ones.
    std::string source = rest.substr(cut2);
    std::string left = (data[0] & 2) ? markers[(data[0] >> 2) % 6] : rest.substr(0, cut1);
    std::string right = (data[0] & 0x20) ? markers[(data[0] >> 6) % 6] : rest.substr(cut1, cut2 - cut1);

    if (textBetween(source, left, right, start, ignoreCase) != referenceBetween(source, left, right, start, ignoreCase))
        std::abort();

    // The update-file rule: the raw bytes, cut at the first zero byte, keep
    // the full window only when the version is exactly the built-in one.
    const Bytes raw(data + 4, data + size);
    const Text page = bytesToText(raw);
    const Text version = versionInUpdateFile(page);
    const std::string beforeZero(rest.c_str());
    if ((version == "20200915") != (referenceBetween(beforeZero, "最新版本【", "】", 0, false) == "20200915"))
        std::abort();
    return 0;
}
