// The screen's orientation: the ones it supports, and turning it.
#pragma once

#include "platform/win/WinTypes.h"

// Display orientation.
#define DM_DISPLAYORIENTATION 0x00800000L
#define DM_DISPLAYQUERYORIENTATION 0x01000000L
#define DMDO_0 0
#define DMDO_90 1
#define DMDO_180 2
#define DMDO_270 4
#define CDS_TEST 0x00000002
#define CDS_RESET 0x40000000
#define DISP_CHANGE_SUCCESSFUL 0
#define DISP_CHANGE_RESTART 1
#define DISP_CHANGE_FAILED (-1)
#define DISP_CHANGE_BADMODE (-2)
#define DISP_CHANGE_BADPARAM (-5)

struct DEVMODEW {
    WCHAR dmDeviceName[32];
    WORD dmSpecVersion;
    WORD dmDriverVersion;
    WORD dmSize;
    WORD dmDriverExtra;
    DWORD dmFields;
    SHORT dmOrientation;
    SHORT dmPaperSize;
    SHORT dmPaperLength;
    SHORT dmPaperWidth;
    SHORT dmScale;
    SHORT dmCopies;
    SHORT dmDefaultSource;
    SHORT dmPrintQuality;
    SHORT dmColor;
    SHORT dmDuplex;
    SHORT dmYResolution;
    SHORT dmTTOption;
    SHORT dmCollate;
    WCHAR dmFormName[32];
    WORD dmLogPixels;
    DWORD dmBitsPerPel;
    DWORD dmPelsWidth;
    DWORD dmPelsHeight;
    DWORD dmDisplayFlags;
    DWORD dmDisplayFrequency;
    DWORD dmDisplayOrientation;
};

// With CDS_TEST and DM_DISPLAYQUERYORIENTATION: succeeds and reports the orientations the screen supports
// (DMDO_0 | DMDO_90 | DMDO_180 | DMDO_270) in dmDisplayOrientation. With DM_DISPLAYORIENTATION: turns the screen
// (DMDO_90 and DMDO_270 portrait 480 x 720, DMDO_0 and DMDO_180 landscape 720 x 480).
LONG ChangeDisplaySettingsEx(LPCWSTR deviceName, DEVMODEW* mode, HWND window, DWORD flags, LPVOID param);
