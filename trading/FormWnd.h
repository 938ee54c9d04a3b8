// CFormWnd: a form whose rows are CFormRows (every trading and fund form): the rounded panel surrounds the rows,
// and a tap on a row's button runs what the row was given for it. Derived forms add their rows in CreateControls.
// A form is filled for the trade account logged in when it first shows: once another account has logged in it
// acts no more, says so and closes, and the user starts again.
#pragma once

#include "shell/FundBaseWnd.h"
#include "trading/FormRows.h"

class CFormWnd : public CFundBaseWnd {
public:
    CFormWnd(LPCWSTR title, HWND owner);
    ~CFormWnd() override;

    RECT GetPanelRect() override;
    void OnMzCommand(WPARAM wParam, LPARAM lParam) override;
    void OnActive() override;
    void OnTradeAccountChanged() override;

    static const WCHAR* const ACCOUNT_CHANGED_TEXT;

protected:
    CFormRows rows{this};

private:
    bool closingForAccount = false;
};
