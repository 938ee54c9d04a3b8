// Quote requests: the texts each table sends and how a stored own-stock item names a reply row.
#include "quotes/QuoteRequest.h"

#include "core/DataSet.h"
#include "core/TextHelpers.h"
#include "server/DataSetWriter.h"

#include <gtest/gtest.h>

#include <string>

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

TEST(QuoteCodes, AStoredItemNamesItsRowExactlyInEitherMarketFormOrAsTheBeginningOfItsKey)
{
    EXPECT_STREQ(FormatCodeMarket("399001", 1, 0).GetText(), "399001.1");
    EXPECT_STREQ(FormatCodeMarket("399001", 1, 1).GetText(), "399001.01");
    struct Case {
        const char* item;
        const char* code;
        int market;
        int match;
    };
    const Case cases[] = {
        {"399001.01", "399001", 1, MATCH_EXACT}, {"399001.1", "399001", 1, MATCH_EXACT},
        {"hk0700.03", "HK0700", 3, MATCH_EXACT}, {"399001.02", "399001", 1, MATCH_NONE},
        {"399001", "399001", 3, MATCH_PREFIX},   {"600", "600000", 1, MATCH_PREFIX},
        {"600000.0", "600000", 1, MATCH_NONE},   {"hk07", "HK0700", 3, MATCH_NONE}, // a bare code is matched with case
        {"39900", "399001", 1, MATCH_PREFIX},    {"3990011", "399001", 1, MATCH_NONE},
        {"", "399001", 1, MATCH_NONE},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MatchesCodeMarket(c.item, c.code, c.market), c.match) << c.item << " " << c.code;
}
