// CAString: 8-bit text with the client's growth and comparison rules.
#include "core/AString.h"

#include "core/TextHelpers.h"
#include "platform/win/WideFormat.h"

#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr UINT MAX_BYTES = 0x7FFFFFF0u;

bool Inside(const char* p, const char* block, UINT bytes) {
    return p != nullptr && block != nullptr && p >= block && p < block + bytes;
}

bool EqualAsciiNoCase(const char* a, const char* b) {
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

}  // namespace

CAString::CAString(const char* text) {
    Assign(text);
}

CAString::CAString(const WCHAR* text) {
    Assign(text);
}

CAString::CAString(const CAString& other) {
    Assign(other);
}

CAString::CAString(CAString&& other) noexcept : buffer(other.buffer), length(other.length), capacity(other.capacity) {
    other.buffer = nullptr;
    other.length = 0;
    other.capacity = 0;
}

CAString::~CAString() {
    free(buffer);
}

CAString& CAString::operator=(const CAString& other) {
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

CAString& CAString::operator=(CAString&& other) noexcept {
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

CAString& CAString::operator=(const char* text) {
    Assign(text);
    return *this;
}

BOOL CAString::Reserve(UINT n) {
    if (n > MAX_BYTES) {
        return FALSE;  // checked first: n + 1 must not wrap to a capacity that seems enough
    }
    if (buffer != nullptr && capacity >= n + 1) {
        return TRUE;
    }
    UINT newCapacity = n + 16;
    char* block = static_cast<char*>(calloc(newCapacity, 1));
    if (block == nullptr) {
        return FALSE;
    }
    if (buffer != nullptr) {
        memcpy(block, buffer, length < newCapacity ? length : newCapacity - 1);
        free(buffer);
    }
    buffer = block;
    capacity = newCapacity;
    return TRUE;
}

void CAString::SetText(const char* text, UINT n) {
    if (Inside(text, buffer, capacity)) {
        std::string copy(text, n);
        SetText(copy.data(), n);
        return;
    }
    if (!Reserve(n)) {
        return;
    }
    if (n != 0) {
        memcpy(buffer, text, n);
    }
    length = n;
    buffer[n] = 0;
}

char* CAString::Assign(const char* text) {
    if (text != nullptr) {
        size_t n = strlen(text);
        if (n <= MAX_BYTES) {
            SetText(text, UINT(n));
        }
    }
    return buffer;
}

char* CAString::Assign(const CAString& other) {
    if (this != &other && other.buffer != nullptr) {
        SetText(other.buffer, other.length);
    }
    return buffer;
}

char* CAString::Assign(const WCHAR* text) {
    char* narrow = nullptr;
    if (WideToAnsi(text, &narrow) > 0) {
        Assign(narrow);
    }
    free(narrow);
    return buffer;
}

void CAString::Append(const char* text) {
    if (text == nullptr) {
        return;
    }
    if (buffer == nullptr) {
        Assign(text);
        return;
    }
    size_t n = strlen(text);
    if (n > MAX_BYTES - length) {
        return;
    }
    if (Inside(text, buffer, capacity)) {
        std::string copy(text, n);
        Append(copy.c_str());
        return;
    }
    if (!Reserve(length + UINT(n))) {
        return;
    }
    memcpy(buffer + length, text, n);
    length += UINT(n);
    buffer[length] = 0;
}

void CAString::Append(const WCHAR* text) {
    char* narrow = nullptr;
    if (WideToAnsi(text, &narrow) > 0) {
        Append(narrow);
    }
    free(narrow);
}

void CAString::Append(char c) {
    if (buffer == nullptr) {
        char text[2] = {c, 0};
        Assign(text);
        return;
    }
    if (length >= MAX_BYTES || !Reserve(length + 1)) {
        return;
    }
    buffer[length++] = c;
    buffer[length] = 0;
}

BOOL CAString::Equals(const CAString& other) const {
    if (buffer == nullptr) {
        return other.length == 0;
    }
    return other.buffer != nullptr && EqualAsciiNoCase(buffer, other.buffer);
}

BOOL CAString::EqualsNoCase(const char* text) const {
    if (buffer == nullptr) {
        return text == nullptr || text[0] == 0;
    }
    return text != nullptr && EqualAsciiNoCase(buffer, text);
}

int CAString::FormatArgs(const char* format, ...) {
    va_list args;
    va_start(args, format);
    int result = FormatV(format, args);
    va_end(args);
    return result;
}

int CAString::FormatV(const char* format, va_list args) {
    int needed = _vscprintf(format, args);
    // The whole text is kept: a formatted request is never cut at a fixed size.
    if (needed < 0 || UINT(needed) > MAX_BYTES) {
        return -1;
    }
    // Formatted aside first: an argument may be this string's own text, which growing would free.
    std::string out(size_t(needed) + 1, '\0');
    _vsnprintf(out.data(), out.size(), format, args);
    SetText(out.data(), UINT(needed));
    return buffer != nullptr ? int(length) : -1;
}

char* CAString::GetBuffer(int n) {
    if (n < 0 || UINT(n) > MAX_BYTES || !Reserve(UINT(n))) {
        return nullptr;
    }
    return buffer;
}

void CAString::ReleaseBuffer(int n) {
    if (buffer == nullptr) {
        return;
    }
    UINT last = capacity - 1;
    if (n < 0) {
        const void* end = memchr(buffer, 0, last);
        length = end != nullptr ? UINT(static_cast<const char*>(end) - buffer) : last;
    } else {
        length = UINT(n) < last ? UINT(n) : last;
    }
    buffer[length] = 0;
}

char CAString::GetAt(int index) const {
    if (index < 0 || UINT(index) >= length || buffer == nullptr) {
        return 0;
    }
    return buffer[index];
}

int CAString::Find(const char* text, int start) const {
    if (text == nullptr) {
        return -1;
    }
    if (start < 0) {
        start = 0;
    }
    if (UINT(start) > length) {
        return -1;
    }
    const char* hit = strstr(GetText() + start, text);
    return hit == nullptr ? -1 : int(hit - GetText());
}
