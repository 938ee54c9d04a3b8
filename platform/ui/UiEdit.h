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
    int GetMaxChars() const { return maxChars_; }
    // Shown in grey while the text is empty.
    void SetTip(LPCWSTR tip) { tip_ = tip; Invalidate(); }
    LPCWSTR GetTip() const { return tip_.C_Str(); }
    // The input panel kind (SIP_KIND_*); the number pad (9) takes only digits, '.' and '-'.
    void SetSipMode(int kind) { sipKind_ = kind; }
    int GetSipMode() const { return sipKind_; }
    // A password edit shows one dot per character, also to the automation.
    void SetPassword(bool on) { password_ = on; Invalidate(); }
    bool IsPassword() const { return password_; }
    // Overwrites the text's memory and empties it (a password leaving the screen).
    void WipeText() { text_.Wipe(); Invalidate(); }
    void SetReadOnly(bool on) { readOnly_ = on; }
    void SetBackgroundColor(COLORREF color) { bgColor_ = color; }
    void SetFrame(bool on) { frame_ = on; }

    bool CanFocus() const override { return IsEnabled() && !readOnly_; }
    void OnSetFocus() override;
    void OnKillFocus() override;
    int OnChar(WCHAR ch) override;
    void EnableControl(bool enabled) override;
    void PaintWin(HDC dc, RECT* rcWin, RECT* rcUpdate) override;
    void Describe(UiDescription& out) const override;

protected:
    virtual bool Accepts(WCHAR ch) const;

private:
    CMzStr tip_;
    int maxChars_ = 0;
    int sipKind_ = SIP_KIND_DEFAULT;
    bool password_ = false;
    bool readOnly_ = false;
    bool frame_ = true;
    COLORREF bgColor_ = Style::PaperFill;
};

class UiTextEdit : public UiWin {
public:
    UiTextEdit();
    void SetText(LPCWSTR text) override;
    void SetEditable(bool on) { editable_ = on; }
    bool IsEditable() const { return editable_; }
    void SetBackgroundColor(COLORREF color, bool paint = true) { bgColor_ = color; paintBg_ = paint; }
    // A frame around the text area, as a message being written has.
    void SetFrame(bool on) { frame_ = on; Invalidate(); }
    // A press held this long without moving posts MZ_WM_COMMAND code 1 (press and hold); 0 switches it off.
    void SetHoldTime(UINT milliseconds) { holdMs_ = milliseconds; }
    int GetTopPos() const { return scroll_.GetOffset(); }
    bool ScrollsItself() const override { return true; }

    bool CanFocus() const override { return editable_ && IsEnabled(); }
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
    bool editable_ = false;
    bool paintBg_ = true;
    bool frame_ = false;
    COLORREF bgColor_ = Style::PaperFill;
    UINT holdMs_ = 800;
    int textHeight_ = 0; // measured at the last paint
    KineticScroll scroll_;
};
