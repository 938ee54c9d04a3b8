// Quote functions of the stand-in server: ranked tables, listed codes, index tables, pinyin search, deals and
// per-stock information texts (the chart data and the information radar are in ChartFunctions.cpp).
#include "server/DataSetWriter.h"
#include "server/ServerFunctions.h"
#include "server/ServerText.h"

#include <algorithm>
#include <cctype>
#include <functional>
#include <cmath>
#include <cstdio>
#include <shared_mutex>

namespace {

struct QuoteField {
    int number;
    const char* name;
    int type;
};

const QuoteField FIELDS[] = {
    {1, "exchid", FIELD_SHORT},     {2, "stktype", FIELD_SHORT},    {3, "code", FIELD_TEXT},
    {4, "name", FIELD_TEXT},        {11, "zrsp", FIELD_QUOTE},      {13, "jrkp", FIELD_QUOTE},
    {14, "zgcj", FIELD_QUOTE},      {15, "zdcj", FIELD_QUOTE},      {16, "zjcj", FIELD_QUOTE},
    {17, "cjsl", FIELD_QUOTE_UNIT}, {18, "cjje", FIELD_QUOTE_UNIT}, {20, "zd", FIELD_QUOTE},
    {21, "zdf", FIELD_QUOTE},       {29, "wb", FIELD_QUOTE},        {30, "lb", FIELD_QUOTE},
    {32, "jj", FIELD_QUOTE},
};

QuoteField Describe(int number)
{
    for (const QuoteField& f : FIELDS)
        if (f.number == number)
            return f;
    static const char* const book[] = {"bjw", "bsl", "sjw", "ssl"};
    if ((number >= 50 && number <= 59) || (number >= 70 && number <= 79)) {
        bool ask = number >= 70;
        int level = (number - (ask ? 70 : 50)) / 2 + 1;
        bool volume = (number % 2) == 1;
        static thread_local char text[16];
        std::snprintf(text, sizeof text, "%s%d", book[(ask ? 2 : 0) + (volume ? 1 : 0)], level);
        return {number, text, volume ? FIELD_INT : FIELD_QUOTE};
    }
    return {number, nullptr, FIELD_INT};
}

// Packed value of a quote field of a security; text fields are written separately.
int32_t QuoteValue(const CSecurity& s, int field, int minutesElapsed)
{
    const int scale = s.decimals;
    auto price = [&](int units) { return PackQuote(s.Price(units), scale); };
    switch (field) {
    case 1:
        return s.market;
    case 2:
        return s.type;
    case 11:
        return price(s.prevClose);
    case 13:
        return price(s.open);
    case 14:
        return price(s.high);
    case 15:
        return price(s.low);
    case 16:
        return price(s.last);
    case 17:
        return PackQuoteWithUnit(static_cast<double>(s.volume / 100));
    case 18:
        return PackQuoteWithUnit(std::round(s.amount));
    case 20:
        return price(s.Change());
    case 21:
        return PackQuote(s.ChangePercent(), 2);
    case 29:
        if (s.ratiosMissing)
            return QUOTE_NO_VALUE;
        return PackQuote(s.type == KIND_INDEX ? 0 : s.OrderRatio(), 2);
    case 30:
        if (s.ratiosMissing)
            return QUOTE_NO_VALUE;
        return PackQuote(s.VolumeRatio(minutesElapsed), 2);
    case 32:
        return PackQuote(s.suspended ? 0 : s.AveragePrice(), scale);
    default:
        break;
    }
    if (field >= 50 && field <= 59) {
        int level = (field - 50) / 2;
        return field % 2 ? s.bidVolume[level] : price(s.bidPrice[level]);
    }
    if (field >= 70 && field <= 79) {
        int level = (field - 70) / 2;
        return field % 2 ? s.askVolume[level] : price(s.askPrice[level]);
    }
    return 0;
}

// A number to rank by; missing values rank below everything.
double RankValue(const CSecurity& s, int field, int minutesElapsed)
{
    if (field == 29 || field == 30) {
        if (s.ratiosMissing)
            return -1e300;
        return field == 29 ? s.OrderRatio() : s.VolumeRatio(minutesElapsed);
    }
    switch (field) {
    case 17:
        return static_cast<double>(s.volume);
    case 18:
        return s.amount;
    case 20:
        return s.Price(s.Change());
    case 21:
        return s.ChangePercent();
    case 32:
        return s.AveragePrice();
    default:
        break;
    }
    int32_t packed = QuoteValue(s, field, minutesElapsed);
    if (Describe(field).type != FIELD_QUOTE)
        return packed;
    int scale = ((packed % 4) + 4) % 4;
    return static_cast<double>((packed - scale) / 4) / std::pow(10.0, scale);
}

bool InMarket(const CSecurity& s, const std::string& marketKey)
{
    if (s.market == 9)
        return false;
    if (marketKey.empty() || marketKey == "0")
        return s.market == 1 || s.market == 2;
    return s.market == std::atoi(marketKey.c_str());
}

bool InClass(const CSecurity& s, const std::string& classKey)
{
    if (classKey.empty() || classKey == "0")
        return true;
    return s.type == std::atoi(classKey.c_str());
}

std::string TimeText(int hhmm)
{
    char t[32];
    std::snprintf(t, sizeof t, "%02d:%02d", hhmm / 100, hhmm % 100);
    return t;
}

} // namespace

std::vector<int> CServerFunctions::ParseFieldList(const std::string& text) const
{
    std::vector<int> fields;
    for (const std::string& piece : Split(text, '|'))
        if (!piece.empty())
            fields.push_back(std::atoi(piece.c_str()));
    return fields;
}

void CServerFunctions::WriteQuoteColumns(CDataSetWriter& set, const std::vector<int>& fields) const
{
    for (int f : fields) {
        QuoteField info = Describe(f);
        std::string name = info.name ? std::string(info.name) : std::string(1, 'f').append(std::to_string(f));
        set.AddField(name, info.type);
    }
}

void CServerFunctions::WriteQuoteRow(CDataSetWriter& set, const std::vector<int>& fields, const CSecurity& s) const
{
    set.AddRow();
    int minutes = market.GetMinuteOfDay();
    for (size_t i = 0; i < fields.size(); ++i) {
        int f = fields[i];
        if (f == 3)
            set.SetText(static_cast<int>(i), s.code);
        else if (f == 4)
            set.SetText(static_cast<int>(i), s.name);
        else
            set.SetInt(static_cast<int>(i), QuoteValue(s, f, minutes));
    }
}

CServerFunctions::Answer CServerFunctions::RankedTable(Context& c)
{
    std::vector<int> fields = ParseFieldList(c.params.Get("field", "4|3|16|20|21|13|11|1"));
    std::string marketKey = c.params.Get("market");
    std::string classKey = c.params.Get("class");
    int sortField = c.params.GetInt("type", 21);
    bool descending = c.params.GetInt("direct", 1) != 0;
    int offset = std::max(0, c.params.GetInt("offset", 0));
    int count = std::clamp(c.params.GetInt("count", 20), 0, 200);

    std::shared_lock<std::shared_mutex> read(market.Lock());
    int minutes = market.GetMinuteOfDay();
    std::vector<const CSecurity*> list;
    for (const CSecurity& s : market.Securities())
        if (InMarket(s, marketKey) && InClass(s, classKey))
            list.push_back(&s);
    auto byCode = [](const CSecurity* a, const CSecurity* b) {
        return a->market != b->market ? a->market < b->market : a->code < b->code;
    };
    if (sortField == 3 || sortField == 4) {
        std::sort(list.begin(), list.end(), [&](const CSecurity* a, const CSecurity* b) {
            const std::string& x = sortField == 3 ? a->code : a->name;
            const std::string& y = sortField == 3 ? b->code : b->name;
            if (x != y)
                return descending ? x > y : x < y;
            return byCode(a, b);
        });
    } else {
        std::sort(list.begin(), list.end(), [&](const CSecurity* a, const CSecurity* b) {
            double x = RankValue(*a, sortField, minutes), y = RankValue(*b, sortField, minutes);
            bool missingX = x < -1e299, missingY = y < -1e299;
            if (missingX != missingY)
                return missingY; // securities without a value go last either way
            if (x != y)
                return descending ? x > y : x < y;
            return byCode(a, b);
        });
    }
    CDataSetWriter set("hq.sort");
    WriteQuoteColumns(set, fields);
    for (int i = offset; i < static_cast<int>(list.size()) && i < offset + count; ++i)
        WriteQuoteRow(set, fields, *list[static_cast<size_t>(i)]);
    Answer a;
    a.body = set.ToBytes();
    return a;
}

CServerFunctions::Answer CServerFunctions::QuoteList(Context& c)
{
    std::vector<int> fields = ParseFieldList(c.params.Get("field", "4|3|16|20|21|13|11|1"));
    std::vector<int> columns = fields;
    // The own stock list matches its rows by the named columns "code" and "exchid".
    if (std::find(columns.begin(), columns.end(), 3) == columns.end())
        columns.push_back(3);
    if (std::find(columns.begin(), columns.end(), 1) == columns.end())
        columns.push_back(1);

    std::string codes = c.params.Get("code");
    std::shared_lock<std::shared_mutex> read(market.Lock());
    CDataSetWriter set("hq.codes");
    WriteQuoteColumns(set, columns);
    for (std::string item : Split(codes, '|')) {
        if (item.empty())
            continue;
        if (EqualNoCase(item, "1A0001"))
            item = "000001.2"; // the old name of the Shanghai composite index
        size_t dot = item.find('.');
        if (dot != std::string::npos) {
            if (const CSecurity* s = market.FindByText(item))
                WriteQuoteRow(set, columns, *s);
            continue;
        }
        for (const CSecurity& s : market.Securities())
            if (s.market != 9 && s.code.compare(0, item.size(), item) == 0)
                WriteQuoteRow(set, columns, s);
    }
    Answer a;
    a.body = set.ToBytes();
    return a;
}

CServerFunctions::Answer CServerFunctions::DomesticIndices(Context& c)
{
    std::vector<int> fields = ParseFieldList(c.params.Get("field", "4|16|21|20|17|18|13|11|14|15|3|1"));
    std::vector<int> columns = fields;
    if (std::find(columns.begin(), columns.end(), 11) == columns.end())
        columns.push_back(11);
    if (std::find(columns.begin(), columns.end(), 13) == columns.end())
        columns.push_back(13);
    std::shared_lock<std::shared_mutex> read(market.Lock());
    CDataSetWriter set("hq.index");
    WriteQuoteColumns(set, columns);
    for (const CSecurity& s : market.Securities())
        if (s.type == KIND_INDEX && (s.market == 1 || s.market == 2))
            WriteQuoteRow(set, columns, s);
    Answer a;
    a.body = set.ToBytes();
    return a;
}

CServerFunctions::Answer CServerFunctions::WorldIndices(Context&)
{
    std::shared_lock<std::shared_mutex> read(market.Lock());
    CDataSetWriter set("hq.world");
    const char* titles[] = {"名称", "最新", "涨跌",  "涨幅%", "开盘", "最高",
                            "最低", "5日%", "20日%", "年初%", "时间", "代码"};
    const int types[] = {FIELD_TEXT,  FIELD_QUOTE, FIELD_QUOTE, FIELD_QUOTE, FIELD_QUOTE, FIELD_QUOTE,
                         FIELD_QUOTE, FIELD_QUOTE, FIELD_QUOTE, FIELD_QUOTE, FIELD_TEXT,  FIELD_TEXT};
    for (int i = 0; i < 12; ++i)
        set.AddField(Gb(titles[i]), types[i]);
    std::string time = TimeText(market.GetTimeHHMM());
    int today = market.GetDate();
    for (const CSecurity& s : market.Securities()) {
        if (s.type != KIND_INDEX || (s.market != 9 && s.market != 3))
            continue;
        set.AddRow();
        set.SetText(0, s.name);
        set.SetInt(1, PackQuote(s.Price(s.last), 2));
        set.SetInt(2, PackQuote(s.Price(s.Change()), 2));
        set.SetInt(3, PackQuote(s.ChangePercent(), 2));
        set.SetInt(4, PackQuote(s.Price(s.open), 2));
        set.SetInt(5, PackQuote(s.Price(s.high), 2));
        set.SetInt(6, PackQuote(s.Price(s.low), 2));
        // 5日, 20日 and 年初 against the closes five and twenty trading days back and the last of last year.
        set.SetInt(7, PackQuote(market.ChangeSince(s, TradingDaysBefore(today, 5)), 2));
        set.SetInt(8, PackQuote(market.ChangeSince(s, TradingDaysBefore(today, 20)), 2));
        set.SetInt(9, PackQuote(market.ChangeSince(s, PreviousTradingDate(today / 10000 * 10000 + 101)), 2));
        set.SetText(10, time);
        set.SetText(11, s.code);
    }
    Answer a;
    a.body = set.ToBytes();
    return a;
}

CServerFunctions::Answer CServerFunctions::PinyinSearch(Context& c)
{
    std::string pattern = c.params.Get("pattern");
    for (char& ch : pattern)
        ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    if (pattern.empty())
        return Error("请输入股票代码或拼音缩写");
    std::shared_lock<std::shared_mutex> read(market.Lock());
    CDataSetWriter set("hq.search");
    set.AddField("exchid", FIELD_SHORT);
    set.AddField("stktype", FIELD_SHORT);
    set.AddField("code", FIELD_TEXT);
    set.AddField("name", FIELD_TEXT);
    set.AddField("pinyin", FIELD_TEXT);
    int found = 0;
    for (const CSecurity& s : market.Securities()) {
        if (s.market == 9 || s.pinyin.compare(0, pattern.size(), pattern) != 0)
            continue;
        set.AddRow();
        set.SetInt(0, s.market);
        set.SetInt(1, s.type);
        set.SetText(2, s.code);
        set.SetText(3, s.name);
        set.SetText(4, s.pinyin);
        if (++found == 30)
            break;
    }
    Answer a;
    a.body = set.ToBytes();
    return a;
}

std::string CServerFunctions::StockInfoSet(const CSecurity& s) const
{
    CDataSetWriter info("stkinfo");
    info.AddField("code", FIELD_TEXT);
    info.AddField("name", FIELD_TEXT);
    info.AddField("zrsp", FIELD_QUOTE);
    info.AddField("classid", FIELD_SHORT);
    info.AddField("exchid", FIELD_SHORT);
    info.AddField("jrkp", FIELD_QUOTE);
    info.AddRow();
    info.SetText(0, s.code);
    info.SetText(1, s.name);
    info.SetInt(2, PackQuote(s.Price(s.prevClose), s.decimals));
    info.SetInt(3, s.type);
    info.SetInt(4, s.market);
    info.SetInt(5, PackQuote(s.Price(s.open), s.decimals));
    return info.ToBytes();
}

CServerFunctions::Answer CServerFunctions::Deals(Context& c)
{
    std::shared_lock<std::shared_mutex> read(market.Lock());
    const CSecurity* s = market.FindByText(c.params.Get("code"));
    if (!s)
        return Error("没有该证券的成交明细");
    int time = c.params.GetInt("time", 0);
    int offset = std::max(0, c.params.GetInt("offset", 0));
    int direct = c.params.GetInt("direct", 1);
    int count = std::clamp(c.params.GetInt("count", 11), 1, 1000);
    const std::vector<CMarketDeal>& deals = s->deals;
    int n = static_cast<int>(deals.size());

    // A table shows a run of deals: its top minute holds the last deals of that minute and its bottom minute
    // the first ones, so the offset counts from the end of the minute going back and from its start going on.
    std::vector<int> picked;
    if (direct == 1) {
        int end = n;
        if (time > 0) {
            end = 0;
            while (end < n && deals[static_cast<size_t>(end)].tm <= time)
                ++end;
            end = std::max(0, end - offset);
        }
        for (int i = end - 1; i >= 0 && static_cast<int>(picked.size()) < count; --i)
            picked.push_back(i); // newest first
    } else {
        int start = 0;
        while (start < n && deals[static_cast<size_t>(start)].tm < time)
            ++start;
        start += offset;
        for (int i = start; i < n && static_cast<int>(picked.size()) < count; ++i)
            picked.push_back(i);
    }
    CDataSetWriter set("deals");
    set.AddField("tm", FIELD_SHORT);
    set.AddField("zjcj", FIELD_QUOTE);
    set.AddField("cjsl", FIELD_INT);
    set.AddField("direct", FIELD_CHAR);
    for (int i : picked) {
        const CMarketDeal& d = deals[static_cast<size_t>(i)];
        set.AddRow();
        set.SetInt(0, d.tm);
        set.SetInt(1, PackQuote(s->Price(d.price), s->decimals));
        set.SetInt(2, d.volume / 100);
        set.SetInt(3, d.direct);
    }
    Answer a;
    a.body = StockInfoSet(*s);
    set.AppendTo(a.body);
    return a;
}

CServerFunctions::Answer CServerFunctions::StockInfo(Context& c)
{
    std::shared_lock<std::shared_mutex> read(market.Lock());
    const CSecurity* s = market.FindByText(c.params.Get("stkcode"));
    CDataSetWriter set("f10");
    set.AddField("text", FIELD_TEXT);
    auto line = [&](const std::string& utf8) {
        set.AddRow();
        set.SetText(0, Gb(utf8));
    };
    auto lineGb = [&](const std::string& gb) {
        set.AddRow();
        set.SetText(0, gb);
    };
    if (s) {
        int type = c.params.GetInt("type", 1);
        char text[160];
        const double shares = 1e8 * (1 + (std::hash<std::string>()(s->code) % 90));
        switch (type) {
        case 1:
            lineGb(Gb("公司名称：") + s->name + Gb("股份有限公司"));
            std::snprintf(text, sizeof text, "证券代码：%s", s->code.c_str());
            line(text);
            line(s->market == MARKET_SHANGHAI   ? "上市地点：上海"
                 : s->market == MARKET_SHENZHEN ? "上市地点：深圳"
                                                : "上市地点：香港");
            std::snprintf(text, sizeof text, "总股本：%.2f亿股", shares / 1e8);
            line(text);
            line("主营业务：模拟数据，仅供测试。");
            break;
        case 2:
            std::snprintf(text, sizeof text, "每股收益：%.3f元", s->Price(s->prevClose) / 25.0);
            line(text);
            std::snprintf(text, sizeof text, "每股净资产：%.2f元", s->Price(s->prevClose) / 3.0);
            line(text);
            std::snprintf(text, sizeof text, "市盈率：%.1f", 25.0);
            line(text);
            break;
        case 3:
            line("第一大股东：模拟投资集团，持股32.10%");
            line("第二大股东：模拟社保基金，持股5.20%");
            line("股东户数：86512户");
            break;
        case 4:
            line("2025年度：每10股派2.50元");
            line("2024年度：每10股派2.00元，送红股2股");
            break;
        default:
            line("本栏目暂无内容。");
            break;
        }
    }
    Answer a;
    a.body = set.ToBytes();
    return a;
}
