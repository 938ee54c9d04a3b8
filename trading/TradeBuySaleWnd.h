// CTradeBuySaleWnd: the buy or sell order form ("buysale"). It fills itself from its parameter text ("code",
// "price", "market", "type", "MMLB": 0 buy, 1 sell, none buy), looks up the stock's name, five-level book, the
// cash or shares available, its price step and whether it is suspended; the largest quantity follows the typed
// price. It checks price and quantity, and sends the order through the confirmation window; the order number or
// the server's refusal is shown. A new share's subscription shows no book and confirms as "申购".
#pragma once

#include "trading/FormWnd.h"
#include "trading/OrderCheck.h"

#include <string>

class CDataSet;

class CTradeBuySaleWnd : public CFormWnd {
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
    int BuildRequest(char* part, int capacity, const char* whole) override;
    void OnReply(const BYTE* data, int length, int transportFailed) override;
    void OnActive() override;
    // The form's own request is the look-up of its code, asked again after a silent log-in and after a trade
    // log-in made once the server had lost the previous one.
    void Request() override { LookUp(); }

    // Asks the server about the code in the code field (nothing for an incomplete code). The look-up waits a
    // moment for a worker the opener still uses, rather than being dropped.
    void LookUp();
    bool IsLookingUp() const { return lookingUp; }

    bool IsBuy() const { return limits.buy; }
    int GetMarket() const { return market; }
    // The security type the opener gave ("type"), -1 when none.
    int GetSecurityType() const { return securityType; }
    CNumberEdit& GetCodeEdit() { return codeEdit; }
    UiLineEdit* GetPriceEdit() const { return priceEdit; }
    UiLineEdit* GetQuantityEdit() const { return quantityEdit; }
    LPCWSTR GetNameText() const;
    LPCWSTR GetAvailableText() const;
    LPCWSTR GetLargestText() const;
    // Level 0-4 of the asks (sell = true) or bids, as shown.
    LPCWSTR GetBookText(bool sell, int level) const;
    const OrderLimits& GetLimits() const { return limits; }
    const std::string& GetLastOrderNumber() const { return lastOrderNumber; }
    // The code shown is a new share's subscription code.
    bool IsNewShare() const { return newShare; }
    bool IsBookShown() const { return book[0][0].IsVisible(); }

private:
    void ShowStock(CDataSet* set);
    void ClearStock();
    // A new share's subscription: the issue price is not typed, and the labels say "申购".
    void ShowSubscription(bool on);
    // What is available is no longer known (an order whose outcome is unknown): no order before it is asked again.
    void ForgetAvailable();
    // The largest quantity a buy at the typed price may take.
    void ShowLargest();
    void Submit(double price, long long quantity);

    CNumberEdit codeEdit;
    UiLineEdit* priceEdit = nullptr;
    UiLineEdit* quantityEdit = nullptr;
    UiStatic* nameText = nullptr;
    UiStatic* availableText = nullptr;
    UiStatic* largestText = nullptr;
    UiStatic book[2][BOOK_LEVELS];

    OrderLimits limits;
    int market = -1;
    int securityType = -1;
    std::string initialPrice;
    std::string stockCode; // the code the shown stock belongs to; empty when none is shown
    std::string lastOrderNumber;
    std::string largestFromServer; // the server's figure, for a new share whose price is fixed
    // The code whose look-up the server refused, and its text ("证券代码不存在").
    std::string refusedCode;
    std::u16string refusedText;
    bool lookingUp = false;
    bool quietLookUp = false; // a refused code asked again: its answer was already told
    bool newShare = false;
};
