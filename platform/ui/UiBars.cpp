// Icon strip and command bar.
#include "platform/ui/UiBars.h"

#include "platform/ui/Style.h"
#include "platform/ui/UiDraw.h"
#include "platform/win/Gdi.h"

int UiBarBase::OnLButtonDown(UINT flags, int x, int y)
{
    UiWin::OnLButtonDown(flags, x, y);
    pressedItem = ItemAt(x, y);
    Invalidate();
    return 1;
}

int UiBarBase::OnMouseMove(UINT flags, int x, int y)
{
    UiWin::OnMouseMove(flags, x, y);
    return 1;
}

int UiBarBase::OnLButtonUp(UINT flags, int x, int y)
{
    UiWin::OnLButtonUp(flags, x, y);
    int item = pressedItem;
    pressedItem = -1;
    Invalidate();
    // The item fires when the finger is lifted over the item it pressed.
    if (item >= 0 && ItemAt(x, y) == item)
        OnItemTapped(item);
    return 1;
}

void UiBarBase::OnItemTapped(int index)
{
    PostNotify(0, index);
}

int UiBarBase::ItemAt(int x, int y) const
{
    for (int i = 0; i < GetButtonCount(); ++i) {
        RECT r = GetButtonRect(i);
        if (x >= r.left && x < r.right && y >= r.top && y < r.bottom)
            return i;
    }
    return -1;
}

void UiBarBase::PaintBackground(HDC dc, const RECT& rc)
{
    UiFillGradient(dc, rc, Style::BarTop, Style::BarBottom);
    UiDrawLine(dc, rc.left, rc.top, rc.right, rc.top, Style::BarEdge);
    UiDrawLine(dc, rc.left, rc.top + 1, rc.right, rc.top + 1, Style::BarEdgeShade);
}

UiIconStrip::UiIconStrip()
{
    textSize = Style::IconStripTextSize;
    textColor = Style::IconStripText;
}

int UiIconStrip::AddButton(UINT imageResId, LPCWSTR label)
{
    Button b;
    b.own = std::make_unique<CMzImage>();
    b.own->LoadImageFromRes(nullptr, RT_RCDATA, imageResId);
    b.image = b.own.get();
    b.resId = imageResId;
    b.text = label;
    buttons.push_back(std::move(b));
    Invalidate();
    return (int)buttons.size() - 1;
}

int UiIconStrip::AddButtonImage(CMzImage* image, LPCWSTR label)
{
    Button b;
    b.image = image;
    b.text = label;
    buttons.push_back(std::move(b));
    Invalidate();
    return (int)buttons.size() - 1;
}

void UiIconStrip::SetButtonImage(int index, UINT imageResId)
{
    if (index < 0 || index >= (int)buttons.size())
        return;
    Button& b = buttons[index];
    b.own = std::make_unique<CMzImage>();
    b.own->LoadImageFromRes(nullptr, RT_RCDATA, imageResId);
    b.image = b.own.get();
    b.resId = imageResId;
    Invalidate();
}

void UiIconStrip::RemoveAll()
{
    buttons.clear();
    current = -1;
    pressedItem = -1;
    Invalidate();
}

RECT UiIconStrip::GetButtonRect(int index) const
{
    RECT rc = GetRect();
    int n = (int)buttons.size();
    if (n == 0 || index < 0 || index >= n)
        return RECT{0, 0, 0, 0};
    int w = rc.right - rc.left;
    return RECT{rc.left + w * index / n, rc.top, rc.left + w * (index + 1) / n, rc.bottom};
}

void UiIconStrip::PaintWin(HDC dc, RECT* rcWin, RECT*)
{
    PaintBackground(dc, *rcWin);
    for (int i = 0; i < (int)buttons.size(); ++i) {
        RECT r = GetButtonRect(i);
        if (i == current || i == pressedItem) {
            RECT glow{r.left + 4, r.top + 5, r.right - 4, r.bottom - 3};
            UiFillRoundRect(dc, glow, Style::ButtonRadius, Style::IconPressed,
                            i == pressedItem ? Style::IconPressed : Style::IconCurrent);
        }
        const Button& b = buttons[i];
        int textH = b.text.IsEmpty() ? 0 : textSize + 2;
        if (b.image && b.image->IsLoaded()) {
            int size = (r.bottom - r.top) - 14 - textH;
            if (size > b.image->GetImageHeight())
                size = b.image->GetImageHeight();
            int x = (r.left + r.right - size) / 2 + (i == pressedItem ? 1 : 0);
            int y = r.top + 2 + (r.bottom - r.top - 2 - size - textH) / 2 + (i == pressedItem ? 1 : 0);
            RECT ir{x, y, x + size, y + size};
            b.image->Draw(dc, &ir, TRUE);
        }
        if (textH)
            UiDrawText(dc, b.text.C_Str(), RECT{r.left, r.bottom - textH - 3, r.right, r.bottom - 3},
                       DT_CENTER | DT_VCENTER | DT_SINGLELINE, textSize, 400, textColor);
    }
}

void UiIconStrip::Describe(UiDescription& out) const
{
    UiWin::Describe(out);
    out.kind = "UiIconStrip";
    for (const Button& b : buttons) {
        std::string s = std::to_string(b.resId);
        out.items.emplace_back(s.begin(), s.end());
    }
    out.selected = current;
}

UiCommandBar::UiCommandBar()
{
    textSize = Style::CommandBarTextSize;
    textColor = Style::CommandBarText;
}

void UiCommandBar::SetButton(int index, bool on, bool shown, LPCWSTR label)
{
    if (index < 0 || index >= BUTTONS)
        return;
    buttons[index].enabled = on;
    buttons[index].shown = shown;
    buttons[index].text = label;
    Invalidate();
}

void UiCommandBar::SetButtonText(int index, LPCWSTR label)
{
    if (index < 0 || index >= BUTTONS)
        return;
    buttons[index].text = label;
    buttons[index].shown = true;
    Invalidate();
}

void UiCommandBar::EnableButton(int index, bool on)
{
    if (index < 0 || index >= BUTTONS)
        return;
    buttons[index].enabled = on;
    Invalidate();
}

void UiCommandBar::ShowButton(int index, bool shown)
{
    if (index < 0 || index >= BUTTONS)
        return;
    buttons[index].shown = shown;
    Invalidate();
}

LPCWSTR UiCommandBar::GetButtonText(int index) const
{
    return index >= 0 && index < BUTTONS ? buttons[index].text.C_Str() : u"";
}

bool UiCommandBar::IsButtonEnabled(int index) const
{
    return index >= 0 && index < BUTTONS && buttons[index].enabled;
}

bool UiCommandBar::IsButtonShown(int index) const
{
    return index >= 0 && index < BUTTONS && buttons[index].shown;
}

RECT UiCommandBar::GetButtonRect(int index) const
{
    RECT rc = GetRect();
    int w = rc.right - rc.left;
    // Left, middle and right thirds, each button inset so they read as three keys.
    int left = rc.left + w * index / BUTTONS, right = rc.left + w * (index + 1) / BUTTONS;
    int pad = landscape ? 6 : 8;
    return RECT{left + pad, rc.top + pad, right - pad, rc.bottom - pad + 2};
}

int UiCommandBar::ItemAt(int x, int y) const
{
    RECT rc = GetRect();
    if (y < rc.top || y >= rc.bottom)
        return -1;
    int w = rc.right - rc.left;
    if (w <= 0 || x < rc.left || x >= rc.right)
        return -1;
    int index = (x - rc.left) * BUTTONS / w;
    if (index < 0 || index >= BUTTONS || !buttons[index].shown || !buttons[index].enabled)
        return -1;
    return index;
}

void UiCommandBar::PaintWin(HDC dc, RECT* rcWin, RECT*)
{
    PaintBackground(dc, *rcWin);
    for (int i = 0; i < BUTTONS; ++i) {
        const Button& b = buttons[i];
        if (!b.shown)
            continue;
        RECT r = GetButtonRect(i);
        bool down = i == pressedItem;
        UiFillRoundRect(dc, r, Style::ButtonRadius, Style::CommandButtonEdge,
                        down ? Style::PressedFill : Style::CommandButtonFill);
        if (!down)
            UiFillRoundRect(dc, RECT{r.left + 2, r.top + 2, r.right - 2, (r.top + r.bottom) / 2}, 6,
                            Style::CommandButtonShine, Style::CommandButtonShine);
        COLORREF color = !b.enabled ? Style::CommandBarDisabledText : down ? Style::CommandBarPressedText : textColor;
        UiDrawText(dc, b.text.C_Str(), r, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS,
                   landscape ? textSize - 2 : textSize, 600, color);
    }
}

void UiCommandBar::Describe(UiDescription& out) const
{
    UiWin::Describe(out);
    out.kind = "UiCommandBar";
    for (const Button& b : buttons) {
        std::u16string s(b.text.C_Str(), b.text.Length());
        if (!b.shown)
            s = u"";
        else if (!b.enabled)
            s += u" (disabled)";
        out.items.push_back(s);
    }
}
