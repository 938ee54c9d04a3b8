// Text entry: the one-line edit and the multi-line text edit. A focused edit asks its host for the input
// panel of its kind; typed characters reach OnChar (8 = backspace).
#pragma once

#include "platform/ui/KineticScroll.h"
#include "platform/ui/Style.h"
#include "platform/ui/UiWin.h"

class UiLineEdit : public UiWin {
public:
    UiLineEdit();
    void SetText(LPCWSTR text) override; // cut to the maximum length
    // 0 = no limit.
    void SetMaxChars(int maxChars);
    int GetMaxChars() const { return maxChars; }
    // Shown in grey while the text is empty.
    void SetTip(LPCWSTR hint)
    {
        tip = hint;
        Invalidate();
    }
    LPCWSTR GetTip() const { return tip.C_Str(); }
    // The input panel kind (SIP_KIND_*); the number pad (9) takes only digits, '.' and '-'.
    void SetSipMode(int kind) { sipKind = kind; }
    int GetSipMode() const { return sipKind; }
    // A password edit shows one dot per character, also to the automation.
    void SetPassword(bool on)
    {
        password = on;
        Invalidate();
    }
    bool IsPassword() const { return password; }
    // Overwrites the text's memory and empties it (a password leaving the screen).
    void WipeText()
    {
        text.Wipe();
        Invalidate();
    }
    void SetReadOnly(bool on) { readOnly = on; }
    void SetBackgroundColor(COLORREF color) { bgColor = color; }
    void SetFrame(bool on) { frame = on; }

    bool CanFocus() const override { return IsEnabled() && !readOnly; }
    void OnSetFocus() override;
    void OnKillFocus() override;
    int OnChar(WCHAR ch) override;
    void EnableControl(bool enabled) override;
    void PaintWin(HDC dc, RECT* rcWin, RECT* rcUpdate) override;
    void Describe(UiDescription& out) const override;

protected:
    virtual bool Accepts(WCHAR ch) const;

private:
    CMzStr tip;
    int maxChars = 0;
    int sipKind = SIP_KIND_DEFAULT;
    bool password = false;
    bool readOnly = false;
    bool frame = true;
    COLORREF bgColor = Style::PaperFill;
};

class UiTextEdit : public UiWin {
public:
    UiTextEdit();
    void SetText(LPCWSTR text) override;
    void SetEditable(bool on) { editable = on; }
    bool IsEditable() const { return editable; }
    void SetBackgroundColor(COLORREF color, bool paint = true)
    {
        bgColor = color;
        paintBg = paint;
    }
    // A frame around the text area, as a message being written has.
    void SetFrame(bool on)
    {
        frame = on;
        Invalidate();
    }
    // A press held this long without moving posts MZ_WM_COMMAND code 1 (press and hold); 0 switches it off.
    void SetHoldTime(UINT milliseconds) { holdMs = milliseconds; }
    int GetTopPos() const { return scroll.GetOffset(); }
    bool ScrollsItself() const override { return true; }

    bool CanFocus() const override { return editable && IsEnabled(); }
    void OnSetFocus() override;
    void OnKillFocus() override;
    int OnChar(WCHAR ch) override;
    void PaintWin(HDC dc, RECT* rcWin, RECT* rcUpdate) override;
    int OnLButtonDown(UINT flags, int x, int y) override;
    int OnLButtonUp(UINT flags, int x, int y) override;
    int OnMouseMove(UINT flags, int x, int y) override;
    void OnTimer(UINT_PTR id) override;
    void Describe(UiDescription& out) const override;

    static constexpr int HOLD_CODE = 1;

private:
    static constexpr UINT_PTR HOLD_TIMER = 1;
    static constexpr UINT_PTR MOTION_TIMER = 2;
    bool editable = false;
    bool paintBg = true;
    bool frame = false;
    COLORREF bgColor = Style::PaperFill;
    UINT holdMs = 800;
    int textHeight = 0; // measured at the last paint
    KineticScroll scroll;
};
