// The menu list.
#include "shell/MenuList.h"

#include "core/AppData.h"
#include "platform/ui/Style.h"
#include "platform/ui/UiDraw.h"
#include "platform/win/Gdi.h"

CMenuList::CMenuList()
{
    arrowImage.LoadImage(CAppData::Instance()->GetFullPath(u"enter.png").GetText());
}

CMenuList::~CMenuList()
{
    RemoveAll(); // frees the row records while this class is still whole
}

int CMenuList::AddRow(LPCWSTR title, LPCWSTR second, COLORREF titleColor)
{
    auto* row = new MenuListRow{CMzStr(title), CMzStr(second), titleColor};
    ListItem item;
    item.Text = title;
    item.Data = (DWORD_PTR)row;
    return AddItem(item);
}

MenuListRow* CMenuList::GetRow(int index)
{
    ListItem* item = GetItem(index);
    return item != nullptr ? reinterpret_cast<MenuListRow*>(item->Data) : nullptr;
}

void CMenuList::OnRemoveItem(int index)
{
    ListItem* item = GetItem(index);
    if (item != nullptr && item->Data != 0) {
        delete reinterpret_cast<MenuListRow*>(item->Data);
        item->Data = 0;
    }
}

int CMenuList::OnLButtonDown(UINT flags, int x, int y)
{
    int r = UiList::OnLButtonDown(flags, x, y);
    // A press that only stopped the list's motion selects nothing.
    if (!IsStopPress()) {
        int index = CalcIndexOfPos(x, y);
        if (index >= 0) {
            int previous = GetSelectedIndex();
            SetSelectedIndex(index);
            if (previous >= 0)
                EnsureVisible(previous);
            EnsureVisible(index);
        }
        Invalidate();
    }
    return r;
}

int CMenuList::OnLButtonUp(UINT flags, int x, int y)
{
    bool tap = !IsMoved() && !IsStopPress();
    int r = UiList::OnLButtonUp(flags, x, y);
    if (tap) {
        int index = CalcIndexOfPos(x, y);
        if (index >= 0)
            PostNotify(NOTIFY_ROW_CHOSEN, index);
    }
    return r;
}

void CMenuList::DrawItem(HDC dc, int index, RECT* rcItem, RECT*, RECT*)
{
    RECT r = *rcItem;
    bool separators = !HasGridlines();
    if (index == 0 && separators)
        UiDrawLine(dc, r.left, r.top, r.right, r.top, Style::RowLine);
    bool selected = index == GetSelectedIndex();
    if (selected)
        Style::DrawSelectionBackground(dc, r);
    MenuListRow* row = GetRow(index);
    RECT text = r;
    text.left += 5;
    if (row != nullptr) {
        if (!twoLineRows) {
            if (showArrow && arrowImage.IsLoaded()) {
                int ax = r.right - 15 - arrowImage.GetImageWidth();
                int ay = r.top + (r.bottom - r.top - arrowImage.GetImageHeight()) / 2;
                arrowImage.DrawAt(dc, ax, ay);
            }
            UINT format = DT_END_ELLIPSIS | DT_SINGLELINE | DT_VCENTER | (textAlign == 1 ? DT_CENTER : DT_LEFT);
            COLORREF color = selected ? Style::SelectedText : row->titleColor;
            UiDrawText(dc, row->title, text, format, fontSize, FW_NORMAL, color);
        } else {
            RECT titleRect = text;
            titleRect.top += 8;
            RECT measure = titleRect;
            HGDIOBJ old = SelectObject(dc, CreateMzFont(fontSize, FW_SEMIBOLD));
            int titleHeight = DrawTextW(dc, row->title.C_Str(), -1, &measure, DT_WORDBREAK | DT_CALCRECT);
            SelectObject(dc, old);
            UiDrawText(dc, row->title, titleRect, DT_WORDBREAK, fontSize, FW_SEMIBOLD, Style::MenuTitleTwoLine);
            int lineY = titleRect.top + titleHeight;
            MoveToEx(dc, text.left, lineY, nullptr);
            LineTo(dc, text.left + (measure.right - measure.left) + 10, lineY);
            RECT secondRect{text.left, lineY + 10, text.right, r.bottom};
            UiDrawText(dc, row->second, secondRect, DT_WORDBREAK, fontSize, FW_NORMAL, Style::MenuSecondLine);
        }
    }
    if (separators)
        UiDrawLine(dc, r.left, r.bottom - 1, r.right, r.bottom - 1, Style::RowLine);
}

void CMenuList::Describe(UiDescription& out) const
{
    UiList::Describe(out);
    out.kind = "CMenuList";
}
