// CAString: 8-bit text with the client's growth and comparison rules.
#include "core/AString.h"

#include "core/TextHelpers.h"
#include "platform/win/WideFormat.h"

#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

bool EqualAsciiNoCase(const char* a, const char* b)
{
    for (;; ++a, ++b) {
        char x = (*a >= 'A' && *a <= 'Z') ? char(*a - 'A' + 'a') : *a;
        char y = (*b >= 'A' && *b <= 'Z') ? char(*b - 'A' + 'a') : *b;
        if (x != y) {
            return false;
        }
        if (x == 0) {
            return true;
        }
    }
}

} // namespace

CAString::CAString(const char* text)
{
    Assign(text);
}

CAString::CAString(const WCHAR* text)
{
    Assign(text);
}

CAString::~CAString() = default;

CAString& CAString::operator=(const char* text)
{
    Assign(text);
    return *this;
}

char* CAString::Assign(const WCHAR* text)
{
    char* narrow = nullptr;
    if (WideToAnsi(text, &narrow) > 0) {
        Assign(narrow);
    }
    free(narrow);
    return buffer;
}

void CAString::Append(const WCHAR* text)
{
    char* narrow = nullptr;
    if (WideToAnsi(text, &narrow) > 0) {
        Append(narrow);
    }
    free(narrow);
}

BOOL CAString::Equals(const CAString& other) const
{
    if (buffer == nullptr) {
        return other.length == 0;
    }
    return other.buffer != nullptr && EqualAsciiNoCase(buffer, other.buffer);
}

BOOL CAString::EqualsNoCase(const char* text) const
{
    if (buffer == nullptr) {
        return text == nullptr || text[0] == 0;
    }
    return text != nullptr && EqualAsciiNoCase(buffer, text);
}

int CAString::FormatArgs(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    int result = FormatV(format, args);
    va_end(args);
    return result;
}

int CAString::FormatV(const char* format, va_list args)
{
    int needed = _vscprintf(format, args);
    // The whole text is kept: a formatted request is never cut at a fixed size.
    if (needed < 0 || UINT(needed) > MOST_UNITS) {
        return -1;
    }
    // Formatted aside first: an argument may be this string's own text, which growing would free.
    std::string out(size_t(needed) + 1, '\0');
    _vsnprintf(out.data(), out.size(), format, args);
    SetText(out.data(), UINT(needed));
    return buffer != nullptr ? int(length) : -1;
}

char* CAString::GetBuffer(int n)
{
    if (n < 0 || UINT(n) > MOST_UNITS || !Reserve(UINT(n))) {
        return nullptr;
    }
    return buffer;
}
