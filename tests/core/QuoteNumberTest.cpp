// Packed quote numbers as the server sends them, and what the quote screens compute and print from them.
#include "core/QuoteNumber.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

TEST(QuoteNumber, DecodesScaleFromTheTwoLowBits)
{
    CQuoteNumber a = CQuoteNumber::FromPacked(12345);
    EXPECT_EQ(a.GetScale(), 1);
    EXPECT_DOUBLE_EQ(a.GetValue(), 308.6);
    EXPECT_STREQ(a.Format(), "308.6");

    CQuoteNumber b = CQuoteNumber::FromPacked(-5); // negative remainders wrap into 0..3
    EXPECT_EQ(b.GetScale(), 3);
    EXPECT_DOUBLE_EQ(b.GetValue(), -0.002);
    EXPECT_STREQ(b.Format(), "-0.002");

    CQuoteNumber c = CQuoteNumber::FromPacked(40000);
    EXPECT_EQ(c.GetScale(), 0);
    EXPECT_DOUBLE_EQ(c.GetValue(), 10000.0);
    EXPECT_STREQ(c.Format(), "10000"); // no decimal point at scale 0

    CQuoteNumber zero = CQuoteNumber::FromPacked(0);
    EXPECT_EQ(zero.GetScale(), 0);
    EXPECT_EQ(zero.GetValue(), 0.0);
}

TEST(QuoteNumber, ExtremePackedValuesDecodeWithoutOverflow)
{
    CQuoteNumber lo = CQuoteNumber::FromPacked(INT_MIN);
    EXPECT_EQ(lo.GetScale(), 0);
    EXPECT_DOUBLE_EQ(lo.GetValue(), INT_MIN / 4);
    CQuoteNumber lo1 = CQuoteNumber::FromPacked(INT_MIN + 1);
    EXPECT_EQ(lo1.GetScale(), 1);
    EXPECT_DOUBLE_EQ(lo1.GetValue(), (INT_MIN / 4) / 10.0);
    CQuoteNumber hi = CQuoteNumber::FromPacked(INT_MAX);
    EXPECT_EQ(hi.GetScale(), 3);
    EXPECT_DOUBLE_EQ(hi.GetValue(), ((INT_MAX - 3) / 4) / 1000.0);
}

TEST(QuoteNumber, ReservedValueMeansNoValueAndStillComputes)
{
    CQuoteNumber n = CQuoteNumber::FromPacked(999999999);
    EXPECT_TRUE(n.IsNull());
    EXPECT_EQ(n.GetScale(), 0);
    EXPECT_STREQ(n.Format(), "999999999");
    // Callers test IsNull first: arithmetic treats it as the plain number.
    EXPECT_DOUBLE_EQ((n + 1).GetValue(), 1000000000.0);
    EXPECT_FALSE(CQuoteNumber::FromPacked(999999998).IsNull());
}

TEST(QuoteNumber, FormatsWithScaleDecimalsAndPrintfRounding)
{
    EXPECT_STREQ(CQuoteNumber(12345, 3).Format(), "12.345");
    EXPECT_STREQ(CQuoteNumber(-7, 2).Format(), "-0.07");
    CQuoteNumber third = CQuoteNumber(1, 0) / CQuoteNumber(3, 0); // scale of the left number
    EXPECT_STREQ(third.Format(), "0");
    CQuoteNumber twoThirds = CQuoteNumber(2000, 3) / 3;
    EXPECT_STREQ(twoThirds.Format(), "0.667");
}

TEST(QuoteNumber, UnitFollowsScaleOneAndTwoOnly)
{
    CQuoteNumber wan = CQuoteNumber::FromPacked(1234 * 4 * 10 + 1); // 1234.0 in 万, scale 1
    EXPECT_STREQ(wan.FormatWithUnit(), "1234.0\xcd\xf2");
    EXPECT_DOUBLE_EQ(wan.ToFull(), 12340000.0);

    CQuoteNumber yi = CQuoteNumber::FromPacked(356 * 4 + 2); // 3.56 亿
    EXPECT_STREQ(yi.FormatWithUnit(), "3.56\xd2\xda");
    EXPECT_DOUBLE_EQ(yi.ToFull(), 356000000.0);

    CQuoteNumber plain3 = CQuoteNumber::FromPacked(7 * 4 + 3);
    EXPECT_STREQ(plain3.FormatWithUnit(), "0.007");
    EXPECT_DOUBLE_EQ(plain3.ToFull(), 0.007);
    CQuoteNumber plain0 = CQuoteNumber::FromPacked(7 * 4);
    EXPECT_STREQ(plain0.FormatWithUnit(), "7");
}

TEST(QuoteNumber, HugeResultsFormatWithinTheTextBuffer)
{
    CQuoteNumber big(1000000, 6);
    big *= CQuoteNumber(INT_MAX, 0);
    big *= CQuoteNumber(INT_MAX, 0);
    big *= CQuoteNumber(INT_MAX, 0);
    const char* t = big.FormatWithUnit();
    EXPECT_LT(strlen(t), 36u);
    CQuoteNumber inf = CQuoteNumber(1, 1) / 0; // the int form follows floating-point rules
    EXPECT_TRUE(std::isinf(inf.GetValue()));
    EXPECT_STREQ(inf.FormatWithUnit(), "inf\xcd\xf2");
}

TEST(QuoteNumber, ScaleOutsideTheTableIsClamped)
{
    CQuoteNumber tooBig(1234567, 9);
    EXPECT_EQ(tooBig.GetScale(), 6);
    EXPECT_DOUBLE_EQ(tooBig.GetValue(), 1.234567);
    EXPECT_STREQ(tooBig.Format(), "1.234567");
    CQuoteNumber negative(42, -3);
    EXPECT_EQ(negative.GetScale(), 0);
    EXPECT_DOUBLE_EQ(negative.GetValue(), 42.0);
}

TEST(QuoteNumber, ComparisonIgnoresScale)
{
    CQuoteNumber a(15, 1), b(150, 2), c(151, 2);
    EXPECT_TRUE(a == b);
    EXPECT_FALSE(a != b);
    EXPECT_TRUE(a < c && a <= c && c > a && c >= a && a <= b && a >= b);
    EXPECT_EQ(CQuoteNumber::Max(a, c).GetScale(), 2);
    EXPECT_DOUBLE_EQ(CQuoteNumber::Min(a, c).GetValue(), 1.5);
    // Ties give the second argument.
    EXPECT_EQ(CQuoteNumber::Max(a, b).GetScale(), 2);
    EXPECT_EQ(CQuoteNumber::Min(a, b).GetScale(), 2);
}

TEST(QuoteNumber, ArithmeticKeepsTheLeftScale)
{
    CQuoteNumber price(1050, 2), change(15, 1);
    CQuoteNumber sum = price + change;
    EXPECT_DOUBLE_EQ(sum.GetValue(), 12.0);
    EXPECT_EQ(sum.GetScale(), 2);
    EXPECT_EQ((change - price).GetScale(), 1);
    EXPECT_DOUBLE_EQ((change * price).GetValue(), 15.75);

    CQuoteNumber percent = change * 100 / price; // change percent as the detailed quote computes it
    EXPECT_EQ(percent.GetScale(), 1);
    EXPECT_NEAR(percent.GetValue(), 14.2857, 1e-4);

    CQuoteNumber left = 10 - price; // int on the left takes the number's scale
    EXPECT_DOUBLE_EQ(left.GetValue(), -0.5);
    EXPECT_EQ(left.GetScale(), 2);
    EXPECT_DOUBLE_EQ((3 * change).GetValue(), 4.5);
    EXPECT_DOUBLE_EQ((3 + change).GetValue(), 4.5);
    EXPECT_DOUBLE_EQ((3 / change).GetValue(), 2.0);

    CQuoteNumber neg = CQuoteNumber::FromPacked(-5).Abs();
    EXPECT_DOUBLE_EQ(neg.GetValue(), 0.002);
    EXPECT_EQ(neg.GetScale(), 3);
}

TEST(QuoteNumber, DivisionByZeroNumberKeepsTheDividend)
{
    CQuoteNumber a(1234, 2);
    CQuoteNumber r = a / CQuoteNumber::Zero();
    EXPECT_DOUBLE_EQ(r.GetValue(), 12.34);
    a /= CQuoteNumber(0, 3);
    EXPECT_DOUBLE_EQ(a.GetValue(), 12.34);
}

TEST(QuoteNumber, CopiesCarryValueAndScaleButNotText)
{
    CQuoteNumber a(12345, 2);
    a.Format();
    CQuoteNumber b(a);
    CQuoteNumber c;
    c = a;
    EXPECT_EQ(b.GetScale(), 2);
    EXPECT_TRUE(b == a && c == a);
    EXPECT_STREQ(c.Format(), "123.45");
}

TEST(QuoteNumber, FormatRoundsExactlyAsPrintfDoes)
{
    // Decoded values, halves (0.125 at two decimals rounds to even under printf), binary near-halves
    // (2.675 is stored just below), negative zero and results of arithmetic.
    std::vector<CQuoteNumber> numbers = {CQuoteNumber(125, 3),    CQuoteNumber(2675, 3),    CQuoteNumber(-5, 1),
                                         CQuoteNumber(0, 0) * -1, CQuoteNumber(INT_MAX, 0), CQuoteNumber(INT_MIN, 0),
                                         CQuoteNumber(1, 0) / 3,  CQuoteNumber(2, 0) / 3,   CQuoteNumber(-2, 0) / 3};
    uint32_t x = 12345;
    for (int k = 0; k < 20000; ++k) {
        x = x * 1103515245u + 12345u;
        numbers.push_back(CQuoteNumber::FromPacked((int)x));
        numbers.push_back(CQuoteNumber::FromPacked((int)(x % 100000)) / CQuoteNumber((int)(x >> 20) % 977 + 1, 1));
    }
    char expected[400];
    for (CQuoteNumber& n : numbers) {
        for (int scale = 0; scale <= 6; ++scale) {
            CQuoteNumber at(0, scale);
            at += n; // the left scale stays
            snprintf(expected, 36, "%.*f", scale, at.GetValue());
            ASSERT_STREQ(at.Format(), expected) << n.GetValue() << " at scale " << scale;
        }
    }
}

namespace {

// The formatter packed numbers went through before they were formatted with integers: decode to a double, then
// printf's fixed notation with the scale's decimals and the unit after it. The reference for FormatPacked.
std::string FormatThroughDouble(int x, bool withUnit)
{
    CQuoteNumber q = CQuoteNumber::FromPacked(x);
    char text[64];
    snprintf(text, sizeof text, "%.*f", q.GetScale(), q.GetValue());
    std::string s = text;
    if (withUnit && q.GetScale() == 1)
        s += "\xcd\xf2"; // 万
    if (withUnit && q.GetScale() == 2)
        s += "\xd2\xda"; // 亿
    return s;
}

} // namespace

TEST(QuoteNumber, PackedNumbersFormatWithIntegersExactlyAsThroughADouble)
{
    std::vector<int> packed = {0,
                               1,
                               2,
                               3,
                               -1,
                               -2,
                               -3,
                               -4,
                               -5,
                               4,
                               12345,
                               40000,
                               CQuoteNumber::NULL_PACKED,
                               CQuoteNumber::NULL_PACKED - 1,
                               CQuoteNumber::NULL_PACKED + 1,
                               INT_MAX,
                               INT_MIN,
                               INT_MIN + 1,
                               INT_MIN + 2,
                               INT_MIN + 3,
                               INT_MAX - 1,
                               INT_MAX - 2,
                               INT_MAX - 3};
    uint64_t x = 88172645463325252ull; // xorshift: 2 million values over the whole int32 range
    for (int k = 0; k < 2000000; ++k) {
        x ^= x << 13;
        x ^= x >> 7;
        x ^= x << 17;
        // Every other one small, as most prices and changes are.
        packed.push_back(k % 2 ? (int)(uint32_t)x : (int)(x % 2000001) - 1000000);
    }
    char text[36];
    for (int value : packed) {
        for (bool unit : {false, true}) {
            std::string expected = FormatThroughDouble(value, unit);
            size_t n = CQuoteNumber::FormatPacked(value, text, sizeof text, unit);
            ASSERT_EQ(std::string(text, n), expected) << value;
            ASSERT_EQ(strlen(text), n);
        }
    }
    // FormatInto of the decoded number agrees too.
    for (int value : {12345, -5, 999999999, INT_MIN}) {
        CQuoteNumber q = CQuoteNumber::FromPacked(value);
        EXPECT_EQ(std::string(q.Format()), FormatThroughDouble(value, false));
        EXPECT_EQ(std::string(q.FormatWithUnit()), FormatThroughDouble(value, true));
    }
}
