// CLabelCtrl: a text label that may wrap, be bold, or act as a tappable link (blue, underlined; a released tap
// notifies code 1 with the label as lParam).
#pragma once

#include "platform/ui/UiStatic.h"

class CLabelCtrl : public UiStatic {
public:
    static constexpr int NOTIFY_LINK = 1;

    CLabelCtrl() = default;
    ~CLabelCtrl() override = default;

    virtual void SetFontSize(int size) { fontSize = size; }
    virtual void SetTextColor(COLORREF color) { textColor = color; }
    virtual void SetSingleLine(BYTE on) { singleLine = on; }
    virtual void SetLinkStyle(BYTE on) { linkStyle = on; }
    virtual void SetBold(BYTE on) { bold = on; }
    // The height the text needs at the label's width: one line when single-line, else one line per full width.
    virtual int MeasureHeight();

    void SetText(LPCWSTR text) override;
    LPCWSTR GetText() const override { return text.C_Str(); }
    void PaintWin(HDC dc, RECT* rcWin, RECT* rcUpdate) override;
    int OnLButtonDown(UINT flags, int x, int y) override;
    int OnLButtonUp(UINT flags, int x, int y) override;
    void Describe(UiDescription& out) const override;

    COLORREF GetLabelColor() const { return textColor; }
    BYTE IsLink() const { return linkStyle; }
    BYTE IsPressed() const { return pressed; }
    const RECT& GetPressedRect() const { return pressedRect; }

private:
    int FontHeight() const { return fontSize > 0 ? fontSize : GetTextSize(); }

    CMzStr text;
    COLORREF textColor = 0;
    int fontSize = 0;
    BYTE singleLine = 1;
    BYTE linkStyle = 0;
    BYTE bold = 0;
    RECT pressedRect{0, 0, 0, 0};
    BYTE pressed = 0;
};
