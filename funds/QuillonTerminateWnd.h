// CQuillonTerminateWnd: the cash-management products the account holds; a tapped holding is terminated early
// after the user confirms it (principal back, income at the demand rate), and the list is asked again.
#pragma once

#include "funds/FundTableWnd.h"

class CQuillonTerminateWnd : public CFundTableWnd {
public:
    CQuillonTerminateWnd(LPCWSTR title, HWND owner);
    ~CQuillonTerminateWnd() override;

    LPCWSTR GetMzClassName() override;
    // Terminates the holding of row after confirmation; 1 when it was terminated.
    int OnOK(int row) override;
};
