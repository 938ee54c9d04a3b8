// CTradeBuySaleWnd: the buy or sell order form ("buysale"). It fills itself from its parameter text ("code",
// "price", "market", "type", "MMLB": 0 buy, 1 sell, none buy), looks up the stock's name, five-level book, the
// cash or shares available and the largest quantity, checks price and quantity, and sends the order through the
// confirmation window; the order number or the server's refusal is shown.
#pragma once

#include "shell/FundBaseWnd.h"
#include "shell/MatchEdit.h"
#include "trading/FormRows.h"
#include "trading/OrderCheck.h"

#include <string>

class CDataSet;

class CTradeBuySaleWnd : public CFundBaseWnd {
public:
    static constexpr int ID_CODE_EDIT = 310;
    static constexpr int ID_PRICE_EDIT = 311;
    static constexpr int ID_QUANTITY_EDIT = 312;
    static constexpr int BOOK_LEVELS = 5;

    CTradeBuySaleWnd(LPCWSTR title, HWND owner);
    ~CTradeBuySaleWnd() override;

    LPCWSTR GetMzClassName() override;
    int OnInitParam(int menuId, const char* info, const char* params) override;
    void OnMzCommand(WPARAM wParam, LPARAM lParam) override;
    void CreateControls() override;
    void OnActionButton() override;
    RECT GetPanelRect() override;
    int BuildRequest(char* part, int capacity, const char* whole) override;
    void OnReply(const BYTE* data, int length, int transportFailed) override;
    void OnActive() override;

    // Asks the server about the code in the code field (nothing for an incomplete code). The look-up waits a
    // moment for a worker the opener still uses, rather than being dropped.
    void LookUp();
    bool IsLookingUp() const { return lookingUp; }

    bool IsBuy() const { return limits.buy; }
    int GetMarket() const { return market; }
    UiLineEdit& GetCodeEdit() { return codeEdit; }
    UiLineEdit* GetPriceEdit() const { return priceEdit; }
    UiLineEdit* GetQuantityEdit() const { return quantityEdit; }
    LPCWSTR GetNameText() const;
    LPCWSTR GetAvailableText() const;
    LPCWSTR GetLargestText() const;
    // Level 0-4 of the asks (sell = true) or bids, as shown.
    LPCWSTR GetBookText(bool sell, int level) const;
    const OrderLimits& GetLimits() const { return limits; }
    const std::string& GetLastOrderNumber() const { return lastOrderNumber; }

private:
    void ShowStock(CDataSet* set);
    void ClearStock();
    void Submit(double price, long long quantity);

    CMatchEdit codeEdit;
    CFormRows rows{this};
    UiLineEdit* priceEdit = nullptr;
    UiLineEdit* quantityEdit = nullptr;
    UiStatic* nameText = nullptr;
    UiStatic* availableText = nullptr;
    UiStatic* largestText = nullptr;
    UiStatic book[2][BOOK_LEVELS];

    OrderLimits limits;
    int market = -1;
    std::string initialPrice;
    std::string stockCode; // the code the shown stock belongs to; empty when none is shown
    std::string lastOrderNumber;
    bool lookingUp = false;
};
