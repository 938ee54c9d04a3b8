// How every fund and cash-product order goes out: the user confirms its summary in the order confirmation
// window, which sends it once; an accepted order's number is shown.
#pragma once

#include <string>
#include <utility>
#include <vector>

class CNetWnd;

typedef std::vector<std::pair<std::u16string, std::u16string>> FundOrderLines;

// The outcomes of the confirmation window.
enum FundOrderOutcome { ORDER_ACCEPTED = 0, ORDER_NOT_SENT = 1, ORDER_REFUSED = 2, ORDER_UNKNOWN = 3 };

// What the user is told of an accepted order: the text, then the reply's field (its first set).
struct FundOrderDone {
    const char16_t* text;
    const char* field;
};
constexpr FundOrderDone ORDER_SUBMITTED = {u"委托已提交，委托编号：", "wtbh"};

// Confirms and sends request (the business fields) over form under title; on acceptance shows what done says.
// The refusal's or the unknown result's text is the confirmation window's to show.
int SubmitFundOrder(CNetWnd* form, const char16_t* title, const FundOrderLines& lines, const std::string& request,
                    const FundOrderDone& done = ORDER_SUBMITTED);
