// What the quote screens share about their requests: the column lists that name a reply's columns, the
// code.market form of a security and how a stored item matches it, the request texts of the quote tables, built
// here for the windows to send, and the latest-price cell of a quote row.
#pragma once

#include "core/AString.h"
#include "core/QuoteNumber.h"
#include "platform/win/WinTypes.h"

class CDataSet;

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

// "code.market": the market in decimal, or in two digits when twoDigits is set.
CAString FormatCodeMarket(const char* code, int market, int twoDigits);
// Splits "code.market": the code before the first ".", the market read as a decimal number after it
// (0 when there is no "." or no digits). Either output may be null.
void SplitCodeMarket(const char* text, CAString* code, int* market);
// How a stored own-stock item names a reply row (code, market): MATCH_EXACT when the item equals "code.MM" or
// "code.M" (ASCII case ignored); MATCH_PREFIX when the item holds no "." and begins "code.MM" (with case), as a
// bare code names every row it starts; MATCH_NONE otherwise.
enum { MATCH_NONE = 0, MATCH_PREFIX = 1, MATCH_EXACT = 2 };
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
// Tick-by-tick deals of a code from a time (hhmm) and offset, forwards (direct 1: earlier deals) or backwards.
CAString BuildDealsRequest(const char* code, const char* date, int time, int offset, int direct, int count);
// Time-share (31000/1) and K-line (31000/2) chart data.
CAString BuildTimeShareRequest(const char* code, int addup, const char* time, const char* date, const char* maxVol,
                               int freq);
CAString BuildKLineRequest(const char* code, const char* date, const char* time, int type, int direct, int count,
                           const char* techName);
// Copies a built request into a window's part buffer; 0 (part emptied) for an empty text or one that does not
// fit: a cut request would ask for something else.
int CopyRequest(const CAString& text, char* part, int capacity);

// A value the server marks as none (999999999, CQuoteNumber::IsNull) shows as this, in the plain colour, and
// nothing is computed from it.
constexpr char NO_VALUE_TEXT[] = "--";
// Whether a column of the current row carries the no-value mark (a quote number, or a whole number).
bool IsNoValue(CDataSet* set, int column);
// The text of a column of the current row: NO_VALUE_TEXT for the mark.
const char* ColumnText(CDataSet* set, int column);
// The cell of a value coloured by a rule: its text in `valueColor`, or NO_VALUE_TEXT in `plain` when the value is
// none. Returns the text to show and sets *color.
const char* ValueCell(const CQuoteNumber& value, const char* text, COLORREF valueColor, COLORREF plain,
                      COLORREF* color);

// The latest price cell of a quote row: NO_VALUE_TEXT for no latest price; "-" when today's open is 0 (no trading
// today); else the latest text coloured against the previous close (plain without one). Colours besides the
// price's are the name colour. Returns the text to show.
const char* LatestPriceCell(const CQuoteNumber& open, const CQuoteNumber& prevClose, const CQuoteNumber& latest,
                            const char* latestText, COLORREF* color);
