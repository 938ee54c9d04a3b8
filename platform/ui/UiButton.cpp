// Push buttons and image buttons.
#include "platform/ui/UiButton.h"

#include "platform/ui/Style.h"
#include "platform/ui/UiDraw.h"
#include "platform/win/Gdi.h"

UiPushButton::UiPushButton()
{
    textSize = Style::TextSize;
}

int UiPushButton::OnLButtonDown(UINT flags, int x, int y)
{
    UiWin::OnLButtonDown(flags, x, y);
    down = true;
    cancelled = false;
    Invalidate();
    return 1;
}

int UiPushButton::OnMouseMove(UINT flags, int x, int y)
{
    UiWin::OnMouseMove(flags, x, y);
    // A finger that slides off lets the button up and sliding back presses it again; once the content around
    // the button scrolls with the finger the press is no longer a click. A finger that wobbles on the button
    // still clicks.
    if (IsContainerDragging())
        cancelled = true;
    bool inside = ContainsPoint(x, y) && !cancelled;
    if (IsPressed() && inside != down) {
        down = inside;
        Invalidate();
    }
    return 1;
}

int UiPushButton::OnLButtonUp(UINT flags, int x, int y)
{
    bool click = down && !cancelled && ContainsPoint(x, y);
    UiWin::OnLButtonUp(flags, x, y);
    down = false;
    Invalidate();
    if (click && IsEnabled())
        OnClick();
    return 1;
}

void UiPushButton::OnClick()
{
    PostNotify(0, 0);
}

void UiPushButton::PaintText(HDC dc, const RECT& rc, COLORREF color)
{
    RECT r = rc;
    if (down)
        OffsetRect(&r, 1, 1);
    UiDrawText(dc, text.C_Str(), r, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS, textSize, textWeight,
               color);
}

void UiPushButton::PaintWin(HDC dc, RECT* rcWin, RECT*)
{
    RECT rc = *rcWin;
    COLORREF color = textColor;
    if (style == MZC_BUTTON_LIGHT) {
        UiFillRoundRect(dc, rc, Style::ButtonRadius, Style::LightButtonEdge, Style::LightButtonEdge);
        InflateRect(&rc, -1, -1);
        RECT face{rc.left + 2, rc.top + 2, rc.right - 2, rc.bottom - 2};
        if (down)
            UiFillGradient(dc, face, Style::LightButtonPressedTop, Style::LightButtonPressedBottom);
        else
            UiFillGradient(dc, face, Style::LightButtonTop, Style::LightButtonBottom);
        if (!IsEnabled())
            color = Style::LightButtonDisabledText;
    } else if (style == MZC_BUTTON_DARK) {
        UiFillRoundRect(dc, rc, Style::ButtonRadius, Style::DarkButtonEdge,
                        down ? Style::DarkButtonPressed : Style::DarkButtonFill);
        color = IsEnabled() ? (textColor ? textColor : Style::DarkButtonText) : Style::DarkButtonDisabledText;
    } else if (style == MZC_BUTTON_FRAMED) {
        Style::DrawFramedButton(dc, rc, down);
    }
    PaintText(dc, *rcWin, color);
}

void UiPushButton::Describe(UiDescription& out) const
{
    UiWin::Describe(out);
    out.kind = "UiPushButton";
    out.extra = std::string("down=") + (down ? "1" : "0");
}

UiImageButton::UiImageButton()
{
    style = MZC_BUTTON_NONE;
}

void UiImageButton::PaintWin(HDC dc, RECT* rcWin, RECT* rcUpdate)
{
    CMzImage* image = down && pressed ? pressed : normal;
    if (!(image && image->IsLoaded()) && style != MZC_BUTTON_NONE) {
        UiPushButton::PaintWin(dc, rcWin, rcUpdate);
        return;
    }
    if (image && image->IsLoaded())
        image->Draw(dc, rcWin, TRUE);
    if (!text.IsEmpty())
        PaintText(dc, *rcWin, down ? pressedColor : textColor);
}

void UiImageButton::Describe(UiDescription& out) const
{
    UiPushButton::Describe(out);
    out.kind = "UiImageButton";
}
