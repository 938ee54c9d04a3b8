// CFundRiskAnnounceWnd: the risk notice the user reads before opening a fund account ("基金开户风险提示"). Its
// middle button, "确定", is offered once the notice has arrived; it asks the owner (the trading menu) to open the
// account form (0xFFF20011, lParam this window's menu id) and ends.
#pragma once

#include "shell/TextWnd.h"

class CFundRiskAnnounceWnd : public CTextWnd {
public:
    CFundRiskAnnounceWnd(LPCWSTR title, HWND owner);
    ~CFundRiskAnnounceWnd() override;

    LPCWSTR GetMzClassName() override;
    void OnMzCommand(WPARAM wParam, LPARAM lParam) override;
    BOOL OnInitDialog() override;
    int BuildRequest(char* part, int capacity, const char* whole) override;
    void OnReply(const BYTE* data, int length, int transportFailed) override;

    // Posts the opening of the account form to the owner and ends.
    void Agree();
    bool HasNotice() const { return noticeShown; }

protected:
    bool noticeShown = false;
};
