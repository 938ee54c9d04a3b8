// CWString: the client's UTF-16 string (what windows and controls show).
// The buffer is null until the first assignment; buffers grow to n + 16 units and never shrink.
#pragma once

#include "core/TextBuffer.h"
#include "platform/win/WinTypes.h"

#include <cstdarg>
#include <type_traits>

class CWString : public CTextBuffer<WCHAR> {
public:
    // What Format passes through "...": numbers, pointers and enumerations.
    template <typename T>
    static constexpr bool FormatArgument =
        std::is_arithmetic_v<T> || std::is_pointer_v<T> || std::is_enum_v<T> || std::is_null_pointer_v<T>;

    CWString() = default;
    CWString(const WCHAR* text);
    CWString(const char* text); // 8-bit text (code page 936), converted
    CWString(const CWString& other) = default;
    CWString(CWString&& other) noexcept = default;
    ~CWString() override;

    CWString& operator=(const CWString& other) = default;
    CWString& operator=(CWString&& other) noexcept = default;
    CWString& operator=(const WCHAR* text);

    // A null text leaves the string unchanged. Returns the buffer.
    using CTextBuffer::Assign;
    WCHAR* Assign(const char* text);

    // Without a buffer yet these assign; a null text changes nothing.
    using CTextBuffer::Append;
    void Append(const char* text);
    CWString Concat(const WCHAR* text) const;
    CWString Concat(const CWString& other) const;

    // Case-insensitive. A string without buffer equals null and "" (and any string of length 0);
    // a string with a buffer never equals null, and equals another string only when that one has a buffer.
    BOOL EqualsNoCase(const WCHAR* text) const;
    BOOL EqualsNoCase(const CWString& other) const;

    CWString Left(int n) const;
    CWString Right(int n) const;
    // count -1 (or reaching past the end) takes the rest; a start at or past the end gives "".
    CWString Mid(int start, int count = -1) const;

    // Room for n characters and a terminator, for direct writing; null when no room can be made.
    WCHAR* GetBuffer(int n);

    // printf-style with the wide meaning (%s wide text, %S 8-bit text). Returns the length.
    // Arguments are numbers and pointers only: a string object passed through "..." would print its
    // insides, so it is refused at compile time (pass GetText()).
    template <typename... Args> requires(FormatArgument<Args>&&...) int Format(const WCHAR* format, Args... args)
    {
        return FormatArgs(format, args...);
    }
    int FormatV(const WCHAR* format, va_list args);

    using CTextBuffer::Find;
    int Find(WCHAR c, int start = 0) const;

    // Spaces (0x20) only.
    void TrimLeft();
    void TrimRight();
    // ASCII letters only.
    void MakeUpper();
    // Replaces every occurrence, left to right, continuing after each inserted text; returns the count.
    // Refuses (0, nothing changed) when the new text contains the old one.
    int Replace(const WCHAR* oldText, const WCHAR* newText);
    // A null text is never contained; without case sensitivity ASCII letters are folded.
    BOOL Contains(const WCHAR* text, BOOL caseSensitive) const;

    // Comparing through the text pointer would compare addresses: use the comparison operations instead.
    bool operator==(const CWString&) const = delete;
    bool operator!=(const CWString&) const = delete;
    bool operator==(const WCHAR*) const = delete;
    bool operator!=(const WCHAR*) const = delete;

private:
    int FormatArgs(const WCHAR* format, ...);
};
