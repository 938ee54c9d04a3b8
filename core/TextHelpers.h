// Free text helpers used all over the client: code page conversion, ASCII case-insensitive search, parameter
// texts "key=value&key=value", version comparison, hexadecimal output, little-endian reads and small file helpers.
// Texts returned in new memory come from malloc; the caller frees them with free.
#pragma once

#include "platform/win/WinTypes.h"

#include <string>

// 8-bit text (code page 936) to a new UTF-16 text; returns the units written including the terminator,
// 0 (and a null result) for a null text or a failed conversion.
int AnsiToWide(const char* text, WCHAR** result);
// UTF-16 to a new 8-bit text; characters without a mapping become "?". Returns the bytes including the
// terminator, 0 (and a null result) for a null text or a failed conversion.
int WideToAnsi(const WCHAR* text, char** result);

// First place within the first n bytes of haystack (which need not be terminated) where needle occurs in full,
// ASCII letters compared without case; null when absent or when needle is longer than n.
const char* StrStrNoCase(const char* haystack, int n, const char* needle);
char* StrStrNoCase(char* haystack, int n, const char* needle);
// 0 when the first n bytes are equal without regard to ASCII case, 1 otherwise.
int StrNCmpNoCase(const char* a, const char* b, int n);
// 0 when both texts exist, have the same length and are equal without regard to ASCII case; 1 otherwise.
int StrEqualNoCase(const char* a, const char* b);

// Parameter texts. The key is looked up as "key=" anywhere in the text, the first occurrence counting even
// inside a longer key ("code=" matches in "stkcode="); a value ends at "&", space or the end of the text.
// Null for a null text or key, or when the key is absent.
char* GetParamValue(const char* text, const char* key);
// A new text with key's value replaced, or with "&key=value" appended when the key is absent.
// Null when text or key is null; a null value counts as "".
char* SetParamValue(const char* text, const char* key, const char* value);

// 1 when every character is a digit or "." with at most one "."; "" is a number, null is not.
int IsDecimalNumber(const char* text);
// 1 when every character is a digit ("" included); null gives 0.
int IsDigitString(const char* text);
// Bit i set: the local version is lower than the server's in dotted component i. A local version that is
// newer in its first component, or in its second while the first did not ask for an update, clears bits 0 and 1.
DWORD CompareVersion(const char* local, const char* server);
// Writes 2n hexadecimal digits (high half of each byte first), no terminator.
void HexEncode(const BYTE* data, int n, char* out, int upperCase);

// Copies n bytes; nothing for a null pointer or n below 1. Returns dst.
void* CopyBytes(void* dst, const void* src, int n);
// Unsigned little-endian values at any alignment; 0 for a null pointer.
WORD ReadLE16(const BYTE* p);
DWORD ReadLE32(const BYTE* p);
ULONGLONG ReadLE64(const BYTE* p);

// out = the program directory with its final separator, then fileName when given. Writes at most size units
// (terminator included); FALSE, with out emptied when it has room, when the path does not fit.
BOOL GetModuleDirPath(const WCHAR* fileName, WCHAR* out, UINT size);
// 1 when the file opens for binary reading, with its size in bytes when size is not null; 0 otherwise.
int GetFileSize(const WCHAR* path, UINT* size);
// Reads a whole file into a new buffer of 8 * floor((size + 15) / 8) bytes (at least 8 bytes more than the file,
// whole 8-byte blocks, zeros after the content). Returns the bytes read, or -1 (null buffer) when the file does
// not open, is too large or cannot be read.
int ReadWholeFile(const WCHAR* path, BYTE** buffer);

// The same conversions for C++ strings: the GB2312 form of a UTF-16 text and the UTF-16 form of a GB2312 text
// ("" for null or when the conversion fails).
std::string GbFromWide(const WCHAR* text);
std::u16string WideFromGb(const char* text);
