// CWString: UTF-16 text with the client's growth, comparison and editing rules.
#include "core/WString.h"

#include "core/TextHelpers.h"
#include "platform/win/WideFormat.h"
#include "platform/win/WideText.h"

#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

WCHAR FoldUpper(WCHAR c)
{
    return (c >= u'a' && c <= u'z') ? WCHAR(c - u'a' + u'A') : c;
}

} // namespace

CWString::CWString(const WCHAR* text)
{
    Assign(text);
}

CWString::CWString(const char* text)
{
    Assign(text);
}

CWString::~CWString() = default;

CWString& CWString::operator=(const WCHAR* text)
{
    Assign(text);
    return *this;
}

WCHAR* CWString::Assign(const char* text)
{
    WCHAR* wide = nullptr;
    if (AnsiToWide(text, &wide) > 0) {
        Assign(wide);
    }
    free(wide);
    return buffer;
}

void CWString::Append(const char* text)
{
    WCHAR* wide = nullptr;
    if (AnsiToWide(text, &wide) > 0) {
        Append(wide);
    }
    free(wide);
}

CWString CWString::Concat(const WCHAR* text) const
{
    CWString result(*this);
    result.Append(text);
    return result;
}

CWString CWString::Concat(const CWString& other) const
{
    return Concat(other.buffer);
}

BOOL CWString::EqualsNoCase(const WCHAR* text) const
{
    if (buffer == nullptr) {
        return text == nullptr || text[0] == 0;
    }
    return text != nullptr && _wcsicmp(buffer, text) == 0;
}

BOOL CWString::EqualsNoCase(const CWString& other) const
{
    if (buffer == nullptr) {
        return other.length == 0;
    }
    return other.buffer != nullptr && _wcsicmp(buffer, other.buffer) == 0;
}

CWString CWString::Left(int n) const
{
    UINT take = n <= 0 ? 0 : (UINT(n) < length ? UINT(n) : length);
    CWString result;
    result.SetText(GetText(), take);
    return result;
}

CWString CWString::Right(int n) const
{
    UINT take = n <= 0 ? 0 : (UINT(n) < length ? UINT(n) : length);
    CWString result;
    result.SetText(GetText() + (length - take), take);
    return result;
}

CWString CWString::Mid(int start, int count) const
{
    if (start < 0) {
        start = 0;
    }
    CWString result;
    if (UINT(start) >= length) {
        result.SetText(u"", 0);
        return result;
    }
    UINT rest = length - UINT(start);
    UINT take = (count < 0 || UINT(count) > rest) ? rest : UINT(count);
    result.SetText(buffer + start, take);
    return result;
}

WCHAR* CWString::GetBuffer(int n)
{
    if (n < 0 || UINT(n) >= MOST_UNITS || !Reserve(UINT(n) + 1)) {
        return nullptr;
    }
    return buffer;
}

int CWString::FormatArgs(const WCHAR* format, ...)
{
    va_list args;
    va_start(args, format);
    int result = FormatV(format, args);
    va_end(args);
    return result;
}

int CWString::FormatV(const WCHAR* format, va_list args)
{
    int needed = _vscwprintf(format, args);
    // The whole text is kept: a formatted request or message is never cut at a fixed size.
    if (needed < 0 || UINT(needed) > MOST_UNITS) {
        return -1;
    }
    // Formatted aside first: an argument may be this string's own text, which growing would free.
    std::u16string out(size_t(needed) + 1, u'\0');
    _vsnwprintf(out.data(), out.size(), format, args);
    SetText(out.data(), UINT(needed));
    return buffer != nullptr ? int(length) : -1;
}

int CWString::Find(WCHAR c, int start) const
{
    if (start < 0) {
        start = 0;
    }
    for (UINT i = UINT(start); i < length; ++i) {
        if (buffer[i] == c) {
            return int(i);
        }
    }
    return -1;
}

void CWString::TrimLeft()
{
    if (buffer == nullptr) {
        return;
    }
    UINT skip = 0;
    while (skip < length && buffer[skip] == u' ') {
        ++skip;
    }
    if (skip > 0) {
        memmove(buffer, buffer + skip, size_t(length - skip + 1) * sizeof(WCHAR));
        length -= skip;
    }
}

void CWString::TrimRight()
{
    if (buffer == nullptr) {
        return;
    }
    while (length > 0 && buffer[length - 1] == u' ') {
        --length;
    }
    buffer[length] = 0;
}

void CWString::MakeUpper()
{
    for (UINT i = 0; i < length && buffer != nullptr; ++i) {
        buffer[i] = FoldUpper(buffer[i]);
    }
}

int CWString::Replace(const WCHAR* oldText, const WCHAR* newText)
{
    if (buffer == nullptr || oldText == nullptr || oldText[0] == 0 || newText == nullptr) {
        return 0;
    }
    // The rule: a new text that contains the old one ("a" by "ab") is refused, nothing replaced and 0 returned.
    if (wcsstr(newText, oldText) != nullptr) {
        return 0;
    }
    size_t oldLength = wcslen(oldText);
    std::u16string result;
    int replaced = 0;
    const WCHAR* p = buffer;
    const WCHAR* end = buffer + length;
    while (p < end) {
        const WCHAR* hit = wcsstr(p, oldText);
        if (hit == nullptr || hit >= end) {
            break;
        }
        result.append(p, hit);
        result.append(newText);
        p = hit + oldLength;
        ++replaced;
    }
    if (replaced == 0) {
        return 0;
    }
    result.append(p, end);
    if (result.size() > MOST_UNITS) {
        return 0;
    }
    SetText(result.data(), UINT(result.size()));
    return replaced;
}

BOOL CWString::Contains(const WCHAR* text, BOOL caseSensitive) const
{
    if (text == nullptr) {
        return FALSE;
    }
    if (caseSensitive) {
        return wcsstr(GetText(), text) != nullptr;
    }
    // Lists filter many needles against the same text: its upper-cased copy is kept for the next call.
    // One cache per thread, so a call from another thread can never see a half-made copy.
    thread_local std::u16string lastHaystack;
    thread_local std::u16string lastUpper;
    std::u16string_view haystack(GetText(), length);
    if (haystack != lastHaystack || lastUpper.size() != lastHaystack.size()) {
        lastHaystack.assign(haystack);
        lastUpper = lastHaystack;
        for (auto& c : lastUpper) {
            c = FoldUpper(c);
        }
    }
    std::u16string needle(text);
    for (auto& c : needle) {
        c = FoldUpper(c);
    }
    return lastUpper.find(needle) != std::u16string::npos;
}
