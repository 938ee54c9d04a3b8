// Drawing helpers of the controls.
#include "platform/ui/UiDraw.h"

#include "platform/ui/Style.h"
#include "platform/win/Gdi.h"

int UiDrawText(HDC dc, LPCWSTR text, RECT rect, UINT format, int size, int weight, COLORREF color)
{
    if (!text || !*text)
        return 0;
    HGDIOBJ oldFont = SelectObject(dc, CreateMzFont(size > 0 ? size : Style::TextSize, weight));
    int oldMode = SetBkMode(dc, TRANSPARENT);
    COLORREF oldColor = SetTextColor(dc, color);
    int h = DrawTextW(dc, text, -1, &rect, format);
    SetTextColor(dc, oldColor);
    SetBkMode(dc, oldMode);
    SelectObject(dc, oldFont);
    return h;
}

SIZE UiMeasureText(HDC dc, LPCWSTR text, int size, int weight)
{
    SIZE s{0, 0};
    if (!text)
        return s;
    HGDIOBJ oldFont = SelectObject(dc, CreateMzFont(size > 0 ? size : Style::TextSize, weight));
    int n = 0;
    while (text[n])
        ++n;
    GetTextExtentPoint32W(dc, text, n, &s);
    SelectObject(dc, oldFont);
    return s;
}

void UiFillRect(HDC dc, const RECT& rect, COLORREF color)
{
    HBRUSH brush = CreateSolidBrush(color);
    FillRect(dc, &rect, brush);
    DeleteObject(brush);
}

void UiFillRoundRect(HDC dc, const RECT& rect, int radius, COLORREF border, COLORREF fill)
{
    HPEN pen = CreatePen(PS_SOLID, 1, border);
    HBRUSH brush = CreateSolidBrush(fill);
    HGDIOBJ oldPen = SelectObject(dc, pen);
    HGDIOBJ oldBrush = SelectObject(dc, brush);
    RoundRect(dc, rect.left, rect.top, rect.right, rect.bottom, radius * 2, radius * 2);
    SelectObject(dc, oldPen);
    SelectObject(dc, oldBrush);
    DeleteObject(pen);
    DeleteObject(brush);
}

void UiDrawLine(HDC dc, int x0, int y0, int x1, int y1, COLORREF color)
{
    HPEN pen = CreatePen(PS_SOLID, 1, color);
    HGDIOBJ old = SelectObject(dc, pen);
    MoveToEx(dc, x0, y0, nullptr);
    LineTo(dc, x1, y1);
    SelectObject(dc, old);
    DeleteObject(pen);
}

void UiFillGradient(HDC dc, const RECT& rect, COLORREF top, COLORREF bottom)
{
    int h = rect.bottom - rect.top;
    for (int y = 0; y < h; ++y) {
        COLORREF c = Style::Mix(top, bottom, y, h - 1);
        RECT line{rect.left, rect.top + y, rect.right, rect.top + y + 1};
        UiFillRect(dc, line, c);
    }
}
