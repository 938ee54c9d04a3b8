// CQlnBuyWnd: purchase of a cash-management product: the product picked from those on offer (or the one tapped in
// the product list, "cpdm"), its term, expected yield and minimum, the cash available, and the amount. The purchase goes out after
// the user confirms it.
#pragma once

#include "funds/FundFormWnd.h"

class CQlnBuyWnd : public CFundFormWnd {
public:
    static constexpr int ID_PRODUCT = 301;

    CQlnBuyWnd(LPCWSTR title, HWND owner);
    ~CQlnBuyWnd() override;

    LPCWSTR GetMzClassName() override;
    void OnReply(const BYTE* data, int length, int transportFailed) override;
    // Fetches the products on offer.
    void Request() override;
    void CreateControls() override;
    void OnActionButton() override;

    void ChooseProduct(int row);
    const std::vector<FundRow>& GetProducts() const { return products; }
    // The cash available as the server last said ("" before it has).
    const std::string& GetCash() const { return cash; }
    int GetChosen() const { return chosen; }
    UiLineEdit* GetAmountEdit() const { return amountEdit; }

private:
    UiPushButton* productButton = nullptr;
    UiStatic* termText = nullptr;
    UiStatic* yieldText = nullptr;
    UiStatic* minimumText = nullptr;
    UiStatic* cashText = nullptr;
    UiLineEdit* amountEdit = nullptr;
    std::vector<FundRow> products;
    int chosen = -1;
    std::string cash;
    bool submitAfterCash = false;
};
