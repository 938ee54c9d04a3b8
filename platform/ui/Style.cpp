// The painters of the shared looks and the colour arithmetic of the style.
#include "platform/ui/Style.h"

#include "platform/ui/UiDraw.h"
#include "platform/win/Gdi.h"

namespace Style {

namespace {

BYTE MixChannel(int a, int b, int num, int den)
{
    return (BYTE)(a + (b - a) * num / (den ? den : 1));
}

// A rounded outline that leaves the inside as it is.
void DrawRoundFrame(HDC dc, const RECT& rect, int radius, COLORREF color)
{
    HPEN pen = CreatePen(PS_SOLID, 1, color);
    HGDIOBJ oldPen = SelectObject(dc, pen);
    HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
    RoundRect(dc, rect.left, rect.top, rect.right, rect.bottom, radius * 2, radius * 2);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    DeleteObject(pen);
}

} // namespace

COLORREF Mix(COLORREF a, COLORREF b, int num, int den)
{
    return RGB(MixChannel(GetRValue(a), GetRValue(b), num, den), MixChannel(GetGValue(a), GetGValue(b), num, den),
               MixChannel(GetBValue(a), GetBValue(b), num, den));
}

void DrawFramedButton(HDC dc, const RECT& rect, bool pressed)
{
    UiFillRoundRect(dc, rect, ButtonRadius, BoxBorder, pressed ? FramedButtonPressed : FramedButtonFill);
}

void DrawTextAreaFrame(HDC dc, const RECT& rect, bool focused)
{
    COLORREF color = focused ? FocusEdge : BoxBorder;
    DrawRoundFrame(dc, rect, EditRadius, color);
    // A second ring inside the first, so the frame reads as clearly as an edit's.
    DrawRoundFrame(dc, RECT{rect.left + 1, rect.top + 1, rect.right - 1, rect.bottom - 1}, EditRadius - 1, color);
}

} // namespace Style
