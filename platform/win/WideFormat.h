// printf-style formatting with the phone runtime's meaning, for UTF-16 and 8-bit (code page 936) text.
// In a wide format %s is wide text and %S 8-bit text; in an 8-bit format %s is 8-bit text and %S wide text
// (%hs and %ls/%ws name the kind explicitly, likewise %c/%C/%hc/%lc). Integer sizes are the phone's:
// no prefix and l are 32 bits, ll and I64 are 64 bits, I and z are pointer-sized; %p prints the address as
// hexadecimal digits. Floating conversions are %f %e %g %a with their capitals.
//
// Every call is bounded: at most count units are written, the terminator included, so the output is always
// terminated when count > 0. The result is the length of the text when it fits, -1 when it was cut.
#pragma once

#include "platform/win/WinTypes.h"

#include <cstdarg>
#include <cstddef>

int _vsnwprintf(WCHAR* buffer, size_t count, const WCHAR* format, va_list args);
int _snwprintf(WCHAR* buffer, size_t count, const WCHAR* format, ...);
int vswprintf(WCHAR* buffer, size_t count, const WCHAR* format, va_list args);
int swprintf(WCHAR* buffer, size_t count, const WCHAR* format, ...);
// The length the formatted text needs, without the terminator.
int _vscwprintf(const WCHAR* format, va_list args);
int _scwprintf(const WCHAR* format, ...);

int _vsnprintf(char* buffer, size_t count, const char* format, va_list args);
int _snprintf(char* buffer, size_t count, const char* format, ...);
int _vscprintf(const char* format, va_list args);
int _scprintf(const char* format, ...);
