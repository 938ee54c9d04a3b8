// CMenuList: the menu list of the list windows: one- or two-line rows with an optional arrow; a tap that is not a
// drag selects the row and notifies code 12 with the row index on release.
#pragma once

#include "platform/ui/MzImage.h"
#include "platform/ui/UiList.h"

// What a menu-list row's data word points to; owned by the list.
struct MenuListRow {
    CMzStr title;
    CMzStr second;
    COLORREF titleColor = 0;
};

class CMenuList : public UiList {
public:
    static constexpr int NOTIFY_ROW_CHOSEN = 12;

    CMenuList();
    ~CMenuList() override;

    // Appends a row (the list owns its record); returns its index.
    int AddRow(LPCWSTR title, LPCWSTR second = nullptr, COLORREF titleColor = 0);
    MenuListRow* GetRow(int index);

    int OnLButtonDown(UINT flags, int x, int y) override;
    int OnLButtonUp(UINT flags, int x, int y) override;
    void DrawItem(HDC dc, int index, RECT* rcItem, RECT* rcWin, RECT* rcUpdate) override;
    void OnRemoveItem(int index) override;
    void Describe(UiDescription& out) const override;

    // Set directly by the owner.
    BYTE showArrow = 0;
    BYTE twoLineRows = 0;
    int fontSize = 22;
    CMzImage arrowImage;
    int textAlign = 0; // 0 left, 1 centred
};
