// One formatting engine for both text kinds: the format's unit type is also the output's.
#include "platform/win/WideFormat.h"

#include "platform/win/CodePage.h"
#include "platform/win/WideText.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <type_traits>

namespace {

// Writes into the caller's buffer up to count - 1 units and counts everything, so the same pass
// both formats and measures.
template <typename C> struct Sink {
    C* buffer;
    size_t count;
    size_t length = 0;

    void Put(C c)
    {
        if (length + 1 < count) {
            buffer[length] = c;
        }
        ++length;
    }
    void Repeat(C c, long n)
    {
        for (long i = 0; i < n; ++i) {
            Put(c);
        }
    }
    void Finish()
    {
        if (count > 0) {
            buffer[length < count ? length : count - 1] = 0;
        }
    }
};

enum class Size { Default, Char, Short, Long, LongLong, Pointer, LongDouble };

struct Spec {
    bool left = false;
    bool plus = false;
    bool space = false;
    bool alternate = false;
    bool zero = false;
    long width = 0;
    long precision = -1;
    Size size = Size::Default;
    bool wideArg = false;   // for s/c: set by l, w or the format kind
    bool narrowArg = false; // for s/c: set by h
};

// Pads and writes an already-converted text (units of the output's kind).
template <typename C> void PutPadded(Sink<C>& out, const Spec& spec, const C* text, size_t n)
{
    long pad = spec.width > long(n) ? spec.width - long(n) : 0;
    if (!spec.left) {
        out.Repeat(spec.zero ? C('0') : C(' '), pad);
    }
    for (size_t i = 0; i < n; ++i) {
        out.Put(text[i]);
    }
    if (spec.left) {
        out.Repeat(C(' '), pad);
    }
}

template <typename C> void PutAsciiPadded(Sink<C>& out, const Spec& spec, const char* text, size_t n)
{
    std::basic_string<C> units(text, text + n);
    PutPadded(out, spec, units.data(), units.size());
}

template <typename C>
void PutInteger(Sink<C>& out, Spec spec, unsigned long long magnitude, bool negative, char conversion)
{
    int base = 10;
    const char* digits = "0123456789abcdef";
    if (conversion == 'x' || conversion == 'p') {
        base = 16;
    } else if (conversion == 'X') {
        base = 16;
        digits = "0123456789ABCDEF";
    } else if (conversion == 'o') {
        base = 8;
    }
    char body[80];
    int n = 0;
    while (magnitude != 0) {
        body[n++] = digits[magnitude % base];
        magnitude /= base;
    }
    long minDigits = spec.precision >= 0 ? spec.precision : 1;
    if (minDigits > 64) {
        minDigits = 64;
    }
    while (n < minDigits) {
        body[n++] = '0';
    }
    if (conversion == 'o' && spec.alternate && (n == 0 || body[n - 1] != '0')) {
        body[n++] = '0';
    }
    char prefix[3] = {0, 0, 0};
    int prefixLength = 0;
    if (negative) {
        prefix[prefixLength++] = '-';
    } else if (spec.plus && (conversion == 'd' || conversion == 'i')) {
        prefix[prefixLength++] = '+';
    } else if (spec.space && (conversion == 'd' || conversion == 'i')) {
        prefix[prefixLength++] = ' ';
    }
    if (spec.alternate && base == 16 && conversion != 'p' && n > 0 && !(n == 1 && body[0] == '0')) {
        prefix[prefixLength++] = '0';
        prefix[prefixLength++] = conversion == 'X' ? 'X' : 'x';
    }
    long total = n + prefixLength;
    long pad = spec.width > total ? spec.width - total : 0;
    bool zeroPad = spec.zero && !spec.left && spec.precision < 0;
    if (!spec.left && !zeroPad) {
        out.Repeat(C(' '), pad);
    }
    for (int i = 0; i < prefixLength; ++i) {
        out.Put(C(prefix[i]));
    }
    if (zeroPad) {
        out.Repeat(C('0'), pad);
    }
    while (n > 0) {
        out.Put(C(body[--n]));
    }
    if (spec.left) {
        out.Repeat(C(' '), pad);
    }
}

template <typename C> void PutFloating(Sink<C>& out, const Spec& spec, long double value, char conversion)
{
    char format[32];
    int f = 0;
    format[f++] = '%';
    if (spec.left)
        format[f++] = '-';
    if (spec.plus)
        format[f++] = '+';
    if (spec.space)
        format[f++] = ' ';
    if (spec.alternate)
        format[f++] = '#';
    if (spec.zero)
        format[f++] = '0';
    format[f++] = '*';
    format[f++] = '.';
    format[f++] = '*';
    format[f++] = 'L';
    format[f++] = conversion;
    format[f] = 0;
    int width = spec.width > 4096 ? 4096 : int(spec.width);
    int precision = spec.precision < 0 ? 6 : (spec.precision > 512 ? 512 : int(spec.precision));
    char small[128];
    int needed = std::snprintf(small, sizeof small, format, width, precision, value);
    if (needed < 0) {
        return;
    }
    if (size_t(needed) < sizeof small) {
        PutAsciiPadded(out, Spec{}, small, size_t(needed));
        return;
    }
    std::string big(size_t(needed) + 1, '\0');
    std::snprintf(big.data(), big.size(), format, width, precision, value);
    PutAsciiPadded(out, Spec{}, big.data(), size_t(needed));
}

size_t NarrowLength(const char* s, long precision)
{
    return precision >= 0 ? strnlen(s, size_t(precision)) : strlen(s);
}

size_t WideLength(const WCHAR* s, long precision)
{
    return precision >= 0 ? wcsnlen(s, size_t(precision)) : wcslen(s);
}

template <typename C> void PutNarrowText(Sink<C>& out, const Spec& spec, const char* s)
{
    size_t n = NarrowLength(s, spec.precision);
    if constexpr (std::is_same_v<C, char>) {
        PutPadded(out, spec, s, n);
    } else {
        std::u16string wide;
        if (n > 0) {
            int units = MultiByteToWideChar(CP_ACP, 0, s, int(n), nullptr, 0);
            if (units > 0) {
                wide.resize(size_t(units));
                MultiByteToWideChar(CP_ACP, 0, s, int(n), wide.data(), units);
            }
        }
        size_t keep =
            spec.precision >= 0 && wide.size() > size_t(spec.precision) ? size_t(spec.precision) : wide.size();
        PutPadded(out, spec, wide.data(), keep);
    }
}

template <typename C> void PutWideText(Sink<C>& out, const Spec& spec, const WCHAR* s)
{
    size_t n = WideLength(s, spec.precision);
    if constexpr (std::is_same_v<C, WCHAR>) {
        PutPadded(out, spec, s, n);
    } else {
        std::string narrow;
        if (n > 0) {
            int bytes = WideCharToMultiByte(CP_ACP, 0, s, int(n), nullptr, 0, nullptr, nullptr);
            if (bytes > 0) {
                narrow.resize(size_t(bytes));
                WideCharToMultiByte(CP_ACP, 0, s, int(n), narrow.data(), bytes, nullptr, nullptr);
            }
        }
        size_t keep =
            spec.precision >= 0 && narrow.size() > size_t(spec.precision) ? size_t(spec.precision) : narrow.size();
        PutPadded(out, spec, narrow.data(), keep);
    }
}

template <typename C> const C* ParseFlags(const C* p, Spec& spec)
{
    for (;; ++p) {
        if (*p == '-')
            spec.left = true;
        else if (*p == '+')
            spec.plus = true;
        else if (*p == ' ')
            spec.space = true;
        else if (*p == '#')
            spec.alternate = true;
        else if (*p == '0')
            spec.zero = true;
        else
            break;
    }
    return p;
}

// The width, written or '*' from the arguments (a negative one left-justifies).
template <typename C> const C* ParseWidth(const C* p, Spec& spec, va_list* args)
{
    if (*p == '*') {
        int w = va_arg(*args, int);
        if (w < 0) {
            spec.left = true;
            w = w == INT_MIN ? INT_MAX : -w;
        }
        spec.width = w;
        ++p;
    } else {
        while (*p >= '0' && *p <= '9') {
            spec.width = spec.width < 100000 ? spec.width * 10 + (*p - '0') : spec.width;
            ++p;
        }
    }
    return p;
}

// The precision after '.', written or '*' from the arguments (a negative one is none).
template <typename C> const C* ParsePrecision(const C* p, Spec& spec, va_list* args)
{
    if (*p != '.') {
        return p;
    }
    ++p;
    spec.precision = 0;
    if (*p == '*') {
        int prec = va_arg(*args, int);
        spec.precision = prec < 0 ? -1 : prec;
        ++p;
    } else {
        while (*p >= '0' && *p <= '9') {
            spec.precision = spec.precision < 100000 ? spec.precision * 10 + (*p - '0') : spec.precision;
            ++p;
        }
    }
    return p;
}

// The argument's size: h, hh, l, ll, w, L, j, z, t, I, I32, I64.
template <typename C> const C* ParseSize(const C* p, Spec& spec)
{
    switch (*p) {
    case 'h':
        ++p;
        spec.narrowArg = true;
        spec.size = Size::Short;
        if (*p == 'h') {
            spec.size = Size::Char;
            ++p;
        }
        break;
    case 'l':
        ++p;
        spec.wideArg = true;
        spec.size = Size::Long;
        if (*p == 'l') {
            spec.size = Size::LongLong;
            ++p;
        }
        break;
    case 'w':
        ++p;
        spec.wideArg = true;
        break;
    case 'L':
        ++p;
        spec.size = Size::LongDouble;
        break;
    case 'j':
        ++p;
        spec.size = Size::LongLong;
        break;
    case 'z':
    case 't':
        ++p;
        spec.size = Size::Pointer;
        break;
    case 'I':
        if (p[1] == '6' && p[2] == '4') {
            spec.size = Size::LongLong;
            p += 3;
        } else if (p[1] == '3' && p[2] == '2') {
            spec.size = Size::Long;
            p += 3;
        } else {
            spec.size = Size::Pointer;
            p += 1;
        }
        break;
    default:
        break;
    }
    return p;
}

template <typename C> const C* ParseSpec(const C* p, Spec& spec, va_list* args)
{
    p = ParseFlags(p, spec);
    p = ParseWidth(p, spec, args);
    p = ParsePrecision(p, spec, args);
    if (spec.width > 100000) {
        spec.width = 100000; // a width from the arguments never makes a formatter spin for minutes
    }
    return ParseSize(p, spec);
}

long long SignedArg(Size size, va_list* args)
{
    switch (size) {
    case Size::Char:
        return (signed char)va_arg(*args, int);
    case Size::Short:
        return (short)va_arg(*args, int);
    case Size::LongLong:
        return va_arg(*args, long long);
    case Size::Pointer:
        return (long long)va_arg(*args, intptr_t);
    default:
        return va_arg(*args, int);
    }
}

unsigned long long UnsignedArg(Size size, va_list* args)
{
    switch (size) {
    case Size::Char:
        return (unsigned char)va_arg(*args, unsigned int);
    case Size::Short:
        return (unsigned short)va_arg(*args, unsigned int);
    case Size::LongLong:
        return va_arg(*args, unsigned long long);
    case Size::Pointer:
        return (unsigned long long)va_arg(*args, uintptr_t);
    default:
        return va_arg(*args, unsigned int);
    }
}

// %c and %C: one character, wide or 8-bit by the size and by which of the two the format's own width matches.
template <typename C> void PutCharacterArg(Sink<C>& out, const Spec& spec, char conversion, va_list* args)
{
    constexpr bool wideFormat = std::is_same_v<C, WCHAR>;
    bool wide = spec.wideArg || (!spec.narrowArg && ((conversion == 'c') == wideFormat));
    int v = va_arg(*args, int);
    if (wide) {
        WCHAR text[2] = {WCHAR(v), 0};
        PutWideText(out, Spec{spec.left, false, false, false, spec.zero, spec.width}, text);
    } else {
        char text[2] = {char(v), 0};
        if constexpr (wideFormat) {
            // A lone 8-bit character: the ASCII range maps to itself.
            WCHAR unit[1] = {WCHAR((unsigned char)text[0])};
            PutPadded(out, Spec{spec.left, false, false, false, spec.zero, spec.width}, unit, 1);
        } else {
            PutPadded(out, Spec{spec.left, false, false, false, spec.zero, spec.width}, text, 1);
        }
    }
}

// %s and %S: a text, wide or 8-bit as for %c; a null pointer prints "(null)".
template <typename C> void PutTextArg(Sink<C>& out, const Spec& spec, char conversion, va_list* args)
{
    constexpr bool wideFormat = std::is_same_v<C, WCHAR>;
    bool wide = spec.wideArg || (!spec.narrowArg && ((conversion == 's') == wideFormat));
    if (wide) {
        const WCHAR* s = va_arg(*args, const WCHAR*);
        PutWideText(out, spec, s != nullptr ? s : u"(null)");
    } else {
        const char* s = va_arg(*args, const char*);
        PutNarrowText(out, spec, s != nullptr ? s : "(null)");
    }
}

// One conversion with its argument; an unknown one prints its own character (self).
template <typename C> void PutConversion(Sink<C>& out, const Spec& spec, char conversion, C self, va_list* args)
{
    switch (conversion) {
    case 'd':
    case 'i': {
        long long v = SignedArg(spec.size, args);
        unsigned long long magnitude = v < 0 ? 0ULL - (unsigned long long)v : (unsigned long long)v;
        PutInteger(out, spec, magnitude, v < 0, conversion);
        break;
    }
    case 'u':
    case 'x':
    case 'X':
    case 'o':
        PutInteger(out, spec, UnsignedArg(spec.size, args), false, conversion);
        break;
    case 'p': {
        void* v = va_arg(*args, void*);
        Spec pointerSpec = spec;
        pointerSpec.precision = int(2 * sizeof(void*));
        PutInteger(out, pointerSpec, (unsigned long long)(uintptr_t)v, false, 'X');
        break;
    }
    case 'f':
    case 'F':
    case 'e':
    case 'E':
    case 'g':
    case 'G':
    case 'a':
    case 'A': {
        long double v = spec.size == Size::LongDouble ? va_arg(*args, long double) : va_arg(*args, double);
        PutFloating(out, spec, v, conversion);
        break;
    }
    case 'c':
    case 'C':
        PutCharacterArg(out, spec, conversion, args);
        break;
    case 's':
    case 'S':
        PutTextArg(out, spec, conversion, args);
        break;
    case 'n':
        (void)va_arg(*args, void*); // never written: a format must not be able to store through a pointer
        break;
    default:
        out.Put(self);
        break;
    }
}

template <typename C> int Format(C* buffer, size_t count, const C* format, va_list* args)
{
    Sink<C> out{buffer, buffer == nullptr ? 0 : count};
    if (format == nullptr) {
        out.Finish();
        return -1;
    }
    for (const C* p = format; *p != 0; ++p) {
        if (*p != '%') {
            out.Put(*p);
            continue;
        }
        ++p;
        if (*p == 0) {
            break;
        }
        if (*p == '%') {
            out.Put(C('%'));
            continue;
        }
        Spec spec;
        p = ParseSpec(p, spec, args);
        if (*p == 0) {
            break;
        }
        PutConversion(out, spec, *p < 128 ? char(*p) : '?', *p, args);
    }
    out.Finish();
    if (out.length > size_t(INT_MAX)) {
        return -1;
    }
    if (count == 0 || buffer == nullptr) {
        return int(out.length); // measuring
    }
    return out.length < count ? int(out.length) : -1;
}

template <typename C> int FormatCopy(C* buffer, size_t count, const C* format, va_list args)
{
    va_list copy;
    va_copy(copy, args);
    int result = Format(buffer, count, format, &copy);
    va_end(copy);
    return result;
}

} // namespace

int _vsnwprintf(WCHAR* buffer, size_t count, const WCHAR* format, va_list args)
{
    if (buffer == nullptr || count == 0) {
        return -1;
    }
    return FormatCopy(buffer, count, format, args);
}

int _snwprintf(WCHAR* buffer, size_t count, const WCHAR* format, ...)
{
    va_list args;
    va_start(args, format);
    int result = _vsnwprintf(buffer, count, format, args);
    va_end(args);
    return result;
}

int vswprintf(WCHAR* buffer, size_t count, const WCHAR* format, va_list args)
{
    return _vsnwprintf(buffer, count, format, args);
}

int swprintf(WCHAR* buffer, size_t count, const WCHAR* format, ...)
{
    va_list args;
    va_start(args, format);
    int result = _vsnwprintf(buffer, count, format, args);
    va_end(args);
    return result;
}

int _vscwprintf(const WCHAR* format, va_list args)
{
    return FormatCopy<WCHAR>(nullptr, 0, format, args);
}

int _scwprintf(const WCHAR* format, ...)
{
    va_list args;
    va_start(args, format);
    int result = _vscwprintf(format, args);
    va_end(args);
    return result;
}

int _vsnprintf(char* buffer, size_t count, const char* format, va_list args)
{
    if (buffer == nullptr || count == 0) {
        return -1;
    }
    return FormatCopy(buffer, count, format, args);
}

int _snprintf(char* buffer, size_t count, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    int result = _vsnprintf(buffer, count, format, args);
    va_end(args);
    return result;
}

int _vscprintf(const char* format, va_list args)
{
    return FormatCopy<char>(nullptr, 0, format, args);
}

int _scprintf(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    int result = _vscprintf(format, args);
    va_end(args);
    return result;
}
