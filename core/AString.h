// CAString: the client's 8-bit string in code page 936 (what the server sends and receives).
// The buffer is null until the first assignment; buffers grow to n + 16 bytes and never shrink.
#pragma once

#include "core/TextBuffer.h"
#include "platform/win/WinTypes.h"

#include <cstdarg>
#include <type_traits>

class CAString : public CTextBuffer<char> {
public:
    // What Format passes through "...": numbers, pointers and enumerations.
    template <typename T>
    static constexpr bool FormatArgument =
        std::is_arithmetic_v<T> || std::is_pointer_v<T> || std::is_enum_v<T> || std::is_null_pointer_v<T>;

    CAString() = default;
    CAString(const char* text);
    CAString(const WCHAR* text); // converted to code page 936
    CAString(const CAString& other) = default;
    CAString(CAString&& other) noexcept = default;
    ~CAString() override;

    CAString& operator=(const CAString& other) = default;
    CAString& operator=(CAString&& other) noexcept = default;
    CAString& operator=(const char* text);

    // A null text leaves the string unchanged. Returns the buffer.
    using CTextBuffer::Assign;
    char* Assign(const WCHAR* text);

    using CTextBuffer::Append;
    void Append(const WCHAR* text);

    // All three compare without regard to ASCII case; missing buffers follow CWString's rules.
    BOOL Equals(const CAString& other) const;
    BOOL EqualsNoCase(const char* text) const;
    BOOL NotEqualsNoCase(const char* text) const { return !EqualsNoCase(text); }

    // printf-style with the phone runtime's meaning (%s 8-bit text, %S wide text). Returns the length.
    // Numbers and pointers only, as for CWString::Format (pass GetText(), never a string object).
    template <typename... Args> requires(FormatArgument<Args>&&...) int Format(const char* format, Args... args)
    {
        return FormatArgs(format, args...);
    }
    int FormatV(const char* format, va_list args);

    // Room for n bytes (and a terminator) for direct writing; null when no room can be made.
    char* GetBuffer(int n);

    // Comparing through the text pointer would compare addresses: use the comparison operations instead.
    bool operator==(const CAString&) const = delete;
    bool operator!=(const CAString&) const = delete;
    bool operator==(const char*) const = delete;
    bool operator!=(const char*) const = delete;

private:
    int FormatArgs(const char* format, ...);
};
