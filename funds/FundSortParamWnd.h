// CFundSortParamWnd: the sort picker of the fund ranking: the ranking's columns in a single-choice list; the
// chosen one is posted to the ranking (0xFFF2000D, lParam a FundSortChoice the receiver deletes). Choosing the
// column the table is sorted by turns the direction round.
#pragma once

#include "shell/MakeChoiceWnd.h"

#include <string>

struct FundSortChoice {
    char column[32]; // the reply column to sort by
    int direct;      // 1 descending, 0 ascending
};

class CFundSortParamWnd : public CMakeChoiceWnd {
public:
    // The items (SetItems): one per column, the payload's code the column name, flag 1 on the current column.
    CFundSortParamWnd(LPCWSTR title, HWND parent, const char* currentColumn, int currentDirect);
    ~CFundSortParamWnd() override;

    LPCWSTR GetMzClassName() override;
    void OnMzCommand(WPARAM wParam, LPARAM lParam) override;

private:
    std::string currentColumn;
    int currentDirect;
};
