// The charts' drawing base: background, scales, lines, texts and the cross-hair cursor.
#include "charts/ChartView.h"

#include "charts/ChartData.h"

#include "core/AppData.h"
#include "core/TextHelpers.h"
#include "platform/ui/UiDraw.h"
#include "platform/win/Gdi.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

std::u16string Ascii(const char* text)
{
    std::u16string s;
    for (const char* p = text; *p != 0; ++p)
        s.push_back((char16_t)(unsigned char)*p);
    return s;
}

} // namespace

void ChartScale::Set(double low, double high, int topPixel, int bottomPixel)
{
    top = topPixel;
    bottom = bottomPixel > topPixel ? bottomPixel : topPixel + 1;
    if (!(low <= high)) { // nothing to scale (or no values at all): an arbitrary unit range
        low = 0;
        high = 1;
    }
    if (high - low < 1e-9) { // a flat line: one percent either side, or one unit around zero
        double pad = std::fabs(high) > 1e-9 ? std::fabs(high) * 0.01 : 1.0;
        low -= pad;
        high += pad;
    }
    lo = low;
    hi = high;
}

int ChartScale::Y(double value) const
{
    double f = (value - lo) / (hi - lo);
    f = std::clamp(f, -0.05, 1.05); // a stray value stays near its pane, never a spike across the screen
    return bottom - (int)std::lround(f * (bottom - top));
}

CChartView::CChartView()
{
    SetTextSize(TEXT_SIZE);
}

COLORREF CChartView::Color(int index)
{
    return CAppData::Instance()->GetColor(index);
}

namespace {

// What a missing value shows.
const char16_t NO_VALUE[] = u"--";

// A value with so many decimals ("%.*f"), or with its sign ("%+.*f"); NO_VALUE without a value.
std::u16string Fixed(const char* format, double value, int decimals)
{
    if (!HasValue(value))
        return NO_VALUE;
    char text[48];
    std::snprintf(text, sizeof text, format, std::clamp(decimals, 0, 4), value);
    return Ascii(text);
}

} // namespace

std::u16string CChartView::Number(double value, int decimals)
{
    return Fixed("%.*f", value, decimals);
}

std::u16string CChartView::Signed(double value, int decimals)
{
    return Fixed("%+.*f", value, decimals);
}

std::u16string CChartView::Percent(double change, double reference)
{
    if (!HasValue(change) || !HasValue(reference) || reference == 0)
        return NO_VALUE;
    char text[48];
    std::snprintf(text, sizeof text, "%+.2f%%", change * 100.0 / reference);
    return Ascii(text);
}

std::u16string CChartView::Volume(double lots)
{
    if (!HasValue(lots))
        return NO_VALUE;
    char text[48];
    if (std::fabs(lots) >= 1e8)
        std::snprintf(text, sizeof text, "%.2f", lots / 1e8);
    else if (std::fabs(lots) >= 1e5)
        std::snprintf(text, sizeof text, "%.1f", lots / 1e4);
    else
        std::snprintf(text, sizeof text, "%.0f", lots);
    std::u16string s = Ascii(text);
    if (std::fabs(lots) >= 1e8)
        s += u"亿";
    else if (std::fabs(lots) >= 1e5)
        s += u"万";
    return s;
}

std::u16string CChartView::Wide(const std::string& ansi)
{
    WCHAR* wide = nullptr;
    AnsiToWide(ansi.c_str(), &wide);
    std::u16string s = wide != nullptr ? wide : u"";
    free(wide);
    return s;
}

ChartText CChartView::ValueRun(const std::u16string& label, double value, const std::u16string& text, int color)
{
    return {label + text, HasValue(value) ? color : COLOR_UNCHANGED};
}

int CChartView::RiseColor(double value, double reference)
{
    if (!HasValue(value) || !HasValue(reference) || value == reference)
        return COLOR_UNCHANGED;
    return value > reference ? COLOR_RISE : COLOR_FALL;
}

void CChartView::DrawLine(HDC dc, const std::vector<POINT>& points, const std::vector<bool>& present, int color)
{
    HPEN pen = CreatePen(PS_SOLID, 1, Color(color));
    HGDIOBJ old = SelectObject(dc, pen);
    size_t i = 0;
    while (i < points.size()) {
        while (i < points.size() && !present[i])
            ++i;
        size_t start = i;
        while (i < points.size() && present[i])
            ++i;
        if (i - start >= 2)
            Polyline(dc, &points[start], (int)(i - start));
        else if (i - start == 1) { // a lone value (the day's first minute): a dot that can be seen
            RECT dot{points[start].x - 1, points[start].y - 1, points[start].x + 2, points[start].y + 2};
            UiFillRect(dc, dot, Color(color));
        }
    }
    SelectObject(dc, old);
    DeleteObject(pen);
}

void CChartView::DrawGridLine(HDC dc, int x0, int y0, int x1, int y1, bool dashed)
{
    HPEN pen = CreatePen(dashed ? PS_DASH : PS_SOLID, 1, Color(COLOR_CHART_FRAME));
    HGDIOBJ old = SelectObject(dc, pen);
    MoveToEx(dc, x0, y0, nullptr);
    LineTo(dc, x1, y1);
    SelectObject(dc, old);
    DeleteObject(pen);
}

void CChartView::DrawFrame(HDC dc, const RECT& pane)
{
    HPEN pen = CreatePen(PS_SOLID, 1, Color(COLOR_CHART_FRAME));
    HGDIOBJ oldPen = SelectObject(dc, pen);
    HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
    Rectangle(dc, pane.left, pane.top, pane.right, pane.bottom);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    DeleteObject(pen);
}

void CChartView::DrawTextAt(HDC dc, const std::u16string& text, int x, int y, int color, UINT align)
{
    SIZE size = UiMeasureText(dc, text.c_str(), TEXT_SIZE, FW_NORMAL);
    int left = align == DT_RIGHT ? x - size.cx : align == DT_CENTER ? x - size.cx / 2 : x;
    RECT r{left, y, left + size.cx + 2, y + size.cy};
    UiDrawText(dc, text.c_str(), r, DT_SINGLELINE | DT_LEFT | DT_NOCLIP, TEXT_SIZE, FW_NORMAL, Color(color));
}

int CChartView::DrawRuns(HDC dc, const std::vector<ChartText>& runs, int x, int y)
{
    for (const ChartText& run : runs) {
        DrawTextAt(dc, run.text, x, y, run.color, DT_LEFT);
        x += TextWidth(dc, run.text) + 4;
    }
    return x;
}

int CChartView::TextWidth(HDC dc, const std::u16string& text)
{
    return UiMeasureText(dc, text.c_str(), TEXT_SIZE, FW_NORMAL).cx;
}

void CChartView::DrawTag(HDC dc, const std::u16string& text, int x, int y, UINT align, const RECT& bounds)
{
    int width = TextWidth(dc, text) + 6, height = TEXT_SIZE + 4;
    int left = align == DT_RIGHT ? x - width : align == DT_CENTER ? x - width / 2 : x;
    left = std::clamp(left, (int)bounds.left, std::max((int)bounds.left, (int)bounds.right - width));
    int top = std::clamp(y - height / 2, (int)bounds.top, std::max((int)bounds.top, (int)bounds.bottom - height));
    RECT tag{left, top, left + width, top + height}, overlap;
    for (const RECT& label : labels)
        if (IntersectRect(&overlap, &tag, &label))
            UiFillRect(dc, label, Color(COLOR_CHART_BACKGROUND));
    UiFillRect(dc, tag, Color(COLOR_CHART_AUXILIARY));
    DrawTextAt(dc, text, left + 3, top + 1, COLOR_CHART_BACKGROUND, DT_LEFT);
}

void CChartView::DrawAxisLabel(HDC dc, const std::u16string& text, int x, int y, int color, UINT align)
{
    SIZE size = UiMeasureText(dc, text.c_str(), TEXT_SIZE, FW_NORMAL);
    int left = align == DT_RIGHT ? x - size.cx : align == DT_CENTER ? x - size.cx / 2 : x;
    labels.push_back(RECT{left, y, left + size.cx + 2, y + size.cy});
    DrawTextAt(dc, text, x, y, color, align);
}

void CChartView::DrawScaleLabel(HDC dc, const std::u16string& text, int x, int y, int color, UINT align,
                                const RECT& pane)
{
    int top = std::clamp(y - TEXT_SIZE / 2 - 1, (int)pane.top + 1,
                         std::max((int)pane.top + 1, (int)pane.bottom - TEXT_SIZE - 2));
    DrawAxisLabel(dc, text, x, top, color, align);
}

std::u16string CChartView::Joined(const std::vector<ChartText>& runs)
{
    std::u16string s;
    for (const ChartText& run : runs) {
        if (!s.empty())
            s += u" ";
        s += run.text;
    }
    return s;
}

std::u16string CChartView::GetCursorText() const
{
    return cursorShown && cursorIndex >= 0 ? Joined(CursorLine(cursorIndex)) : std::u16string();
}

void CChartView::PaintWin(HDC dc, RECT* rcWin, RECT* rcUpdate)
{
    UiWin::PaintWin(dc, rcWin, rcUpdate);
    chartArea = *rcWin;
    legends.clear();
    labels.clear();
    UiFillRect(dc, chartArea, Color(COLOR_CHART_BACKGROUND));
    SetBkMode(dc, TRANSPARENT);
    int saved = SaveDC(dc);
    IntersectClipRect(dc, chartArea.left, chartArea.top, chartArea.right, chartArea.bottom);
    PaintChart(dc, chartArea);
    if (cursorShown && cursorIndex >= 0 && HasData())
        PaintCursor(dc);
    if (!HasData() && !message.empty()) {
        RECT r = chartArea;
        UiDrawText(dc, message.c_str(), r, DT_SINGLELINE | DT_CENTER | DT_VCENTER, Style::ChartMessageTextSize,
                   FW_NORMAL, Color(COLOR_UNCHANGED));
    }
    RestoreDC(dc, saved);
}

void CChartView::PaintCursor(HDC dc)
{
    RECT strip{chartArea.left, chartArea.top, chartArea.right, chartArea.top + STRIP_HEIGHT};
    UiFillRect(dc, strip, Color(COLOR_CHART_BACKGROUND));
    DrawRuns(dc, CursorLine(cursorIndex), chartArea.left + 4, chartArea.top + 2);
    // The hairs cross on the bar's own price, not wherever the finger happens to be, inside the panes.
    int x = XOfIndex(cursorIndex), y = CursorY(cursorIndex);
    HPEN pen = CreatePen(PS_SOLID, 1, Color(COLOR_CHART_AUXILIARY));
    HGDIOBJ old = SelectObject(dc, pen);
    std::vector<RECT> panes = CursorPanes();
    for (const RECT& pane : panes) {
        if (x <= pane.left || x >= pane.right - 1)
            continue;
        MoveToEx(dc, x, pane.top + 1, nullptr);
        LineTo(dc, x, pane.bottom - 1);
    }
    if (y >= 0 && !panes.empty() && y > panes[0].top && y < panes[0].bottom - 1) {
        MoveToEx(dc, panes[0].left + 1, y, nullptr);
        LineTo(dc, panes[0].right - 1, y);
    }
    SelectObject(dc, old);
    DeleteObject(pen);
    PaintCursorTags(dc, cursorIndex, x, y);
}

void CChartView::MoveCursor(int x)
{
    int index = HasData() ? IndexAt(x) : -1;
    if (index != cursorIndex)
        tapHides = false; // dragged to another bar: the cursor stays where the finger leaves it
    cursorShown = index >= 0;
    cursorIndex = index;
    Invalidate();
}

int CChartView::OnLButtonDown(UINT flags, int x, int y)
{
    UiWin::OnLButtonDown(flags, x, y);
    int shownAt = cursorShown ? cursorIndex : -1;
    MoveCursor(x);
    tapHides = shownAt >= 0;
    return 1;
}

int CChartView::OnMouseMove(UINT flags, int x, int y)
{
    UiWin::OnMouseMove(flags, x, y);
    if (IsPressed())
        MoveCursor(x);
    return 1;
}

int CChartView::OnLButtonUp(UINT flags, int x, int y)
{
    UiWin::OnLButtonUp(flags, x, y);
    lastCursorIndex = cursorIndex;
    if (tapHides) {
        cursorShown = false;
        cursorIndex = -1;
    }
    tapHides = false;
    Invalidate();
    return 1;
}

void CChartView::Describe(UiDescription& out) const
{
    UiWin::Describe(out);
    out.kind = "chart";
    out.text = cursorShown ? GetCursorText() : message;
    out.items = legends;
    out.selected = cursorShown ? cursorIndex : -1;
}
