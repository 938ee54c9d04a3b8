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

UiLineEdit::UiLineEdit()
{
    textSize = 26;
}

void UiLineEdit::SetText(LPCWSTR value)
{
    text = value;
    if (maxChars > 0 && (int)text.Length() > maxChars)
        text.Erase(maxChars, text.Length());
    Invalidate();
}

void UiLineEdit::SetMaxChars(int limit)
{
    maxChars = limit < 0 ? 0 : limit;
    SetText(text.C_Str());
}

bool UiLineEdit::Accepts(WCHAR ch) const
{
    if (ch < 32 || ch == 127)
        return false;
    if (sipKind == SIP_KIND_NUMBER)
        return (ch >= u'0' && ch <= u'9') || ch == u'.' || ch == u'-';
    return true;
}

int UiLineEdit::OnChar(WCHAR ch)
{
    if (!IsEnabled() || readOnly)
        return 0;
    if (ch == 8) {
        if (text.IsEmpty())
            return 0;
        text.RemoveLast();
        Invalidate();
        return 1;
    }
    if (!Accepts(ch))
        return 0;
    if (maxChars > 0 && (int)text.Length() >= maxChars)
        return 0;
    text += ch;
    Invalidate();
    return 1;
}

void UiLineEdit::OnSetFocus()
{
    if (IUiHost* host = GetHost())
        host->ShowInputPanel(TRUE, sipKind);
}

void UiLineEdit::OnKillFocus()
{
    if (IUiHost* host = GetHost())
        host->ShowInputPanel(FALSE, sipKind);
}

void UiLineEdit::EnableControl(bool on)
{
    if (!on && IsFocused())
        SetFocus(false);
    UiWin::EnableControl(on);
}

void UiLineEdit::PaintWin(HDC dc, RECT* rcWin, RECT*)
{
    RECT rc = *rcWin;
    if (frame) {
        UiFillRoundRect(dc, rc, Style::EditRadius, IsFocused() ? Style::FocusEdge : Style::BoxBorder,
                        IsEnabled() ? bgColor : Style::EditDisabledFill);
        InflateRect(&rc, -10, 0);
    }
    UINT format = DT_LEFT | DT_VCENTER | DT_SINGLELINE;
    if (text.IsEmpty()) {
        if (!IsFocused())
            UiDrawText(dc, tip.C_Str(), rc, format | DT_END_ELLIPSIS, textSize, 400, Style::EditTip);
    } else {
        CMzStr shown;
        if (password)
            for (size_t i = 0; i < text.Length(); ++i)
                shown += PASSWORD_DOT;
        else
            shown = text;
        // Long text shows its end, where the caret is.
        SIZE extent = UiMeasureText(dc, shown.C_Str(), textSize, textWeight);
        if (extent.cx > rc.right - rc.left - 4)
            format = DT_RIGHT | DT_VCENTER | DT_SINGLELINE;
        UiDrawText(dc, shown.C_Str(), RECT{rc.left, rc.top, rc.right - 4, rc.bottom}, format, textSize, textWeight,
                   IsEnabled() ? textColor : Style::EditDisabledText);
    }
    if (IsFocused()) {
        SIZE extent = UiMeasureText(dc, text.C_Str(), textSize, textWeight);
        if (password) {
            const WCHAR dot[2] = {PASSWORD_DOT, 0};
            extent = UiMeasureText(dc, dot, textSize, textWeight);
            extent.cx *= (int)text.Length();
        }
        int x = std::min<int>(rc.left + extent.cx + 1, rc.right - 3);
        int h = textSize;
        int top = (rc.top + rc.bottom - h) / 2;
        UiFillRect(dc, RECT{x, top, x + 2, top + h}, Style::Caret);
    }
}

void UiLineEdit::Describe(UiDescription& out) const
{
    UiWin::Describe(out);
    if (password)
        out.text.assign(text.Length(), PASSWORD_DOT);
    out.kind = "UiLineEdit";
    out.extra = "tip=" + std::string(tip.IsEmpty() ? "" : "1") + " max=" + std::to_string(maxChars) +
                " focused=" + (IsFocused() ? "1" : "0") + " sip=" + std::to_string(sipKind);
}

UiTextEdit::UiTextEdit()
{
    textSize = Style::TextSize;
}

void UiTextEdit::SetText(LPCWSTR value)
{
    text = value;
    scroll.SetOffset(0);
    Invalidate();
}

int UiTextEdit::OnChar(WCHAR ch)
{
    if (!editable || !IsEnabled())
        return 0;
    if (ch == 8) {
        if (text.IsEmpty())
            return 0;
        text.RemoveLast();
    } else if (ch == 13 || ch == 10) {
        text += u'\n';
    } else if (ch >= 32) {
        text += ch;
    } else {
        return 0;
    }
    Invalidate();
    return 1;
}

void UiTextEdit::OnSetFocus()
{
    if (IUiHost* host = GetHost())
        host->ShowInputPanel(TRUE, SIP_KIND_DEFAULT);
}

void UiTextEdit::OnKillFocus()
{
    if (IUiHost* host = GetHost())
        host->ShowInputPanel(FALSE, SIP_KIND_DEFAULT);
}

void UiTextEdit::PaintWin(HDC dc, RECT* rcWin, RECT*)
{
    int saved = SaveDC(dc);
    IntersectClipRect(dc, rcWin->left, rcWin->top, rcWin->right, rcWin->bottom);
    if (paintBg)
        UiFillRect(dc, *rcWin, bgColor);
    RECT rc{rcWin->left + 8, rcWin->top + 6, rcWin->right - 8, rcWin->bottom};
    RECT measure = rc;
    HGDIOBJ old = SelectObject(dc, CreateMzFont(textSize, textWeight));
    textHeight = text.IsEmpty() ? 0 : DrawTextW(dc, text.C_Str(), -1, &measure, DT_WORDBREAK | DT_CALCRECT);
    SelectObject(dc, old);
    scroll.SetRange(textHeight + 12 - GetHeight());
    rc.top -= scroll.GetOffset();
    rc.bottom = rc.top + textHeight + textSize;
    UiDrawText(dc, text.C_Str(), rc, DT_LEFT | DT_WORDBREAK, textSize, textWeight, textColor);
    if (IsFocused())
        UiDrawLine(dc, rcWin->left, rcWin->bottom - 2, rcWin->right, rcWin->bottom - 2, Style::FocusEdge);
    if (frame)
        Style::DrawTextAreaFrame(dc, *rcWin, IsFocused());
    if (scroll.IsDragging() || scroll.IsMoving())
        Style::DrawScrollIndicator(dc, *rcWin, scroll.GetOffset(), textHeight + 12);
    RestoreDC(dc, saved);
}

int UiTextEdit::OnLButtonDown(UINT flags, int x, int y)
{
    UiWin::OnLButtonDown(flags, x, y);
    if (scroll.Press(y, GetTickCount())) {
        KillTimer(MOTION_TIMER);
        SetStopPress(true);
        SetMoved();
    } else {
        SetStopPress(false);
    }
    if (holdMs)
        SetTimer(HOLD_TIMER, holdMs);
    return 1;
}

int UiTextEdit::OnMouseMove(UINT flags, int x, int y)
{
    UiWin::OnMouseMove(flags, x, y);
    int before = scroll.GetOffset();
    if (scroll.Move(y, GetTickCount()))
        SetMoved();
    if (IsMoved())
        KillTimer(HOLD_TIMER);
    if (before != scroll.GetOffset())
        Invalidate();
    return 1;
}

int UiTextEdit::OnLButtonUp(UINT flags, int x, int y)
{
    UiWin::OnLButtonUp(flags, x, y);
    KillTimer(HOLD_TIMER);
    if (scroll.Release(y, GetTickCount()))
        SetTimer(MOTION_TIMER, KineticScroll::STEP_MS);
    Invalidate();
    return 1;
}

void UiTextEdit::OnTimer(UINT_PTR id)
{
    if (id == HOLD_TIMER) {
        KillTimer(HOLD_TIMER);
        if (IsPressed() && !IsMoved())
            PostNotify(HOLD_CODE, 0);
    } else if (id == MOTION_TIMER) {
        if (!scroll.Step(GetTickCount()))
            KillTimer(MOTION_TIMER);
        Invalidate();
    }
}

void UiTextEdit::Describe(UiDescription& out) const
{
    UiWin::Describe(out);
    out.kind = "UiTextEdit";
    out.extra = std::string("editable=") + (editable ? "1" : "0") + " top=" + std::to_string(scroll.GetOffset());
}
