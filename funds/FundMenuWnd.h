// CFundMenuWnd: the news menu of one fund (announcements, net values): opened from a fund table with the fund's
// name as title and its code as info text; an entry opens with the fund's code added to its parameters.
#pragma once

#include "shell/QXMenuWnd.h"

class CFundMenuWnd : public CQXMenuWnd {
public:
    CFundMenuWnd(LPCWSTR title, HWND owner);
    ~CFundMenuWnd() override;

    LPCWSTR GetMzClassName() override;
    // Opens entry n with "&code=" and the fund's code after the entry's parameters; -1 when there is none.
    int OnOK(int child) override;
};
