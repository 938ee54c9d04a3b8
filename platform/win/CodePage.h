// Conversion between UTF-16 and the phone's 8-bit code page 936 (GB2312/GBK), or UTF-8.
// The calls keep the shape and buffer rules of MultiByteToWideChar and WideCharToMultiByte:
// a length of -1 means "up to and including the terminator", a destination size of 0 asks for the size
// needed, a destination too small fails with ERROR_INSUFFICIENT_BUFFER.
#pragma once

#include "platform/win/WinTypes.h"

// Bytes that are not valid GBK become U+003F '?'; characters GBK lacks become the default character
// ("?" unless the caller gives another) and set *usedDefaultChar.
int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR src, int srcLength, LPWSTR dst, int dstLength);
int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR src, int srcLength, LPSTR dst, int dstLength,
                        LPCSTR defaultChar, BOOL* usedDefaultChar);
// Closes the calling thread's converters (a later call opens them again). A thread calls it before it says it has
// ended: whoever waited for the end, the process's exit among them, finds them closed.
void ReleaseThreadCodePages();
