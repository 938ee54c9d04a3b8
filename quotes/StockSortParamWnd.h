// CStockSortParamWnd: chooses the market, class, ranking criterion and direction of the ranked quote table from
// the server configuration's vocabularies, and hands the choice back to the table in a posted message.
#pragma once

#include "platform/ui/UiStatic.h"
#include "quotes/QXStockTableWnd.h"
#include "shell/CheckList.h"
#include "shell/NetWnd.h"

class CStockSortParamWnd : public CNetWnd {
public:
    static constexpr int ID_LABEL = 302;
    static constexpr int ID_MARKET_LIST = 184;
    static constexpr int ID_CLASS_LIST = 185;
    static constexpr int ID_SORT_LIST = 186;
    static constexpr int ID_DIRECTION_LIST = 186;

    CStockSortParamWnd(LPCWSTR title, HWND parent);
    ~CStockSortParamWnd() override;

    LPCWSTR GetMzClassName() override;
    void PaintWin(HDC dc, RECT* rcWin, RECT* rcUpdate) override;
    void OnMzCommand(WPARAM wParam, LPARAM lParam) override;
    BOOL OnInitDialog() override;
    void OnScreenModeChanged(int orientation) override;

    // The current choice the lists open on; keys longer than 9 characters are cut to fit the record.
    void SetParams(const char* marketKey, const char* classKey, const char* sortKey, int direct);
    // Copies the selected items into the record, posts it to the owner and ends; the owner frees it.
    void Confirm();

    CCheckList& GetMarketList() { return lists[0]; }
    CCheckList& GetClassList() { return lists[1]; }
    CCheckList& GetSortList() { return lists[2]; }
    CCheckList& GetDirectionList() { return lists[3]; }
    const SortParamRecord* GetRecord() const { return record; }

private:
    void PlaceControls();
    void FillList(CCheckList& list, const char* setting, const char* key);

    CCheckList lists[4];
    UiStatic labels[4];
    SortParamRecord* record = nullptr;
    HWND owner = nullptr;
};
