// CFundSearchResultWnd: the funds a search or a fund category found, page by page.
#pragma once

#include "shell/QueryTableWnd.h"

class CFundSearchResultWnd : public CQueryTableWnd {
public:
    CFundSearchResultWnd(LPCWSTR title, HWND owner);
    ~CFundSearchResultWnd() override;

    LPCWSTR GetMzClassName() override;
    BOOL OnInitDialog() override;
    void OnMzCommand(WPARAM wParam, LPARAM lParam) override;
    int BuildRequest(char* part, int capacity, const char* whole) override;
    // A search that finds nothing says so.
    void OnReply(const BYTE* data, int length, int transportFailed) override;

protected:
    void ShapeGrid(int shownColumns) override;

};
