#include "text/text.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <ostream>

namespace {

struct IntCase {
    const char* text;
    std::int32_t value;
};

void PrintTo(const IntCase& c, std::ostream* out)
{
    *out << '"' << c.text << '"';
}

class TextToIntTest : public testing::TestWithParam<IntCase> {};

TEST_P(TextToIntTest, ReadsAsTheProgramReadsNumbers)
{
    EXPECT_EQ(textToInt(GetParam().text), GetParam().value) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(Cases, TextToIntTest,
                         testing::Values(IntCase{"100", 100}, IntCase{"", 0}, IntCase{"abc", 0},
                                         IntCase{"12abc", 12}, IntCase{"  7", 7}, IntCase{"\t\n\v\f\r 8", 8},
                                         IntCase{"-3", -3}, IntCase{"+5", 5}, IntCase{"+-5", 0},
                                         IntCase{"- 5", 0}, IntCase{"0042", 42},
                                         IntCase{"１２", 12},          // full-width digits
                                         IntCase{"　－１２", -12},     // full-width space and sign
                                         IntCase{"1２3", 123},         // mixed widths
                                         IntCase{"2147483647", 2147483647},
                                         IntCase{"2147483648", std::numeric_limits<std::int32_t>::min()},
                                         IntCase{"-2147483648", std::numeric_limits<std::int32_t>::min()},
                                         IntCase{"4294967297", 1},     // wraps modulo 2^32
                                         IntCase{"99999999999", 1215752191},
                                         IntCase{"已中桨", 0}));

TEST(IntToText, WritesPlainDecimalDigits)
{
    EXPECT_EQ(intToText(0), "0");
    EXPECT_EQ(intToText(57), "57");
    EXPECT_EQ(intToText(-8), "-8");
    EXPECT_EQ(intToText(std::numeric_limits<std::int32_t>::min()), "-2147483648");
}

TEST(RealToText, UsesThirteenSignificantDigits)
{
    EXPECT_EQ(realToText(0.0), "0");
    EXPECT_EQ(realToText(5000000.0), "5000000");
    EXPECT_EQ(realToText(2.5), "2.5");
    EXPECT_EQ(realToText(9999999999999.0), "9999999999999");
    EXPECT_EQ(realToText(12345678901234.0), "1.234567890123e+13");
    // Past 10^13 the tallies stay plain digits.
    EXPECT_EQ(wholeToText(12345678901234.0), "12345678901234");
    EXPECT_EQ(wholeToText(5000210.0), "5000210");
}

TEST(WholeToText, WritesWhatThirteenSignificantDigitsWriteBelowTenToTheThirteen)
{
    for (const double value : {0.0, -0.0, 1.0, -5.0, 2.5, 5000210.0, 9999999999999.0, -9999999999999.0})
        EXPECT_EQ(wholeToText(value), realToText(value)) << value;
}

TEST(TextToWhole, ReadsPastThe32BitRange)
{
    EXPECT_EQ(textToWhole("2147483648"), 2147483648LL);
    EXPECT_EQ(textToWhole("１２"), 12);
    EXPECT_EQ(textToWhole("99999999999999999999999"), std::numeric_limits<std::int64_t>::max());
}

TEST(FindText, GivesOneBasedBytePositions)
{
    EXPECT_EQ(findText("·1·15·", "·15·"), 4);
    EXPECT_EQ(findText("·1·15·", "·5·"), -1);
    EXPECT_EQ(findText("", "x"), -1);
    EXPECT_EQ(findText("x", ""), -1);
}

TEST(DropLeft, DropsBytes)
{
    EXPECT_EQ(dropLeft("已中桨210", 6), "210");
    EXPECT_EQ(dropLeft("已中桨", 6), "");
    EXPECT_EQ(dropLeft("", 6), "");
    EXPECT_EQ(dropLeft("abc", 0), "abc");
}

TEST(SplitText, KeepsEveryField)
{
    EXPECT_EQ(splitText("2+4+5+15+31+32+1", "+").size(), 7u);
    EXPECT_EQ(splitText("", "+"), std::vector<Text>{""});
    EXPECT_EQ(splitText("a++b", "+"), (std::vector<Text>{"a", "", "b"}));
}

TEST(BytesToText, StopsAtTheFirstZeroByte)
{
    EXPECT_EQ(bytesToText(Bytes{'a', 'b', 0, 'c'}), "ab");
    EXPECT_EQ(bytesToText(Bytes{}), "");
    EXPECT_EQ(bytesToText(Bytes{'a', 'b'}), "ab");
}

} // namespace
