// CListWnd: the base of the menu screens: one menu list under the caption bar and a command bar of home, stock
// search and back. What a tapped row does is the derived window's.
#pragma once

#include "shell/MenuList.h"
#include "shell/NetWnd.h"

class CListWnd : public CNetWnd {
public:
    static constexpr int ID_MENU_LIST = 170;

    CListWnd(LPCWSTR title, HWND owner);
    ~CListWnd() override;

    LPCWSTR GetMzClassName() override;
    void OnMzCommand(WPARAM wParam, LPARAM lParam) override;
    BOOL OnInitDialog() override;
    void OnScreenModeChanged(int orientation) override;
    virtual void OnItemClick(int row) = 0;

    // Row height for a "Font_Size" value: 21-25 → 50, 26-30 → 55, 31-35 → 65, anything else 70.
    static int RowHeightForFont(int fontSize);
    CMenuList& GetMenuList() { return menuList; }

protected:
    void PlaceList();

    CMenuList menuList;
};
