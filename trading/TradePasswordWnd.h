// CTradePasswordWnd: the change of the trading password ("xgmm"): old, new and repeated new password, checked
// here, sent once; every field shows dots and is wiped once the change has gone out.
#pragma once

#include "trading/FormWnd.h"
#include "trading/TradeText.h"

class CTradePasswordWnd : public CFormWnd {
public:
    static constexpr int PASSWORD_LENGTH = 6;
    static constexpr int ID_OLD = 380;
    static constexpr int ID_NEW = 381;
    static constexpr int ID_REPEAT = 382;

    CTradePasswordWnd(LPCWSTR title, HWND owner);
    ~CTradePasswordWnd() override;

    LPCWSTR GetMzClassName() override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void CreateControls() override;
    void OnActionButton() override;
    int BuildRequest(char* part, int capacity, const char* whole) override;
    void OnReply(const BYTE* data, int length, int transportFailed) override;
    void OnSwipeRight() override;

    UiLineEdit* GetOldEdit() const { return oldEdit; }
    UiLineEdit* GetNewEdit() const { return newEdit; }
    UiLineEdit* GetRepeatEdit() const { return repeatEdit; }
    bool IsSubmitting() const { return submitting; }

private:
    UiLineEdit* oldEdit = nullptr;
    UiLineEdit* newEdit = nullptr;
    UiLineEdit* repeatEdit = nullptr;
    bool submitting = false;
    CDeferredNotices notices;
};
