// CQlnBuyWnd: purchase of a cash-management product: the product picked from those on offer (or the one tapped in
// the product list, "cpdm"), its term, expected yield and minimum, the cash available, and the amount. The purchase goes out after
// the user confirms it.
#pragma once

#include "funds/FundForm.h"
#include "shell/FundBaseWnd.h"

class CQlnBuyWnd : public CFundBaseWnd {
public:
    static constexpr int ID_PRODUCT = 301;

    CQlnBuyWnd(LPCWSTR title, HWND owner);
    ~CQlnBuyWnd() override;

    LPCWSTR GetMzClassName() override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnMzCommand(WPARAM wParam, LPARAM lParam) override;
    void OnActive() override;
    int BuildRequest(char* part, int capacity, const char* whole) override;
    void OnReply(const BYTE* data, int length, int transportFailed) override;
    // Fetches the products on offer.
    void Request() override;
    void CreateControls() override;
    void OnActionButton() override;
    RECT GetPanelRect() override;

    void ChooseProduct(int row);
    const std::vector<FundRow>& GetProducts() const { return products; }
    // The cash available as the server last said ("" before it has).
    const std::string& GetCash() const { return cash; }
    int GetChosen() const { return chosen; }
    UiLineEdit* GetAmountEdit() const { return amountEdit; }

private:
    CFormRows rows{this};
    CFundChoices choices{this};
    UiPushButton* productButton = nullptr;
    UiStatic* termText = nullptr;
    UiStatic* yieldText = nullptr;
    UiStatic* minimumText = nullptr;
    UiStatic* cashText = nullptr;
    UiLineEdit* amountEdit = nullptr;
    FundLookup lookup;
    std::vector<FundRow> products;
    int chosen = -1;
    std::string cash;
    bool submitAfterCash = false;
    bool loginAsked = false;
};
