// CFundShareQueryWnd: the fund shares of the trade account ("基金份额"): per fund the shares held, available,
// their cost and value.
#pragma once

#include "shell/QueryTableWnd.h"

class CFundShareQueryWnd : public CQueryTableWnd {
public:
    CFundShareQueryWnd(LPCWSTR title, HWND owner);
    ~CFundShareQueryWnd() override;

    LPCWSTR GetMzClassName() override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    BOOL OnInitDialog() override;
    void OnMzCommand(WPARAM wParam, LPARAM lParam) override;
    void OnActive() override;
    int BuildRequest(char* part, int capacity, const char* whole) override;
    void OnReply(const BYTE* data, int length, int transportFailed) override;

protected:
    void ShapeGrid(int shownColumns) override;

    bool loginAsked = false;
};
