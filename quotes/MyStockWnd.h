// CMyStockWnd: the quotes of the user's own stock list in the stock grid, in stored order, sortable by a header
// tap, with the charts, detailed quote, trading, stock search and the list editor a tap away.
#pragma once

#include "quotes/QuoteTools.h"
#include "quotes/QXTableWnd.h"
#include "core/AString.h"

#include <string>
#include <vector>

class CMyStockWnd : public CQXTableWnd {
public:
    static constexpr int CMD_CANCEL = 121;
    static constexpr int CMD_SELL = 122;
    static constexpr int CMD_BUY = 123;
    static constexpr int CMD_DETAIL = 125;
    static constexpr int CMD_KLINE = 130;
    static constexpr int CMD_EDIT = 131;

    CMyStockWnd(LPCWSTR title, HWND parent);
    ~CMyStockWnd() override;

    LPCWSTR GetMzClassName() override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnMzCommand(WPARAM wParam, LPARAM lParam) override;
    BOOL OnInitDialog() override;
    int BuildRequest(char* part, int capacity, const char* whole) override;
    void OnReply(const BYTE* data, int length, int transportFailed) override;
    // Opens the time-share chart of the row; -1 for no such row.
    int OnOK(int row) override;
    virtual void OnMenuCommand(int command);
    // Stores the grid's rows, in grid order, as the own stock list; FALSE when it could not be written.
    virtual BOOL SaveMyQuotes();

    void ShowActionMenu();
    // Runs the list editor modally; the list is read again at the next activation.
    void OpenEditor();
    // Reorders the rows by the current sort column and direction.
    void SortRows();

    int GetSortColumn() const { return sortColumn; }
    int GetSortDirection() const { return sortDirection; }

private:
    void OnHeaderTap(int code, LPARAM lParam);

    std::vector<QuoteToolButton> tools;
    // The stored list as read for the request whose answer is awaited.
    CAString listText;
    int sortColumn = -1;
    int sortDirection = -1;
};
