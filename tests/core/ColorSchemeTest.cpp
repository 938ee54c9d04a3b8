// Colours by index, the price colour and the sign of list texts.
#include "core/ColorScheme.h"

#include <gtest/gtest.h>

TEST(ColorScheme, DefaultSchemeHoldsTheMarketColoursAndNothingPastItsEnd)
{
    CDefaultColorScheme scheme;
    EXPECT_EQ(scheme.GetColor(15), RGB(255, 38, 38));
    EXPECT_EQ(scheme.GetColor(16), RGB(23, 255, 23));
    EXPECT_EQ(scheme.GetColor(12), RGB(151, 0, 0));
    EXPECT_EQ(scheme.GetColor(35), RGB(123, 0, 247));
    EXPECT_EQ(scheme.GetColor(42), RGB(23, 23, 255));
    EXPECT_EQ(scheme.GetColor(13), 0u);
    EXPECT_EQ(scheme.GetColor(44), 0u);
    EXPECT_EQ(scheme.GetColor(45), 0u);
    EXPECT_EQ(scheme.GetColor(-1), 0u);
    CColorScheme blank;
    EXPECT_EQ(blank.GetColor(15), 0u);
}

TEST(ColorScheme, PriceColourComparesValuesNotScales)
{
    CDefaultColorScheme scheme;
    CQuoteNumber close(1000, 2); // 10.00
    CQuoteNumber same(10000, 3); // 10.000
    CQuoteNumber higher(1001, 2);
    CQuoteNumber lower(999, 2);
    EXPECT_EQ(scheme.ChartPriceColor(close, same), scheme.GetColor(17));
    EXPECT_EQ(scheme.ChartPriceColor(close, higher), scheme.GetColor(15));
    EXPECT_EQ(scheme.ChartPriceColor(close, lower), scheme.GetColor(16));
}

TEST(ColorScheme, SignOfListTexts)
{
    EXPECT_EQ(GetSignOfText("0.00"), 0);
    EXPECT_EQ(GetSignOfText("0.01"), 1);
    EXPECT_EQ(GetSignOfText("-0.00"), -1);
    EXPECT_EQ(GetSignOfText(""), 0);
    EXPECT_EQ(GetSignOfText(nullptr), 0);
    EXPECT_EQ(GetSignOfText("\xc2\xf2\xc8\xeb"), 1);  // 买入
    EXPECT_EQ(GetSignOfText("\xc2\xf4\xb3\xf6"), -1); // 卖出
    EXPECT_EQ(GetSignOfText("abc"), 0);
    // The trail byte of one character and the lead byte of the next are no "买".
    EXPECT_EQ(GetSignOfText("\xb0\xc2\xf2\x41"), 0);
}
