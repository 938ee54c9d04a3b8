// CTextBuffer: what the client's two strings share (CAString over char in code page 936, CWString over UTF-16
// WCHAR): the buffer is null until the first assignment, grows to n + 16 units and never shrinks; assigning or
// appending the string's own text is safe; a null text changes nothing.
#pragma once

#include "platform/win/WinTypes.h"

template <typename Ch> class CTextBuffer {
public:
    // Buffers stay far below what a 32-bit length can count, in bytes too.
    static constexpr UINT MOST_UNITS = sizeof(Ch) == 1 ? 0x7FFFFFF0u : 0x3FFFFFF0u;

    CTextBuffer() = default;
    CTextBuffer(const CTextBuffer& other);
    CTextBuffer(CTextBuffer&& other) noexcept;
    virtual ~CTextBuffer();

    // Value copies (no buffer copies as no buffer).
    CTextBuffer& operator=(const CTextBuffer& other);
    CTextBuffer& operator=(CTextBuffer&& other) noexcept;

    // Returns the buffer.
    Ch* Assign(const Ch* text);
    Ch* Assign(const CTextBuffer& other);
    // Without a buffer yet these assign.
    void Append(const Ch* text);
    void Append(Ch c);

    // Length n after direct writing (-1: up to the terminator), kept inside the buffer with its terminator.
    void ReleaseBuffer(int n = -1);

    // The unit at index, 0 past the end.
    Ch GetAt(int index) const;
    // Index of the first occurrence at or after start (negative start counts as 0), -1 when absent.
    int Find(const Ch* text, int start = 0) const;

    // Null until the first assignment.
    const Ch* GetData() const { return buffer; }
    // Never null: "" without a buffer.
    const Ch* GetText() const { return buffer != nullptr ? buffer : EMPTY; }
    operator const Ch*() const { return GetText(); }
    UINT GetLength() const { return length; }
    UINT GetCapacity() const { return capacity; }
    BOOL IsEmpty() const { return length == 0; }

    // Ensures room for n units and a terminator.
    BOOL Reserve(UINT n);

protected:
    void SetText(const Ch* text, UINT n);

    Ch* buffer = nullptr;
    UINT length = 0;
    UINT capacity = 0;

private:
    static constexpr Ch EMPTY[1] = {0};
};

extern template class CTextBuffer<char>;
extern template class CTextBuffer<WCHAR>;
