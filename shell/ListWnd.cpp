// The menu list window base.
#include "shell/ListWnd.h"

#include "core/AppData.h"
#include "platform/ui/Style.h"

CListWnd::CListWnd(LPCWSTR title, HWND owner) : CNetWnd(title, owner)
{
    wndType = WND_TYPE_MENU_LIST;
}

CListWnd::~CListWnd()
{
    if (menuList.GetItemCount() > 0)
        menuList.RemoveAll();
    RemoveUiWin(&menuList);
}

LPCWSTR CListWnd::GetMzClassName()
{
    return u"CListWnd";
}

int CListWnd::RowHeightForFont(int f)
{
    if (f >= 21 && f <= 25)
        return 50;
    if (f >= 26 && f <= 30)
        return 55;
    if (f >= 31 && f <= 35)
        return 65;
    return 70;
}

void CListWnd::PlaceList()
{
    menuList.SetPos(0, CAPTION_HEIGHT, GetWidth(), GetHeight() - CAPTION_HEIGHT - commandBar.GetFormHeight());
}

BOOL CListWnd::OnInitDialog()
{
    if (!CNetWnd::OnInitDialog())
        return FALSE;
    SetBgColor(Style::DarkFill);
    commandBar.SetButton(0, true, true, u"首页");
    commandBar.SetButton(1, true, true, u"个股");
    commandBar.SetButton(2, true, true, u"返回");
    RemoveUiWin(&toolBar);
    AddUiWin(&commandBar);

    int f = CAppData::Instance()->GetConfigInt("Font_Size", 0);
    PlaceList();
    menuList.SetID(ID_MENU_LIST);
    menuList.EnableScrollBarV(true);
    menuList.fontSize = f;
    menuList.SetItemHeight(RowHeightForFont(f));
    menuList.twoLineRows = 0;
    menuList.EnableGridlines(false); // the menu list draws its own separators
    menuList.SetTextColor(Style::MenuText);
    AddUiWin(&menuList);
    RemoveUiWin(&contentPanel);
    return TRUE;
}

void CListWnd::OnScreenModeChanged(int)
{
    PlaceList();
}

void CListWnd::OnMzCommand(WPARAM wParam, LPARAM lParam)
{
    switch (LOWORD(wParam)) {
    case ID_COMMAND_BAR:
        if (lParam == 0)
            EndWnd(END_HOME);
        else if (lParam == 1)
            OpenStockSearch();
        else if (lParam == 2)
            EndWnd(END_BACK);
        break;
    case ID_MENU_LIST:
        if (lParam >= 0)
            OnItemClick((int)lParam);
        break;
    default:
        break;
    }
}
