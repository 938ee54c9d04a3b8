// UTF-16 implementations of the runtime's wide-text functions.
#include "platform/win/WideText.h"

#include <climits>
#include <cstdlib>
#include <string>

size_t wcslen(const WCHAR* s)
{
    const WCHAR* p = s;
    while (*p)
        ++p;
    return (size_t)(p - s);
}

size_t wcsnlen(const WCHAR* s, size_t maxCount)
{
    size_t n = 0;
    while (n < maxCount && s[n])
        ++n;
    return n;
}

WCHAR* wcscpy(WCHAR* dst, const WCHAR* src)
{
    WCHAR* d = dst;
    while ((*d++ = *src++) != 0) {
    }
    return dst;
}

WCHAR* wcsncpy(WCHAR* dst, const WCHAR* src, size_t count)
{
    size_t i = 0;
    for (; i < count && src[i]; ++i)
        dst[i] = src[i];
    for (; i < count; ++i)
        dst[i] = 0;
    return dst;
}

WCHAR* wcscat(WCHAR* dst, const WCHAR* src)
{
    wcscpy(dst + wcslen(dst), src);
    return dst;
}

WCHAR* wcsncat(WCHAR* dst, const WCHAR* src, size_t count)
{
    WCHAR* d = dst + wcslen(dst);
    size_t i = 0;
    for (; i < count && src[i]; ++i)
        d[i] = src[i];
    d[i] = 0;
    return dst;
}

int wcscmp(const WCHAR* a, const WCHAR* b)
{
    while (*a && *a == *b) {
        ++a;
        ++b;
    }
    return (int)*a - (int)*b;
}

int wcsncmp(const WCHAR* a, const WCHAR* b, size_t count)
{
    for (size_t i = 0; i < count; ++i) {
        if (a[i] != b[i] || !a[i])
            return (int)a[i] - (int)b[i];
    }
    return 0;
}

WCHAR towupper(WCHAR c)
{
    if (c >= u'a' && c <= u'z')
        return (WCHAR)(c - 32);
    if (c >= 0xFF41 && c <= 0xFF5A) // full-width a..z
        return (WCHAR)(c - 32);
    return c;
}

WCHAR towlower(WCHAR c)
{
    if (c >= u'A' && c <= u'Z')
        return (WCHAR)(c + 32);
    if (c >= 0xFF21 && c <= 0xFF3A) // full-width A..Z
        return (WCHAR)(c + 32);
    return c;
}

int _wcsicmp(const WCHAR* a, const WCHAR* b)
{
    for (;; ++a, ++b) {
        int ca = towlower(*a);
        int cb = towlower(*b);
        if (ca != cb || !ca)
            return ca - cb;
    }
}

int _wcsnicmp(const WCHAR* a, const WCHAR* b, size_t count)
{
    for (size_t i = 0; i < count; ++i) {
        int ca = towlower(a[i]);
        int cb = towlower(b[i]);
        if (ca != cb || !ca)
            return ca - cb;
    }
    return 0;
}

WCHAR* wcschr(const WCHAR* s, WCHAR c)
{
    for (;; ++s) {
        if (*s == c)
            return const_cast<WCHAR*>(s);
        if (!*s)
            return nullptr;
    }
}

WCHAR* wcsrchr(const WCHAR* s, WCHAR c)
{
    const WCHAR* found = nullptr;
    for (;; ++s) {
        if (*s == c)
            found = s;
        if (!*s)
            return const_cast<WCHAR*>(found);
    }
}

WCHAR* wcsstr(const WCHAR* s, const WCHAR* find)
{
    if (!*find)
        return const_cast<WCHAR*>(s);
    size_t n = wcslen(find);
    for (; *s; ++s) {
        if (*s == *find && wcsncmp(s, find, n) == 0)
            return const_cast<WCHAR*>(s);
    }
    return nullptr;
}

int iswdigit(WCHAR c)
{
    return c >= u'0' && c <= u'9';
}

int iswspace(WCHAR c)
{
    return c == u' ' || (c >= 9 && c <= 13) || c == 0x3000;
}

long long _wtoi64(const WCHAR* s)
{
    while (iswspace(*s))
        ++s;
    bool negative = false;
    if (*s == u'-' || *s == u'+')
        negative = *s++ == u'-';
    unsigned long long value = 0;
    const unsigned long long limit = negative ? (unsigned long long)LLONG_MAX + 1 : (unsigned long long)LLONG_MAX;
    for (; iswdigit(*s); ++s) {
        unsigned digit = (unsigned)(*s - u'0');
        if (value > (limit - digit) / 10) {
            value = limit;
            while (iswdigit(*s))
                ++s;
            break;
        }
        value = value * 10 + digit;
    }
    if (negative)
        return value == (unsigned long long)LLONG_MAX + 1 ? LLONG_MIN : -(long long)value;
    return (long long)value;
}

int _wtoi(const WCHAR* s)
{
    long long v = _wtoi64(s);
    if (v > INT_MAX)
        return INT_MAX;
    if (v < INT_MIN)
        return INT_MIN;
    return (int)v;
}

long _wtol(const WCHAR* s)
{
    return _wtoi(s);
}

double _wtof(const WCHAR* s)
{
    // Numbers are ASCII; anything else ends the number, as in the runtime.
    std::string ascii;
    while (iswspace(*s))
        ++s;
    for (; *s && *s < 0x80; ++s)
        ascii.push_back((char)*s);
    return std::strtod(ascii.c_str(), nullptr);
}

WCHAR* _itow(int value, WCHAR* dst, int radix)
{
    if (radix < 2 || radix > 36)
        radix = 10;
    char buf[40];
    unsigned long long v = value < 0 && radix == 10 ? (unsigned long long)(-(long long)value) : (unsigned)value;
    int n = 0;
    do {
        int d = (int)(v % (unsigned)radix);
        buf[n++] = (char)(d < 10 ? '0' + d : 'a' + d - 10);
        v /= (unsigned)radix;
    } while (v);
    WCHAR* p = dst;
    if (value < 0 && radix == 10)
        *p++ = u'-';
    while (n)
        *p++ = (WCHAR)buf[--n];
    *p = 0;
    return dst;
}
