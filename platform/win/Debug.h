// The platform's debug output: a line goes to standard error when MORWICK_DEBUG is set, and always to an
// in-memory log that the automation's "log" command reads and clears. Safe from any thread.
#pragma once

#include "platform/win/WinTypes.h"

#include <string>

void OutputDebugStringW(LPCWSTR text);
// 8-bit text in code page 936.
void OutputDebugStringA(LPCSTR text);

// Everything written since the last call, oldest first; the log is emptied. The log keeps at most the
// newest DEBUG_LOG_LIMIT characters (dropping the oldest quarter when full), so a long run cannot grow it
// without bound.
constexpr size_t DEBUG_LOG_LIMIT = 1 << 20;
std::u16string TakeDebugLog();
std::string TakeDebugLogUtf8();
