// Window messages known by name.
#pragma once

#include "platform/win/WinTypes.h"

// Messages known by name; the same name gives the same number for the life of the process (0xC000-0xFFFF).
UINT RegisterWindowMessageW(LPCWSTR name);
