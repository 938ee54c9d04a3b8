// CQuoteNumber: a fixed-scale number decoded from the packed 32-bit integers of quote replies,
// with the comparisons, arithmetic and formatting the quote tables and charts use.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "platform/win/WinTypes.h"

class CQuoteNumber {
public:
    // The packed value that means "no value"; it decodes to this value with scale 0.
    static constexpr int NULL_PACKED = 999999999;
    static constexpr int MAX_SCALE = 6;

    CQuoteNumber();
    // value = x / 10^scale; a scale outside 0..6 is clamped into it.
    CQuoteNumber(int x, int scale);
    CQuoteNumber(const CQuoteNumber& other);
    CQuoteNumber& operator=(const CQuoteNumber& other);

    static CQuoteNumber Zero() { return CQuoteNumber(); }
    // Two low bits of x: the scale (0..3); the rest: the value times 10^scale.
    [[nodiscard]] static CQuoteNumber FromPacked(int x);

    double GetValue() const { return value; }
    int GetScale() const { return scale; }
    bool IsNull() const { return value == (double)NULL_PACKED; }
    // For amounts whose scale names a unit: scale 1 is in 万 (10^4), scale 2 in 亿 (10^8).
    double ToFull() const;

    // The value with `scale` decimals; the returned text lives in this number until its next format call.
    const char* Format();
    // Format, then the unit 万 (scale 1) or 亿 (scale 2) in GB2312.
    const char* FormatWithUnit();
    // Either form written into the caller's buffer of `size` bytes (always terminated); returns the length.
    size_t FormatInto(char* out, size_t size, bool withUnit) const;
    // FromPacked(x) formatted into out the same way, byte for byte, with integers only (tables format thousands
    // of packed numbers per reply); returns the length.
    static size_t FormatPacked(int x, char* out, size_t size, bool withUnit);

    bool operator==(const CQuoteNumber& o) const { return value == o.value; }
    bool operator!=(const CQuoteNumber& o) const { return value != o.value; }
    bool operator<(const CQuoteNumber& o) const { return value < o.value; }
    bool operator<=(const CQuoteNumber& o) const { return value <= o.value; }
    bool operator>(const CQuoteNumber& o) const { return value > o.value; }
    bool operator>=(const CQuoteNumber& o) const { return value >= o.value; }

    // Results keep the scale of the left-hand number (of the number, when an int stands on the left).
    CQuoteNumber& operator+=(const CQuoteNumber& o);
    CQuoteNumber& operator-=(const CQuoteNumber& o);
    CQuoteNumber& operator*=(const CQuoteNumber& o);
    // A divisor of value 0.0 leaves this number unchanged.
    CQuoteNumber& operator/=(const CQuoteNumber& o);

    CQuoteNumber operator+(const CQuoteNumber& o) const;
    CQuoteNumber operator-(const CQuoteNumber& o) const;
    CQuoteNumber operator*(const CQuoteNumber& o) const;
    CQuoteNumber operator/(const CQuoteNumber& o) const;
    // The int forms follow floating-point rules (no test for zero).
    CQuoteNumber operator+(int n) const;
    CQuoteNumber operator-(int n) const;
    CQuoteNumber operator*(int n) const;
    CQuoteNumber operator/(int n) const;
    friend CQuoteNumber operator+(int n, const CQuoteNumber& q);
    friend CQuoteNumber operator-(int n, const CQuoteNumber& q);
    friend CQuoteNumber operator*(int n, const CQuoteNumber& q);
    friend CQuoteNumber operator/(int n, const CQuoteNumber& q);

    CQuoteNumber Abs() const;
    static CQuoteNumber Max(const CQuoteNumber& a, const CQuoteNumber& b);
    static CQuoteNumber Min(const CQuoteNumber& a, const CQuoteNumber& b);

private:
    static CQuoteNumber Make(double value, int scale);

    double value;
    int scale;
    char text[36];
};

namespace QuoteText {

// GB2312 bytes of the two amount units.
inline constexpr char UNIT_WAN[] = "\xcd\xf2"; // 万
inline constexpr char UNIT_YI[] = "\xd2\xda";  // 亿
inline constexpr char DIGIT_PAIRS[] = "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
                                      "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
                                      "8081828384858687888990919293949596979899";

// The two digits of n < 100.
inline void PutPair(char* p, uint32_t n)
{
    memcpy(p, DIGIT_PAIRS + 2 * n, 2);
}

// Writes the decimal digits of n at p, from the last two at a time; returns the end.
inline char* PutDecimal(char* p, uint32_t n)
{
    int digits = n < 10           ? 1
                 : n < 100        ? 2
                 : n < 1000       ? 3
                 : n < 10000      ? 4
                 : n < 100000     ? 5
                 : n < 1000000    ? 6
                 : n < 10000000   ? 7
                 : n < 100000000  ? 8
                 : n < 1000000000 ? 9
                                  : 10;
    char* w = p + digits;
    while (n >= 100) {
        w -= 2;
        PutPair(w, n % 100);
        n /= 100;
    }
    if (n >= 10)
        PutPair(w - 2, n);
    else
        w[-1] = char('0' + n);
    return p + digits;
}

// Writes the point and the s decimals of fraction at p (nothing for s 0); returns the end.
inline char* PutFraction(char* p, int s, uint32_t fraction)
{
    switch (s) {
    case 1:
        p[0] = '.';
        p[1] = char('0' + fraction);
        p += 2;
        break;
    case 2:
        p[0] = '.';
        PutPair(p + 1, fraction);
        p += 3;
        break;
    case 3:
        p[0] = '.';
        p[1] = char('0' + fraction / 100);
        PutPair(p + 2, fraction % 100);
        p += 4;
        break;
    default:
        break;
    }
    return p;
}

} // namespace QuoteText

// Inline: a quote table formats one for most of its fields, and the call cost about as much as the digits.
inline size_t CQuoteNumber::FormatPacked(int x, char* out, size_t size, bool withUnit)
{
    // Sign, at most 10 digits, a point, a unit and the terminator.
    if (out == nullptr || size < 18)
        return FromPacked(x).FormatInto(out, size, withUnit);
    int s = 0;
    int m = x; // the value times 10^s
    if (x != NULL_PACKED) {
        s = x & 3;  // x mod 4 taken as 0..3, in two's complement
        m = x >> 2; // (x - s) / 4, exact: the shift rounds toward minus infinity
    }
    // value = m / 10^s exactly as a decimal, and the double that printf would print is within far less than
    // half a unit of its last place of it, so the digits of m are the digits printed. |m| < 2^30.
    uint32_t v = m < 0 ? 0u - (uint32_t)m : (uint32_t)m;
    // Constant divisors: a division by a table entry is a real division, several times slower.
    uint32_t whole = v, fraction = 0;
    switch (s) {
    case 1:
        whole = v / 10, fraction = v % 10;
        break;
    case 2:
        whole = v / 100, fraction = v % 100;
        break;
    case 3:
        whole = v / 1000, fraction = v % 1000;
        break;
    default:
        break;
    }
    char* p = out;
    if (m < 0)
        *p++ = '-';
    p = QuoteText::PutDecimal(p, whole);
    p = QuoteText::PutFraction(p, s, fraction);
    const char* unit = !withUnit ? nullptr : s == 1 ? QuoteText::UNIT_WAN : s == 2 ? QuoteText::UNIT_YI : nullptr;
    if (unit) {
        *p++ = unit[0];
        *p++ = unit[1];
    }
    *p = '\0';
    return (size_t)(p - out);
}
