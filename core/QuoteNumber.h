// CQuoteNumber: a fixed-scale number decoded from the packed 32-bit integers of quote replies,
// with the comparisons, arithmetic and formatting the quote tables and charts use.
#pragma once

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
