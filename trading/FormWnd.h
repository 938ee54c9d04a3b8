// CFormWnd: a form whose rows are CFormRows (every trading and fund form): the rounded panel surrounds the rows,
// and a tap on a row's button runs what the row was given for it. Derived forms add their rows in CreateControls.
#pragma once

#include "shell/FundBaseWnd.h"
#include "trading/FormRows.h"

class CFormWnd : public CFundBaseWnd {
public:
    CFormWnd(LPCWSTR title, HWND owner);
    ~CFormWnd() override;

    RECT GetPanelRect() override;
    void OnMzCommand(WPARAM wParam, LPARAM lParam) override;

protected:
    CFormRows rows{this};
};
