// Reading the chart replies into the charts' data.
#include "charts/ChartData.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

// A set of the reply by name, else the one at the position where the server puts it.
CDataSet* FindSet(CReplyRecordSet& reply, const char* name, int position)
{
    for (int i = 0; i < reply.GetCount(); ++i) {
        CDataSet* set = *reply.GetRecord(i);
        if (set != nullptr && strcmp(set->GetName(), name) == 0)
            return set;
    }
    CDataSet* set = *reply.GetRecord(position);
    return set != nullptr && !set->IsError() && set->GetFieldCount() > 0 ? set : nullptr;
}

int IntField(CDataSet* set, int field)
{
    return field >= 0 ? set->GetAsInt(field) : 0;
}

std::string TextField(CDataSet* set, const char* name)
{
    int field = set->FindField(name);
    const char* text = field >= 0 ? set->GetString(field) : nullptr;
    return text != nullptr ? text : "";
}

// The first set describes the security; a reply without it leaves the description as it was (false).
bool ReadSecurity(CReplyRecordSet& reply, ChartSecurity* security)
{
    CDataSet* info = FindSet(reply, "stkinfo", 0);
    if (info == nullptr || info->GetRowCount() < 1 || !info->MoveFirst())
        return false;
    security->code = TextField(info, "code");
    security->name = TextField(info, "name");
    security->market = IntField(info, info->FindField("exchid"));
    security->type = IntField(info, info->FindField("classid"));
    int close = info->FindField("zrsp");
    security->prevClose = ChartNumber(info, close);
    if (close >= 0 && HasValue(security->prevClose))
        security->decimals = info->GetQuoteNumber(close).GetScale();
    return true;
}

long long BarKey(const KXBar& bar)
{
    return (long long)bar.date * 10000 + bar.time;
}

// The bars of the set hq.kline in time order, and the names of its three averages (the legend).
std::vector<KXBar> ReadBars(CDataSet* kline, std::string* averageNames)
{
    std::vector<KXBar> read;
    if (kline == nullptr)
        return read;
    int date = kline->FindField("date"), time = kline->FindField("time"), open = kline->FindField("open"),
        high = kline->FindField("high"), low = kline->FindField("low"), close = kline->FindField("close"),
        volume = kline->FindField("cjsl"), amount = kline->FindField("cjje");
    // The three averages follow the bar's own columns; their names are the legend.
    int averages[3] = {-1, -1, -1};
    int found = 0;
    for (int f = 0; f < kline->GetFieldCount() && found < 3; ++f) {
        const FieldInfo* info = kline->GetFieldInfo(f);
        if (info != nullptr && strncmp(info->name, "MA", 2) == 0) {
            averages[found] = f;
            averageNames[found++].assign(info->name, strnlen(info->name, sizeof info->name));
        }
    }
    for (kline->MoveFirst(); !kline->IsEOF(); kline->MoveNext()) {
        KXBar bar;
        bar.date = IntField(kline, date);
        bar.time = IntField(kline, time);
        bar.open = ChartNumber(kline, open);
        bar.high = ChartNumber(kline, high);
        bar.low = ChartNumber(kline, low);
        bar.close = ChartNumber(kline, close);
        bar.volume = ChartNumber(kline, volume);
        bar.amount = ChartNumber(kline, amount);
        for (int k = 0; k < 3; ++k)
            bar.averages[k] = ChartNumber(kline, averages[k]);
        if (!read.empty() && BarKey(bar) <= BarKey(read.back()))
            continue; // out of order: the chart's order is time
        read.push_back(bar);
    }
    return read;
}

// The indicator's line names and kinds from the set hq.tech, and its values on the bars of their date and time.
void ReadTech(CDataSet* tech, std::vector<KXBar>& read, std::vector<std::string>& lines, std::vector<bool>& sticks)
{
    // The lines follow the row's date (and time, for minute bars); a set without dates names no bar.
    int techDate = tech != nullptr ? tech->FindField("date") : -1;
    int techTime = tech != nullptr ? tech->FindField("time") : -1;
    int firstLine = techDate >= 0 ? std::max(techDate, techTime) + 1 : 0;
    if (firstLine > 0) {
        for (int f = firstLine; f < tech->GetFieldCount(); ++f) {
            const FieldInfo* info = tech->GetFieldInfo(f);
            lines.emplace_back(info->name, strnlen(info->name, sizeof info->name));
            sticks.push_back(strncmp(info->caption, "stick", 6) == 0);
        }
        // Each indicator row belongs to the bar of its date and time; a bar without one has no values.
        size_t at = 0;
        for (tech->MoveFirst(); !tech->IsEOF() && at < read.size(); tech->MoveNext()) {
            long long key = (long long)IntField(tech, techDate) * 10000 + IntField(tech, techTime);
            while (at < read.size() && BarKey(read[at]) < key)
                ++at;
            if (at < read.size() && BarKey(read[at]) == key && read[at].lines.empty())
                for (int f = firstLine; f < tech->GetFieldCount(); ++f)
                    read[at].lines.push_back(ChartNumber(tech, f));
        }
    }
}

} // namespace

double ChartNumber(CDataSet* set, int field)
{
    const FieldInfo* info = set != nullptr && field >= 0 ? set->GetFieldInfo(field) : nullptr;
    if (info == nullptr)
        return CHART_NONE;
    if (info->type == FIELD_QUOTE || info->type == FIELD_QUOTE_UNIT) {
        CQuoteNumber number = set->GetQuoteNumber(field);
        if (number.IsNull())
            return CHART_NONE;
        return info->type == FIELD_QUOTE_UNIT ? number.ToFull() : number.GetValue();
    }
    int value = set->GetAsInt(field);
    return value == 999999999 ? CHART_NONE : (double)value;
}

int CFSData::SlotOf(int hhmm)
{
    int m = hhmm / 100 * 60 + hhmm % 100;
    if (m >= 9 * 60 + 30 && m < 11 * 60 + 30)
        return m - (9 * 60 + 30);
    if (m >= 13 * 60 && m < 15 * 60)
        return 120 + m - 13 * 60;
    return -1;
}

int CFSData::TimeOfSlot(int slot)
{
    int m = slot < 120 ? 9 * 60 + 30 + slot : 13 * 60 + slot - 120;
    return m / 60 * 100 + m % 60;
}

void CFSData::Clear()
{
    security = ChartSecurity();
    date = 0;
    points.clear();
    index.clear();
    indexPrevClose = CHART_NONE;
    indexCode.clear();
}

bool CFSData::IsAnotherDay(CReplyRecordSet& reply, int askedFrom) const
{
    ChartSecurity replied;
    if (ReadSecurity(reply, &replied) && HasValue(replied.prevClose) && HasValue(security.prevClose) &&
        std::fabs(replied.prevClose - security.prevClose) > 1e-9)
        return true;
    CDataSet* minutes = FindSet(reply, "hq.minute", 1);
    int day = minutes != nullptr ? minutes->FindField("date") : -1;
    bool any = minutes != nullptr && minutes->GetRowCount() > 0 && minutes->MoveFirst();
    if (any && day >= 0 && date != 0 && minutes->GetAsInt(day) != date)
        return true;
    // The minutes from the last one held on always include that one while the day is the same.
    return askedFrom > 0 && (!any || IntField(minutes, minutes->FindField("tm")) != askedFrom);
}

const FSPoint* CFSData::PointAtSlot(int slot) const
{
    // Minutes arrive in order; a minute the server skipped simply has no point.
    auto at =
        std::lower_bound(points.begin(), points.end(), slot, [](const FSPoint& p, int s) { return SlotOf(p.tm) < s; });
    return at != points.end() && SlotOf(at->tm) == slot ? &*at : nullptr;
}

int CFSData::Load(CReplyRecordSet& reply, bool addUp)
{
    ReadSecurity(reply, &security);
    CDataSet* minutes = FindSet(reply, "hq.minute", 1);
    std::vector<FSPoint> read;
    if (minutes != nullptr) {
        int tm = minutes->FindField("tm"), price = minutes->FindField("zjcj"), volume = minutes->FindField("cjsl"),
            average = minutes->FindField("jj"), amount = minutes->FindField("cjje"), info = minutes->FindField("xxld"),
            day = minutes->FindField("date");
        if (day >= 0 && minutes->MoveFirst())
            date = minutes->GetAsInt(day);
        for (minutes->MoveFirst(); !minutes->IsEOF(); minutes->MoveNext()) {
            FSPoint p;
            p.tm = IntField(minutes, tm);
            if (SlotOf(p.tm) < 0 || (!read.empty() && SlotOf(p.tm) <= SlotOf(read.back().tm)))
                continue; // outside the trading day or out of order: not drawable
            p.price = ChartNumber(minutes, price);
            p.volume = ChartNumber(minutes, volume);
            p.average = ChartNumber(minutes, average);
            p.amount = ChartNumber(minutes, amount);
            p.infoId = IntField(minutes, info);
            read.push_back(p);
        }
    }
    if (addUp && !read.empty()) {
        int from = SlotOf(read.front().tm);
        while (!points.empty() && SlotOf(points.back().tm) >= from)
            points.pop_back();
        points.insert(points.end(), read.begin(), read.end());
    } else if (!addUp) {
        points = std::move(read);
        index.clear();
    }

    CDataSet* overlay = FindSet(reply, "hq.overlay", 2);
    if (overlay != nullptr && overlay->FindField("zrsp") >= 0) {
        int tm = overlay->FindField("tm"), price = overlay->FindField("zjcj"), close = overlay->FindField("zrsp");
        std::vector<FSIndexPoint> more;
        for (overlay->MoveFirst(); !overlay->IsEOF(); overlay->MoveNext()) {
            FSIndexPoint p{IntField(overlay, tm), ChartNumber(overlay, price)};
            if (SlotOf(p.tm) < 0 || (!more.empty() && SlotOf(p.tm) <= SlotOf(more.back().tm)))
                continue;
            indexPrevClose = ChartNumber(overlay, close);
            more.push_back(p);
        }
        if (overlay->MoveFirst())
            indexCode = TextField(overlay, "code");
        if (!more.empty()) {
            int from = SlotOf(more.front().tm);
            while (!index.empty() && SlotOf(index.back().tm) >= from)
                index.pop_back();
            index.insert(index.end(), more.begin(), more.end());
        }
    }
    return (int)points.size();
}

void CKXData::Clear()
{
    security = ChartSecurity();
    bars.clear();
    for (std::string& name : averageNames)
        name.clear();
    techLines.clear();
    techSticks.clear();
}

bool CKXData::IsAnotherDay(CReplyRecordSet& reply) const
{
    ChartSecurity replied;
    if (ReadSecurity(reply, &replied) && HasValue(replied.prevClose) && HasValue(security.prevClose) &&
        std::fabs(replied.prevClose - security.prevClose) > 1e-9)
        return true;
    CDataSet* kline = FindSet(reply, "hq.kline", 1);
    if (kline == nullptr || bars.empty() || kline->GetRowCount() < 1 || !kline->MoveFirst())
        return false;
    int date = kline->FindField("date"), time = kline->FindField("time");
    if (date < 0)
        return false;
    KXBar first;
    first.date = IntField(kline, date);
    first.time = IntField(kline, time);
    return first.date > bars.back().date && BarKey(first) > BarKey(bars.back());
}

int CKXData::Load(CReplyRecordSet& reply, LoadMode mode)
{
    ReadSecurity(reply, &security);
    CDataSet* kline = FindSet(reply, "hq.kline", 1);
    CDataSet* tech = FindSet(reply, "hq.tech", 2);
    std::vector<KXBar> read = ReadBars(kline, averageNames);
    std::vector<std::string> lines;
    std::vector<bool> sticks;
    ReadTech(tech, read, lines, sticks);
    if (mode != EARLIER || bars.empty()) {
        techLines = lines;
        techSticks = sticks;
    }
    switch (mode) {
    case EARLIER: {
        if (!bars.empty())
            while (!read.empty() && BarKey(read.back()) >= BarKey(bars.front()))
                read.pop_back();
        int added = (int)read.size();
        bars.insert(bars.begin(), read.begin(), read.end());
        return added;
    }
    case LATEST:
        if (!read.empty()) {
            while (!bars.empty() && BarKey(bars.back()) >= BarKey(read.front()))
                bars.pop_back();
            bars.insert(bars.end(), read.begin(), read.end());
        }
        return (int)bars.size();
    case REPLACE:
        break;
    }
    bars = std::move(read);
    return (int)bars.size();
}
