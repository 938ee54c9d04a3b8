// CQuillonTerminateWnd: the cash-management products the account holds; a tapped holding is terminated early
// after the user confirms it (principal back, income at the demand rate), and the list is asked again.
#pragma once

#include "shell/QueryTableWnd.h"

class CQuillonTerminateWnd : public CQueryTableWnd {
public:
    CQuillonTerminateWnd(LPCWSTR title, HWND owner);
    ~CQuillonTerminateWnd() override;

    LPCWSTR GetMzClassName() override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    BOOL OnInitDialog() override;
    void OnMzCommand(WPARAM wParam, LPARAM lParam) override;
    void OnActive() override;
    int BuildRequest(char* part, int capacity, const char* whole) override;
    // Terminates the holding of row after confirmation; 1 when it was terminated.
    int OnOK(int row) override;

protected:
    bool loginAsked = false;
};
