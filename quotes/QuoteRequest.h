// What the quote screens share about their requests: the quote function family (31000) and its sub-functions,
// the quote field numbers and the column lists that name them, the code.market form of a security, and the
// request texts of the quote tables, built here for the windows to send.
#pragma once

#include "core/AString.h"
#include "core/QuoteNumber.h"
#include "platform/win/WinTypes.h"

class CColorScheme;

constexpr int QUOTE_MFUNCNO = 31000;
enum : int {
    QUOTE_SFUNC_TIMESHARE = 1,
    QUOTE_SFUNC_KLINE = 2,
    QUOTE_SFUNC_QUOTES = 4,
    QUOTE_SFUNC_DEALS = 9,
    QUOTE_SFUNC_SEARCH = 10,
};

// Market numbers (two domestic exchanges, Hong Kong) and the security type of an index.
enum : int {
    MARKET_DOMESTIC_1 = 1,
    MARKET_DOMESTIC_2 = 2,
    MARKET_HONG_KONG = 3,
    SECURITY_TYPE_INDEX = 2,
};

// Quote field numbers: a request lists them joined by "|" and the reply's first record has one column per
// listed number, in the listed order.
enum : int {
    QF_MARKET = 1,
    QF_SECURITY_TYPE = 2,
    QF_CODE = 3,
    QF_NAME = 4,
    QF_PREV_CLOSE = 11,
    QF_OPEN = 13,
    QF_HIGH = 14,
    QF_LOW = 15,
    QF_LATEST = 16,
    QF_VOLUME = 17,
    QF_AMOUNT = 18,
    QF_CHANGE = 20,
    QF_CHANGE_PERCENT = 21,
    QF_ORDER_RATIO = 29,
    QF_VOLUME_RATIO = 30,
    QF_AVERAGE = 32,
    QF_BID_PRICE_1 = 50, // bid level n (1..5): price 50 + 2(n-1), volume one above
    QF_ASK_PRICE_1 = 70, // ask level n (1..5): price 70 + 2(n-1), volume one above
};
constexpr int QuoteBidPriceField(int level) { return QF_BID_PRICE_1 + 2 * (level - 1); }
constexpr int QuoteBidVolumeField(int level) { return QF_BID_PRICE_1 + 2 * (level - 1) + 1; }
constexpr int QuoteAskPriceField(int level) { return QF_ASK_PRICE_1 + 2 * (level - 1); }
constexpr int QuoteAskVolumeField(int level) { return QF_ASK_PRICE_1 + 2 * (level - 1) + 1; }

// Column lists.
// The quote tables' rows: name, code, latest, change, change percent, open, previous close, market.
constexpr char STANDARD_ROW_FIELDS[] = "4|3|16|20|21|13|11|1";
enum : int {
    ROW_NAME = 0,
    ROW_CODE = 1,
    ROW_LATEST = 2,
    ROW_CHANGE = 3,
    ROW_CHANGE_PERCENT = 4,
    ROW_OPEN = 5,
    ROW_PREV_CLOSE = 6,
    ROW_MARKET = 7,
};
constexpr char DOMESTIC_INDEX_FIELDS[] = "4|16|21|20|17|18|13|11|14|15|3|1";
constexpr char DETAIL_QUOTE_FIELDS[] =
    "1|2|3|4|11|13|14|15|16|17|18|32|29|30|50|51|52|53|54|55|56|57|58|59|70|71|72|73|74|75|76|77|78|79";
constexpr char STOCK_EDITOR_FIELDS[] = "4|3|1";

// The quotes-of-codes request that the detailed quote's openers and the editor start from.
constexpr char QUOTES_OF_CODES_PARAMS[] = "tc_mfuncno=31000&tc_sfuncno=4";
// Opening the detailed quote from a table: window key, title (code page 936: 详细报价), parameter text.
constexpr char DETAIL_QUOTE_KEY[] = "xxhq";
constexpr char DETAIL_QUOTE_TITLE[] = "\xcf\xea\xcf\xb8\xb1\xa8\xbc\xdb";

// Position of a field number in a column list ("4|3|16"), or -1 when it is not listed.
int FieldColumn(const char* fieldList, int field);
// Number of fields in a column list; 0 for null or "".
int FieldCount(const char* fieldList);

// Code forms. "code.market": the market in decimal, or in two digits when twoDigits is set.
CAString FormatCodeMarket(const char* code, int market, int twoDigits);
// Splits "code.market": the code before the first ".", the market read as a decimal number after it
// (0 when there is no "." or no digits). Either output may be null.
void SplitCodeMarket(const char* text, CAString* code, int* market);
// 1 when a stored item (code.market with one or two market digits, or a bare code) names the row's code and
// market; a bare item matches every market of the code.
int MatchesCodeMarket(const char* item, const char* code, int market);
// The info text handed to the detailed quote: "code=" and the code.market text.
CAString DetailQuoteInfo(const char* codeMarket);

// Request texts. P is the window's parameter text (from the server's menu, carrying its function numbers).
// A value taken from data or input ends at its first "&": a stored code or typed text can never add fields.
// Ranked quote table: P&market=..&class=..&type=..&direct=..&offset=page*pageSize&count=pageSize&field=...
CAString BuildRankRequest(const char* params, const char* marketKey, const char* classKey, const char* sortKey,
                          int direct, int page, int pageSize);
// Own stock list: P&count=N&code=a|b|..&field=4|3|16|20|21|13|11|1 from the stored "a,b,.." text; every item
// delimited by "," is counted. An empty list gives an empty text (nothing to send).
CAString BuildMyStockRequest(const char* params, const char* storedList);
// Number of items of a stored list ("" has none).
int CountListItems(const char* storedList);
// Domestic index table: P, "&" unless P ends with it, "field=..."; empty (nothing to send) without P.
CAString BuildDomesticIndexRequest(const char* params);
// Detailed quote: P with its "code" value set to codeMarket, then "&field=" and the 34 detail fields.
CAString BuildDetailQuoteRequest(const char* params, const char* codeMarket);
// Own stock editor: the quotes of the stored items (P&count=N&code=..&field=4|3|1; empty for an empty list),
// and the lookup of one typed code (P&count=1&code=input&field=4|3|1).
CAString BuildEditorListRequest(const char* params, const char* storedList);
CAString BuildCodeLookupRequest(const char* params, const char* input);
// Stock search by pinyin initials: "type=2&pattern=" and the input in upper case (sent as 31000/10).
CAString BuildPinyinSearchRequest(const char* input);
// Tick-by-tick deals, time-share and K-line chart data.
CAString BuildDealsRequest(const char* code, const char* date, int time, int offset, int direct, int count);
CAString BuildTimeShareRequest(const char* code, int addup, const char* time, const char* date, const char* maxVol,
                               int freq);
CAString BuildKLineRequest(const char* code, const char* date, const char* time, int type, int direct, int count,
                           const char* techName);

// The latest price cell of a quote table row: "-" in the name colour (scheme colour 14) when today's open is 0
// (no trading today), else the latest text coloured against the previous close. Returns the text to show.
const char* LatestPriceCell(const CColorScheme* scheme, const CQuoteNumber& open, const CQuoteNumber& prevClose,
                            const CQuoteNumber& latest, const char* latestText, COLORREF* color);
constexpr int NAME_COLOR_INDEX = 14;
