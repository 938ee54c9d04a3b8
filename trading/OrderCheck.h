// The checks an order's typed values pass before anything is sent: a price, a quantity or an amount must be a
// plain decimal number (no exponent, no hexadecimal, no full-width digits) above zero, a price on the security's
// price step and inside the day's limits, buys in whole lots, sells no more than the shares available and an odd
// lot only as a whole; a suspended security takes no order. Each returns an empty text when the value is good,
// else the message to show.
#pragma once

#include <string>

struct OrderLimits {
    bool buy = true;
    double downLimit = 0; // the day's lowest and highest allowed price; 0 when the server gave none
    double upLimit = 0;
    long long lot = 100;      // buys in whole multiples of it
    long long available = -1; // shares that may be sold (sells); -1 when unknown
    double cash = -1;         // cash available (buys); -1 when unknown
    long long priceStep = 0;  // the smallest price step in 1/1000 yuan (10 for 0.01); 0 when unknown
    bool suspended = false;
    long long most = -1;    // the most a buy may take (a new share's subscription limit); -1 when no such limit
    bool subscribe = false; // a new share's subscription: the messages say "申购"
};

// A price text: digits with at most one point and the decimals the price step allows (two for 0.01, else three),
// above zero, inside the limits.
std::u16string CheckPrice(const char* text, const OrderLimits& limits, double* price);
// A quantity text: digits only, above zero, at most 999999999; lots and the limit for buys; for sells no more than
// available, and the odd lot of what is available only whole, alone or with whole lots.
std::u16string CheckQuantity(const char* text, const OrderLimits& limits, long long* quantity);
// A suspended security first, then price and quantity together, then the cash a buy needs.
std::u16string CheckOrder(const char* priceText, const char* quantityText, const OrderLimits& limits, double* price,
                          long long* quantity);
// A money amount: a number with at most two decimals, above zero, not above most (when most > 0); as CheckMoney.
std::u16string CheckAmount(const char* text, double most, double* amount);
// The most a buy at this price may take with the cash available, in whole lots; -1 when cash or price is unknown.
long long LargestBuy(const OrderLimits& limits, double price);
// A date range of a history query: two dates YYYYMMDD that exist, the start not after the end.
std::u16string CheckDateRange(const char* start, const char* end);
// The one check of every money field: plain digits with at most one point and two decimals after it ("1000",
// "1000.", "1000.5"), above zero, not above most yuan (when most > 0). What it accepts goes out as normalised, two
// decimals ("1000.00"), the form the server takes; what it refuses it names in the message.
std::u16string CheckMoney(const char* text, double most, std::string* normalised);
// A day of the calendar, YYYYMMDD (any year from 1 on).
bool IsCalendarDate(int yyyymmdd);
