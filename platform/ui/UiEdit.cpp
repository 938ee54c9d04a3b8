// One-line and multi-line text entry.
#include "platform/ui/UiEdit.h"

#include "platform/ui/Style.h"
#include "platform/ui/UiDraw.h"
#include "platform/ui/UiScrollWin.h"
#include "platform/win/Gdi.h"
#include "platform/win/Time.h"

#include <algorithm>

namespace {
// What a password edit shows for each character.
constexpr WCHAR PASSWORD_DOT = u'\u25CF';
} // namespace

UiLineEdit::UiLineEdit() { textSize_ = 26; }

void UiLineEdit::SetText(LPCWSTR text) {
    text_ = text;
    if (maxChars_ > 0 && (int)text_.Length() > maxChars_) text_.Erase(maxChars_, text_.Length());
    Invalidate();
}

void UiLineEdit::SetMaxChars(int maxChars) {
    maxChars_ = maxChars < 0 ? 0 : maxChars;
    SetText(text_.C_Str());
}

bool UiLineEdit::Accepts(WCHAR ch) const {
    if (ch < 32 || ch == 127) return false;
    if (sipKind_ == SIP_KIND_NUMBER) return (ch >= u'0' && ch <= u'9') || ch == u'.' || ch == u'-';
    return true;
}

int UiLineEdit::OnChar(WCHAR ch) {
    if (!IsEnabled() || readOnly_) return 0;
    if (ch == 8) {
        if (text_.IsEmpty()) return 0;
        text_.RemoveLast();
        Invalidate();
        return 1;
    }
    if (!Accepts(ch)) return 0;
    if (maxChars_ > 0 && (int)text_.Length() >= maxChars_) return 0;
    text_ += ch;
    Invalidate();
    return 1;
}

void UiLineEdit::OnSetFocus() {
    if (IUiHost* host = GetHost()) host->ShowInputPanel(TRUE, sipKind_);
}

void UiLineEdit::OnKillFocus() {
    if (IUiHost* host = GetHost()) host->ShowInputPanel(FALSE, sipKind_);
}

void UiLineEdit::EnableControl(bool enabled) {
    if (!enabled && IsFocused()) SetFocus(false);
    UiWin::EnableControl(enabled);
}

void UiLineEdit::PaintWin(HDC dc, RECT* rcWin, RECT*) {
    RECT rc = *rcWin;
    if (frame_) {
        UiFillRoundRect(dc, rc, Style::EditRadius, IsFocused() ? Style::FocusEdge : Style::BoxBorder,
                        IsEnabled() ? bgColor_ : Style::EditDisabledFill);
        InflateRect(&rc, -10, 0);
    }
    UINT format = DT_LEFT | DT_VCENTER | DT_SINGLELINE;
    if (text_.IsEmpty()) {
        if (!IsFocused()) UiDrawText(dc, tip_.C_Str(), rc, format | DT_END_ELLIPSIS, textSize_, 400, Style::EditTip);
    } else {
        CMzStr shown;
        if (password_)
            for (size_t i = 0; i < text_.Length(); ++i) shown += PASSWORD_DOT;
        else
            shown = text_;
        // Long text shows its end, where the caret is.
        SIZE extent = UiMeasureText(dc, shown.C_Str(), textSize_, textWeight_);
        if (extent.cx > rc.right - rc.left - 4) format = DT_RIGHT | DT_VCENTER | DT_SINGLELINE;
        UiDrawText(dc, shown.C_Str(), RECT{rc.left, rc.top, rc.right - 4, rc.bottom}, format, textSize_, textWeight_,
                   IsEnabled() ? textColor_ : Style::EditDisabledText);
    }
    if (IsFocused()) {
        SIZE extent = UiMeasureText(dc, text_.C_Str(), textSize_, textWeight_);
        if (password_) {
            const WCHAR dot[2] = {PASSWORD_DOT, 0};
            extent = UiMeasureText(dc, dot, textSize_, textWeight_);
            extent.cx *= (int)text_.Length();
        }
        int x = std::min<int>(rc.left + extent.cx + 1, rc.right - 3);
        int h = textSize_;
        int top = (rc.top + rc.bottom - h) / 2;
        UiFillRect(dc, RECT{x, top, x + 2, top + h}, Style::Caret);
    }
}

void UiLineEdit::Describe(UiDescription& out) const {
    UiWin::Describe(out);
    if (password_) out.text.assign(text_.Length(), PASSWORD_DOT);
    out.kind = "UiLineEdit";
    out.extra = "tip=" + std::string(tip_.IsEmpty() ? "" : "1") + " max=" + std::to_string(maxChars_) +
                " focused=" + (IsFocused() ? "1" : "0") + " sip=" + std::to_string(sipKind_);
}

UiTextEdit::UiTextEdit() { textSize_ = Style::TextSize; }

void UiTextEdit::SetText(LPCWSTR text) {
    text_ = text;
    scroll_.SetOffset(0);
    Invalidate();
}

int UiTextEdit::OnChar(WCHAR ch) {
    if (!editable_ || !IsEnabled()) return 0;
    if (ch == 8) {
        if (text_.IsEmpty()) return 0;
        text_.RemoveLast();
    } else if (ch == 13 || ch == 10) {
        text_ += u'\n';
    } else if (ch >= 32) {
        text_ += ch;
    } else {
        return 0;
    }
    Invalidate();
    return 1;
}

void UiTextEdit::OnSetFocus() {
    if (IUiHost* host = GetHost()) host->ShowInputPanel(TRUE, SIP_KIND_DEFAULT);
}

void UiTextEdit::OnKillFocus() {
    if (IUiHost* host = GetHost()) host->ShowInputPanel(FALSE, SIP_KIND_DEFAULT);
}

void UiTextEdit::PaintWin(HDC dc, RECT* rcWin, RECT*) {
    int saved = SaveDC(dc);
    IntersectClipRect(dc, rcWin->left, rcWin->top, rcWin->right, rcWin->bottom);
    if (paintBg_) UiFillRect(dc, *rcWin, bgColor_);
    RECT rc{rcWin->left + 8, rcWin->top + 6, rcWin->right - 8, rcWin->bottom};
    RECT measure = rc;
    HGDIOBJ old = SelectObject(dc, CreateMzFont(textSize_, textWeight_));
    textHeight_ = text_.IsEmpty() ? 0 : DrawTextW(dc, text_.C_Str(), -1, &measure, DT_WORDBREAK | DT_CALCRECT);
    SelectObject(dc, old);
    scroll_.SetRange(textHeight_ + 12 - GetHeight());
    rc.top -= scroll_.GetOffset();
    rc.bottom = rc.top + textHeight_ + textSize_;
    UiDrawText(dc, text_.C_Str(), rc, DT_LEFT | DT_WORDBREAK, textSize_, textWeight_, textColor_);
    if (IsFocused()) UiDrawLine(dc, rcWin->left, rcWin->bottom - 2, rcWin->right, rcWin->bottom - 2, Style::FocusEdge);
    if (frame_) Style::DrawTextAreaFrame(dc, *rcWin, IsFocused());
    if (scroll_.IsDragging() || scroll_.IsMoving())
        DrawScrollIndicator(dc, *rcWin, scroll_.GetOffset(), textHeight_ + 12);
    RestoreDC(dc, saved);
}

int UiTextEdit::OnLButtonDown(UINT flags, int x, int y) {
    UiWin::OnLButtonDown(flags, x, y);
    if (scroll_.Press(y, GetTickCount())) {
        KillTimer(MOTION_TIMER);
        SetStopPress(true);
        SetMoved();
    } else {
        SetStopPress(false);
    }
    if (holdMs_) SetTimer(HOLD_TIMER, holdMs_);
    return 1;
}

int UiTextEdit::OnMouseMove(UINT flags, int x, int y) {
    UiWin::OnMouseMove(flags, x, y);
    int before = scroll_.GetOffset();
    if (scroll_.Move(y, GetTickCount())) SetMoved();
    if (IsMoved()) KillTimer(HOLD_TIMER);
    if (before != scroll_.GetOffset()) Invalidate();
    return 1;
}

int UiTextEdit::OnLButtonUp(UINT flags, int x, int y) {
    UiWin::OnLButtonUp(flags, x, y);
    KillTimer(HOLD_TIMER);
    if (scroll_.Release(y, GetTickCount())) SetTimer(MOTION_TIMER, KineticScroll::STEP_MS);
    Invalidate();
    return 1;
}

void UiTextEdit::OnTimer(UINT_PTR id) {
    if (id == HOLD_TIMER) {
        KillTimer(HOLD_TIMER);
        if (IsPressed() && !IsMoved()) PostNotify(HOLD_CODE, 0);
    } else if (id == MOTION_TIMER) {
        if (!scroll_.Step(GetTickCount())) KillTimer(MOTION_TIMER);
        Invalidate();
    }
}

void UiTextEdit::Describe(UiDescription& out) const {
    UiWin::Describe(out);
    out.kind = "UiTextEdit";
    out.extra = std::string("editable=") + (editable_ ? "1" : "0") + " top=" + std::to_string(scroll_.GetOffset());
}
