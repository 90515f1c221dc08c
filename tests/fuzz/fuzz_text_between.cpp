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

std::string lowered(std::string text)
{
    for (auto& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

std::string withQuotes(std::string marker)
{
    const std::string code = "#引号";
    for (auto at = marker.find(code); at != std::string::npos; at = marker.find(code, at + 1))
        marker.replace(at, code.size(), "\"");
    return marker;
}

// Index of the first match at or after from among the character starts.
long referenceFind(const std::string& source, const std::string& sought, std::size_t from)
{
    if (sought.empty())
        return -1;
    std::vector<bool> starts(source.size() + 2, false);
    for (std::size_t at = from; at < source.size(); at += static_cast<unsigned char>(source[at]) >= 0x80 ? 2 : 1)
        starts[at] = true;
    for (std::size_t at = from; at + sought.size() <= source.size(); ++at)
        if (starts[at] && source.compare(at, sought.size(), sought) == 0)
            return static_cast<long>(at);
    return -1;
}

std::string referenceBetween(const std::string& source, const std::string& left, const std::string& right,
                             int start, bool ignoreCase)
{
    const std::string l = withQuotes(left);
    const std::string r = withQuotes(right);
    const std::string s = ignoreCase ? lowered(source) : source;
    const std::size_t from = start < 1 ? 0 : static_cast<std::size_t>(start - 1);
    const long i = referenceFind(s, ignoreCase ? lowered(l) : l, from);
    if (i < 0)
        return {};
    const std::size_t j = static_cast<std::size_t>(i) + l.size();
    const long k = referenceFind(s, ignoreCase ? lowered(r) : r, j);
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
    const Text version = textBetween(page, "最新版本【", "】", 0, false);
    const std::string beforeZero(rest.c_str());
    if ((version == "20200915") != (referenceBetween(beforeZero, "最新版本【", "】", 0, false) == "20200915"))
        std::abort();
    return 0;
}
