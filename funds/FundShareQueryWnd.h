// CFundShareQueryWnd: the fund shares of the trade account ("基金份额"): per fund the shares held, available,
// their cost and value.
#pragma once

#include "funds/FundTableWnd.h"

class CFundShareQueryWnd : public CFundTableWnd {
public:
    CFundShareQueryWnd(LPCWSTR title, HWND owner);
    ~CFundShareQueryWnd() override;

    LPCWSTR GetMzClassName() override;
    void OnReply(const BYTE* data, int length, int transportFailed) override;

protected:
    void ShapeGrid(int shownColumns) override;
};
