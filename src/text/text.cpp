#include "text/text.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

Text intToText(std::int32_t value)
{
    char buffer[12];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
    return Text(buffer, static_cast<std::size_t>(end - buffer));
}

Text realToText(double value)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.13g", value);
    return buffer;
}

Text wholeToText(double value)
{
    // Whole numbers from 0 to below 10^13 are plain digits under "%.13g"
    // too; written directly, since every win writes two of them. (Negative
    // zero, "-0" there, takes the general way.)
    if (!std::signbit(value) && value < 1e13 && value == std::trunc(value)) {
        char buffer[24];
        const auto end = std::to_chars(buffer, buffer + sizeof buffer, static_cast<std::int64_t>(value)).ptr;
        return Text(buffer, static_cast<std::size_t>(end - buffer));
    }
    if (std::fabs(value) < 1e13)
        return realToText(value);
    char buffer[400];
    std::snprintf(buffer, sizeof buffer, "%.0f", value);
    return buffer;
}

namespace {

// Yields the text byte by byte with the full-width ASCII forms (A3 A1 to
// A3 FE) and the full-width space (A1 A1) folded to their one-byte forms.
class FoldedBytes {
public:
    explicit FoldedBytes(std::string_view text) : text_(text) {}

    bool atEnd() const { return pos_ >= text_.size(); }

    unsigned char peek() const
    {
        const auto lead = byteAt(pos_);
        if (pos_ + 1 < text_.size()) {
            const auto trail = byteAt(pos_ + 1);
            if (lead == 0xA3 && trail >= 0xA1 && trail <= 0xFE)
                return static_cast<unsigned char>(trail - 0x80);
            if (lead == 0xA1 && trail == 0xA1)
                return ' ';
        }
        return lead;
    }

    void next()
    {
        const auto lead = byteAt(pos_);
        const bool wide = pos_ + 1 < text_.size() &&
                          ((lead == 0xA3 && byteAt(pos_ + 1) >= 0xA1 && byteAt(pos_ + 1) <= 0xFE) ||
                           (lead == 0xA1 && byteAt(pos_ + 1) == 0xA1));
        pos_ += wide ? 2 : 1;
    }

private:
    unsigned char byteAt(std::size_t i) const { return static_cast<unsigned char>(text_[i]); }

    std::string_view text_;
    std::size_t pos_ = 0;
};

bool isSpace(unsigned char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

bool isDigit(unsigned char c)
{
    return c >= '0' && c <= '9';
}

// Skips white space and reads the sign; returns true for "-".
bool readSign(FoldedBytes& in)
{
    while (!in.atEnd() && isSpace(in.peek()))
        in.next();
    if (in.atEnd())
        return false;
    const auto c = in.peek();
    if (c == '+' || c == '-') {
        in.next();
        return c == '-';
    }
    return false;
}

} // namespace

std::int32_t textToInt(std::string_view text)
{
    FoldedBytes in(text);
    const bool negative = readSign(in);
    std::uint32_t value = 0; // unsigned: the wrap is defined
    for (; !in.atEnd() && isDigit(in.peek()); in.next())
        value = value * 10u + static_cast<std::uint32_t>(in.peek() - '0');
    if (negative)
        value = 0u - value;
    return static_cast<std::int32_t>(value);
}

std::int64_t textToWhole(std::string_view text)
{
    FoldedBytes in(text);
    const bool negative = readSign(in);
    constexpr auto limit = std::numeric_limits<std::int64_t>::max();
    std::int64_t value = 0;
    for (; !in.atEnd() && isDigit(in.peek()); in.next()) {
        const int digit = in.peek() - '0';
        value = value > (limit - digit) / 10 ? limit : value * 10 + digit;
    }
    return negative ? -value : value;
}

std::int32_t findText(std::string_view haystack, std::string_view needle)
{
    if (haystack.empty() || needle.empty() || needle.size() > haystack.size())
        return -1;
    // A plain scan: the judge searches short keys with a needle whose lead
    // byte recurs in them, where a library call per candidate costs more
    // than the comparison.
    const char lead = needle.front();
    const std::size_t last = haystack.size() - needle.size();
    for (std::size_t at = 0; at <= last; ++at) {
        if (haystack[at] != lead)
            continue;
        std::size_t matched = 1;
        while (matched < needle.size() && haystack[at + matched] == needle[matched])
            ++matched;
        if (matched == needle.size())
            return static_cast<std::int32_t>(at + 1);
    }
    return -1;
}

Text dropLeft(std::string_view text, std::int32_t n)
{
    const auto length = static_cast<std::int64_t>(text.size());
    if (length - n <= 0)
        return {};
    return Text(text.substr(static_cast<std::size_t>(n < 0 ? 0 : n)));
}

std::vector<Text> splitText(std::string_view text, std::string_view sep)
{
    std::vector<Text> parts;
    splitTextInto(parts, text, sep);
    return parts;
}

void splitTextInto(std::vector<Text>& parts, std::string_view text, std::string_view sep)
{
    std::size_t count = 0;
    auto put = [&](std::string_view part) { // reuses the parts already there
        if (count < parts.size())
            parts[count].assign(part);
        else
            parts.emplace_back(part);
        ++count;
    };
    std::size_t start = 0;
    if (sep.size() == 1) { // a ticket's "+": a plain scan beats a library call per part
        for (std::size_t at = 0; at < text.size(); ++at) {
            if (text[at] == sep.front()) {
                put(text.substr(start, at - start));
                start = at + 1;
            }
        }
    } else {
        for (auto at = text.find(sep); at != std::string_view::npos; at = text.find(sep, start)) {
            put(text.substr(start, at - start));
            start = at + sep.size();
        }
    }
    put(text.substr(start));
    parts.resize(count);
}

Text bytesToText(const Bytes& bytes)
{
    Text text;
    for (const auto byte : bytes) {
        if (byte == 0)
            break;
        text.push_back(static_cast<char>(byte));
    }
    return text;
}
