// CQuillonProductWnd: the cash-management products on offer: term, expected yield, minimum amount and state.
#pragma once

#include "funds/FundTableWnd.h"

class CQuillonProductWnd : public CFundTableWnd {
public:
    CQuillonProductWnd(LPCWSTR title, HWND owner);
    ~CQuillonProductWnd() override;

    LPCWSTR GetMzClassName() override;
    void OnReply(const BYTE* data, int length, int transportFailed) override;
    // Opens the purchase ("qlnmr") of the product of row; -1 when the row has none.
    int OnOK(int row) override;
};
