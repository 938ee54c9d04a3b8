// CQuillonProductWnd: the cash-management products on offer: term, expected yield, minimum amount and state.
#pragma once

#include "shell/QueryTableWnd.h"

class CQuillonProductWnd : public CQueryTableWnd {
public:
    CQuillonProductWnd(LPCWSTR title, HWND owner);
    ~CQuillonProductWnd() override;

    LPCWSTR GetMzClassName() override;
    BOOL OnInitDialog() override;
    void OnMzCommand(WPARAM wParam, LPARAM lParam) override;
    int BuildRequest(char* part, int capacity, const char* whole) override;
    void OnReply(const BYTE* data, int length, int transportFailed) override;
    // Opens the purchase ("qlnmr") of the product of row; -1 when the row has none.
    int OnOK(int row) override;

};
