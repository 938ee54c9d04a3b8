// CHeldFundFormWnd: the base of the fund forms that act on a fund the account holds (dividend method,
// conversion, redemption): the fund row, picked from the shares held, which the form asks for first and again
// after each order; the fund chosen stays chosen across a new list while the account still holds it.
#pragma once

#include "funds/FundFormWnd.h"

#include <vector>

class CHeldFundFormWnd : public CFundFormWnd {
public:
    static constexpr int ID_FUND = 301;

    CHeldFundFormWnd(LPCWSTR title, HWND owner);
    ~CHeldFundFormWnd() override;

    // Fetches the shares held.
    void Request() override;

    // Takes row of the shares held; -1 (or a row outside them) for none.
    virtual void ChooseFund(int row) = 0;
    const std::vector<FundRow>& GetHoldings() const { return holdings; }

protected:
    // The lookup kind of the shares held.
    static constexpr int LOOKUP_HOLDINGS = 1;

    // The fund row: label beside it, title over its picker.
    void AddFundRow(LPCWSTR label, LPCWSTR title);
    // Takes the shares held that a lookup found: the fund chosen before (else the one named, when named is not
    // empty), else the first; none tells the user when the account holds none.
    void TakeHoldings(std::vector<FundRow> found, std::string named, const char16_t* none);

    UiPushButton* fundButton = nullptr;
    std::vector<FundRow> holdings;
    int chosen = -1;
};
