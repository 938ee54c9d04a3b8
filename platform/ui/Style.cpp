// The painters of the shared looks and the colour arithmetic of the style.
#include "platform/ui/Style.h"

#include "platform/ui/MzImage.h"
#include "platform/ui/UiDraw.h"
#include "platform/win/Gdi.h"

#include <algorithm>

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

void DrawPanel(HDC dc, const RECT& rect, bool shadow)
{
    if (shadow) {
        RECT s{rect.left + 2, rect.top + 2, rect.right + 5, rect.bottom + 5};
        UiFillRoundRect(dc, s, PanelRadius, PanelShadow, PanelShadow);
    }
    UiFillRoundRect(dc, rect, PanelRadius, BoxBorder, PanelFill);
}

void DrawSelectionBackground(HDC dc, const RECT& rect)
{
    CMzImage image;
    if (image.LoadPlatformImage(MZ_IMAGE_SELECTION))
        image.Draw(dc, &rect, TRUE);
    else
        UiFillGradient(dc, rect, SelectionTop, SelectionBottom);
}

void DrawHighlightBar(HDC dc, const RECT& rect)
{
    int h = rect.bottom - rect.top;
    RECT a{rect.left, rect.top, rect.right, rect.top + h / 3};
    RECT b{rect.left, a.bottom, rect.right, rect.top + 2 * h / 3};
    RECT c{rect.left, b.bottom, rect.right, rect.bottom};
    UiFillGradient(dc, a, HighlightLight, HighlightMiddle);
    UiFillGradient(dc, b, HighlightStrongTop, HighlightStrongBottom);
    UiFillGradient(dc, c, HighlightMiddle, HighlightLight);
}

void DrawCheckFrame(HDC dc, const RECT& rect, UINT kind)
{
    CMzImage image;
    if (!image.LoadPlatformImage(kind))
        return;
    int w = image.GetImageWidth(), h = image.GetImageHeight();
    image.DrawAt(dc, rect.left + (rect.right - rect.left - w) / 2, rect.top + (rect.bottom - rect.top - h) / 2);
}

void DrawScrollIndicator(HDC dc, const RECT& rc, int offset, int contentHeight)
{
    int view = rc.bottom - rc.top;
    if (contentHeight <= view || view <= 0)
        return;
    int barH = std::max(30, view * view / contentHeight);
    int travel = view - barH;
    int maxOffset = contentHeight - view;
    int top = rc.top + (maxOffset > 0 ? travel * std::clamp(offset, 0, maxOffset) / maxOffset : 0);
    RECT bar{rc.right - 8, top + 2, rc.right - 3, top + barH - 2};
    UiFillRoundRect(dc, bar, 3, ScrollThumb, ScrollThumb);
}

} // namespace Style
