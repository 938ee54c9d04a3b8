// The class library's wide string: UTF-16 text that owns its buffer and is never null (empty is "").
#pragma once

#include "platform/win/WinTypes.h"

#include <cstddef>

class CMzStr {
public:
    CMzStr();
    CMzStr(LPCWSTR text);                // null reads as empty
    CMzStr(LPCWSTR text, size_t length); // at most length units, stops at a NUL
    CMzStr(const CMzStr& other);
    CMzStr(CMzStr&& other) noexcept;
    ~CMzStr();

    CMzStr& operator=(const CMzStr& other);
    CMzStr& operator=(CMzStr&& other) noexcept;
    CMzStr& operator=(LPCWSTR text);
    CMzStr& operator+=(LPCWSTR text);
    CMzStr& operator+=(const CMzStr& other) { return *this += other.C_Str(); }
    CMzStr& operator+=(WCHAR ch);

    LPCWSTR C_Str() const { return data ? data : u""; }
    operator LPCWSTR() const { return C_Str(); }
    size_t Length() const { return length; }
    bool IsEmpty() const { return length == 0; }
    WCHAR operator[](size_t i) const { return i < length ? data[i] : 0; }

    void SetString(LPCWSTR text) { *this = text; }
    void SetString(LPCWSTR text, size_t length);
    void Clear();
    // Overwrites every unit of the buffer with zeros, then empties the text (secrets such as passwords).
    void Wipe();
    // Removes the last character (backspace); nothing when empty.
    void RemoveLast();
    void Insert(size_t at, WCHAR ch);
    void Erase(size_t at, size_t count);
    CMzStr SubStr(size_t at, size_t count) const;

    int Compare(LPCWSTR other) const;
    int CompareNoCase(LPCWSTR other) const;
    bool operator==(LPCWSTR other) const { return Compare(other) == 0; }
    bool operator==(const CMzStr& other) const { return Compare(other.C_Str()) == 0; }
    bool operator!=(LPCWSTR other) const { return Compare(other) != 0; }

private:
    void Reserve(size_t capacity);
    WCHAR* data = nullptr;
    size_t length = 0;
    size_t capacity = 0;
};
