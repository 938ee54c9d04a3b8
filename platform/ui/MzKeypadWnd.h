// The numeric keypad window: digit keys 10 to 19 ("0" to "9"), 20 backspace, 21 hide, 22 clear, 23 done and
// 24 the decimal point. A key tap reaches OnMzCommand with the key number as control id; the keypad's own
// handling posts WM_COMMAND (wParam = key number) to its target window.
#pragma once

#include "platform/ui/MzHostWnd.h"
#include "platform/ui/UiButton.h"

#include <memory>

class CMzKeypadWnd : public CMzHostWnd {
public:
    static constexpr int FIRST_KEY = 10;
    static constexpr int LAST_KEY = 24;
    static constexpr int KEY_BACKSPACE = 20;
    static constexpr int KEY_HIDE = 21;
    static constexpr int KEY_CLEAR = 22;
    static constexpr int KEY_DONE = 23;
    static constexpr int KEY_POINT = 24;
    // The height the keypad wants at a width (four rows of keys).
    static int PreferredHeight() { return 4 * 70 + 10; }

    CMzKeypadWnd();
    LPCWSTR GetMzClassName() override;
    BOOL OnInitDialog() override;
    void OnMzCommand(WPARAM wParam, LPARAM lParam) override;
    void PaintWin(HDC dc, RECT* window, RECT* update) override;

    void SetTarget(HWND window) { target = window; }
    HWND GetTarget() const { return target; }
    // Per-key look; keys outside 10..24 are ignored.
    void SetKeyText(int key, LPCWSTR text);
    void SetKeyTextColor(int key, COLORREF color);
    void SetKeyTextSize(int key, int size);
    void SetKeyTextWeight(int key, int weight);
    // The key's normal image (load into it, e.g. a numbered resource); drawn instead of the plain key face.
    CMzImage* GetKeyImage(int key);
    UiImageButton* GetKey(int key);
    int GetLastKey() const { return lastKey; }

private:
    void Layout();
    HWND target = nullptr;
    std::unique_ptr<UiImageButton> keys[LAST_KEY - FIRST_KEY + 1];
    CMzImage images[LAST_KEY - FIRST_KEY + 1];
    int lastKey = -1;
};
