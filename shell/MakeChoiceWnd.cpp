// The choice picker.
#include "shell/MakeChoiceWnd.h"

#include "core/AppData.h"
#include "platform/ui/Style.h"

CMakeChoiceWnd::CMakeChoiceWnd(LPCWSTR title, HWND parent, int cookieValue)
    : CBaseWnd(title, parent), cookie(cookieValue)
{
    // The rows show the form's payloads; the form frees them.
    checkList.releasePayload = nullptr;
}

CMakeChoiceWnd::~CMakeChoiceWnd()
{
    checkList.RemoveAll();
}

LPCWSTR CMakeChoiceWnd::GetMzClassName()
{
    return u"CMakeChoiceWnd";
}

void CMakeChoiceWnd::SetItems(const ListItem* items, int n)
{
    if (items == nullptr || n <= 0)
        return;
    choices.assign(items, items + n);
}

void CMakeChoiceWnd::PlaceList()
{
    checkList.SetPos(40, 82, GetWidth() - 80, GetHeight() - 187);
}

BOOL CMakeChoiceWnd::OnInitDialog()
{
    if (!CBaseWnd::OnInitDialog())
        return FALSE;
    RemoveUiWin(&contentPanel);
    RemoveUiWin(&toolBar);

    PlaceList();
    checkList.SetID(ID_CHECK_LIST);
    checkList.SetNotify(false);
    checkList.SetItemHeight(45);
    checkList.SetTextSize(Style::ChoiceListTextSize);
    checkList.SetTextColor(Style::PaperText);
    checkList.EnableGridlines(false);
    checkList.reTapNotify = 0;
    checkList.multiChoice = multiChoice;
    if (multiChoice == 0)
        checkList.tapNotify = 1;
    AddUiWin(&checkList);

    int selected = -1;
    for (const ListItem& choice : choices) {
        int row = checkList.AddItem(choice);
        if (selected < 0 && checkList.IsChecked(row))
            selected = row;
    }
    checkList.SetSelectedIndex(selected);
    if (selected >= 0)
        checkList.EnsureVisible(selected);

    commandBar.SetButton(0, true, true, u"确定");
    AddUiWin(&commandBar);
    SetShowAnimation(12);
    SetHideAnimation(11);
    return TRUE;
}

void CMakeChoiceWnd::OnInactive() {}

void CMakeChoiceWnd::OnScreenModeChanged(int)
{
    PlaceList();
}

void CMakeChoiceWnd::PaintWin(HDC dc, RECT* window, RECT* update)
{
    CMzWnd::PaintWin(dc, window, update);
    RECT box{checkList.GetPosX(), checkList.GetPosY(), checkList.GetPosX() + checkList.GetWidth(),
             checkList.GetPosY() + checkList.GetHeight()};
    DrawRoundBox(dc, &box, FALSE, TRUE);
    GetWinManager().Paint(dc, update);
}

void CMakeChoiceWnd::OnMzCommand(WPARAM wParam, LPARAM lParam)
{
    int id = LOWORD(wParam);
    int code = HIWORD(wParam);
    if ((id == ID_COMMAND_BAR && lParam == 0) || (id == ID_CHECK_LIST && code == CCheckList::NOTIFY_TAPPED)) {
        Confirm();
        EndWnd(END_BACK);
    }
}

void CMakeChoiceWnd::Confirm()
{
    if (choices.empty())
        return;
    int n = checkList.CountChecked();
    if (n == 0) {
        CAppData::Instance()->ShowMessageBox(u"您未选中任何选项！", u"Tips", m_hWnd);
        return;
    }
    auto* indexes = new int32_t[(size_t)n];
    int k = 0;
    for (int row = 0; row < checkList.GetItemCount() && k < n; ++row)
        if (checkList.IsChecked(row))
            indexes[k++] = row;
    if (!::PostMessage(GetOwnerWnd(), WM_MULTI_CHOICE, (WPARAM)(intptr_t)cookie, (LPARAM)indexes))
        delete[] indexes; // nobody will receive it
}
