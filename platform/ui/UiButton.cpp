// Push buttons and image buttons.
#include "platform/ui/UiButton.h"

#include "platform/ui/Style.h"
#include "platform/ui/UiDraw.h"
#include "platform/win/Gdi.h"

UiPushButton::UiPushButton() { textSize_ = Style::TextSize; }

int UiPushButton::OnLButtonDown(UINT flags, int x, int y) {
    UiWin::OnLButtonDown(flags, x, y);
    down_ = true;
    cancelled_ = false;
    Invalidate();
    return 1;
}

int UiPushButton::OnMouseMove(UINT flags, int x, int y) {
    UiWin::OnMouseMove(flags, x, y);
    // A finger that slides off lets the button up and sliding back presses it again; once the content around
    // the button scrolls with the finger the press is no longer a click. A finger that wobbles on the button
    // still clicks.
    if (IsContainerDragging()) cancelled_ = true;
    bool inside = ContainsPoint(x, y) && !cancelled_;
    if (IsPressed() && inside != down_) {
        down_ = inside;
        Invalidate();
    }
    return 1;
}

int UiPushButton::OnLButtonUp(UINT flags, int x, int y) {
    bool click = down_ && !cancelled_ && ContainsPoint(x, y);
    UiWin::OnLButtonUp(flags, x, y);
    down_ = false;
    Invalidate();
    if (click && IsEnabled()) OnClick();
    return 1;
}

void UiPushButton::OnClick() { PostNotify(0, 0); }

void UiPushButton::PaintText(HDC dc, const RECT& rc, COLORREF color) {
    RECT r = rc;
    if (down_) OffsetRect(&r, 1, 1);
    UiDrawText(dc, text_.C_Str(), r, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS, textSize_,
               textWeight_, color);
}

void UiPushButton::PaintWin(HDC dc, RECT* rcWin, RECT*) {
    RECT rc = *rcWin;
    COLORREF text = textColor_;
    if (style_ == MZC_BUTTON_LIGHT) {
        UiFillRoundRect(dc, rc, Style::ButtonRadius, Style::LightButtonEdge, Style::LightButtonEdge);
        InflateRect(&rc, -1, -1);
        RECT face{rc.left + 2, rc.top + 2, rc.right - 2, rc.bottom - 2};
        if (down_)
            UiFillGradient(dc, face, Style::LightButtonPressedTop, Style::LightButtonPressedBottom);
        else
            UiFillGradient(dc, face, Style::LightButtonTop, Style::LightButtonBottom);
        if (!IsEnabled()) text = Style::LightButtonDisabledText;
    } else if (style_ == MZC_BUTTON_DARK) {
        UiFillRoundRect(dc, rc, Style::ButtonRadius, Style::DarkButtonEdge,
                        down_ ? Style::DarkButtonPressed : Style::DarkButtonFill);
        text = IsEnabled() ? (textColor_ ? textColor_ : Style::DarkButtonText) : Style::DarkButtonDisabledText;
    } else if (style_ == MZC_BUTTON_FRAMED) {
        Style::DrawFramedButton(dc, rc, down_);
    }
    PaintText(dc, *rcWin, text);
}

void UiPushButton::Describe(UiDescription& out) const {
    UiWin::Describe(out);
    out.kind = "UiPushButton";
    out.extra = std::string("down=") + (down_ ? "1" : "0");
}

UiImageButton::UiImageButton() { style_ = MZC_BUTTON_NONE; }

void UiImageButton::PaintWin(HDC dc, RECT* rcWin, RECT* rcUpdate) {
    CMzImage* image = down_ && pressed_ ? pressed_ : normal_;
    if (!(image && image->IsLoaded()) && style_ != MZC_BUTTON_NONE) {
        UiPushButton::PaintWin(dc, rcWin, rcUpdate);
        return;
    }
    if (image && image->IsLoaded()) image->Draw(dc, rcWin, TRUE);
    if (!text_.IsEmpty()) PaintText(dc, *rcWin, down_ ? pressedColor_ : textColor_);
}

void UiImageButton::Describe(UiDescription& out) const {
    UiPushButton::Describe(out);
    out.kind = "UiImageButton";
}
