#include "core/TextBuffer.h"

#include "platform/win/WideText.h"

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

size_t UnitsOf(const char* text)
{
    return strlen(text);
}

size_t UnitsOf(const WCHAR* text)
{
    return wcslen(text);
}

const char* FindText(const char* text, const char* find)
{
    return strstr(text, find);
}

const WCHAR* FindText(const WCHAR* text, const WCHAR* find)
{
    return wcsstr(text, find);
}

template <typename Ch> bool Inside(const Ch* p, const Ch* block, UINT units)
{
    return p != nullptr && block != nullptr && p >= block && p < block + units;
}

} // namespace

template <typename Ch> CTextBuffer<Ch>::CTextBuffer(const CTextBuffer& other)
{
    Assign(other);
}

template <typename Ch>
CTextBuffer<Ch>::CTextBuffer(CTextBuffer&& other) noexcept
    : buffer(other.buffer), length(other.length), capacity(other.capacity)
{
    other.buffer = nullptr;
    other.length = 0;
    other.capacity = 0;
}

template <typename Ch> CTextBuffer<Ch>::~CTextBuffer()
{
    free(buffer);
}

template <typename Ch> CTextBuffer<Ch>& CTextBuffer<Ch>::operator=(const CTextBuffer& other)
{
    if (this == &other) {
        return *this;
    }
    if (other.buffer == nullptr) {
        free(buffer);
        buffer = nullptr;
        length = 0;
        capacity = 0;
    } else {
        SetText(other.buffer, other.length);
    }
    return *this;
}

template <typename Ch> CTextBuffer<Ch>& CTextBuffer<Ch>::operator=(CTextBuffer&& other) noexcept
{
    if (this != &other) {
        free(buffer);
        buffer = other.buffer;
        length = other.length;
        capacity = other.capacity;
        other.buffer = nullptr;
        other.length = 0;
        other.capacity = 0;
    }
    return *this;
}

template <typename Ch> BOOL CTextBuffer<Ch>::Reserve(UINT n)
{
    if (n > MOST_UNITS) {
        return FALSE; // checked first: n + 1 must not wrap to a capacity that seems enough
    }
    if (buffer != nullptr && capacity >= n + 1) {
        return TRUE;
    }
    UINT newCapacity = n + 16;
    Ch* block = static_cast<Ch*>(calloc(newCapacity, sizeof(Ch)));
    if (block == nullptr) {
        return FALSE;
    }
    if (buffer != nullptr) {
        memcpy(block, buffer, size_t(length < newCapacity ? length : newCapacity - 1) * sizeof(Ch));
        free(buffer);
    }
    buffer = block;
    capacity = newCapacity;
    return TRUE;
}

template <typename Ch> void CTextBuffer<Ch>::SetText(const Ch* text, UINT n)
{
    if (Inside(text, buffer, capacity)) {
        std::basic_string<Ch> copy(text, n); // the buffer may move while growing
        SetText(copy.data(), n);
        return;
    }
    if (!Reserve(n)) {
        return;
    }
    if (n != 0) {
        memcpy(buffer, text, size_t(n) * sizeof(Ch));
    }
    length = n;
    buffer[n] = 0;
}

template <typename Ch> Ch* CTextBuffer<Ch>::Assign(const Ch* text)
{
    if (text != nullptr) {
        size_t n = UnitsOf(text);
        if (n <= MOST_UNITS) {
            SetText(text, UINT(n));
        }
    }
    return buffer;
}

template <typename Ch> Ch* CTextBuffer<Ch>::Assign(const CTextBuffer& other)
{
    if (this != &other && other.buffer != nullptr) {
        SetText(other.buffer, other.length);
    }
    return buffer;
}

template <typename Ch> void CTextBuffer<Ch>::Append(const Ch* text)
{
    if (text == nullptr) {
        return;
    }
    if (buffer == nullptr) {
        Assign(text);
        return;
    }
    size_t n = UnitsOf(text);
    if (n > MOST_UNITS - length) {
        return;
    }
    if (Inside(text, buffer, capacity)) {
        std::basic_string<Ch> copy(text, n);
        Append(copy.c_str());
        return;
    }
    if (!Reserve(length + UINT(n))) {
        return;
    }
    memcpy(buffer + length, text, n * sizeof(Ch));
    length += UINT(n);
    buffer[length] = 0;
}

template <typename Ch> void CTextBuffer<Ch>::Append(Ch c)
{
    if (buffer == nullptr) {
        Ch text[2] = {c, 0};
        Assign(text);
        return;
    }
    if (length >= MOST_UNITS || !Reserve(length + 1)) {
        return;
    }
    buffer[length++] = c;
    buffer[length] = 0;
}

template <typename Ch> void CTextBuffer<Ch>::ReleaseBuffer(int n)
{
    if (buffer == nullptr) {
        return;
    }
    // The terminator always lands inside the buffer, whatever length the caller claims.
    UINT last = capacity - 1;
    if (n < 0) {
        length = 0;
        while (length < last && buffer[length] != 0) {
            ++length;
        }
    } else {
        length = UINT(n) < last ? UINT(n) : last;
    }
    buffer[length] = 0;
}

template <typename Ch> Ch CTextBuffer<Ch>::GetAt(int index) const
{
    if (index < 0 || UINT(index) >= length || buffer == nullptr) {
        return 0;
    }
    return buffer[index];
}

template <typename Ch> int CTextBuffer<Ch>::Find(const Ch* text, int start) const
{
    if (text == nullptr) {
        return -1;
    }
    if (start < 0) {
        start = 0;
    }
    if (UINT(start) > length) {
        return -1;
    }
    const Ch* hit = FindText(GetText() + start, text);
    return hit == nullptr ? -1 : int(hit - GetText());
}

template class CTextBuffer<char>;
template class CTextBuffer<WCHAR>;
