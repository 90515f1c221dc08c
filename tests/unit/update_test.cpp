// textBetween and the rules of the update file, without the network.
#include "update/update.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <ostream>

namespace {

struct BetweenCase {
    const char* what;
    Text source, left, right;
    std::int32_t start;
    bool ignoreCase;
    Text expected;
};

void PrintTo(const BetweenCase& c, std::ostream* out)
{
    *out << c.what;
}

class TextBetweenTest : public testing::TestWithParam<BetweenCase> {};

TEST_P(TextBetweenTest, ReturnsThePartBetweenTheMarkers)
{
    const BetweenCase& c = GetParam();
    const Text source = c.source;
    EXPECT_EQ(textBetween(c.source, c.left, c.right, c.start, c.ignoreCase), c.expected);
    EXPECT_EQ(c.source, source);
}

constexpr std::int32_t Min = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t Max = std::numeric_limits<std::int32_t>::max();

// "丂" is the two bytes 81 40 ('@'), "乤" is 81 61 ('a'), "丄" is 81 41 ('A').
INSTANTIATE_TEST_SUITE_P(
    Cases, TextBetweenTest,
    testing::Values(
        BetweenCase{"plain", "a[b]c", "[", "]", 0, false, "b"},
        BetweenCase{"nothing between", "a[]c", "[", "]", 0, false, ""},
        BetweenCase{"left missing", "abc]", "[", "]", 0, false, ""},
        BetweenCase{"right missing", "a[bc", "[", "]", 0, false, ""},
        BetweenCase{"right only before left", "]a[bc", "[", "]", 0, false, ""},
        BetweenCase{"first left counts", "[x][y]", "[", "]", 0, false, "x"},
        BetweenCase{"right searched after left", "<<a>>", "<<", ">>", 0, false, "a"},
        BetweenCase{"markers overlap", "aaa", "aa", "a", 0, false, ""},
        BetweenCase{"same marker twice", "x|one|two|", "|", "|", 1, false, "one"},
        BetweenCase{"empty source", "", "[", "]", 0, false, ""},
        BetweenCase{"empty left", "a[b]", "", "]", 0, false, ""},
        BetweenCase{"empty right", "a[b]", "[", "", 0, false, ""},
        BetweenCase{"both quote markers", "say \"hi\" and \"bye\"", "#引号", "#引号", 0, false, "hi"},
        BetweenCase{"quote marker inside longer marker", "id=\"7\";", "id=#引号", "#引号;", 0, false, "7"},
        BetweenCase{"start 1 is the first byte", "[a][b]", "[", "]", 1, false, "a"},
        BetweenCase{"start 0", "[a][b]", "[", "]", 0, false, "a"},
        BetweenCase{"start negative", "[a][b]", "[", "]", -5, false, "a"},
        BetweenCase{"start smallest", "[a][b]", "[", "]", Min, false, "a"},
        BetweenCase{"start skips the first left", "[a][b]", "[", "]", 2, false, "b"},
        BetweenCase{"start at the last left", "[a][b]", "[", "]", 4, false, "b"},
        BetweenCase{"start past the end", "[a][b]", "[", "]", 7, false, ""},
        BetweenCase{"start largest", "[a][b]", "[", "]", Max, false, ""},
        BetweenCase{"case kept", "<B>x</B>", "<b>", "</b>", 0, false, ""},
        BetweenCase{"case folded", "<B>x</b>", "<b>", "</B>", 0, true, "x"},
        BetweenCase{"folding keeps the text", "KEY=VaLuE;", "key=", ";", 0, true, "VaLuE"},
        BetweenCase{"no folding beyond ASCII", "Ａ1Ｂ", "ａ", "ｂ", 0, true, ""},
        // The second byte of a two-byte character is no letter, even where
        // its value is one.
        BetweenCase{"second byte not folded", "丄x]乤y]", "乤", "]", 0, true, "y"},
        // A match is tried only where a character begins.
        BetweenCase{"second byte is no marker", "丂ab@cd@", "@", "@", 0, false, "cd"},
        BetweenCase{"right marker inside a character", "[ab丂]", "[", "@", 0, false, ""},
        BetweenCase{"after a character", "丂@x@", "@", "@", 0, false, "x"},
        // The search begins at the byte given, even a second byte.
        BetweenCase{"start on a second byte", "丂@x@", "@", "@", 2, false, ""},
        BetweenCase{"lead byte last", "[a]\x81", "[", "]", 0, false, "a"},
        BetweenCase{"left longer than source", "ab", "abc", "c", 0, false, "" }));

// The update file's rules: only the text between "最新版本【" and the next
// "】" counts, compared byte for byte with the built-in version.
struct FileCase {
    const char* what;
    Bytes file;
    bool current;
};

void PrintTo(const FileCase& c, std::ostream* out)
{
    *out << c.what;
}

Bytes bytes(std::string_view text)
{
    return Bytes(text.begin(), text.end());
}

Bytes operator+(Bytes a, const Bytes& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// The markers as UTF-8 bytes: the same characters, other bytes.
const Bytes utf8Left{0xE6, 0x9C, 0x80, 0xE6, 0x96, 0xB0, 0xE7, 0x89, 0x88, 0xE6, 0x9C, 0xAC, 0xE3, 0x80, 0x90};
const Bytes utf8Right{0xE3, 0x80, 0x91};

class UpdateFileTest : public testing::TestWithParam<FileCase> {};

TEST_P(UpdateFileTest, NamesTheCurrentVersionOnlyWhenItHoldsItExactly)
{
    const FileCase& c = GetParam();
    EXPECT_EQ(versionInUpdateFile(bytesToText(c.file)) == "20200915", c.current);
}

// Bytes B0 D7 and then "最新版本【" less its first byte: a byte-wise search
// would find a left marker starting on the second byte of that character.
const Bytes falseLeft = Bytes{0xB0, 0xD7} + bytes(Text("最新版本【").substr(1)) + bytes("20200916】");

INSTANTIATE_TEST_SUITE_P(
    Cases, UpdateFileTest,
    testing::Values(
        FileCase{"current", bytes("最新版本【20200915】"), true},
        FileCase{"current among other text", bytes("Tavrelle\r\n最新版本【20200915】\r\n说明"), true},
        FileCase{"last digit higher", bytes("最新版本【20200916】"), false},
        FileCase{"last digit lower", bytes("最新版本【20200914】"), false},
        FileCase{"older year", bytes("最新版本【20190915】"), false},
        FileCase{"empty file", {}, false},
        FileCase{"error page", bytes("<html><h1>404 Not Found</h1></html>"), false},
        FileCase{"left without right", bytes("最新版本【20200915"), false},
        FileCase{"right only before left", bytes("】最新版本【20200915"), false},
        FileCase{"space before", bytes("最新版本【 20200915】"), false},
        FileCase{"space after", bytes("最新版本【20200915 】"), false},
        FileCase{"line break inside", bytes("最新版本【20200915\r\n】"), false},
        FileCase{"full-width digits", bytes("最新版本【２０２００９１５】"), false},
        FileCase{"file in UTF-8", utf8Left + bytes("20200915") + utf8Right, false},
        FileCase{"zero byte before the right marker", bytes("最新版本【20200915") + Bytes{0} + bytes("】"), false},
        FileCase{"zero byte before the left marker", bytes("x") + Bytes{0} + bytes("最新版本【20200915】"), false},
        FileCase{"zero byte after the right marker", bytes("最新版本【20200915】") + Bytes{0} + bytes("x"), true},
        FileCase{"first left counts", bytes("最新版本【20200915】最新版本【20200916】"), true},
        FileCase{"first left counts, stale", bytes("最新版本【20200916】最新版本【20200915】"), false},
        FileCase{"left marker inside a character", falseLeft + bytes("最新版本【20200915】"), true},
        FileCase{"right marker inside a character", bytes("最新版本【20200915") + Bytes{0xB0, 0xA1, 0xBF, 0xA1} + bytes("】"),
                 false}));

} // namespace
