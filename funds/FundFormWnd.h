// CFundFormWnd: the base of the fund forms that act for the trade account: the trade log-in asked for once at the
// opening, the form's lookup in flight as its request, choice rows that take their picker's answer, and a
// submission put off until the reply in hand is done.
#pragma once

#include "funds/FundForm.h"
#include "trading/FormWnd.h"

class CFundFormWnd : public CFormWnd {
public:
    CFundFormWnd(LPCWSTR title, HWND owner);
    ~CFundFormWnd() override;

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnActive() override;
    // The lookup in flight (AskFund with lookup).
    int BuildRequest(char* part, int capacity, const char* whole) override;

protected:
    // Runs SubmitPosted once the reply being handled is done: the worker is still delivering it.
    void PostSubmit();
    // What PostSubmit runs: the action button, unless the form submits another way.
    virtual void SubmitPosted() { OnActionButton(); }

    CFundChoices choices{this};
    FundLookup lookup;

private:
    bool loginAsked = false;
};
