// Drawing the K-line chart.
#include "charts/KXView.h"

#include "platform/ui/UiDraw.h"
#include "platform/win/Gdi.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

namespace {

constexpr int LEGEND_HEIGHT = 22;
constexpr int AXIS_HEIGHT = 20;

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

void CKXView::BarsAddedInFront(int added)
{
    first = std::max(0, first + added - visible);
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
    int index = first + (int)((x - candlePane.left) / BarWidth());
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
    return {{DateText(bar.date, bar.time), CC_AXIS_TEXT},
            {u"开" + Number(bar.open, decimals), RiseColor(bar.open, before)},
            {u"高" + Number(bar.high, decimals), RiseColor(bar.high, before)},
            {u"低" + Number(bar.low, decimals), RiseColor(bar.low, before)},
            {u"收" + Number(bar.close, decimals), rise},
            {Percent(change, before), rise},
            {u"量" + Volume(bar.volume), CC_SECONDARY}};
}

void CKXView::PaintChart(HDC dc, const RECT& area)
{
    int top = area.top + STRIP_HEIGHT;
    int height = area.bottom - top - AXIS_HEIGHT;
    candlePane = RECT{area.left + 1, top + LEGEND_HEIGHT, area.right - 1, top + height * 55 / 100};
    volumePane = RECT{area.left + 1, candlePane.bottom + LEGEND_HEIGHT, area.right - 1, top + height * 73 / 100};
    techPane = RECT{area.left + 1, volumePane.bottom + LEGEND_HEIGHT, area.right - 1, top + height};
    if (data != nullptr && !data->security.name.empty())
        DrawRuns(dc, {{Wide(data->security.name), CC_FLAT}, {periodName, CC_AXIS_TEXT}}, area.left + 4, area.top + 2);
    for (const RECT* pane : {&candlePane, &volumePane, &techPane}) {
        DrawFrame(dc, *pane);
        int mid = (pane->top + pane->bottom) / 2;
        DrawGridLine(dc, pane->left, mid, pane->right, mid, true);
    }
    if (!HasData())
        return;
    first = std::clamp(first, 0, std::max(0, (int)data->bars.size() - 1));
    int to = LastVisible();
    PaintCandles(dc, first, to);
    PaintVolumes(dc, first, to);
    PaintIndicator(dc, first, to);
    int y = techPane.bottom + 1;
    DrawTextAt(dc, DateText(data->bars[(size_t)first].date, data->bars[(size_t)first].time), techPane.left + 2, y,
               CC_AXIS_TEXT, DT_LEFT);
    DrawTextAt(dc, DateText(data->bars[(size_t)to - 1].date, data->bars[(size_t)to - 1].time), techPane.right - 2, y,
               CC_AXIS_TEXT, DT_RIGHT);
}

void CKXView::PaintCandles(HDC dc, int from, int to)
{
    double lo = 1e300, hi = -1e300;
    for (int i = from; i < to; ++i) {
        const KXBar& bar = data->bars[(size_t)i];
        for (double v : {bar.high, bar.low, bar.open, bar.close, bar.averages[0], bar.averages[1], bar.averages[2]})
            Widen(v, &lo, &hi);
    }
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
        DrawLine(dc, points, present, CC_MA_FIRST + k);
        if (!data->averageNames[k].empty())
            legend.push_back({Wide(data->averageNames[k]) + u":" +
                                  Number(data->bars[(size_t)at].averages[k], data->security.decimals),
                              CC_MA_FIRST + k});
    }
    DrawRuns(dc, legend, candlePane.left + 2, candlePane.top - LEGEND_HEIGHT + 1);
    RecordLegend(legend);
    DrawTextAt(dc, Number(scale.hi, data->security.decimals), candlePane.right - 2, candlePane.top + 1, CC_AXIS_TEXT,
               DT_RIGHT);
    DrawTextAt(dc, Number(scale.lo, data->security.decimals), candlePane.right - 2, candlePane.bottom - TEXT_SIZE - 2,
               CC_AXIS_TEXT, DT_RIGHT);
}

void CKXView::PaintVolumes(HDC dc, int from, int to)
{
    double most = 0;
    for (int i = from; i < to; ++i)
        if (HasValue(data->bars[(size_t)i].volume))
            most = std::max(most, data->bars[(size_t)i].volume);
    const KXBar& shown = data->bars[(size_t)LegendIndex(to)];
    std::vector<ChartText> legend{{u"VOL:" + Volume(shown.volume), CC_SECONDARY}};
    DrawRuns(dc, legend, volumePane.left + 2, volumePane.top - LEGEND_HEIGHT + 1);
    RecordLegend(legend);
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
    size_t lines = std::min<size_t>(data->techLines.size(), 3);
    double lo = 1e300, hi = -1e300;
    for (int i = from; i < to; ++i) {
        const KXBar& bar = data->bars[(size_t)i];
        for (size_t k = 0; k < lines && k < bar.lines.size(); ++k) {
            Widen(bar.lines[k], &lo, &hi);
            if (data->techSticks[k])
                Widen(0.0, &lo, &hi); // bars stand on zero
        }
    }
    ChartScale scale;
    scale.Set(lo, hi, techPane.top + 2, techPane.bottom - 2);
    std::vector<ChartText> legend;
    const KXBar& shown = data->bars[(size_t)LegendIndex(to)];
    for (size_t k = 0; k < lines; ++k) {
        int color = CC_TECH_FIRST + (int)k;
        double value = k < shown.lines.size() ? shown.lines[k] : CHART_NONE;
        legend.push_back({Wide(data->techLines[k]) + u":" + Number(value, 3), color});
        if (data->techSticks[k]) {
            int zero = scale.Y(0);
            for (int i = from; i < to; ++i) {
                const KXBar& bar = data->bars[(size_t)i];
                if (k >= bar.lines.size() || !HasValue(bar.lines[k]))
                    continue;
                int x = XOfIndex(i);
                HPEN pen = CreatePen(PS_SOLID, 1, Color(bar.lines[k] >= 0 ? CC_RISE : CC_FALL));
                HGDIOBJ old = SelectObject(dc, pen);
                MoveToEx(dc, x, zero, nullptr);
                LineTo(dc, x, scale.Y(bar.lines[k]));
                SelectObject(dc, old);
                DeleteObject(pen);
            }
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

void CKXView::Describe(UiDescription& out) const
{
    CChartView::Describe(out);
    out.extra = "first=" + std::to_string(first) + ";visible=" + std::to_string(visible);
}
