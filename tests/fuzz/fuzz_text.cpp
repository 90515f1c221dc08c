// Fuzzes the number and search helpers against plain reference versions.
#include "text/text.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

// textToInt as a user would explain it: fold the full-width forms first,
// then read the number with 64-bit arithmetic and keep the low 32 bits.
std::int32_t referenceTextToInt(const std::string& raw)
{
    std::string text;
    for (std::size_t i = 0; i < raw.size(); ++i) {
        const auto lead = static_cast<unsigned char>(raw[i]);
        if (i + 1 < raw.size()) {
            const auto trail = static_cast<unsigned char>(raw[i + 1]);
            if (lead == 0xA3 && trail >= 0xA1 && trail <= 0xFE) {
                text.push_back(static_cast<char>(trail - 0x80));
                ++i;
                continue;
            }
            if (lead == 0xA1 && trail == 0xA1) {
                text.push_back(' ');
                ++i;
                continue;
            }
        }
        text.push_back(raw[i]);
    }
    std::size_t at = 0;
    while (at < text.size() && (text[at] == ' ' || (text[at] >= '\t' && text[at] <= '\r')))
        ++at;
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-'))
        negative = text[at++] == '-';
    std::uint64_t value = 0;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at)
        value = value * 10 + static_cast<std::uint64_t>(text[at] - '0'); // wraps mod 2^64: low bits stay right
    auto low = static_cast<std::uint32_t>(value);
    if (negative)
        low = ~low + 1u;
    return static_cast<std::int32_t>(low);
}

std::int32_t referenceFindText(const std::string& haystack, const std::string& needle)
{
    if (haystack.empty() || needle.empty())
        return -1;
    for (std::size_t at = 0; at + needle.size() <= haystack.size(); ++at)
        if (haystack.compare(at, needle.size(), needle) == 0)
            return static_cast<std::int32_t>(at + 1);
    return -1;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string input(reinterpret_cast<const char*>(data), size);

    if (textToInt(input) != referenceTextToInt(input))
        std::abort();
    const auto whole = textToWhole(input);
    const auto wrapped = textToInt(input);
    // Where the whole value fits 32 bits, both readings agree.
    if (whole >= INT32_MIN && whole <= INT32_MAX && whole != INT64_MAX && whole != -INT64_MAX && whole != wrapped)
        std::abort();

    // The first byte splits the rest into haystack and needle.
    if (size > 0) {
        const std::size_t cut = data[0] % size;
        const std::string haystack = input.substr(1, cut);
        const std::string needle = input.substr(1 + cut);
        if (findText(haystack, needle) != referenceFindText(haystack, needle))
            std::abort();
        const auto n = static_cast<std::int32_t>(static_cast<std::int8_t>(data[0]));
        const Text dropped = dropLeft(haystack, n);
        const std::size_t expected = n <= 0 ? haystack.size() : (static_cast<std::size_t>(n) >= haystack.size() ? 0 : haystack.size() - static_cast<std::size_t>(n));
        if (dropped.size() != expected || haystack.compare(haystack.size() - dropped.size(), dropped.size(), dropped) != 0)
            std::abort();
    }

    // Splitting and joining again gives the text back.
    const auto parts = splitText(input, "+");
    std::string joined;
    for (std::size_t i = 0; i < parts.size(); ++i)
        joined += (i ? "+" : "") + parts[i];
    if (joined != input)
        std::abort();
    return 0;
}
