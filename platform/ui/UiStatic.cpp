// Static text and caption labels.
#include "platform/ui/UiStatic.h"

#include "platform/ui/UiDraw.h"
#include "platform/win/Gdi.h"

UiStatic::UiStatic() : format(DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS) {}

void UiStatic::SetTextStyle(int style)
{
    UINT align = style == 1 ? DT_CENTER : style == 2 ? DT_RIGHT : DT_LEFT;
    indent = style == 4 ? 6 : 0;
    format = align | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS;
    Invalidate();
}

void UiStatic::PaintWin(HDC dc, RECT* rcWin, RECT*)
{
    if (paintBg)
        UiFillRect(dc, *rcWin, bgColor);
    RECT rc = *rcWin;
    rc.left += indent;
    UiDrawText(dc, text.C_Str(), rc, format, textSize, textWeight, textColor);
}

void UiStatic::Describe(UiDescription& out) const
{
    UiWin::Describe(out);
    out.kind = "UiStatic";
}

UiCaptionLabel::UiCaptionLabel()
{
    format = DT_LEFT | DT_WORDBREAK;
}

void UiCaptionLabel::PaintWin(HDC dc, RECT* rcWin, RECT*)
{
    if (paintBg)
        UiFillRect(dc, *rcWin, bgColor);
    if (text.IsEmpty())
        return;
    UINT align = format & (DT_CENTER | DT_RIGHT);
    UINT drawFormat = align | (wordBreak ? DT_WORDBREAK : (DT_SINGLELINE | DT_END_ELLIPSIS));
    RECT rc = *rcWin;
    if (vcenter) {
        if (wordBreak) {
            RECT measure = rc;
            HGDIOBJ old = SelectObject(dc, CreateMzFont(textSize, textWeight));
            int h = DrawTextW(dc, text.C_Str(), -1, &measure, drawFormat | DT_CALCRECT);
            SelectObject(dc, old);
            int free = (rc.bottom - rc.top) - h;
            if (free > 0)
                rc.top += free / 2;
        } else {
            drawFormat |= DT_VCENTER;
        }
    }
    UiDrawText(dc, text.C_Str(), rc, drawFormat, textSize, textWeight, textColor);
}

void UiCaptionLabel::Describe(UiDescription& out) const
{
    UiWin::Describe(out);
    out.kind = "UiCaptionLabel";
}
