// The C runtime's wide-text functions for UTF-16 (char16_t) text, as the phone's runtime has them.
// They overload the Linux wchar_t ones by argument type, so a u"" literal always lands here.
#pragma once

#include "platform/win/WinTypes.h"

size_t wcslen(const WCHAR* s);
size_t wcsnlen(const WCHAR* s, size_t maxCount);
WCHAR* wcscpy(WCHAR* dst, const WCHAR* src);
// Copies at most count characters and pads with zeros; no terminator when src is count long or longer.
WCHAR* wcsncpy(WCHAR* dst, const WCHAR* src, size_t count);
WCHAR* wcscat(WCHAR* dst, const WCHAR* src);
WCHAR* wcsncat(WCHAR* dst, const WCHAR* src, size_t count);
int wcscmp(const WCHAR* a, const WCHAR* b);
int wcsncmp(const WCHAR* a, const WCHAR* b, size_t count);
// Case-insensitive for the Latin letters (ASCII and full-width), as the client's keys need.
int _wcsicmp(const WCHAR* a, const WCHAR* b);
int _wcsnicmp(const WCHAR* a, const WCHAR* b, size_t count);
WCHAR* wcschr(const WCHAR* s, WCHAR c);
WCHAR* wcsrchr(const WCHAR* s, WCHAR c);
WCHAR* wcsstr(const WCHAR* s, const WCHAR* find);
WCHAR towupper(WCHAR c);
WCHAR towlower(WCHAR c);
int iswdigit(WCHAR c);
int iswspace(WCHAR c);
// Decimal parse as _wtoi: leading blanks, optional sign, digits; stops at the first other character.
// Saturates at the type's limits instead of overflowing.
int _wtoi(const WCHAR* s);
long long _wtoi64(const WCHAR* s);
long _wtol(const WCHAR* s);
double _wtof(const WCHAR* s);
// Writes a signed decimal number; returns dst.
WCHAR* _itow(int value, WCHAR* dst, int radix);
