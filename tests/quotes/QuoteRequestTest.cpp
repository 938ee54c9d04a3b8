// Quote requests: the texts each table sends, the column lists that name the reply's columns, code forms, and
// the latest-price cell.
#include "quotes/QuoteRequest.h"

#include "core/ColorScheme.h"
#include "core/DataSet.h"
#include "core/TextHelpers.h"
#include "server/DataSetWriter.h"

#include <gtest/gtest.h>

#include <string>

TEST(QuoteFields, ColumnsAreFoundByTheirPlaceInTheRequestsOwnList)
{
    EXPECT_EQ(FieldColumn(STANDARD_ROW_FIELDS, QF_NAME), ROW_NAME);
    EXPECT_EQ(FieldColumn(STANDARD_ROW_FIELDS, QF_LATEST), ROW_LATEST);
    EXPECT_EQ(FieldColumn(STANDARD_ROW_FIELDS, QF_OPEN), ROW_OPEN);
    EXPECT_EQ(FieldColumn(STANDARD_ROW_FIELDS, QF_PREV_CLOSE), ROW_PREV_CLOSE);
    EXPECT_EQ(FieldColumn(STANDARD_ROW_FIELDS, QF_MARKET), ROW_MARKET);
    EXPECT_EQ(FieldColumn("16|4", QF_LATEST), 0);
    EXPECT_EQ(FieldColumn("16|4", QF_NAME), 1);
    // 1 is not found inside 11 or 16, nor a field that is not listed.
    EXPECT_EQ(FieldColumn("11|16", QF_MARKET), -1);
    EXPECT_EQ(FieldColumn(nullptr, 1), -1);
    EXPECT_EQ(FieldCount(STANDARD_ROW_FIELDS), 8);
    EXPECT_EQ(FieldCount(DETAIL_QUOTE_FIELDS), 34);
    EXPECT_EQ(FieldCount(DOMESTIC_INDEX_FIELDS), 12);
    EXPECT_EQ(FieldCount(""), 0);
    // The depth levels sit in the detail list in bid price, bid volume ... ask volume order.
    EXPECT_EQ(FieldColumn(DETAIL_QUOTE_FIELDS, QuoteBidPriceField(1)), 14);
    EXPECT_EQ(FieldColumn(DETAIL_QUOTE_FIELDS, QuoteBidVolumeField(5)), 23);
    EXPECT_EQ(FieldColumn(DETAIL_QUOTE_FIELDS, QuoteAskPriceField(1)), 24);
    EXPECT_EQ(FieldColumn(DETAIL_QUOTE_FIELDS, QuoteAskVolumeField(5)), 33);
}

TEST(QuoteRequests, TableRequestsCarryTheirParametersAndFieldLists)
{
    const char* p = "tc_mfuncno=31000&tc_sfuncno=3";
    EXPECT_STREQ(BuildRankRequest(p, "1", "A", "21", 1, 2, 10).GetText(),
                 "tc_mfuncno=31000&tc_sfuncno=3&market=1&class=A&type=21&direct=1&offset=20&count=10"
                 "&field=4|3|16|20|21|13|11|1");
    EXPECT_STREQ(BuildMyStockRequest("tc_mfuncno=31000&tc_sfuncno=4", "000001.02,399001.1").GetText(),
                 "tc_mfuncno=31000&tc_sfuncno=4&count=2&code=000001.02|399001.1&field=4|3|16|20|21|13|11|1");
    EXPECT_STREQ(BuildMyStockRequest(p, "").GetText(), "");
    EXPECT_STREQ(BuildDomesticIndexRequest("tc_mfuncno=31000&tc_sfuncno=6").GetText(),
                 "tc_mfuncno=31000&tc_sfuncno=6&field=4|16|21|20|17|18|13|11|14|15|3|1");
    EXPECT_STREQ(BuildDomesticIndexRequest("a=1&").GetText(), "a=1&field=4|16|21|20|17|18|13|11|14|15|3|1");
    EXPECT_STREQ(BuildDomesticIndexRequest("").GetText(), "");
    EXPECT_STREQ(BuildEditorListRequest(QUOTES_OF_CODES_PARAMS, "600000.01,,000001.02").GetText(),
                 "tc_mfuncno=31000&tc_sfuncno=4&count=3&code=600000.01||000001.02&field=4|3|1");
    EXPECT_STREQ(BuildCodeLookupRequest(QUOTES_OF_CODES_PARAMS, "6000").GetText(),
                 "tc_mfuncno=31000&tc_sfuncno=4&count=1&code=6000&field=4|3|1");
    EXPECT_STREQ(BuildPinyinSearchRequest("pfYh").GetText(), "type=2&pattern=PFYH");
    EXPECT_STREQ(BuildDealsRequest("600000.01", "20261207", 930, 3, 0, 11).GetText(),
                 "tc_mfuncno=31000&tc_sfuncno=9&code=600000.01&date=20261207&time=930&offset=3&direct=0&count=11");
    EXPECT_STREQ(BuildTimeShareRequest("000001.2", 0, "", "", "", 1).GetText(),
                 "tc_mfuncno=31000&tc_sfuncno=1&code=000001.2&addup=0&time=&date=&maxvol=&freq=1&close_xxld=0");
    EXPECT_STREQ(BuildKLineRequest("000001.02", "", "", 5, 0, 60, "MACD").GetText(),
                 "tc_mfuncno=31000&tc_sfuncno=2&code=000001.02&date=&time=&type=5&direct=0&count=60&techname=MACD");
}

TEST(QuoteRequests, TheDetailedQuoteSetsItsCodeWhetherOrNotThePlaceIsThere)
{
    std::string expectedTail = std::string("&field=") + DETAIL_QUOTE_FIELDS;
    EXPECT_EQ(std::string(BuildDetailQuoteRequest(QUOTES_OF_CODES_PARAMS, "600000.01").GetText()),
              "tc_mfuncno=31000&tc_sfuncno=4&code=600000.01" + expectedTail);
    EXPECT_EQ(std::string(BuildDetailQuoteRequest("tc_mfuncno=31000&code=1&tc_sfuncno=4", "399001.1").GetText()),
              "tc_mfuncno=31000&code=399001.1&tc_sfuncno=4" + expectedTail);
    EXPECT_STREQ(DetailQuoteInfo("399001.1").GetText(), "code=399001.1");
}

TEST(QuoteRequests, CodesAndTypedTextNeverAddFieldsOfTheirOwn)
{
    // A value ends at "&" when the server reads the text, so it is cut there before it goes out.
    CAString lookup = BuildCodeLookupRequest(QUOTES_OF_CODES_PARAMS, "600&count=999");
    char* count = GetParamValue(lookup.GetText(), "count");
    EXPECT_STREQ(count, "1");
    free(count);
    EXPECT_STREQ(BuildPinyinSearchRequest("ab&type=9").GetText(), "type=2&pattern=AB");
    CAString mine = BuildMyStockRequest("p=1", "600000.01,1&field=9");
    EXPECT_STREQ(mine.GetText(), "p=1&count=2&code=600000.01|1&field=4|3|16|20|21|13|11|1");
    // A page far out of range gives the largest offset rather than a wrapped negative one.
    char* offset = GetParamValue(BuildRankRequest("p=1", "1", "A", "1", 0, 0x7FFFFFFF, 100).GetText(), "offset");
    EXPECT_STREQ(offset, "2147483647");
    free(offset);
}

TEST(QuoteCodes, MarketsOfOneOrTwoDigitsNameTheSameSecurity)
{
    EXPECT_STREQ(FormatCodeMarket("399001", 1, 0).GetText(), "399001.1");
    EXPECT_STREQ(FormatCodeMarket("399001", 1, 1).GetText(), "399001.01");
    CAString code;
    int market = -1;
    SplitCodeMarket("000001.02", &code, &market);
    EXPECT_STREQ(code.GetText(), "000001");
    EXPECT_EQ(market, 2);
    SplitCodeMarket("600000", &code, &market);
    EXPECT_STREQ(code.GetText(), "600000");
    EXPECT_EQ(market, 0);
    SplitCodeMarket("600000.x", nullptr, &market);
    EXPECT_EQ(market, 0);

    EXPECT_EQ(MatchesCodeMarket("399001.01", "399001", 1), 1);
    EXPECT_EQ(MatchesCodeMarket("399001.1", "399001", 1), 1);
    EXPECT_EQ(MatchesCodeMarket("399001.02", "399001", 1), 0);
    EXPECT_EQ(MatchesCodeMarket("399001", "399001", 3), 1);
    EXPECT_EQ(MatchesCodeMarket("39900", "399001", 1), 0);
}

TEST(QuoteCells, WithoutTradingTodayTheLatestPriceIsADashInTheNameColour)
{
    CDefaultColorScheme scheme;
    COLORREF color = 0;
    CQuoteNumber prevClose = CQuoteNumber::FromPacked(PackQuote(10.00, 2));
    CQuoteNumber up = CQuoteNumber::FromPacked(PackQuote(10.50, 2));
    CQuoteNumber down = CQuoteNumber::FromPacked(PackQuote(9.50, 2));

    EXPECT_STREQ(LatestPriceCell(&scheme, CQuoteNumber::Zero(), prevClose, up, "10.50", &color), "-");
    EXPECT_EQ(color, scheme.GetColor(NAME_COLOR_INDEX));
    EXPECT_STREQ(LatestPriceCell(&scheme, prevClose, prevClose, up, "10.50", &color), "10.50");
    EXPECT_EQ(color, scheme.GetColor(COLOR_RISE));
    LatestPriceCell(&scheme, prevClose, prevClose, down, "9.50", &color);
    EXPECT_EQ(color, scheme.GetColor(COLOR_FALL));
}
