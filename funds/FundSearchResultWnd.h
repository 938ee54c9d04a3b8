// CFundSearchResultWnd: the funds a search or a fund category found, page by page.
#pragma once

#include "funds/FundTableWnd.h"

class CFundSearchResultWnd : public CFundTableWnd {
public:
    CFundSearchResultWnd(LPCWSTR title, HWND owner);
    ~CFundSearchResultWnd() override;

    LPCWSTR GetMzClassName() override;
    // A search that finds nothing says so.
    void OnReply(const BYTE* data, int length, int transportFailed) override;

protected:
    void ShapeGrid(int shownColumns) override;
};
