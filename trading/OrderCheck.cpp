#include "trading/OrderCheck.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr double PRICE_SLACK = 0.0005; // prices travel with two or three decimals
constexpr long long MOST_SHARES = 999999999;
constexpr int MOST_CHARS = 15; // of a typed number: as many decimals as that

// What a typed number is: plain digits with at most one point and at most `decimals` digits after it (at least one
// digit, at most 15 characters), the same after one leading minus sign, or anything else. Only ASCII digits count:
// an exponent, a hexadecimal prefix or full-width digits are not numbers, whatever strtod would make of them.
enum NumberKind { NOT_A_NUMBER, NEGATIVE_NUMBER, PLAIN_NUMBER };

NumberKind KindOf(const char* text, int decimals)
{
    if (text == nullptr || text[0] == 0 || strlen(text) > MOST_CHARS)
        return NOT_A_NUMBER;
    bool negative = text[0] == '-';
    int digits = 0, after = -1;
    for (const char* p = negative ? text + 1 : text; *p != 0; ++p) {
        if (*p == '.') {
            if (after >= 0)
                return NOT_A_NUMBER;
            after = 0;
        } else if (*p >= '0' && *p <= '9') {
            ++digits;
            if (after >= 0)
                ++after;
        } else {
            return NOT_A_NUMBER;
        }
    }
    if (digits == 0 || after > decimals)
        return NOT_A_NUMBER;
    return negative ? NEGATIVE_NUMBER : PLAIN_NUMBER;
}

std::u16string Ascii(const char* text)
{
    std::u16string s;
    for (const char* p = text; *p != 0; ++p)
        s += (char16_t)(unsigned char)*p;
    return s;
}

std::u16string Count(long long n)
{
    char buffer[24];
    snprintf(buffer, sizeof buffer, "%lld", n);
    return Ascii(buffer);
}

std::u16string Money(double v)
{
    char buffer[32];
    snprintf(buffer, sizeof buffer, "%.2f", v);
    return Ascii(buffer);
}

// A price step in 1/1000 yuan as yuan with two or three decimals ("0.01", "0.005").
std::u16string StepText(long long step)
{
    char buffer[32];
    snprintf(buffer, sizeof buffer, "%lld.%03lld", step / 1000, step % 1000);
    size_t n = strlen(buffer);
    if (buffer[n - 1] == '0')
        buffer[n - 1] = 0;
    return Ascii(buffer);
}

} // namespace

std::u16string CheckPrice(const char* text, const OrderLimits& limits, double* price)
{
    if (text == nullptr || text[0] == 0)
        return u"请输入委托价格！";
    NumberKind kind = KindOf(text, MOST_CHARS);
    if (kind == NOT_A_NUMBER)
        return u"委托价格必须是数字！";
    double value = strtod(text, nullptr);
    if (kind == NEGATIVE_NUMBER || value <= 0)
        return u"委托价格必须大于零！";
    // A step of whole fen allows two decimals; a smaller or unknown one three.
    bool twoDecimals = limits.priceStep > 0 && limits.priceStep % 10 == 0;
    const char* point = strchr(text, '.');
    if (point != nullptr && strlen(point + 1) > (twoDecimals ? 2u : 3u))
        return twoDecimals ? u"委托价格最多两位小数！" : u"委托价格最多三位小数！";
    if (limits.priceStep > 0 && llround(value * 1000) % limits.priceStep != 0)
        return u"委托价格须为" + StepText(limits.priceStep) + u"元的整数倍！";
    if (limits.upLimit > 0 && limits.downLimit > 0 &&
        (value < limits.downLimit - PRICE_SLACK || value > limits.upLimit + PRICE_SLACK))
        return u"委托价格超出涨跌停限制（" + Money(limits.downLimit) + u"-" + Money(limits.upLimit) + u"）！";
    if (price != nullptr)
        *price = value;
    return u"";
}

std::u16string CheckQuantity(const char* text, const OrderLimits& limits, long long* quantity)
{
    if (text == nullptr || text[0] == 0)
        return u"请输入委托数量！";
    NumberKind kind = KindOf(text, 0);
    if (kind == NOT_A_NUMBER || strchr(text, '.') != nullptr)
        return u"委托数量必须是整数！";
    long long value = strtoll(text, nullptr, 10);
    if (kind == NEGATIVE_NUMBER || value <= 0)
        return u"委托数量必须大于零！";
    if (strlen(text) > 9)
        return u"委托数量过大！";
    if (value > MOST_SHARES)
        return u"委托数量过大！";
    const char16_t* buying = limits.subscribe ? u"申购" : u"买入";
    if (limits.buy && limits.lot > 1 && value % limits.lot != 0)
        return buying + (u"数量必须为" + Count(limits.lot) + u"股的整数倍！");
    if (limits.buy && limits.most >= 0 && value > limits.most)
        return buying + (u"数量超过可买数量（" + Count(limits.most) + u"股）！");
    if (!limits.buy && limits.available >= 0 && value > limits.available)
        return u"卖出数量超过可卖数量（可卖" + Count(limits.available) + u"股）！";
    // The odd lot of what may be sold leaves the account whole, alone or with whole lots: never split.
    long long odd = limits.lot > 1 && limits.available >= 0 ? limits.available % limits.lot : 0;
    if (!limits.buy && limits.lot > 1 && limits.available >= 0 && value % limits.lot != 0 &&
        value % limits.lot != odd) {
        if (odd == 0)
            return u"卖出数量必须为" + Count(limits.lot) + u"股的整数倍！";
        return u"卖出零股须一次性卖出（零股" + Count(odd) + u"股）！";
    }
    if (quantity != nullptr)
        *quantity = value;
    return u"";
}

std::u16string CheckOrder(const char* priceText, const char* quantityText, const OrderLimits& limits, double* price,
                          long long* quantity)
{
    if (limits.suspended)
        return u"该证券停牌，不能交易！";
    double p = 0;
    long long q = 0;
    std::u16string message = CheckPrice(priceText, limits, &p);
    if (message.empty())
        message = CheckQuantity(quantityText, limits, &q);
    if (message.empty() && limits.buy && limits.cash >= 0 && p * (double)q > limits.cash + 0.005)
        message = u"可用资金不足（可用" + Money(limits.cash) + u"元）！";
    if (message.empty()) {
        if (price != nullptr)
            *price = p;
        if (quantity != nullptr)
            *quantity = q;
    }
    return message;
}

std::u16string CheckAmount(const char* text, double most, double* amount)
{
    std::string normalised;
    std::u16string message = CheckMoney(text, most, &normalised);
    if (message.empty() && amount != nullptr)
        *amount = strtod(normalised.c_str(), nullptr);
    return message;
}

long long LargestBuy(const OrderLimits& limits, double price)
{
    if (limits.cash < 0 || price <= 0)
        return -1;
    // In fen and 1/1000 yuan, as the server freezes money, so the figure is the one the server would take.
    long long cashFen = llround(limits.cash * 100);
    long long priceLi = llround(price * 1000);
    long long lot = limits.lot > 0 ? limits.lot : 100;
    if (priceLi <= 0)
        return -1;
    return cashFen * 10 / (priceLi * lot) * lot;
}

namespace {

bool IsDate(const char* text)
{
    if (text == nullptr || strlen(text) != 8)
        return false;
    for (int i = 0; i < 8; ++i)
        if (text[i] < '0' || text[i] > '9')
            return false;
    int value = atoi(text);
    return value / 10000 >= 1990 && IsCalendarDate(value);
}

} // namespace

std::u16string CheckDateRange(const char* start, const char* end)
{
    if (!IsDate(start))
        return u"起始日期无效，请按YYYYMMDD输入！";
    if (!IsDate(end))
        return u"终止日期无效，请按YYYYMMDD输入！";
    if (strcmp(start, end) > 0)
        return u"起始日期不能晚于终止日期！";
    return u"";
}

std::u16string CheckMoney(const char* text, double most, std::string* normalised)
{
    if (text == nullptr || text[0] == 0)
        return u"请输入金额！";
    NumberKind kind = KindOf(text, 2);
    if (kind == NOT_A_NUMBER)
        return u"金额必须是数字，最多两位小数！";
    // In fen, digit by digit: no rounding on the way ("1000." is 100000 fen).
    long long fen = 0;
    int decimals = -1;
    for (const char* p = kind == NEGATIVE_NUMBER ? text + 1 : text; *p != 0; ++p) {
        if (*p == '.') {
            decimals = 0;
            continue;
        }
        fen = fen * 10 + (*p - '0');
        if (decimals >= 0)
            ++decimals;
    }
    for (int d = decimals < 0 ? 0 : decimals; d < 2; ++d)
        fen *= 10;
    if (kind == NEGATIVE_NUMBER || fen <= 0)
        return u"金额必须大于零！";
    if (most > 0 && fen > llround(most * 100))
        return u"金额不能超过" + Money(most) + u"元！";
    if (normalised != nullptr) {
        char buffer[32];
        snprintf(buffer, sizeof buffer, "%lld.%02lld", fen / 100, fen % 100);
        *normalised = buffer;
    }
    return u"";
}

bool IsCalendarDate(int yyyymmdd)
{
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    int year = yyyymmdd / 10000, month = yyyymmdd / 100 % 100, day = yyyymmdd % 100;
    if (year < 1 || month < 1 || month > 12 || day < 1)
        return false;
    bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return day <= days[month - 1] + (month == 2 && leap ? 1 : 0);
}
