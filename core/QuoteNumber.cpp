// Decoding, arithmetic and formatting of packed quote numbers.
#include "core/QuoteNumber.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

const int POWERS_OF_TEN[CQuoteNumber::MAX_SCALE + 1] = {1, 10, 100, 1000, 10000, 100000, 1000000};

// GB2312 bytes of the two amount units.
const char UNIT_WAN[] = "\xcd\xf2"; // 万
const char UNIT_YI[] = "\xd2\xda";  // 亿

int ClampScale(int scale)
{
    if (scale < 0)
        return 0;
    return scale > CQuoteNumber::MAX_SCALE ? CQuoteNumber::MAX_SCALE : scale;
}

} // namespace

CQuoteNumber::CQuoteNumber() : value(0.0), scale(0) { text[0] = '\0'; }

CQuoteNumber::CQuoteNumber(int x, int scale_) : scale(ClampScale(scale_))
{
    value = (double)x / POWERS_OF_TEN[scale];
    text[0] = '\0';
}

CQuoteNumber::CQuoteNumber(const CQuoteNumber& other) : value(other.value), scale(other.scale) { text[0] = '\0'; }

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

const char* CQuoteNumber::Format()
{
    // Huge results of arithmetic are cut at the buffer's end rather than written past it.
    snprintf(text, sizeof text, "%.*f", ClampScale(scale), value);
    return text;
}

const char* CQuoteNumber::FormatWithUnit()
{
    Format();
    const char* unit = scale == 1 ? UNIT_WAN : scale == 2 ? UNIT_YI : nullptr;
    if (unit) {
        size_t used = strlen(text);
        if (used + strlen(unit) < sizeof text)
            strcpy(text + used, unit);
    }
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

CQuoteNumber CQuoteNumber::operator+(int n) const { return Make(value + n, scale); }
CQuoteNumber CQuoteNumber::operator-(int n) const { return Make(value - n, scale); }
CQuoteNumber CQuoteNumber::operator*(int n) const { return Make(value * n, scale); }
CQuoteNumber CQuoteNumber::operator/(int n) const { return Make(value / n, scale); }

CQuoteNumber operator+(int n, const CQuoteNumber& q) { return CQuoteNumber::Make(n + q.value, q.scale); }
CQuoteNumber operator-(int n, const CQuoteNumber& q) { return CQuoteNumber::Make(n - q.value, q.scale); }
CQuoteNumber operator*(int n, const CQuoteNumber& q) { return CQuoteNumber::Make(n * q.value, q.scale); }
CQuoteNumber operator/(int n, const CQuoteNumber& q) { return CQuoteNumber::Make(n / q.value, q.scale); }

CQuoteNumber CQuoteNumber::Abs() const { return Make(std::fabs(value), scale); }

CQuoteNumber CQuoteNumber::Max(const CQuoteNumber& a, const CQuoteNumber& b) { return a > b ? a : b; }

CQuoteNumber CQuoteNumber::Min(const CQuoteNumber& a, const CQuoteNumber& b) { return a < b ? a : b; }
