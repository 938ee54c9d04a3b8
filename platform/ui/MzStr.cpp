// The class library's wide string.
#include "platform/ui/MzStr.h"

#include "platform/win/SecureMemory.h"
#include "platform/win/WideText.h"

#include <cstdlib>
#include <cstring>
#include <utility>

namespace {

// Every buffer goes wiped: an edit's text may be a password, and freed memory keeps what it held.
void FreeWiped(WCHAR* data, size_t capacity) {
    if (data) SecureZeroMemory(data, capacity * sizeof(WCHAR));
    free(data);
}

} // namespace

CMzStr::CMzStr() = default;

CMzStr::CMzStr(LPCWSTR text) { *this = text; }

CMzStr::CMzStr(LPCWSTR text, size_t length) { SetString(text, length); }

CMzStr::CMzStr(const CMzStr& other) { SetString(other.C_Str(), other.length_); }

CMzStr::CMzStr(CMzStr&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)), length_(std::exchange(other.length_, 0)),
      capacity_(std::exchange(other.capacity_, 0)) {}

CMzStr::~CMzStr() { FreeWiped(data_, capacity_); }

CMzStr& CMzStr::operator=(const CMzStr& other) {
    if (this != &other) SetString(other.C_Str(), other.length_);
    return *this;
}

CMzStr& CMzStr::operator=(CMzStr&& other) noexcept {
    if (this != &other) {
        FreeWiped(data_, capacity_);
        data_ = std::exchange(other.data_, nullptr);
        length_ = std::exchange(other.length_, 0);
        capacity_ = std::exchange(other.capacity_, 0);
    }
    return *this;
}

CMzStr& CMzStr::operator=(LPCWSTR text) {
    SetString(text, text ? wcslen(text) : 0);
    return *this;
}

void CMzStr::SetString(LPCWSTR text, size_t length) {
    size_t n = text ? wcsnlen(text, length) : 0;
    if (text && data_ && text >= data_ && text < data_ + capacity_) { // a part of itself
        memmove(data_, text, n * sizeof(WCHAR));
        data_[n] = 0;
        length_ = n;
        return;
    }
    Reserve(n);
    if (n) memcpy(data_, text, n * sizeof(WCHAR));
    if (data_) data_[n] = 0;
    length_ = n;
}

void CMzStr::Reserve(size_t capacity) {
    if (data_ && capacity < capacity_) return;
    size_t want = capacity_ ? capacity_ : 16;
    while (want <= capacity) want *= 2;
    // A new buffer rather than realloc, so the old one is wiped before it goes.
    WCHAR* grown = static_cast<WCHAR*>(malloc(want * sizeof(WCHAR)));
    if (!grown) abort();
    if (data_) memcpy(grown, data_, (length_ + 1) * sizeof(WCHAR));
    else grown[0] = 0;
    FreeWiped(data_, capacity_);
    data_ = grown;
    capacity_ = want;
}

CMzStr& CMzStr::operator+=(LPCWSTR text) {
    if (!text) return *this;
    size_t n = wcslen(text);
    if (n == 0) return *this;
    CMzStr copy(text, n); // text may live in this string's buffer
    Reserve(length_ + n);
    memcpy(data_ + length_, copy.C_Str(), n * sizeof(WCHAR));
    length_ += n;
    data_[length_] = 0;
    return *this;
}

CMzStr& CMzStr::operator+=(WCHAR ch) {
    Insert(length_, ch);
    return *this;
}

void CMzStr::Clear() {
    length_ = 0;
    if (data_) data_[0] = 0;
}

void CMzStr::Wipe() {
    if (data_) SecureZeroMemory(data_, capacity_ * sizeof(WCHAR));
    length_ = 0;
}

void CMzStr::RemoveLast() {
    if (length_) data_[--length_] = 0;
}

void CMzStr::Insert(size_t at, WCHAR ch) {
    if (at > length_) at = length_;
    Reserve(length_ + 1);
    memmove(data_ + at + 1, data_ + at, (length_ - at) * sizeof(WCHAR));
    data_[at] = ch;
    data_[++length_] = 0;
}

void CMzStr::Erase(size_t at, size_t count) {
    if (at >= length_) return;
    if (count > length_ - at) count = length_ - at;
    memmove(data_ + at, data_ + at + count, (length_ - at - count) * sizeof(WCHAR));
    memset(data_ + length_ - count, 0, count * sizeof(WCHAR)); // no stale units past the end
    length_ -= count;
}

CMzStr CMzStr::SubStr(size_t at, size_t count) const {
    if (at >= length_) return CMzStr();
    return CMzStr(data_ + at, count);
}

int CMzStr::Compare(LPCWSTR other) const { return wcscmp(C_Str(), other ? other : u""); }

int CMzStr::CompareNoCase(LPCWSTR other) const { return _wcsicmp(C_Str(), other ? other : u""); }
