// The class library's wide string.
#include "platform/ui/MzStr.h"

#include "platform/win/SecureMemory.h"
#include "platform/win/WideText.h"

#include <cstdlib>
#include <cstring>
#include <utility>

namespace {

// Every buffer goes wiped: an edit's text may be a password, and freed memory keeps what it held.
void FreeWiped(WCHAR* data, size_t capacity)
{
    if (data)
        SecureZeroMemory(data, capacity * sizeof(WCHAR));
    free(data);
}

} // namespace

CMzStr::CMzStr() = default;

CMzStr::CMzStr(LPCWSTR text)
{
    *this = text;
}

CMzStr::CMzStr(LPCWSTR text, size_t count)
{
    SetString(text, count);
}

CMzStr::CMzStr(const CMzStr& other)
{
    SetString(other.C_Str(), other.length);
}

CMzStr::CMzStr(CMzStr&& other) noexcept
    : data(std::exchange(other.data, nullptr)), length(std::exchange(other.length, 0)),
      capacity(std::exchange(other.capacity, 0))
{}

CMzStr::~CMzStr()
{
    FreeWiped(data, capacity);
}

CMzStr& CMzStr::operator=(const CMzStr& other)
{
    if (this != &other)
        SetString(other.C_Str(), other.length);
    return *this;
}

CMzStr& CMzStr::operator=(CMzStr&& other) noexcept
{
    if (this != &other) {
        FreeWiped(data, capacity);
        data = std::exchange(other.data, nullptr);
        length = std::exchange(other.length, 0);
        capacity = std::exchange(other.capacity, 0);
    }
    return *this;
}

CMzStr& CMzStr::operator=(LPCWSTR text)
{
    SetString(text, text ? wcslen(text) : 0);
    return *this;
}

void CMzStr::SetString(LPCWSTR text, size_t count)
{
    size_t n = text ? wcsnlen(text, count) : 0;
    if (text && data && text >= data && text < data + capacity) { // a part of itself
        memmove(data, text, n * sizeof(WCHAR));
        data[n] = 0;
        length = n;
        return;
    }
    Reserve(n);
    if (n)
        memcpy(data, text, n * sizeof(WCHAR));
    if (data)
        data[n] = 0;
    length = n;
}

void CMzStr::Reserve(size_t wanted)
{
    if (data && wanted < capacity)
        return;
    size_t want = capacity ? capacity : 16;
    while (want <= wanted)
        want *= 2;
    // A new buffer rather than realloc, so the old one is wiped before it goes.
    WCHAR* grown = static_cast<WCHAR*>(malloc(want * sizeof(WCHAR)));
    if (!grown)
        abort();
    if (data)
        memcpy(grown, data, (length + 1) * sizeof(WCHAR));
    else
        grown[0] = 0;
    FreeWiped(data, capacity);
    data = grown;
    capacity = want;
}

CMzStr& CMzStr::operator+=(LPCWSTR text)
{
    if (!text)
        return *this;
    size_t n = wcslen(text);
    if (n == 0)
        return *this;
    CMzStr copy(text, n); // text may live in this string's buffer
    Reserve(length + n);
    memcpy(data + length, copy.C_Str(), n * sizeof(WCHAR));
    length += n;
    data[length] = 0;
    return *this;
}

CMzStr& CMzStr::operator+=(WCHAR ch)
{
    Insert(length, ch);
    return *this;
}

void CMzStr::Clear()
{
    length = 0;
    if (data)
        data[0] = 0;
}

void CMzStr::Wipe()
{
    if (data)
        SecureZeroMemory(data, capacity * sizeof(WCHAR));
    length = 0;
}

void CMzStr::RemoveLast()
{
    if (length)
        data[--length] = 0;
}

void CMzStr::Insert(size_t at, WCHAR ch)
{
    if (at > length)
        at = length;
    Reserve(length + 1);
    memmove(data + at + 1, data + at, (length - at) * sizeof(WCHAR));
    data[at] = ch;
    data[++length] = 0;
}

void CMzStr::Erase(size_t at, size_t count)
{
    if (at >= length)
        return;
    if (count > length - at)
        count = length - at;
    memmove(data + at, data + at + count, (length - at - count) * sizeof(WCHAR));
    memset(data + length - count, 0, count * sizeof(WCHAR)); // no stale units past the end
    length -= count;
}

CMzStr CMzStr::SubStr(size_t at, size_t count) const
{
    if (at >= length)
        return CMzStr();
    return CMzStr(data + at, count);
}

int CMzStr::Compare(LPCWSTR other) const
{
    return wcscmp(C_Str(), other ? other : u"");
}

int CMzStr::CompareNoCase(LPCWSTR other) const
{
    return _wcsicmp(C_Str(), other ? other : u"");
}
