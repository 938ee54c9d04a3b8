// Push buttons and image buttons. A click (press and release inside, without dragging) posts MZ_WM_COMMAND
// with wParam = MAKELONG(id, 0) and lParam 0 to the host window.
#pragma once

#include "platform/ui/MzImage.h"
#include "platform/ui/Style.h"
#include "platform/ui/UiWin.h"

// Button styles: 0 no frame (an image button's own look), 1 a light rounded button, 2 a dark rounded button,
// 6 a plain light box in a thin frame (a link-like button beside a line of text).
#define MZC_BUTTON_NONE 0
#define MZC_BUTTON_LIGHT 1
#define MZC_BUTTON_DARK 2
#define MZC_BUTTON_FRAMED 6

class UiPushButton : public UiWin {
public:
    UiPushButton();
    void SetButtonType(int kind)
    {
        style = kind;
        Invalidate();
    }
    int GetButtonType() const { return style; }
    // Shown pressed while the finger is down on the button.
    bool IsDown() const { return down; }
    void PaintWin(HDC dc, RECT* rcWin, RECT* rcUpdate) override;
    int OnLButtonDown(UINT flags, int x, int y) override;
    int OnLButtonUp(UINT flags, int x, int y) override;
    int OnMouseMove(UINT flags, int x, int y) override;
    void Describe(UiDescription& out) const override;

protected:
    virtual void OnClick();
    void PaintText(HDC dc, const RECT& rc, COLORREF color);
    int style = MZC_BUTTON_LIGHT;
    bool down = false;
    bool cancelled = false; // the press became a drag of the content around the button
};

class UiImageButton : public UiPushButton {
public:
    UiImageButton();
    // Images owned by the caller; they must outlive the button.
    void SetImage_Normal(CMzImage* image)
    {
        normal = image;
        Invalidate();
    }
    void SetImage_Pressed(CMzImage* image)
    {
        pressed = image;
        Invalidate();
    }
    CMzImage* GetImage_Normal() const { return normal; }
    CMzImage* GetImage_Pressed() const { return pressed; }
    void SetTextColor_Pressed(COLORREF color) { pressedColor = color; }
    void PaintWin(HDC dc, RECT* rcWin, RECT* rcUpdate) override;
    void Describe(UiDescription& out) const override;

private:
    CMzImage* normal = nullptr;
    CMzImage* pressed = nullptr;
    COLORREF pressedColor = Style::DarkText;
};
