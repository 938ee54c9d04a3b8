// Decoding, arithmetic and formatting of packed quote numbers.
#include "core/QuoteNumber.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace {

const int POWERS_OF_TEN[CQuoteNumber::MAX_SCALE + 1] = {1, 10, 100, 1000, 10000, 100000, 1000000};

int ClampScale(int scale)
{
    if (scale < 0)
        return 0;
    return scale > CQuoteNumber::MAX_SCALE ? CQuoteNumber::MAX_SCALE : scale;
}

// Writes value with `decimals` decimals exactly as printf's "%.*f" would, without printf where the rounding
// is unambiguous (tables format thousands of numbers per reply). Returns false to leave it to printf.
bool FormatFixedFast(char* out, size_t size, double value, int decimals)
{
    if (!std::isfinite(value) || size < 32)
        return false;
    double scaled = std::fabs(value) * POWERS_OF_TEN[decimals];
    if (scaled >= 2147483648.0)
        return false;
    double whole = std::floor(scaled);
    double fraction = scaled - whole;
    // The product may be off by half a unit in its last place (below 2^-22 here): too close to a half to say.
    if (std::fabs(fraction - 0.5) <= 1e-6)
        return false;
    long long n = (long long)whole + (fraction > 0.5 ? 1 : 0);
    char digits[24];
    int length = 0;
    do {
        digits[length++] = char('0' + n % 10);
        n /= 10;
    } while (n > 0 || length <= decimals);
    char* p = out;
    if (std::signbit(value))
        *p++ = '-';
    for (int k = length - 1; k >= 0; --k) {
        *p++ = digits[k];
        if (k == decimals && decimals > 0)
            *p++ = '.';
    }
    *p = '\0';
    return true;
}

} // namespace

CQuoteNumber::CQuoteNumber() : value(0.0), scale(0)
{
    text[0] = '\0';
}

CQuoteNumber::CQuoteNumber(int x, int places) : scale(ClampScale(places))
{
    value = (double)x / POWERS_OF_TEN[scale];
    text[0] = '\0';
}

CQuoteNumber::CQuoteNumber(const CQuoteNumber& other) : value(other.value), scale(other.scale)
{
    text[0] = '\0';
}

CQuoteNumber& CQuoteNumber::operator=(const CQuoteNumber& other)
{
    value = other.value;
    scale = other.scale;
    return *this;
}

CQuoteNumber CQuoteNumber::Make(double v, int s)
{
    CQuoteNumber q;
    q.value = v;
    q.scale = s;
    return q;
}

CQuoteNumber CQuoteNumber::FromPacked(int x)
{
    if (x == NULL_PACKED)
        return Make((double)NULL_PACKED, 0);
    int s = x % 4;
    if (s < 0)
        s += 4;
    // x - s is a multiple of 4 not below INT_MIN, so the integer division is exact and cannot overflow.
    return Make((double)((x - s) / 4) / POWERS_OF_TEN[s], s);
}

double CQuoteNumber::ToFull() const
{
    if (scale == 1)
        return value * 10000.0;
    if (scale == 2)
        return value * 100000000.0;
    return value;
}

size_t CQuoteNumber::FormatInto(char* out, size_t size, bool withUnit) const
{
    if (out == nullptr || size == 0)
        return 0;
    int decimals = ClampScale(scale);
    // Huge results of arithmetic are cut at the buffer's end rather than written past it.
    if (!FormatFixedFast(out, size, value, decimals))
        snprintf(out, size, "%.*f", decimals, value);
    size_t used = strlen(out);
    const char* unit = !withUnit    ? nullptr
                       : scale == 1 ? QuoteText::UNIT_WAN
                       : scale == 2 ? QuoteText::UNIT_YI
                                    : nullptr;
    if (unit && used + 2 < size) {
        memcpy(out + used, unit, 3);
        used += 2;
    }
    return used;
}

const char* CQuoteNumber::Format()
{
    FormatInto(text, sizeof text, false);
    return text;
}

const char* CQuoteNumber::FormatWithUnit()
{
    FormatInto(text, sizeof text, true);
    return text;
}

CQuoteNumber& CQuoteNumber::operator+=(const CQuoteNumber& o)
{
    value += o.value;
    return *this;
}

CQuoteNumber& CQuoteNumber::operator-=(const CQuoteNumber& o)
{
    value -= o.value;
    return *this;
}

CQuoteNumber& CQuoteNumber::operator*=(const CQuoteNumber& o)
{
    value *= o.value;
    return *this;
}

CQuoteNumber& CQuoteNumber::operator/=(const CQuoteNumber& o)
{
    if (o.value != 0.0)
        value /= o.value;
    return *this;
}

CQuoteNumber CQuoteNumber::operator+(const CQuoteNumber& o) const
{
    CQuoteNumber r(*this);
    return r += o;
}

CQuoteNumber CQuoteNumber::operator-(const CQuoteNumber& o) const
{
    CQuoteNumber r(*this);
    return r -= o;
}

CQuoteNumber CQuoteNumber::operator*(const CQuoteNumber& o) const
{
    CQuoteNumber r(*this);
    return r *= o;
}

CQuoteNumber CQuoteNumber::operator/(const CQuoteNumber& o) const
{
    CQuoteNumber r(*this);
    return r /= o;
}

CQuoteNumber CQuoteNumber::operator+(int n) const
{
    return Make(value + n, scale);
}
CQuoteNumber CQuoteNumber::operator-(int n) const
{
    return Make(value - n, scale);
}
CQuoteNumber CQuoteNumber::operator*(int n) const
{
    return Make(value * n, scale);
}
CQuoteNumber CQuoteNumber::operator/(int n) const
{
    return Make(value / n, scale);
}

CQuoteNumber operator+(int n, const CQuoteNumber& q)
{
    return CQuoteNumber::Make(n + q.value, q.scale);
}
CQuoteNumber operator-(int n, const CQuoteNumber& q)
{
    return CQuoteNumber::Make(n - q.value, q.scale);
}
CQuoteNumber operator*(int n, const CQuoteNumber& q)
{
    return CQuoteNumber::Make(n * q.value, q.scale);
}
CQuoteNumber operator/(int n, const CQuoteNumber& q)
{
    return CQuoteNumber::Make(n / q.value, q.scale);
}

CQuoteNumber CQuoteNumber::Abs() const
{
    return Make(std::fabs(value), scale);
}

CQuoteNumber CQuoteNumber::Max(const CQuoteNumber& a, const CQuoteNumber& b)
{
    return a > b ? a : b;
}

CQuoteNumber CQuoteNumber::Min(const CQuoteNumber& a, const CQuoteNumber& b)
{
    return a < b ? a : b;
}
