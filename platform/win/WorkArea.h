// The work area the client's windows fill.
#pragma once

#include "platform/win/WinTypes.h"

// SystemParametersInfoW: the work area is the screen below the status strip.
#define SPI_GETWORKAREA 0x0030
BOOL SystemParametersInfoW(UINT action, UINT param, LPVOID data, UINT winIni);
