// CNewStockListWnd: the new shares open for subscription today ("xgsg"); a tapped row opens the buy form for
// its subscription code at the issue price.
#pragma once

#include "shell/TableWnd.h"

#include <string>
#include <vector>

class CNewStockListWnd : public CTableWnd {
public:
    struct Issue {
        std::string code, name, market, price, most; // GB2312 texts of the reply
    };

    CNewStockListWnd(LPCWSTR title, HWND owner);
    ~CNewStockListWnd() override;

    LPCWSTR GetMzClassName() override;
    BOOL OnInitDialog() override;
    void OnMzCommand(WPARAM wParam, LPARAM lParam) override;
    int BuildRequest(char* part, int capacity, const char* whole) override;
    void OnReply(const BYTE* data, int length, int transportFailed) override;

    // Opens the buy form for the issue of a row; -1 when there is none.
    int Subscribe(int row);
    const std::vector<Issue>& GetIssues() const { return issues; }

private:
    std::vector<Issue> issues;
};
