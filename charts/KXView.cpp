// Drawing the K-line chart.
#include "charts/KXView.h"

#include "platform/ui/UiDraw.h"
#include "platform/win/Gdi.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

constexpr int LEGEND_HEIGHT = 22;
constexpr int AXIS_HEIGHT = 20;
constexpr int LABEL_GAP = 3; // between the panes and their label column
constexpr int PRICE_DECIMALS = -1;

// How an indicator is drawn, known by the name of its first line.
struct IndicatorLook {
    const char* firstLine;
    int decimals; // of its legend and labels; PRICE_DECIMALS: the security's
    bool bounded; // its lines live on 0-100: the scale shows at least that, with two guides
    double guides[2];
    bool volumeSticks; // sticks of volume: coloured by their bar's rise or fall, not by sign
};
const IndicatorLook LOOKS[] = {
    {"MA5", PRICE_DECIMALS, false, {0, 0}, false},
    {"MID", PRICE_DECIMALS, false, {0, 0}, false},
    {"VOL", 0, false, {0, 0}, true},
    {"K", 2, true, {20, 80}, false},
    {"RSI6", 2, true, {30, 70}, false},
};
const IndicatorLook OTHER_LOOK = {"", 3, false, {0, 0}, false}; // MACD and the unknown: three decimals

const IndicatorLook& LookOf(const CKXData& data)
{
    if (!data.techLines.empty())
        for (const IndicatorLook& look : LOOKS)
            if (data.techLines[0] == look.firstLine)
                return look;
    return OTHER_LOOK;
}

std::u16string DateText(int date, int time)
{
    char text[32];
    if (time > 0)
        std::snprintf(text, sizeof text, "%02d-%02d %02d:%02d", date / 100 % 100, date % 100, time / 100 % 100,
                      time % 100);
    else
        std::snprintf(text, sizeof text, "%04d-%02d-%02d", date / 10000 % 10000, date / 100 % 100, date % 100);
    std::u16string s;
    for (const char* p = text; *p != 0; ++p)
        s.push_back((char16_t)*p);
    return s;
}

void Widen(double v, double* lo, double* hi)
{
    if (HasValue(v)) {
        *lo = std::min(*lo, v);
        *hi = std::max(*hi, v);
    }
}

void PriceRange(const CKXData& data, int from, int to, double* lo, double* hi)
{
    *lo = 1e300;
    *hi = -1e300;
    for (int i = from; i < to; ++i) {
        const KXBar& bar = data.bars[(size_t)i];
        for (double v : {bar.high, bar.low, bar.open, bar.close, bar.averages[0], bar.averages[1], bar.averages[2]})
            Widen(v, lo, hi);
    }
}

size_t LineCount(const CKXData& data)
{
    return std::min<size_t>(data.techLines.size(), 3);
}

void TechRange(const CKXData& data, const IndicatorLook& look, int from, int to, double* lo, double* hi)
{
    *lo = 1e300;
    *hi = -1e300;
    if (look.bounded) {
        *lo = 0;
        *hi = 100;
    }
    for (int i = from; i < to; ++i) {
        const KXBar& bar = data.bars[(size_t)i];
        for (size_t k = 0; k < LineCount(data) && k < bar.lines.size(); ++k) {
            Widen(bar.lines[k], lo, hi);
            if (data.techSticks[k])
                Widen(0.0, lo, hi); // bars stand on zero
        }
    }
}

} // namespace

int CKXView::LastVisible() const
{
    int n = data != nullptr ? (int)data->bars.size() : 0;
    return std::min(n, first + visible);
}

double CKXView::BarWidth() const
{
    return (double)(candlePane.right - candlePane.left) / std::max(visible, 1);
}

void CKXView::SetVisibleCount(int n)
{
    // The right edge is the last candle shown, which stays where it is.
    int total = data != nullptr ? (int)data->bars.size() : 0;
    int end = total > 0 ? std::min(first + visible, total) : first + visible;
    visible = std::clamp(n, MIN_VISIBLE, MAX_VISIBLE);
    first = std::max(0, end - visible);
    Invalidate();
}

void CKXView::ShowLatest()
{
    int total = data != nullptr ? (int)data->bars.size() : 0;
    first = std::max(0, total - visible);
    Invalidate();
}

bool CKXView::ScrollPages(int pages)
{
    int total = data != nullptr ? (int)data->bars.size() : 0;
    int moved = std::clamp(first + pages * visible, 0, std::max(0, total - visible));
    if (moved == first)
        return false;
    first = moved;
    Invalidate();
    return true;
}

void CKXView::BarsAddedInFront(int added, bool pageBack)
{
    int total = data != nullptr ? (int)data->bars.size() : 0;
    int end = std::min(first + visible, total - added) + added;
    first = std::max(0, pageBack ? first + added - visible : end - visible);
    Invalidate();
}

int CKXView::XOfIndex(int index) const
{
    return candlePane.left + (int)((index - first + 0.5) * BarWidth());
}

int CKXView::IndexAt(int x) const
{
    int to = LastVisible();
    if (!HasData() || to <= first || BarWidth() <= 0)
        return -1;
    int index = first + (int)std::floor((x - candlePane.left) / BarWidth());
    return std::clamp(index, first, to - 1);
}

int CKXView::LegendIndex(int to) const
{
    return IsCursorShown() && GetCursorIndex() >= first && GetCursorIndex() < to ? GetCursorIndex() : to - 1;
}

std::vector<ChartText> CKXView::CursorLine(int index) const
{
    if (data == nullptr || index < 0 || index >= (int)data->bars.size())
        return {};
    const KXBar& bar = data->bars[(size_t)index];
    int decimals = data->security.decimals;
    double before = index > 0 ? data->bars[(size_t)index - 1].close : bar.open;
    double change = HasValue(bar.close) && HasValue(before) ? bar.close - before : CHART_NONE;
    int rise = RiseColor(bar.close, before);
    return {{DateText(bar.date, bar.time), COLOR_AXIS_TEXT},
            {u"开" + Number(bar.open, decimals), RiseColor(bar.open, before)},
            {u"高" + Number(bar.high, decimals), RiseColor(bar.high, before)},
            {u"低" + Number(bar.low, decimals), RiseColor(bar.low, before)},
            {u"收" + Number(bar.close, decimals), rise},
            {Percent(change, before), rise},
            ValueRun(u"量", bar.volume, Volume(bar.volume), COLOR_VOLUME)};
}

int CKXView::CursorY(int index) const
{
    if (data == nullptr || index < 0 || index >= (int)data->bars.size() || !HasValue(data->bars[(size_t)index].close))
        return -1;
    return priceRange.Y(data->bars[(size_t)index].close);
}

void CKXView::PaintCursorTags(HDC dc, int index, int x, int y)
{
    const KXBar& bar = data->bars[(size_t)index];
    if (y >= 0) {
        RECT column{candlePane.right, candlePane.top, chartArea.right, candlePane.bottom};
        DrawTag(dc, Number(bar.close, data->security.decimals), candlePane.right, y, DT_LEFT, column);
    }
    RECT axis{chartArea.left, techPane.bottom, chartArea.right, chartArea.bottom};
    DrawTag(dc, DateText(bar.date, bar.time), x, (axis.top + axis.bottom) / 2, DT_CENTER, axis);
}

void CKXView::Layout(const RECT& area, int column)
{
    int top = area.top + STRIP_HEIGHT;
    int height = area.bottom - top - AXIS_HEIGHT;
    int right = area.right - column - 2 * LABEL_GAP;
    candlePane = RECT{area.left + 1, top + LEGEND_HEIGHT, right, top + height * 55 / 100};
    volumePane = RECT{area.left + 1, candlePane.bottom + LEGEND_HEIGHT, right, top + height * 73 / 100};
    techPane = RECT{area.left + 1, volumePane.bottom + LEGEND_HEIGHT, right, top + height};
}

void CKXView::PaintChart(HDC dc, const RECT& area)
{
    if (data != nullptr && !data->security.name.empty())
        DrawRuns(dc, {{Wide(data->security.name), COLOR_UNCHANGED}, {periodName, COLOR_AXIS_TEXT}}, area.left + 4,
                 area.top + 2);
    int to = 0;
    double most = 0;
    int column = TextWidth(dc, u"0.00");
    if (HasData()) {
        first = std::clamp(first, 0, std::max(0, (int)data->bars.size() - 1));
        to = LastVisible();
        // The label column is as wide as the widest scale label.
        int decimals = data->security.decimals, techDecimals = LookOf(*data).decimals;
        techDecimals = techDecimals == PRICE_DECIMALS ? decimals : techDecimals;
        double lo = 0, hi = 0, techLo = 0, techHi = 0;
        PriceRange(*data, first, to, &lo, &hi);
        TechRange(*data, LookOf(*data), first, to, &techLo, &techHi);
        for (int i = first; i < to; ++i)
            if (HasValue(data->bars[(size_t)i].volume))
                most = std::max(most, data->bars[(size_t)i].volume);
        for (double v : {lo, hi})
            if (std::fabs(v) < 1e299)
                column = std::max(column, TextWidth(dc, Number(v, decimals)));
        for (double v : {techLo, techHi})
            if (std::fabs(v) < 1e299)
                column = std::max(column, TextWidth(dc, Number(v, techDecimals)));
        column = std::max(column, TextWidth(dc, Volume(most)));
    }
    Layout(area, column);
    for (const RECT* pane : {&candlePane, &volumePane, &techPane})
        DrawFrame(dc, *pane);
    for (const RECT* pane : {&candlePane, &volumePane}) {
        int mid = (pane->top + pane->bottom) / 2;
        DrawGridLine(dc, pane->left, mid, pane->right, mid, true);
    }
    if (!HasData())
        return;
    PaintCandles(dc, first, to);
    PaintVolumes(dc, first, to, most);
    PaintIndicator(dc, first, to);
    PaintDates(dc, first, to);
}

int CKXView::DateLeft(int index, int width) const
{
    // Centred on its candle where that fits; else starting at the candle (near the left end) or ending at it
    // (near the right end), so that a date never stands under another candle than its own.
    int x = XOfIndex(index), half = std::max(1, (int)(BarWidth() / 2));
    int lowest = chartArea.left + 2, highest = candlePane.right;
    int left = x - width / 2;
    if (left < lowest)
        left = std::max(lowest, x - half);
    if (left + width > highest)
        left = std::max(lowest, std::min(highest, x + half) - width);
    return left;
}

void CKXView::PaintDates(HDC dc, int from, int to)
{
    // The last date shown, and the first when it leaves room for the last: each under its own candle.
    int y = techPane.bottom + 1;
    const KXBar& lastBar = data->bars[(size_t)to - 1];
    std::u16string last = DateText(lastBar.date, lastBar.time);
    int lastLeft = DateLeft(to - 1, TextWidth(dc, last));
    DrawAxisLabel(dc, last, lastLeft, y, COLOR_AXIS_TEXT, DT_LEFT);
    const KXBar& firstBar = data->bars[(size_t)from];
    std::u16string start = DateText(firstBar.date, firstBar.time);
    int firstLeft = DateLeft(from, TextWidth(dc, start));
    if (to - 1 > from && firstLeft + TextWidth(dc, start) + 8 < lastLeft)
        DrawAxisLabel(dc, start, firstLeft, y, COLOR_AXIS_TEXT, DT_LEFT);
}

void CKXView::PaintCandles(HDC dc, int from, int to)
{
    double lo = 0, hi = 0;
    PriceRange(*data, from, to, &lo, &hi);
    ChartScale& scale = priceRange;
    scale.Set(lo, hi, candlePane.top + 2, candlePane.bottom - 2);
    double width = BarWidth();
    int body = std::max(1, (int)(width * 0.7));
    for (int i = from; i < to; ++i) {
        const KXBar& bar = data->bars[(size_t)i];
        if (!HasValue(bar.open) || !HasValue(bar.close))
            continue;
        int color = RiseColor(bar.close, bar.open);
        int x = XOfIndex(i);
        HPEN pen = CreatePen(PS_SOLID, 1, Color(color));
        HGDIOBJ old = SelectObject(dc, pen);
        if (HasValue(bar.high) && HasValue(bar.low)) {
            MoveToEx(dc, x, scale.Y(bar.high), nullptr);
            LineTo(dc, x, scale.Y(bar.low) + 1);
        }
        int y0 = scale.Y(std::max(bar.open, bar.close)), y1 = scale.Y(std::min(bar.open, bar.close));
        RECT box{x - body / 2, y0, x - body / 2 + body, std::max(y1, y0 + 1)};
        UiFillRect(dc, box, Color(color));
        SelectObject(dc, old);
        DeleteObject(pen);
    }
    std::vector<ChartText> legend;
    int at = LegendIndex(to);
    for (int k = 0; k < 3; ++k) {
        size_t n = (size_t)(to - from);
        std::vector<POINT> points(n);
        std::vector<bool> present(n);
        for (size_t j = 0; j < n; ++j) {
            double v = data->bars[(size_t)from + j].averages[k];
            present[j] = HasValue(v);
            points[j] = POINT{XOfIndex(from + (int)j), present[j] ? scale.Y(v) : 0};
        }
        DrawLine(dc, points, present, COLOR_MA_FIRST + k);
        double value = data->bars[(size_t)at].averages[k];
        if (!data->averageNames[k].empty())
            legend.push_back(ValueRun(Wide(data->averageNames[k]) + u":", value,
                                      Number(value, data->security.decimals), COLOR_MA_FIRST + k));
    }
    DrawRuns(dc, legend, candlePane.left + 2, candlePane.top - LEGEND_HEIGHT + 1);
    RecordLegend(legend);
    int x = candlePane.right + LABEL_GAP;
    RECT column{candlePane.right, candlePane.top, chartArea.right, candlePane.bottom};
    int decimals = data->security.decimals;
    DrawScaleLabel(dc, Number(scale.hi, decimals), x, scale.Y(scale.hi), COLOR_AXIS_TEXT, DT_LEFT, column);
    DrawScaleLabel(dc, Number(scale.lo, decimals), x, scale.Y(scale.lo), COLOR_AXIS_TEXT, DT_LEFT, column);
}

void CKXView::PaintVolumes(HDC dc, int from, int to, double most)
{
    const KXBar& shown = data->bars[(size_t)LegendIndex(to)];
    std::vector<ChartText> legend{ValueRun(u"VOL:", shown.volume, Volume(shown.volume), COLOR_VOLUME)};
    DrawRuns(dc, legend, volumePane.left + 2, volumePane.top - LEGEND_HEIGHT + 1);
    RecordLegend(legend);
    RECT column{volumePane.right, volumePane.top, chartArea.right, volumePane.bottom};
    DrawScaleLabel(dc, Volume(most), volumePane.right + LABEL_GAP, volumePane.top, COLOR_VOLUME, DT_LEFT, column);
    if (most <= 0)
        return; // a suspended stock's bars: no volume to scale
    ChartScale scale;
    scale.Set(0, most, volumePane.top + 2, volumePane.bottom - 1);
    int body = std::max(1, (int)(BarWidth() * 0.7));
    for (int i = from; i < to; ++i) {
        const KXBar& bar = data->bars[(size_t)i];
        if (!HasValue(bar.volume) || bar.volume <= 0)
            continue;
        int x = XOfIndex(i);
        RECT box{x - body / 2, scale.Y(bar.volume), x - body / 2 + body, volumePane.bottom - 1};
        UiFillRect(dc, box, Color(RiseColor(bar.close, bar.open)));
    }
}

void CKXView::PaintIndicator(HDC dc, int from, int to)
{
    const IndicatorLook& look = LookOf(*data);
    int decimals = look.decimals == PRICE_DECIMALS ? data->security.decimals : look.decimals;
    size_t lines = LineCount(*data);
    double lo = 0, hi = 0;
    TechRange(*data, look, from, to, &lo, &hi);
    ChartScale& scale = techScale;
    scale.Set(lo, hi, techPane.top + 2, techPane.bottom - 2);
    int x = techPane.right + LABEL_GAP;
    RECT column{techPane.right, techPane.top, chartArea.right, techPane.bottom};
    // The guides of a bounded indicator, else its top and bottom (none while it has no value yet, rather than an
    // invented range); the zero line wherever zero lies inside.
    if (look.bounded) {
        for (double guide : look.guides) {
            DrawGridLine(dc, techPane.left, scale.Y(guide), techPane.right, scale.Y(guide), true);
            DrawScaleLabel(dc, Number(guide, 0), x, scale.Y(guide), COLOR_AXIS_TEXT, DT_LEFT, column);
        }
    } else if (lo <= hi) {
        DrawScaleLabel(dc, Number(scale.hi, decimals), x, scale.Y(scale.hi), COLOR_AXIS_TEXT, DT_LEFT, column);
        DrawScaleLabel(dc, Number(scale.lo, decimals), x, scale.Y(scale.lo), COLOR_AXIS_TEXT, DT_LEFT, column);
    }
    int zero = scale.Y(0);
    if (scale.lo < 0 && scale.hi > 0)
        DrawGridLine(dc, techPane.left, zero, techPane.right, zero, false);
    std::vector<ChartText> legend;
    const KXBar& shown = data->bars[(size_t)LegendIndex(to)];
    for (size_t k = 0; k < lines; ++k) {
        int color = COLOR_TECH_FIRST + (int)k;
        double value = k < shown.lines.size() ? shown.lines[k] : CHART_NONE;
        legend.push_back(ValueRun(Wide(data->techLines[k]) + u":", value, Number(value, decimals), color));
        if (data->techSticks[k]) {
            PaintSticks(dc, from, to, k, look.volumeSticks);
            continue;
        }
        size_t n = (size_t)(to - from);
        std::vector<POINT> points(n);
        std::vector<bool> present(n);
        for (size_t j = 0; j < n; ++j) {
            const KXBar& bar = data->bars[(size_t)from + j];
            present[j] = k < bar.lines.size() && HasValue(bar.lines[k]);
            points[j] = POINT{XOfIndex(from + (int)j), present[j] ? scale.Y(bar.lines[k]) : 0};
        }
        DrawLine(dc, points, present, color);
    }
    DrawRuns(dc, legend, techPane.left + 2, techPane.top - LEGEND_HEIGHT + 1);
    RecordLegend(legend);
}

void CKXView::PaintSticks(HDC dc, int from, int to, size_t line, bool byBar)
{
    int zero = techScale.Y(0);
    for (int i = from; i < to; ++i) {
        const KXBar& bar = data->bars[(size_t)i];
        if (line >= bar.lines.size() || !HasValue(bar.lines[line]))
            continue;
        // A volume is never below zero: its stick says whether its bar rose or fell.
        int color = byBar ? RiseColor(bar.close, bar.open) : bar.lines[line] >= 0 ? COLOR_RISE : COLOR_FALL;
        int x = XOfIndex(i);
        HPEN pen = CreatePen(PS_SOLID, 1, Color(color));
        HGDIOBJ old = SelectObject(dc, pen);
        MoveToEx(dc, x, zero, nullptr);
        LineTo(dc, x, techScale.Y(bar.lines[line]));
        SelectObject(dc, old);
        DeleteObject(pen);
    }
}

void CKXView::Describe(UiDescription& out) const
{
    CChartView::Describe(out);
    out.extra = "first=" + std::to_string(first) + ";visible=" + std::to_string(visible);
}
