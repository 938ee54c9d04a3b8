// The drop-down box window.
#include "shell/ComboBoxWnd.h"

#include "platform/ui/Style.h"
#include "platform/ui/UiDraw.h"
#include "platform/win/WideText.h"

namespace {

bool StrictlyInside(const RECT& r, int x, int y)
{
    return x > r.left && x < r.right && y > r.top && y < r.bottom;
}

} // namespace

void CComboList::PaintWin(HDC dc, RECT* rcWin, RECT* rcUpdate)
{
    UiFillRoundRect(dc, *rcWin, 2, Style::BoxBorder, Style::BoxFill);
    RECT rows = *rcWin;
    rows.left += ROW_INSET;
    rows.right -= ROW_INSET;
    UiList::PaintWin(dc, &rows, rcUpdate);
}

void CComboList::Describe(UiDescription& out) const
{
    UiList::Describe(out);
    out.kind = "CComboList";
}

CComboBoxWnd::CComboBoxWnd(LPCWSTR title, HWND parent) : CNetWnd(title, parent) {}

CComboBoxWnd::~CComboBoxWnd() = default;

LPCWSTR CComboBoxWnd::GetMzClassName()
{
    return u"CComboBoxWnd";
}

BOOL CComboBoxWnd::OnInitDialog()
{
    if (!CNetWnd::OnInitDialog())
        return FALSE;
    field.SetID(ID_FIELD);
    field.SetReadOnly(true); // the field only shows the chosen row
    field.SetTextSize(Style::PickerFieldTextSize);

    buttonNormal.LoadImageFromRes(nullptr, RT_RCDATA, 128);
    buttonPressed.LoadImageFromRes(nullptr, RT_RCDATA, 129);
    dropButton.SetButtonType(0);
    dropButton.SetImage_Normal(&buttonNormal);
    dropButton.SetImage_Pressed(&buttonPressed);
    dropButton.SetID(ID_DROP_BUTTON);

    list.SetID(ID_LIST);
    list.SetItemHeight(40);
    list.EnableGridlines(false);
    list.SetNotify(true);
    list.EnableScrollBarV(true);
    list.SetTextSize(Style::PickerListTextSize);
    list.SetVisible(listOpen != 0);

    SetPosition(boxX, boxY, boxWidth, listHeight);
    AddUiWin(&field);
    AddUiWin(&dropButton);
    AddUiWin(&list);
    return TRUE;
}

void CComboBoxWnd::SetPosition(int x, int y, int width, int height)
{
    boxWidth = width;
    listHeight = height;
    field.SetPos(x, y, width, FIELD_HEIGHT);
    dropButton.SetPos(x + width - 30, y + 2, 30, 56);
    list.SetPos(x + 3, y + FIELD_HEIGHT, width - 6, height);
}

void CComboBoxWnd::AddItem(LPCWSTR text, DWORD_PTR data)
{
    ListItem item;
    item.Text = text;
    item.Data = data;
    list.AddItem(item);
}

void CComboBoxWnd::RemoveAllItems()
{
    if (list.GetItemCount() > 0)
        list.RemoveAll();
}

DWORD_PTR CComboBoxWnd::GetItemData(int row) const
{
    const ListItem* item = list.GetItem(row);
    return item != nullptr ? item->Data : 0;
}

CMzStr CComboBoxWnd::GetItemText(int row) const
{
    const ListItem* item = list.GetItem(row);
    return item != nullptr ? item->Text : CMzStr();
}

void CComboBoxWnd::SetCurSel(int row)
{
    const ListItem* item = list.GetItem(row);
    if (item == nullptr)
        return;
    list.SetSelectedIndex(row);
    selectedRow = row;
    field.SetText(item->Text.C_Str());
}

int CComboBoxWnd::FindItem(LPCWSTR key) const
{
    if (key == nullptr || key[0] == 0)
        return -1;
    for (int i = 0; i < list.GetItemCount(); ++i) {
        const auto* data = reinterpret_cast<LPCWSTR>(list.GetItem(i)->Data);
        if (data != nullptr && wcscmp(data, key) == 0)
            return i;
    }
    return -1;
}

void CComboBoxWnd::ShowList(bool open)
{
    listOpen = open ? 1 : 0;
    list.SetVisible(open);
    list.Invalidate();
    Invalidate();
}

void CComboBoxWnd::OnMzCommand(WPARAM wParam, LPARAM lParam)
{
    if (LOWORD(wParam) == ID_DROP_BUTTON) {
        ShowList(!listOpen);
        if (listOpen && selectedRow >= 0 && selectedRow < list.GetItemCount())
            list.SetSelectedIndex(selectedRow);
        return;
    }
    CNetWnd::OnMzCommand(wParam, lParam);
}

LRESULT CComboBoxWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == MZ_WM_MOUSE_NOTIFY && LOWORD(wParam) == ID_LIST && HIWORD(wParam) == MZ_MOUSE_DOWN) {
        // A press that only stopped the list's motion picks nothing.
        if (!list.IsMoved() && !list.IsStopPress()) {
            RECT r = list.GetRect();
            int row = list.CalcIndexOfPos(r.left + (short)LOWORD(lParam), r.top + (short)HIWORD(lParam));
            if (row >= 0) {
                list.SetSelectedIndex(row);
                selectedRow = row;
                list.Invalidate();
            }
        }
        return 0;
    }
    return CNetWnd::WindowProc(message, wParam, lParam);
}

void CComboBoxWnd::OnLButtonDown(UINT keys, int x, int y)
{
    RECT listRect = list.GetRect();
    RECT buttonRect = dropButton.GetRect();
    RECT fieldRect = field.GetRect();
    if (StrictlyInside(buttonRect, x, y)) {
        // The button acts on its own release.
    } else if (StrictlyInside(fieldRect, x, y)) {
        ShowList(!listOpen);
    } else if (list.IsVisible() && !StrictlyInside(listRect, x, y)) {
        ShowList(false);
    }
    CNetWnd::OnLButtonDown(keys, x, y);
}

void CComboBoxWnd::OnLButtonUp(UINT keys, int x, int y)
{
    if (list.IsVisible() && StrictlyInside(list.GetRect(), x, y) && !list.IsMoved() && !list.IsScrolling()) {
        if (const ListItem* item = list.GetItem(selectedRow))
            field.SetText(item->Text.C_Str());
        ShowList(false);
    }
    CNetWnd::OnLButtonUp(keys, x, y);
}
