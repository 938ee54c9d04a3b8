// CAString: the client's 8-bit string in code page 936 (what the server sends and receives).
// The buffer is null until the first assignment; buffers grow to n + 16 bytes and never shrink.
#pragma once

#include "platform/win/WinTypes.h"

#include <cstdarg>
#include <type_traits>

class CAString {
public:
    // What Format passes through "...": numbers, pointers and enumerations.
    template <typename T>
    static constexpr bool FormatArgument =
        std::is_arithmetic_v<T> || std::is_pointer_v<T> || std::is_enum_v<T> || std::is_null_pointer_v<T>;

    CAString() = default;
    CAString(const char* text);
    CAString(const WCHAR* text);  // converted to code page 936
    CAString(const CAString& other);
    CAString(CAString&& other) noexcept;
    virtual ~CAString();

    CAString& operator=(const CAString& other);
    CAString& operator=(CAString&& other) noexcept;
    CAString& operator=(const char* text);

    // A null text leaves the string unchanged. Returns the buffer.
    char* Assign(const char* text);
    char* Assign(const CAString& other);
    char* Assign(const WCHAR* text);

    void Append(const char* text);
    void Append(const WCHAR* text);
    void Append(char c);

    // All three compare without regard to ASCII case; missing buffers follow CWString's rules.
    BOOL Equals(const CAString& other) const;
    BOOL EqualsNoCase(const char* text) const;
    BOOL NotEqualsNoCase(const char* text) const { return !EqualsNoCase(text); }

    // printf-style with the phone runtime's meaning (%s 8-bit text, %S wide text). Returns the length.
    // Numbers and pointers only, as for CWString::Format (pass GetText(), never a string object).
    template <typename... Args>
        requires(FormatArgument<Args> && ...)
    int Format(const char* format, Args... args) {
        return FormatArgs(format, args...);
    }
    int FormatV(const char* format, va_list args);

    // Room for n bytes (and a terminator) for direct writing; null when no room can be made.
    char* GetBuffer(int n);
    // Length n after direct writing (-1: up to the terminator), kept inside the buffer with its terminator.
    void ReleaseBuffer(int n = -1);

    char GetAt(int index) const;
    // Byte index of the first occurrence at or after start (negative start counts as 0), -1 when absent.
    int Find(const char* text, int start = 0) const;

    const char* GetData() const { return buffer; }
    const char* GetText() const { return buffer != nullptr ? buffer : ""; }
    operator const char*() const { return GetText(); }
    UINT GetLength() const { return length; }
    UINT GetCapacity() const { return capacity; }
    BOOL IsEmpty() const { return length == 0; }

    BOOL Reserve(UINT n);

    // Comparing through the text pointer would compare addresses: use the comparison operations instead.
    bool operator==(const CAString&) const = delete;
    bool operator!=(const CAString&) const = delete;
    bool operator==(const char*) const = delete;
    bool operator!=(const char*) const = delete;

private:
    int FormatArgs(const char* format, ...);
    void SetText(const char* text, UINT n);

    char* buffer = nullptr;
    UINT length = 0;
    UINT capacity = 0;
};
