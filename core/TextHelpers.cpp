// Free text helpers: conversion, case-insensitive search, parameter texts, versions, bytes and small files.
#include "core/TextHelpers.h"

#include "platform/win/CodePage.h"
#include "platform/win/FileIo.h"
#include "platform/win/ModulePath.h"
#include "platform/win/WideText.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

char FoldAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}

// The "key=" pattern of a parameter text, looked up over the whole text; null when absent.
const char* FindParamKey(const char* text, const char* key, size_t* patternLength)
{
    size_t keyLength = strlen(key);
    size_t textLength = strlen(text);
    if (keyLength + 1 > textLength || textLength > size_t(INT_MAX)) {
        return nullptr;
    }
    // The pattern is compared in two steps, key then "=", so no buffer bounds the key's length.
    const char* p = text;
    const char* end = text + textLength;
    while (size_t(end - p) >= keyLength + 1) {
        const char* hit = StrStrNoCase(p, int(end - p), key);
        if (hit == nullptr) {
            return nullptr;
        }
        if (hit + keyLength < end && hit[keyLength] == '=') {
            *patternLength = keyLength + 1;
            return hit;
        }
        p = hit + 1;
    }
    return nullptr;
}

size_t ValueLength(const char* value)
{
    size_t n = 0;
    while (value[n] != 0 && value[n] != '&' && value[n] != ' ') {
        ++n;
    }
    return n;
}

// Reads one dotted component as a decimal number (atoi-like, saturating) and moves past its ".".
long long NextComponent(const char*& p)
{
    if (*p == 0) {
        return 0;
    }
    long long value = 0;
    bool negative = false;
    const char* q = p;
    while (*q == ' ' || (*q >= '\t' && *q <= '\r')) {
        ++q; // as atoi reads it: a version text with a stray space still compares by its numbers
    }
    if (*q == '-' || *q == '+') {
        negative = *q == '-';
        ++q;
    }
    while (*q >= '0' && *q <= '9') {
        if (value < 1000000000000LL) {
            value = value * 10 + (*q - '0');
        }
        ++q;
    }
    while (*q != 0 && *q != '.') {
        ++q;
    }
    if (*q == '.') {
        ++q;
    }
    p = q;
    return negative ? -value : value;
}

} // namespace

int AnsiToWide(const char* text, WCHAR** result)
{
    if (result == nullptr) {
        return 0;
    }
    *result = nullptr;
    if (text == nullptr) {
        return 0;
    }
    int units = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    if (units <= 0) {
        return 0;
    }
    WCHAR* wide = static_cast<WCHAR*>(malloc(size_t(units) * sizeof(WCHAR)));
    if (wide == nullptr) {
        return 0;
    }
    int written = MultiByteToWideChar(CP_ACP, 0, text, -1, wide, units);
    if (written <= 0) {
        free(wide);
        return 0;
    }
    *result = wide;
    return written;
}

int WideToAnsi(const WCHAR* text, char** result)
{
    if (result == nullptr) {
        return 0;
    }
    *result = nullptr;
    if (text == nullptr) {
        return 0;
    }
    int bytes = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) {
        return 0;
    }
    char* narrow = static_cast<char*>(malloc(size_t(bytes)));
    if (narrow == nullptr) {
        return 0;
    }
    int written = WideCharToMultiByte(CP_ACP, 0, text, -1, narrow, bytes, nullptr, nullptr);
    if (written <= 0) {
        free(narrow);
        return 0;
    }
    *result = narrow;
    return written;
}

std::string WideToAnsiString(const WCHAR* text)
{
    char* narrow = nullptr;
    WideToAnsi(text, &narrow);
    std::string out = narrow != nullptr ? narrow : "";
    free(narrow);
    return out;
}

const char* StrStrNoCase(const char* haystack, int n, const char* needle)
{
    if (haystack == nullptr || needle == nullptr || n < 0) {
        return nullptr;
    }
    size_t needleLength = strlen(needle);
    if (needleLength > size_t(n)) {
        return nullptr;
    }
    for (size_t start = 0; start + needleLength <= size_t(n); ++start) {
        size_t i = 0;
        while (i < needleLength && FoldAscii(haystack[start + i]) == FoldAscii(needle[i])) {
            ++i;
        }
        if (i == needleLength) {
            return haystack + start;
        }
    }
    return nullptr;
}

char* StrStrNoCase(char* haystack, int n, const char* needle)
{
    return const_cast<char*>(StrStrNoCase(static_cast<const char*>(haystack), n, needle));
}

int StrNCmpNoCase(const char* a, const char* b, int n)
{
    if (n <= 0) {
        return 0;
    }
    if (a == nullptr || b == nullptr) {
        return 1;
    }
    for (int i = 0; i < n; ++i) {
        if (FoldAscii(a[i]) != FoldAscii(b[i])) {
            return 1;
        }
        if (a[i] == 0) {
            return 0; // both ended together: nothing further to compare
        }
    }
    return 0;
}

int StrEqualNoCase(const char* a, const char* b)
{
    if (a == nullptr || b == nullptr) {
        return 1;
    }
    size_t n = strlen(a);
    if (strlen(b) != n) {
        return 1;
    }
    for (size_t i = 0; i < n; ++i) {
        if (FoldAscii(a[i]) != FoldAscii(b[i])) {
            return 1;
        }
    }
    return 0;
}

char* GetParamValue(const char* text, const char* key)
{
    if (text == nullptr || key == nullptr) {
        return nullptr;
    }
    size_t patternLength = 0;
    const char* hit = FindParamKey(text, key, &patternLength);
    if (hit == nullptr) {
        return nullptr;
    }
    const char* value = hit + patternLength;
    size_t n = ValueLength(value);
    char* copy = static_cast<char*>(malloc(n + 1));
    if (copy == nullptr) {
        return nullptr;
    }
    memcpy(copy, value, n);
    copy[n] = 0;
    return copy;
}

char* SetParamValue(const char* text, const char* key, const char* value)
{
    if (text == nullptr || key == nullptr) {
        return nullptr;
    }
    if (value == nullptr) {
        value = "";
    }
    size_t textLength = strlen(text);
    size_t keyLength = strlen(key);
    size_t valueLength = strlen(value);
    size_t patternLength = 0;
    const char* hit = FindParamKey(text, key, &patternLength);
    if (hit != nullptr) {
        size_t head = size_t(hit - text) + patternLength;
        size_t oldValue = ValueLength(text + head);
        size_t tail = textLength - head - oldValue;
        char* out = static_cast<char*>(malloc(head + valueLength + tail + 1));
        if (out == nullptr) {
            return nullptr;
        }
        memcpy(out, text, head);
        memcpy(out + head, value, valueLength);
        memcpy(out + head + valueLength, text + head + oldValue, tail);
        out[head + valueLength + tail] = 0;
        return out;
    }
    size_t total = textLength + 1 + keyLength + 1 + valueLength;
    char* out = static_cast<char*>(malloc(total + 1));
    if (out == nullptr) {
        return nullptr;
    }
    char* p = out;
    memcpy(p, text, textLength);
    p += textLength;
    *p++ = '&';
    memcpy(p, key, keyLength);
    p += keyLength;
    *p++ = '=';
    memcpy(p, value, valueLength);
    p[valueLength] = 0;
    return out;
}

int IsDecimalNumber(const char* text)
{
    if (text == nullptr) {
        return 0;
    }
    int dots = 0;
    for (const char* p = text; *p != 0; ++p) {
        if (*p == '.') {
            if (++dots > 1) {
                return 0;
            }
        } else if (*p < '0' || *p > '9') {
            return 0;
        }
    }
    return 1;
}

int IsDigitString(const char* text)
{
    if (text == nullptr) {
        return 0;
    }
    for (const char* p = text; *p != 0; ++p) {
        if (*p < '0' || *p > '9') {
            return 0;
        }
    }
    return 1;
}

DWORD CompareVersion(const char* local, const char* server)
{
    if (local == nullptr) {
        local = "";
    }
    if (server == nullptr) {
        server = "";
    }
    DWORD bits = 0;
    bool localNewer = false;
    for (int i = 0; *local != 0 || *server != 0; ++i) {
        long long l = NextComponent(local);
        long long s = NextComponent(server);
        if (l < s) {
            if (i < 32) {
                bits |= DWORD(1) << i;
            }
        } else if (l > s && (i == 0 || (i == 1 && (bits & 1) == 0))) {
            localNewer = true;
        }
    }
    if (localNewer) {
        bits &= ~DWORD(3);
    }
    return bits;
}

void HexEncode(const BYTE* data, int n, char* out, int upperCase)
{
    if (data == nullptr || out == nullptr) {
        return;
    }
    const char* digits = upperCase != 0 ? "0123456789ABCDEF" : "0123456789abcdef";
    for (int i = 0; i < n; ++i) {
        out[2 * i] = digits[data[i] >> 4];
        out[2 * i + 1] = digits[data[i] & 0x0F];
    }
}

void* CopyBytes(void* dst, const void* src, int n)
{
    if (dst != nullptr && src != nullptr && n >= 1) {
        memmove(dst, src, size_t(n));
    }
    return dst;
}

WORD ReadLE16(const BYTE* p)
{
    return p == nullptr ? 0 : WORD(p[0] | (p[1] << 8));
}

DWORD ReadLE32(const BYTE* p)
{
    return p == nullptr ? 0 : DWORD(p[0]) | (DWORD(p[1]) << 8) | (DWORD(p[2]) << 16) | (DWORD(p[3]) << 24);
}

ULONGLONG ReadLE64(const BYTE* p)
{
    return p == nullptr ? 0 : ULONGLONG(ReadLE32(p)) | (ULONGLONG(ReadLE32(p + 4)) << 32);
}

BOOL GetModuleDirPath(const WCHAR* fileName, WCHAR* out, UINT size)
{
    if (out == nullptr || size == 0) {
        return FALSE;
    }
    std::u16string path = GetProgramDirectory();
    if (fileName != nullptr) {
        path += fileName;
    }
    if (path.size() + 1 > size) {
        out[0] = 0;
        return FALSE;
    }
    memcpy(out, path.c_str(), (path.size() + 1) * sizeof(WCHAR));
    return TRUE;
}

int GetFileSize(const WCHAR* path, UINT* size)
{
    if (path == nullptr) {
        return 0;
    }
    FILE* f = _wfopen(path, u"rb");
    if (f == nullptr) {
        return 0;
    }
    if (size != nullptr) {
        long length = -1;
        if (fseek(f, 0, SEEK_END) == 0) {
            length = ftell(f);
        }
        *size = length < 0 ? 0 : (length > long(UINT_MAX) ? UINT_MAX : UINT(length));
    }
    fclose(f);
    return 1;
}

int ReadWholeFile(const WCHAR* path, BYTE** buffer)
{
    if (buffer == nullptr) {
        return -1;
    }
    *buffer = nullptr;
    if (path == nullptr) {
        return -1;
    }
    FILE* f = _wfopen(path, u"rb");
    if (f == nullptr) {
        return -1;
    }
    long length = -1;
    if (fseek(f, 0, SEEK_END) == 0) {
        length = ftell(f);
    }
    // The size is kept in an int32 by every caller; a larger file is refused rather than cut.
    if (length < 0 || length > long(INT_MAX) - 16 || fseek(f, 0, SEEK_SET) != 0) {
        fclose(f);
        return -1;
    }
    size_t blockSize = 8 * ((size_t(length) + 15) / 8);
    BYTE* data = static_cast<BYTE*>(calloc(blockSize, 1));
    if (data == nullptr) {
        fclose(f);
        return -1;
    }
    size_t got = fread(data, 1, size_t(length), f);
    // A read error is no short file: its callers would take the missing part for absent data and save over it.
    bool failed = got < size_t(length) && ferror(f) != 0;
    fclose(f);
    if (failed) {
        free(data);
        return -1;
    }
    *buffer = data;
    return int(got);
}

std::string GbFromWide(const WCHAR* text)
{
    char* narrow = nullptr;
    WideToAnsi(text != nullptr ? text : u"", &narrow);
    std::string s = narrow != nullptr ? narrow : "";
    free(narrow);
    return s;
}

std::u16string WideFromGb(const char* text)
{
    WCHAR* wide = nullptr;
    AnsiToWide(text != nullptr ? text : "", &wide);
    std::u16string s = wide != nullptr ? wide : u"";
    free(wide);
    return s;
}
