// Function numbers of the fund and cash-product requests that no menu entry carries (lookups of the forms,
// cancels and terminations); the menu's own entries carry theirs in their parameter texts.
#pragma once

constexpr int FUND_FUNCTIONS = 700;
constexpr int FUND_SHARES = 2;     // shares held
constexpr int FUND_DETAIL = 6;     // one fund: company, state, minimum, cash and shares available
constexpr int FUND_OF_COMPANY = 7; // the funds of one company
constexpr int FUND_COMPANIES = 8;  // fund companies and the user's accounts there
constexpr int FUND_DICTIONARY = 9; // choices of the pickers ("dict")
constexpr int FUND_CANCEL = 20;    // cancel an order by "wtbh"
constexpr int FUND_OPEN_ACCOUNT = 21;

constexpr int CASH_PRODUCT_FUNCTIONS = 610;
constexpr int CASH_PRODUCT_LIST = 1;
constexpr int CASH_PRODUCT_BUY = 2;
constexpr int CASH_PRODUCT_TERMINATE = 4;
constexpr int FUND_SUBSCRIBE = 10;
constexpr int FUND_PURCHASE = 11;
constexpr int FUND_REDEEM = 12;
constexpr int FUND_CONVERT = 13;
constexpr int FUND_DIVIDEND = 14;
constexpr int FUND_SEARCH = 18;
// The trade account's cash (the cash-product purchase form shows what it may spend).
constexpr int TRADE_FUNCTIONS = 600;
constexpr int TRADE_CASH = 14;
// The most one fund or cash-product order may take (yuan); the server takes nothing above it.
constexpr double MOST_ORDER_AMOUNT = 100000000.0;

#include <string>

// "tc_mfuncno=<main>&tc_sfuncno=<sub>".
inline std::string FundFunction(int mainFunction, int subFunction)
{
    return "tc_mfuncno=" + std::to_string(mainFunction) + "&tc_sfuncno=" + std::to_string(subFunction);
}
