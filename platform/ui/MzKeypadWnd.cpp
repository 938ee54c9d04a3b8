// The numeric keypad.
#include "platform/ui/MzKeypadWnd.h"

#include "platform/ui/Style.h"
#include "platform/ui/UiDraw.h"

namespace {

// A key face: light for digits, darker for the function keys, gold while pressed.
class KeyButton : public UiImageButton {
public:
    void PaintWin(HDC dc, RECT* rcWin, RECT* rcUpdate) override
    {
        RECT r{rcWin->left + 3, rcWin->top + 3, rcWin->right - 3, rcWin->bottom - 3};
        bool function = GetID() >= CMzKeypadWnd::KEY_BACKSPACE && GetID() <= CMzKeypadWnd::KEY_DONE;
        COLORREF fill = IsDown() ? Style::PressedFill : function ? Style::FunctionKeyFace : Style::KeyFace;
        UiFillRoundRect(dc, r, Style::ButtonRadius, Style::KeyEdge, fill);
        UiImageButton::PaintWin(dc, rcWin, rcUpdate);
    }
};

} // namespace

CMzKeypadWnd::CMzKeypadWnd()
{
    SetBgColor(Style::KeypadFill);
    static const char16_t* texts[] = {u"0", u"1", u"2",      u"3",    u"4",    u"5",    u"6", u"7",
                                      u"8", u"9", u"\u2190", u"隐藏", u"清空", u"完成", u""};
    for (int key = FIRST_KEY; key <= LAST_KEY; ++key) {
        auto& k = keys[key - FIRST_KEY];
        k = std::make_unique<KeyButton>();
        k->SetID(key);
        k->SetText(texts[key - FIRST_KEY]);
        k->SetTextColor(Style::KeyText);
        k->SetTextSize(key >= KEY_HIDE && key <= KEY_DONE ? Style::FunctionKeyTextSize : Style::KeyTextSize);
        k->SetTextWeight(600);
    }
    images[KEY_POINT - FIRST_KEY].LoadPlatformImage(MZ_IMAGE_KEYPAD_POINT);
    keys[KEY_POINT - FIRST_KEY]->SetImage_Normal(&images[KEY_POINT - FIRST_KEY]);
}

LPCWSTR CMzKeypadWnd::GetMzClassName()
{
    return u"CMzKeypadWnd";
}

BOOL CMzKeypadWnd::OnInitDialog()
{
    Layout();
    for (auto& k : keys)
        AddUiWin(k.get());
    return TRUE;
}

void CMzKeypadWnd::Layout()
{
    // 1 2 3 <-  /  4 5 6 clear  /  7 8 9 hide  /  . 0 0 done
    static const int grid[4][4] = {
        {11, 12, 13, KEY_BACKSPACE}, {14, 15, 16, KEY_CLEAR}, {17, 18, 19, KEY_HIDE}, {KEY_POINT, 10, 10, KEY_DONE}};
    int w = GetWidth(), h = GetHeight();
    int cw = w / 4, rh = (h - 10) / 4;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) {
            int key = grid[r][c];
            if (c > 0 && grid[r][c - 1] == key)
                continue;
            int span = (c < 3 && grid[r][c + 1] == key) ? 2 : 1;
            keys[key - FIRST_KEY]->SetPos(c * cw, 5 + r * rh, cw * span, rh);
        }
}

void CMzKeypadWnd::OnMzCommand(WPARAM wParam, LPARAM)
{
    int key = LOWORD(wParam);
    if (HIWORD(wParam) != 0 || key < FIRST_KEY || key > LAST_KEY)
        return;
    lastKey = key;
    if (target)
        ::PostMessage(target, WM_COMMAND, (WPARAM)key, 0);
}

void CMzKeypadWnd::PaintWin(HDC dc, RECT* window, RECT* update)
{
    UiFillGradient(dc, *window, Style::KeypadTop, Style::KeypadBottom);
    GetWinManager().Paint(dc, update);
}

UiImageButton* CMzKeypadWnd::GetKey(int key)
{
    return key >= FIRST_KEY && key <= LAST_KEY ? keys[key - FIRST_KEY].get() : nullptr;
}

void CMzKeypadWnd::SetKeyText(int key, LPCWSTR text)
{
    if (UiImageButton* k = GetKey(key))
        k->SetText(text);
}

void CMzKeypadWnd::SetKeyTextColor(int key, COLORREF color)
{
    if (UiImageButton* k = GetKey(key))
        k->SetTextColor(color);
}

void CMzKeypadWnd::SetKeyTextSize(int key, int size)
{
    if (UiImageButton* k = GetKey(key))
        k->SetTextSize(size);
}

void CMzKeypadWnd::SetKeyTextWeight(int key, int weight)
{
    if (UiImageButton* k = GetKey(key))
        k->SetTextWeight(weight);
}

CMzImage* CMzKeypadWnd::GetKeyImage(int key)
{
    if (key < FIRST_KEY || key > LAST_KEY)
        return nullptr;
    keys[key - FIRST_KEY]->SetImage_Normal(&images[key - FIRST_KEY]);
    return &images[key - FIRST_KEY];
}
