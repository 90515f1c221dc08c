// Byte-string helpers shared by every subsystem.
//
// Every text of the program is a string of code page 936 bytes. Source files
// are UTF-8 and are compiled with -fexec-charset=CP936, so a literal such as
// "开桨" already holds the CP936 bytes. Lengths and positions count bytes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

using Text = std::string;
using Bytes = std::vector<unsigned char>;

// Decimal digits, "-" for negatives, no padding or grouping.
Text intToText(std::int32_t value);

// "%.13g": at most 13 significant digits, no trailing zeros or point.
Text realToText(double value);

// A whole number written as plain decimal digits. Identical to realToText
// below 10^13, where "%.13g" would switch to an exponent.
Text wholeToText(double value);

// Full-width ASCII forms count as ASCII, leading white space is skipped, one
// sign, then decimal digits accumulated with 32-bit two's-complement wrap.
std::int32_t textToInt(std::string_view text);

// The same reading without the 32-bit wrap, for totals that only live in
// label texts and may grow past 2^31. Saturates at the int64 range.
std::int64_t textToWhole(std::string_view text);

// 1-based byte position of the first occurrence of needle, or -1. Plain byte
// comparison with no regard to double-byte characters; empty texts give -1.
std::int32_t findText(std::string_view haystack, std::string_view needle);

// The text without its first n bytes (empty when n covers it).
Text dropLeft(std::string_view text, std::int32_t n);

// Splits at every occurrence of sep: "a+b" gives {"a", "b"}, "" gives {""}.
std::vector<Text> splitText(std::string_view text, std::string_view sep);
// The same into an existing list, keeping its storage.
void splitTextInto(std::vector<Text>& parts, std::string_view text, std::string_view sep);

// Bytes before the first zero byte, as a text.
Text bytesToText(const Bytes& bytes);
