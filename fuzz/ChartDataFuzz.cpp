// Feeds arbitrary reply bodies to the charts' readers in every mode, one after the other as a window would meet
// them: the minutes must stay inside the trading day in time order, the bars in time order, and every bar of a
// whole reply must hold no more indicator values than the reply named lines.
#include "charts/ChartData.h"
#include "core/ReplyRecordSet.h"

#include <cstddef>
#include <cstdint>

namespace {

void CheckDay(const CFSData& day)
{
    int last = -1;
    for (const FSPoint& p : day.points) {
        int slot = CFSData::SlotOf(p.tm);
        if (slot < 0 || slot >= CFSData::DAY_MINUTES || slot <= last)
            __builtin_trap();
        last = slot;
    }
    for (const FSIndexPoint& p : day.index)
        if (CFSData::SlotOf(p.tm) < 0)
            __builtin_trap();
}

void CheckBars(const CKXData& chart, bool oneReply)
{
    if (chart.techSticks.size() != chart.techLines.size())
        __builtin_trap();
    long long last = -1;
    for (const KXBar& bar : chart.bars) {
        long long key = (long long)bar.date * 10000 + bar.time;
        if (key <= last || (oneReply && bar.lines.size() > chart.techLines.size()))
            __builtin_trap();
        last = key;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The first byte splits the input into two replies: the first and a later one of the same window.
    size_t cut = size > 0 ? data[0] * size / 256 : 0;
    const BYTE* bytes = size > 0 ? data + 1 : data;
    size_t rest = size > 0 ? size - 1 : 0;
    cut = cut < rest ? cut : rest;
    CReplyRecordSet first(bytes, (DWORD)cut);
    CReplyRecordSet later(bytes + cut, (DWORD)(rest - cut));

    CFSData day;
    day.Load(first, false);
    CheckDay(day);
    if (day.IsAnotherDay(later, 0) && day.IsAnotherDay(later, day.LastTime()) == false)
        __builtin_trap(); // lacking the minute asked from only adds a reason for another day
    day.Load(later, true);
    CheckDay(day);
    for (int slot = -1; slot <= CFSData::DAY_MINUTES; ++slot)
        if (const FSPoint* p = day.PointAtSlot(slot))
            if (CFSData::SlotOf(p->tm) != slot)
                __builtin_trap();

    for (CKXData::LoadMode mode : {CKXData::EARLIER, CKXData::LATEST}) {
        CKXData chart;
        chart.Load(first, CKXData::REPLACE);
        CheckBars(chart, true);
        chart.Load(later, mode);
        CheckBars(chart, false);
    }
    return 0;
}
