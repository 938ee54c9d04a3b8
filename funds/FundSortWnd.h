// CFundSortWnd: the fund ranking: funds ordered by the column the user picks from the action menu's "排序方式"
// (the sort picker), highest first; picking the same column again turns the order round and brings that column
// into view beside the fund's name.
#pragma once

#include "funds/FundTableWnd.h"

#include <string>

class CFundSortWnd : public CFundTableWnd {
public:
    static constexpr int CMD_SORT = 140;

    CFundSortWnd(LPCWSTR title, HWND owner);
    ~CFundSortWnd() override;

    LPCWSTR GetMzClassName() override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    int BuildRequest(char* part, int capacity, const char* whole) override;
    void InitMenu(CPopMenuWnd* menu) override;
    void OnMenuCommand(int command) override;
    void OnReply(const BYTE* data, int length, int transportFailed) override;

    // Opens the sort picker over the shown columns.
    void ShowSortPicker();
    // Sorts by column (direct 1 highest first, 0 lowest first) from the first page.
    void SortBy(const char* column, int direct);

    const std::string& GetSortColumn() const { return sortColumn; }
    int GetSortDirect() const { return sortDirect; }

protected:
    void ShapeGrid(int shownColumns) override;

    std::string sortColumn; // empty: the server's default
    int sortDirect = 1;
    bool showSortColumn = false; // the next reply brings the sorted column into view
};
