// CFundTableWnd: the base of the fund and cash-product tables: the paged query table with the fund tool bar and
// its commands, asking for its page through the fund request. A table of the trade account's own (its shares,
// orders and holdings) asks for the trade log-in once when it opens and sends the account's fields.
#pragma once

#include "shell/QueryTableWnd.h"

class CFundTableWnd : public CQueryTableWnd {
public:
    enum class Listing { Public, Account };

    CFundTableWnd(LPCWSTR title, HWND owner, Listing listing);
    ~CFundTableWnd() override;

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    BOOL OnInitDialog() override;
    void OnMzCommand(WPARAM wParam, LPARAM lParam) override;
    void OnActive() override;
    int BuildRequest(char* part, int capacity, const char* whole) override;

protected:
    const Listing listing;

private:
    bool loginAsked = false;
};
