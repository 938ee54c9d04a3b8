// Drawing the time-share chart.
#include "charts/FSView.h"

#include "platform/ui/UiDraw.h"
#include "platform/win/Gdi.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int AXIS_HEIGHT = 22;
constexpr int LABEL_GAP = 3; // between a label column and its pane

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

// The largest distance from the reference of the price, the average and the index: the scale is symmetric.
double Deviation(const CFSData& data, double reference)
{
    double deviation = 0;
    for (const FSPoint& p : data.points)
        for (double v : {p.price, p.average})
            if (HasValue(v))
                deviation = std::max(deviation, std::fabs(v - reference));
    for (const FSIndexPoint& p : data.index) {
        double v = IndexOnScale(data, p.price, reference);
        if (HasValue(v))
            deviation = std::max(deviation, std::fabs(v - reference));
    }
    return deviation;
}

std::u16string TimeText(int hhmm)
{
    return {(char16_t)(u'0' + hhmm / 1000 % 10), (char16_t)(u'0' + hhmm / 100 % 10), u':',
            (char16_t)(u'0' + hhmm / 10 % 10), (char16_t)(u'0' + hhmm % 10)};
}

} // namespace

int CFSView::XOfSlot(int slot) const
{
    // Two pixels in from each side, so that neither the first nor the last minute lies on the frame.
    int width = pricePane.right - pricePane.left - 4;
    return pricePane.left + 2 + (int)((slot + 0.5) * width / CFSData::DAY_MINUTES);
}

int CFSView::XOfIndex(int index) const
{
    if (data == nullptr || index < 0 || index >= (int)data->points.size())
        return pricePane.left;
    return XOfSlot(CFSData::SlotOf(data->points[(size_t)index].tm));
}

int CFSView::IndexAt(int x) const
{
    if (!HasData() || pricePane.right - pricePane.left <= 4)
        return -1;
    // A marker under the finger wins: its minute is the one whose notes the radar shows.
    if (int marker = MarkerAt(x))
        for (size_t i = 0; i < data->points.size(); ++i)
            if (data->points[i].infoId == marker)
                return (int)i;
    int width = pricePane.right - pricePane.left - 4;
    int slot = (int)std::floor((x - pricePane.left - 2) * (double)CFSData::DAY_MINUTES / width);
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
        if (p.infoId != 0 && HasValue(p.price) && std::abs(XOfSlot(CFSData::SlotOf(p.tm)) - x) <= MARKER_HALF)
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
    int rise = RiseColor(p.price, reference);
    double change = HasValue(p.price) && HasValue(reference) ? p.price - reference : CHART_NONE;
    std::vector<ChartText> line{{TimeText(p.tm), COLOR_AXIS_TEXT},
                                {u"价" + Number(p.price, decimals), rise},
                                {u"涨跌" + Signed(change, decimals), rise},
                                {Percent(change, reference), rise},
                                ValueRun(u"均", p.average, Number(p.average, decimals), COLOR_AVERAGE_LINE),
                                ValueRun(u"量", p.volume, Volume(p.volume), COLOR_VOLUME)};
    if (p.infoId != 0)
        line.push_back({u"有信息", COLOR_VOLUME}); // the radar lists this minute's notes
    return line;
}

int CFSView::CursorY(int index) const
{
    if (data == nullptr || index < 0 || index >= (int)data->points.size() ||
        !HasValue(data->points[(size_t)index].price))
        return -1;
    return priceScale.Y(data->points[(size_t)index].price);
}

void CFSView::PaintCursorTags(HDC dc, int index, int x, int y)
{
    const FSPoint& p = data->points[(size_t)index];
    if (y >= 0) {
        RECT left{chartArea.left, pricePane.top, pricePane.left, pricePane.bottom};
        RECT right{pricePane.right, pricePane.top, chartArea.right, pricePane.bottom};
        double reference = Reference(*data);
        DrawTag(dc, Number(p.price, data->security.decimals), pricePane.left, y, DT_RIGHT, left);
        DrawTag(dc, Percent(p.price - reference, reference), pricePane.right, y, DT_LEFT, right);
    }
    RECT axis{pricePane.left, pricePane.bottom, pricePane.right, volumePane.top};
    DrawTag(dc, TimeText(p.tm), x, (axis.top + axis.bottom) / 2, DT_CENTER, axis);
}

void CFSView::PaintChart(HDC dc, const RECT& area)
{
    // The title strip: name, latest price and change.
    if (data != nullptr && !data->security.name.empty()) {
        std::vector<ChartText> title{{Wide(data->security.name), COLOR_UNCHANGED}};
        if (HasData()) {
            std::vector<ChartText> last = CursorLine((int)data->points.size() - 1);
            title.insert(title.end(), last.begin() + 1, last.begin() + 4); // price, change, percentage
        }
        DrawRuns(dc, title, area.left + 4, area.top + 2);
    }
    double reference = data != nullptr ? Reference(*data) : CHART_NONE;
    double deviation = HasValue(reference) ? Deviation(*data, reference) : 0;
    double most = 0;
    if (data != nullptr)
        for (const FSPoint& p : data->points)
            if (HasValue(p.volume))
                most = std::max(most, p.volume);
    // The label columns are as wide as their widest text; the panes lie between them.
    int top = area.top + STRIP_HEIGHT;
    int height = area.bottom - top - AXIS_HEIGHT;
    priceScale.Set(reference - deviation, reference + deviation, top + 2, top + height * 7 / 10 - 2);
    int decimals = data != nullptr ? data->security.decimals : 2;
    int left = std::max({TextWidth(dc, Number(priceScale.hi, decimals)), TextWidth(dc, Number(priceScale.lo, decimals)),
                         TextWidth(dc, Volume(most))});
    int right = std::max(TextWidth(dc, Percent(priceScale.lo - reference, reference)), TextWidth(dc, u"+0.00%"));
    pricePane = RECT{area.left + left + 2 * LABEL_GAP, top, area.right - right - 2 * LABEL_GAP, top + height * 7 / 10};
    volumePane = RECT{pricePane.left, pricePane.bottom + AXIS_HEIGHT, pricePane.right, area.bottom - 1};
    DrawFrame(dc, pricePane);
    DrawFrame(dc, volumePane);
    PaintAxis(dc);
    if (HasValue(reference))
        PaintPrices(dc, reference); // a day without minutes still shows its previous close
    if (HasData())
        PaintVolumes(dc, most);
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
        int x = (XOfSlot(slot - 1) + XOfSlot(slot)) / 2;
        DrawGridLine(dc, x, pricePane.top, x, pricePane.bottom, slot != 120);
        DrawGridLine(dc, x, volumePane.top, x, volumePane.bottom, slot != 120);
    }
    int y = pricePane.bottom + 2;
    DrawAxisLabel(dc, u"09:30", pricePane.left, y, COLOR_AXIS_TEXT, DT_LEFT);
    DrawAxisLabel(dc, u"11:30/13:00", (pricePane.left + pricePane.right) / 2, y, COLOR_AXIS_TEXT, DT_CENTER);
    DrawAxisLabel(dc, u"15:00", pricePane.right, y, COLOR_AXIS_TEXT, DT_RIGHT);
}

void CFSView::PaintPrices(HDC dc, double reference)
{
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
        DrawLine(dc, index, hasIndex, COLOR_CHART_AUXILIARY);
    }
    DrawLine(dc, average, hasAverage, COLOR_AVERAGE_LINE);
    DrawLine(dc, price, hasPrice, COLOR_PRICE_LINE);

    // Information markers: a small mark just above the price of each minute the server marked.
    for (const FSPoint& p : data->points)
        if (p.infoId != 0 && HasValue(p.price)) {
            int x = XOfSlot(CFSData::SlotOf(p.tm));
            int y = std::max((int)pricePane.top + 1, priceScale.Y(p.price) - 10);
            RECT mark{x - MARKER_HALF, y, x + MARKER_HALF + 1, y + 7};
            UiFillRect(dc, mark, Color(COLOR_VOLUME));
        }

    // The labels stand in their columns beside the panes, level with their lines.
    int decimals = data->security.decimals;
    int left = pricePane.left - LABEL_GAP, right = pricePane.right + LABEL_GAP;
    RECT column{chartArea.left, pricePane.top, chartArea.right, pricePane.bottom};
    int yTop = priceScale.Y(priceScale.hi), yMiddle = priceScale.Y(reference), yBottom = priceScale.Y(priceScale.lo);
    DrawScaleLabel(dc, Number(priceScale.hi, decimals), left, yTop, COLOR_RISE, DT_RIGHT, column);
    DrawScaleLabel(dc, Number(reference, decimals), left, yMiddle, COLOR_UNCHANGED, DT_RIGHT, column);
    DrawScaleLabel(dc, Number(priceScale.lo, decimals), left, yBottom, COLOR_FALL, DT_RIGHT, column);
    DrawScaleLabel(dc, Percent(priceScale.hi - reference, reference), right, yTop, COLOR_RISE, DT_LEFT, column);
    DrawScaleLabel(dc, u"0.00%", right, yMiddle, COLOR_UNCHANGED, DT_LEFT, column);
    DrawScaleLabel(dc, Percent(priceScale.lo - reference, reference), right, yBottom, COLOR_FALL, DT_LEFT, column);
}

void CFSView::PaintVolumes(HDC dc, double most)
{
    if (most > 0) { // no deals: an empty pane, not a division by zero
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
    RECT column{chartArea.left, volumePane.top, volumePane.left, volumePane.bottom};
    DrawScaleLabel(dc, Volume(most), volumePane.left - LABEL_GAP, volumePane.top, COLOR_VOLUME, DT_RIGHT, column);
}
