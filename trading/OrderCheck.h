// The checks an order's typed values pass before anything is sent: a price, a quantity or an amount must be a
// number above zero, inside the day's price limits the server gave, in whole lots for buys and no more than the
// shares available for sells. Each returns an empty text when the value is good, else the message to show.
#pragma once

#include <string>

struct OrderLimits {
    bool buy = true;
    double downLimit = 0; // the day's lowest and highest allowed price; 0 when the server gave none
    double upLimit = 0;
    long long lot = 100;  // buys in whole multiples of it
    long long available = -1; // shares that may be sold (sells); -1 when unknown
    double cash = -1;         // cash available (buys); -1 when unknown
};

// A price text: digits with at most one point and three decimals, above zero, inside the limits.
std::u16string CheckPrice(const char* text, const OrderLimits& limits, double* price);
// A quantity text: digits only, above zero, at most 999999999; lots for buys, no more than available for sells.
std::u16string CheckQuantity(const char* text, const OrderLimits& limits, long long* quantity);
// Price and quantity together, then the cash a buy needs.
std::u16string CheckOrder(const char* priceText, const char* quantityText, const OrderLimits& limits, double* price,
                          long long* quantity);
// A money amount: a number with at most two decimals, above zero, not above most (when most > 0).
std::u16string CheckAmount(const char* text, double most, double* amount);
// A date range of a history query: two dates YYYYMMDD that exist, the start not after the end.
std::u16string CheckDateRange(const char* start, const char* end);
