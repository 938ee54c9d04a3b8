// CFundInfoListWnd: the fund query categories (by type and the like) the server lists; a tapped category opens
// its funds in the results table ("of_jjxx") with the parameter text the server gives for it.
#pragma once

#include "shell/QXInfoListWnd.h"

class CFundInfoListWnd : public CQXInfoListWnd {
public:
    CFundInfoListWnd(LPCWSTR title, HWND owner);
    ~CFundInfoListWnd() override;

    LPCWSTR GetMzClassName() override;
    int BuildRequest(char* part, int capacity, const char* whole) override;
    // Opens the results of category row; -1 when there is no such category.
    int OnOK(int row) override;
};
