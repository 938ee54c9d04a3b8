// Static text and caption labels.
#include "platform/ui/UiStatic.h"

#include "platform/ui/UiDraw.h"
#include "platform/win/Gdi.h"

UiStatic::UiStatic() : format_(DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS) {}

void UiStatic::SetTextStyle(int style) {
    UINT align = style == 1 ? DT_CENTER : style == 2 ? DT_RIGHT : DT_LEFT;
    indent_ = style == 4 ? 6 : 0;
    format_ = align | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS;
    Invalidate();
}

void UiStatic::PaintWin(HDC dc, RECT* rcWin, RECT*) {
    if (paintBg_) UiFillRect(dc, *rcWin, bgColor_);
    RECT rc = *rcWin;
    rc.left += indent_;
    UiDrawText(dc, text_.C_Str(), rc, format_, textSize_, textWeight_, textColor_);
}

void UiStatic::Describe(UiDescription& out) const {
    UiWin::Describe(out);
    out.kind = "UiStatic";
}

UiCaptionLabel::UiCaptionLabel() { format_ = DT_LEFT | DT_WORDBREAK; }

void UiCaptionLabel::PaintWin(HDC dc, RECT* rcWin, RECT*) {
    if (paintBg_) UiFillRect(dc, *rcWin, bgColor_);
    if (text_.IsEmpty()) return;
    UINT align = format_ & (DT_CENTER | DT_RIGHT);
    UINT format = align | (wordBreak_ ? DT_WORDBREAK : (DT_SINGLELINE | DT_END_ELLIPSIS));
    RECT rc = *rcWin;
    if (vcenter_) {
        if (wordBreak_) {
            RECT measure = rc;
            HGDIOBJ old = SelectObject(dc, CreateMzFont(textSize_, textWeight_));
            int h = DrawTextW(dc, text_.C_Str(), -1, &measure, format | DT_CALCRECT);
            SelectObject(dc, old);
            int free = (rc.bottom - rc.top) - h;
            if (free > 0) rc.top += free / 2;
        } else {
            format |= DT_VCENTER;
        }
    }
    UiDrawText(dc, text_.C_Str(), rc, format, textSize_, textWeight_, textColor_);
}

void UiCaptionLabel::Describe(UiDescription& out) const {
    UiWin::Describe(out);
    out.kind = "UiCaptionLabel";
}
