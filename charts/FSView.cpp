// Drawing the time-share chart.
#include "charts/FSView.h"

#include "platform/ui/UiDraw.h"
#include "platform/win/Gdi.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int AXIS_HEIGHT = 22;

// The previous close, or the first price when the server gave none: the middle of the scale.
double Reference(const CFSData& data)
{
    if (HasValue(data.security.prevClose) && data.security.prevClose > 0)
        return data.security.prevClose;
    for (const FSPoint& p : data.points)
        if (HasValue(p.price))
            return p.price;
    return CHART_NONE;
}

// The index's price on the stock's scale: the same percentage change from the stock's previous close.
double IndexOnScale(const CFSData& data, double indexPrice, double reference)
{
    if (!HasValue(indexPrice) || !HasValue(data.indexPrevClose) || data.indexPrevClose <= 0)
        return CHART_NONE;
    return reference * indexPrice / data.indexPrevClose;
}

} // namespace

int CFSView::XOfSlot(int slot) const
{
    int width = pricePane.right - pricePane.left;
    return pricePane.left + (int)((slot + 0.5) * width / CFSData::DAY_MINUTES);
}

int CFSView::XOfIndex(int index) const
{
    if (data == nullptr || index < 0 || index >= (int)data->points.size())
        return pricePane.left;
    return XOfSlot(CFSData::SlotOf(data->points[(size_t)index].tm));
}

int CFSView::IndexAt(int x) const
{
    if (!HasData() || pricePane.right <= pricePane.left)
        return -1;
    int slot = (int)((x - pricePane.left) * (long)CFSData::DAY_MINUTES / (pricePane.right - pricePane.left));
    slot = std::clamp(slot, 0, CFSData::DAY_MINUTES - 1);
    // The last minute at or before the finger; before the first minute, the first.
    int index = 0;
    for (size_t i = 0; i < data->points.size(); ++i)
        if (CFSData::SlotOf(data->points[i].tm) <= slot)
            index = (int)i;
    return index;
}

int CFSView::MarkerAt(int x) const
{
    if (!HasData())
        return 0;
    for (const FSPoint& p : data->points)
        if (p.infoId != 0 && std::abs(XOfSlot(CFSData::SlotOf(p.tm)) - x) <= 6)
            return p.infoId;
    return 0;
}

std::vector<ChartText> CFSView::CursorLine(int index) const
{
    if (data == nullptr || index < 0 || index >= (int)data->points.size())
        return {};
    const FSPoint& p = data->points[(size_t)index];
    double reference = Reference(*data);
    int decimals = data->security.decimals;
    char16_t time[8] = {(char16_t)(u'0' + p.tm / 1000 % 10), (char16_t)(u'0' + p.tm / 100 % 10), u':',
                        (char16_t)(u'0' + p.tm / 10 % 10), (char16_t)(u'0' + p.tm % 10), 0};
    int rise = RiseColor(p.price, reference);
    double change = HasValue(p.price) && HasValue(reference) ? p.price - reference : CHART_NONE;
    return {{time, CC_AXIS_TEXT},
            {u"价" + Number(p.price, decimals), rise},
            {u"涨跌" + Signed(change, decimals), rise},
            {Percent(change, reference), rise},
            {u"均" + Number(p.average, decimals), CC_AVERAGE_LINE},
            {u"量" + Volume(p.volume), CC_SECONDARY}};
}

void CFSView::PaintChart(HDC dc, const RECT& area)
{
    int top = area.top + STRIP_HEIGHT;
    int height = area.bottom - top - AXIS_HEIGHT;
    pricePane = RECT{area.left + 1, top, area.right - 1, top + height * 7 / 10};
    volumePane = RECT{area.left + 1, pricePane.bottom + AXIS_HEIGHT, area.right - 1, area.bottom - 1};
    // The title strip: name, latest price and change.
    if (data != nullptr && !data->security.name.empty()) {
        std::vector<ChartText> title{{Wide(data->security.name), CC_FLAT}};
        if (HasData()) {
            std::vector<ChartText> last = CursorLine((int)data->points.size() - 1);
            title.insert(title.end(), last.begin() + 1, last.end() - 2);
        }
        DrawRuns(dc, title, area.left + 4, area.top + 2);
    }
    DrawFrame(dc, pricePane);
    DrawFrame(dc, volumePane);
    PaintAxis(dc);
    if (HasData()) {
        PaintPrices(dc);
        PaintVolumes(dc);
    }
}

void CFSView::PaintAxis(HDC dc)
{
    // Quarters of the price pane, halves of the volume pane, and the hours of the day.
    for (int k = 1; k < 4; ++k) {
        int y = pricePane.top + (pricePane.bottom - pricePane.top) * k / 4;
        DrawGridLine(dc, pricePane.left, y, pricePane.right, y, k != 2);
    }
    int mid = (volumePane.top + volumePane.bottom) / 2;
    DrawGridLine(dc, volumePane.left, mid, volumePane.right, mid, true);
    for (int slot : {60, 120, 180}) {
        int x = pricePane.left + (pricePane.right - pricePane.left) * slot / CFSData::DAY_MINUTES;
        DrawGridLine(dc, x, pricePane.top, x, pricePane.bottom, slot != 120);
        DrawGridLine(dc, x, volumePane.top, x, volumePane.bottom, slot != 120);
    }
    int y = pricePane.bottom + 2;
    DrawTextAt(dc, u"09:30", pricePane.left + 2, y, CC_AXIS_TEXT, DT_LEFT);
    DrawTextAt(dc, u"11:30/13:00", (pricePane.left + pricePane.right) / 2, y, CC_AXIS_TEXT, DT_CENTER);
    DrawTextAt(dc, u"15:00", pricePane.right - 2, y, CC_AXIS_TEXT, DT_RIGHT);
}

void CFSView::PaintPrices(HDC dc)
{
    double reference = Reference(*data);
    if (!HasValue(reference))
        return;
    // Symmetric around the previous close: the largest deviation of the price, the average and the index.
    double deviation = 0;
    for (const FSPoint& p : data->points)
        for (double v : {p.price, p.average})
            if (HasValue(v))
                deviation = std::max(deviation, std::fabs(v - reference));
    for (const FSIndexPoint& p : data->index) {
        double v = IndexOnScale(*data, p.price, reference);
        if (HasValue(v))
            deviation = std::max(deviation, std::fabs(v - reference));
    }
    priceScale.Set(reference - deviation, reference + deviation, pricePane.top + 2, pricePane.bottom - 2);

    size_t n = data->points.size();
    std::vector<POINT> price(n), average(n);
    std::vector<bool> hasPrice(n), hasAverage(n);
    for (size_t i = 0; i < n; ++i) {
        const FSPoint& p = data->points[i];
        int x = XOfSlot(CFSData::SlotOf(p.tm));
        hasPrice[i] = HasValue(p.price);
        hasAverage[i] = HasValue(p.average);
        price[i] = POINT{x, hasPrice[i] ? priceScale.Y(p.price) : 0};
        average[i] = POINT{x, hasAverage[i] ? priceScale.Y(p.average) : 0};
    }
    if (!data->index.empty()) {
        std::vector<POINT> index(data->index.size());
        std::vector<bool> hasIndex(data->index.size());
        for (size_t i = 0; i < data->index.size(); ++i) {
            double v = IndexOnScale(*data, data->index[i].price, reference);
            hasIndex[i] = HasValue(v);
            index[i] = POINT{XOfSlot(CFSData::SlotOf(data->index[i].tm)), hasIndex[i] ? priceScale.Y(v) : 0};
        }
        DrawLine(dc, index, hasIndex, CC_AUXILIARY);
    }
    DrawLine(dc, average, hasAverage, CC_AVERAGE_LINE);
    DrawLine(dc, price, hasPrice, CC_PRICE_LINE);

    // Information markers: a small mark just above the price of each minute the server marked.
    for (const FSPoint& p : data->points)
        if (p.infoId != 0 && HasValue(p.price)) {
            int x = XOfSlot(CFSData::SlotOf(p.tm));
            int y = std::max((int)pricePane.top + 1, priceScale.Y(p.price) - 10);
            RECT mark{x - 3, y, x + 4, y + 7};
            UiFillRect(dc, mark, Color(CC_SECONDARY));
        }

    int decimals = data->security.decimals;
    int labelTop = pricePane.top + 1, labelBottom = pricePane.bottom - TEXT_SIZE - 2;
    int labelMiddle = (pricePane.top + pricePane.bottom - TEXT_SIZE) / 2;
    DrawTextAt(dc, Number(priceScale.hi, decimals), pricePane.left + 2, labelTop, CC_RISE, DT_LEFT);
    DrawTextAt(dc, Number(reference, decimals), pricePane.left + 2, labelMiddle, CC_FLAT, DT_LEFT);
    DrawTextAt(dc, Number(priceScale.lo, decimals), pricePane.left + 2, labelBottom, CC_FALL, DT_LEFT);
    DrawTextAt(dc, Percent(priceScale.hi - reference, reference), pricePane.right - 2, labelTop, CC_RISE, DT_RIGHT);
    DrawTextAt(dc, u"0.00%", pricePane.right - 2, labelMiddle, CC_FLAT, DT_RIGHT);
    DrawTextAt(dc, Percent(priceScale.lo - reference, reference), pricePane.right - 2, labelBottom, CC_FALL,
               DT_RIGHT);
}

void CFSView::PaintVolumes(HDC dc)
{
    double most = 0;
    for (const FSPoint& p : data->points)
        if (HasValue(p.volume))
            most = std::max(most, p.volume);
    DrawTextAt(dc, Volume(most), volumePane.left + 2, volumePane.top + 1, CC_SECONDARY, DT_LEFT);
    if (most <= 0)
        return; // no deals: an empty pane, not a division by zero
    ChartScale scale;
    scale.Set(0, most, volumePane.top + 2, volumePane.bottom - 1);
    double previous = Reference(*data);
    for (const FSPoint& p : data->points) {
        int x = XOfSlot(CFSData::SlotOf(p.tm));
        if (HasValue(p.volume) && p.volume > 0) {
            HPEN pen = CreatePen(PS_SOLID, 1, Color(RiseColor(p.price, previous)));
            HGDIOBJ old = SelectObject(dc, pen);
            MoveToEx(dc, x, volumePane.bottom - 1, nullptr);
            LineTo(dc, x, scale.Y(p.volume));
            SelectObject(dc, old);
            DeleteObject(pen);
        }
        if (HasValue(p.price))
            previous = p.price;
    }
}
