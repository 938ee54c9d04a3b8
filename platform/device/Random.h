// The strong random source of the operating system (for session keys and other secrets).
#pragma once

#include "platform/win/WinTypes.h"

// Fills buffer with length unpredictable bytes; FALSE (buffer unspecified) only when the system refuses.
BOOL CeGenRandom(DWORD length, BYTE* buffer);
