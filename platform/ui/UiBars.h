// The bars at the bottom of a screen: the icon strip (image buttons with a current item) and the command bar
// (up to three text buttons). A tap on an item posts MZ_WM_COMMAND with wParam = MAKELONG(bar id, 0) and
// lParam = the item index. Both have a portrait form (65 pixels high) and a landscape form (50).
#pragma once

#include "platform/ui/MzImage.h"
#include "platform/ui/Style.h"
#include "platform/ui/UiWin.h"

#include <memory>
#include <vector>

constexpr int UI_BAR_HEIGHT_PORTRAIT = Style::BarHeightPortrait;
constexpr int UI_BAR_HEIGHT_LANDSCAPE = Style::BarHeightLandscape;

// Shared press tracking: the item under the press is shown pressed and fires when released over it.
class UiBarBase : public UiWin {
public:
    void SetLandscape(bool on)
    {
        landscape = on;
        Invalidate();
    }
    bool IsLandscape() const { return landscape; }
    int GetFormHeight() const { return landscape ? UI_BAR_HEIGHT_LANDSCAPE : UI_BAR_HEIGHT_PORTRAIT; }
    int GetPressedItem() const { return pressedItem; }
    int OnLButtonDown(UINT flags, int x, int y) override;
    int OnLButtonUp(UINT flags, int x, int y) override;
    int OnMouseMove(UINT flags, int x, int y) override;

    virtual int GetButtonCount() const = 0;
    virtual RECT GetButtonRect(int index) const = 0;

protected:
    // The item under a point: the button whose rectangle holds it; -1 for none.
    virtual int ItemAt(int x, int y) const;
    virtual void OnItemTapped(int index);
    void PaintBackground(HDC dc, const RECT& rc);
    bool landscape = false;
    int pressedItem = -1;
};

class UiIconStrip : public UiBarBase {
public:
    UiIconStrip();
    // Appends a button with the program's numbered image; returns its index.
    int AddButton(UINT imageResId, LPCWSTR text = nullptr);
    // A button with an image owned by the caller.
    int AddButtonImage(CMzImage* image, LPCWSTR text = nullptr);
    void SetButtonImage(int index, UINT imageResId);
    void RemoveAll();
    int GetButtonCount() const override { return (int)buttons.size(); }
    // The current item is drawn highlighted; -1 for none.
    void SetCurrentItem(int index)
    {
        current = index;
        Invalidate();
    }
    int GetCurrentItem() const { return current; }
    RECT GetButtonRect(int index) const override;
    void PaintWin(HDC dc, RECT* rcWin, RECT* rcUpdate) override;
    void Describe(UiDescription& out) const override;

private:
    struct Button {
        std::unique_ptr<CMzImage> own;
        CMzImage* image = nullptr;
        UINT resId = 0;
        CMzStr text;
    };
    std::vector<Button> buttons;
    int current = -1;
};

class UiCommandBar : public UiBarBase {
public:
    UiCommandBar();
    static constexpr int BUTTONS = 3;
    // A button's text, enabled and shown state at once.
    void SetButton(int index, bool enabled, bool shown, LPCWSTR text);
    void SetButtonText(int index, LPCWSTR text);
    void EnableButton(int index, bool enabled);
    void ShowButton(int index, bool shown);
    LPCWSTR GetButtonText(int index) const;
    bool IsButtonEnabled(int index) const;
    bool IsButtonShown(int index) const;
    int GetButtonCount() const override { return BUTTONS; }
    RECT GetButtonRect(int index) const override;
    void PaintWin(HDC dc, RECT* rcWin, RECT* rcUpdate) override;
    void Describe(UiDescription& out) const override;

protected:
    // A third of the bar each, whatever the keys' insets; hidden and disabled keys take no tap.
    int ItemAt(int x, int y) const override;

private:
    struct Button {
        CMzStr text;
        bool enabled = true;
        bool shown = false;
    };
    Button buttons[BUTTONS];
};
