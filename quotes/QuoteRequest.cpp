// Quote request texts, column lists and code forms shared by the quote screens.
#include "quotes/QuoteRequest.h"

#include "core/AppData.h"
#include "core/ColorScheme.h"
#include "core/DataSet.h"
#include "core/TextHelpers.h"

#include <cctype>
#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// A value from data or input, cut at its first "&" so it stays one value of the parameter text.
std::string Value(const char* text)
{
    if (text == nullptr)
        return std::string();
    const char* cut = strchr(text, '&');
    return cut != nullptr ? std::string(text, size_t(cut - text)) : std::string(text);
}

std::string Text(const char* text)
{
    return text != nullptr ? text : "";
}

CAString Done(const std::string& text)
{
    return CAString(text.c_str());
}

// "a,b,c" -> "a|b|c" with the number of items it delimits (0 for "").
std::string JoinItems(const char* storedList, int* count)
{
    std::string items = Value(storedList);
    *count = 0;
    if (items.empty())
        return items;
    *count = 1;
    for (char& c : items)
        if (c == ',') {
            c = '|';
            ++*count;
        }
    return items;
}

CAString CodesRequest(const char* params, const char* storedList, const char* fields)
{
    int count = 0;
    std::string items = JoinItems(storedList, &count);
    if (count == 0)
        return CAString("");
    return Done(Text(params) + "&count=" + std::to_string(count) + "&code=" + items + "&field=" + fields);
}

} // namespace

CAString FormatCodeMarket(const char* code, int market, int twoDigits)
{
    char number[16];
    snprintf(number, sizeof number, twoDigits ? "%02d" : "%d", market);
    return Done(Text(code) + "." + number);
}

void SplitCodeMarket(const char* text, CAString* code, int* market)
{
    std::string all = Text(text);
    size_t dot = all.find('.');
    if (code != nullptr)
        code->Assign(all.substr(0, dot).c_str());
    if (market != nullptr) {
        *market = 0;
        if (dot != std::string::npos) {
            const char* digits = all.c_str() + dot + 1;
            if (isdigit(static_cast<unsigned char>(digits[0]))) {
                long value = strtol(digits, nullptr, 10);
                *market = value > 999 ? 999 : int(value);
            }
        }
    }
}

int MatchesCodeMarket(const char* item, const char* code, int market)
{
    if (item == nullptr || code == nullptr || item[0] == '\0')
        return MATCH_NONE;
    CAString key = FormatCodeMarket(code, market, 1);
    if (StrEqualNoCase(item, key.GetText()) == 0)
        return MATCH_EXACT;
    if (strchr(item, '.') != nullptr)
        return StrEqualNoCase(item, FormatCodeMarket(code, market, 0).GetText()) == 0 ? MATCH_EXACT : MATCH_NONE;
    return strncmp(key.GetText(), item, strlen(item)) == 0 ? MATCH_PREFIX : MATCH_NONE;
}

CAString DetailQuoteInfo(const char* codeMarket)
{
    return Done("code=" + Value(codeMarket));
}

CAString BuildRankRequest(const char* params, const char* marketKey, const char* classKey, const char* sortKey,
                          int direct, int page, int pageSize)
{
    // The offset is page times page size; a page far out of range must not overflow it.
    int64_t offset = int64_t(page) * int64_t(pageSize);
    if (offset < 0)
        offset = 0;
    if (offset > INT32_MAX)
        offset = INT32_MAX;
    return Done(Text(params) + "&market=" + Value(marketKey) + "&class=" + Value(classKey) + "&type=" + Value(sortKey) +
                "&direct=" + std::to_string(direct) + "&offset=" + std::to_string(offset) +
                "&count=" + std::to_string(pageSize) + "&field=" + STANDARD_ROW_FIELDS);
}

CAString BuildMyStockRequest(const char* params, const char* storedList)
{
    return CodesRequest(params, storedList, STANDARD_ROW_FIELDS);
}

CAString BuildDomesticIndexRequest(const char* params)
{
    std::string p = Text(params);
    if (p.empty())
        return CAString("");
    if (p.back() != '&')
        p += "&";
    return Done(p + "field=" + DOMESTIC_INDEX_FIELDS);
}

CAString BuildDetailQuoteRequest(const char* params, const char* codeMarket)
{
    std::string code = Value(codeMarket);
    char* withCode = SetParamValue(Text(params).c_str(), "code", code.c_str());
    std::string text = withCode != nullptr ? withCode : "";
    free(withCode);
    return Done(text + "&field=" + DETAIL_QUOTE_FIELDS);
}

CAString BuildEditorListRequest(const char* params, const char* storedList)
{
    return CodesRequest(params, storedList, STOCK_EDITOR_FIELDS);
}

CAString BuildCodeLookupRequest(const char* params, const char* input)
{
    return Done(Text(params) + "&count=1&code=" + Value(input) + "&field=" + STOCK_EDITOR_FIELDS);
}

CAString BuildPinyinSearchRequest(const char* input)
{
    std::string pattern = Value(input);
    for (char& c : pattern)
        if (c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
    return Done("type=2&pattern=" + pattern);
}

CAString BuildDealsRequest(const char* code, const char* date, int time, int offset, int direct, int count)
{
    return Done("tc_mfuncno=31000&tc_sfuncno=9&code=" + Value(code) + "&date=" + Value(date) +
                "&time=" + std::to_string(time) + "&offset=" + std::to_string(offset) +
                "&direct=" + std::to_string(direct) + "&count=" + std::to_string(count));
}

CAString BuildTimeShareRequest(const char* code, int addup, const char* time, const char* date, const char* maxVol,
                               int freq)
{
    return Done("tc_mfuncno=31000&tc_sfuncno=1&code=" + Value(code) + "&addup=" + std::to_string(addup) +
                "&time=" + Value(time) + "&date=" + Value(date) + "&maxvol=" + Value(maxVol) +
                "&freq=" + std::to_string(freq) + "&close_xxld=0");
}

CAString BuildKLineRequest(const char* code, const char* date, const char* time, int type, int direct, int count,
                           const char* techName)
{
    return Done("tc_mfuncno=31000&tc_sfuncno=2&code=" + Value(code) + "&date=" + Value(date) + "&time=" + Value(time) +
                "&type=" + std::to_string(type) + "&direct=" + std::to_string(direct) +
                "&count=" + std::to_string(count) + "&techname=" + Value(techName));
}

int CopyRequest(const CAString& text, char* part, int capacity)
{
    if (part == nullptr || capacity < 1)
        return 0;
    part[0] = 0;
    const char* s = text.GetText();
    size_t n = s != nullptr ? strlen(s) : 0;
    if (n == 0 || n >= (size_t)capacity)
        return 0;
    memcpy(part, s, n + 1);
    return 1;
}

bool IsNoValue(CDataSet* set, int column)
{
    const FieldInfo* info = set != nullptr ? set->GetFieldInfo(column) : nullptr;
    if (info == nullptr)
        return false;
    if (info->type == FIELD_QUOTE || info->type == FIELD_QUOTE_UNIT)
        return set->GetQuoteNumber(column).IsNull();
    return info->type == FIELD_INT && set->GetAsInt(column) == CQuoteNumber::NULL_PACKED;
}

const char* ColumnText(CDataSet* set, int column)
{
    if (IsNoValue(set, column))
        return NO_VALUE_TEXT;
    const char* text = set != nullptr ? set->GetAsText(column) : nullptr;
    return text != nullptr ? text : "";
}

const char* ValueCell(const CQuoteNumber& value, const char* text, COLORREF valueColor, COLORREF plain,
                      COLORREF* color)
{
    bool none = value.IsNull();
    if (color != nullptr)
        *color = none ? plain : valueColor;
    return none ? NO_VALUE_TEXT : text != nullptr ? text : "";
}

const char* LatestPriceCell(const CQuoteNumber& open, const CQuoteNumber& prevClose, const CQuoteNumber& latest,
                            const char* latestText, COLORREF* color)
{
    CAppData* app = CAppData::Instance();
    COLORREF plain = app->GetColor(COLOR_NAME);
    if (!latest.IsNull() && open == CQuoteNumber::Zero()) {
        if (color != nullptr)
            *color = plain;
        return "-";
    }
    COLORREF rule = prevClose.IsNull() ? plain : app->ChartPriceColor(prevClose, latest);
    return ValueCell(latest, latestText, rule, plain, color);
}
