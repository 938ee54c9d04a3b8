// A small telephony interface in the shape of TAPI 2: the phone's lines, their capabilities with the size
// negotiation of variable-length records, and the cellular line's general information (serial and subscriber
// numbers). The lines come from the phone profile (PhoneProfile.h): a dial-up modem line always, and
// "Cellular Line" when the phone has one.
#pragma once

#include "platform/win/WinTypes.h"

struct HLINEAPP__;
typedef HLINEAPP__* HLINEAPP;
typedef HLINEAPP* LPHLINEAPP;
struct HLINE__;
typedef HLINE__* HLINE;
typedef HLINE* LPHLINE;

typedef void (*LINECALLBACK)(DWORD device, DWORD message, DWORD_PTR instance, DWORD_PTR param1, DWORD_PTR param2,
                             DWORD_PTR param3);

#define LINEERR_ALLOCATED 0x80000001
#define LINEERR_BADDEVICEID 0x80000002
#define LINEERR_INCOMPATIBLEAPIVERSION 0x8000000C
#define LINEERR_INCOMPATIBLEEXTVERSION 0x8000000D
#define LINEERR_INVALAPPHANDLE 0x80000015
#define LINEERR_INVALLINEHANDLE 0x8000002B
#define LINEERR_INVALPARAM 0x80000032
#define LINEERR_INVALPOINTER 0x80000035
#define LINEERR_INVALPRIVSELECT 0x80000036
#define LINEERR_NODEVICE 0x80000044
#define LINEERR_OPERATIONFAILED 0x80000048
#define LINEERR_OPERATIONUNAVAIL 0x80000049
#define LINEERR_STRUCTURETOOSMALL 0x8000004D

#define LINEINITIALIZEEXOPTION_USEHIDDENWINDOW 0x00000001
#define LINEINITIALIZEEXOPTION_USEEVENT 0x00000002
#define LINECALLPRIVILEGE_NONE 0x00000001
#define LINECALLPRIVILEGE_MONITOR 0x00000002
#define LINECALLPRIVILEGE_OWNER 0x00000004
#define LINEMEDIAMODE_INTERACTIVEVOICE 0x00000004
#define LINEMEDIAMODE_DATAMODEM 0x00000010
#define STRINGFORMAT_UNICODE 0x00000003

// The versions this interface speaks.
#define TAPI_LOWEST_API_VERSION 0x00010003
#define TAPI_CURRENT_API_VERSION 0x00020000
#define CELLULAR_EXT_VERSION 0x00010000

struct LINEINITIALIZEEXPARAMS {
    DWORD dwTotalSize;
    DWORD dwNeededSize;
    DWORD dwUsedSize;
    DWORD dwOptions;
    HANDLE hEvent; // the notification event (none is delivered here)
    DWORD dwCompletionKey;
};
typedef LINEINITIALIZEEXPARAMS* LPLINEINITIALIZEEXPARAMS;

struct LINEEXTENSIONID {
    DWORD dwExtensionID0;
    DWORD dwExtensionID1;
    DWORD dwExtensionID2;
    DWORD dwExtensionID3;
};
typedef LINEEXTENSIONID* LPLINEEXTENSIONID;

// Fixed part of a line's capabilities; the texts follow it inside the caller's record, found by offset
// (bytes from the start of the record) and size (bytes, with the terminator).
struct LINEDEVCAPS {
    DWORD dwTotalSize;
    DWORD dwNeededSize;
    DWORD dwUsedSize;
    DWORD dwProviderInfoSize;
    DWORD dwProviderInfoOffset;
    DWORD dwSwitchInfoSize;
    DWORD dwSwitchInfoOffset;
    DWORD dwPermanentLineID;
    DWORD dwLineNameSize;
    DWORD dwLineNameOffset;
    DWORD dwStringFormat;
    DWORD dwAddressModes;
    DWORD dwNumAddresses;
    DWORD dwBearerModes;
    DWORD dwMaxRate;
    DWORD dwMediaModes;
};
typedef LINEDEVCAPS* LPLINEDEVCAPS;

// The cellular line's general information (52 bytes), texts after it as in LINEDEVCAPS.
struct LINEGENERALINFO {
    DWORD dwTotalSize;
    DWORD dwNeededSize;
    DWORD dwUsedSize;
    DWORD dwManufacturerSize;
    DWORD dwManufacturerOffset;
    DWORD dwModelSize;
    DWORD dwModelOffset;
    DWORD dwRevisionSize;
    DWORD dwRevisionOffset;
    DWORD dwSerialNumberSize;
    DWORD dwSerialNumberOffset;
    DWORD dwSubscriberNumberSize;
    DWORD dwSubscriberNumberOffset;
};
typedef LINEGENERALINFO* LPLINEGENERALINFO;

struct LINECALLPARAMS;
typedef LINECALLPARAMS* LPLINECALLPARAMS;

// All calls return 0 on success or a LINEERR_ value.
LONG lineInitializeEx(LPHLINEAPP lineApp, HINSTANCE instance, LINECALLBACK callback, LPCWSTR appName,
                      LPDWORD deviceCount, LPDWORD apiVersion, LPLINEINITIALIZEEXPARAMS params);
LONG lineShutdown(HLINEAPP lineApp);
LONG lineNegotiateAPIVersion(HLINEAPP lineApp, DWORD deviceId, DWORD apiLowVersion, DWORD apiHighVersion,
                             LPDWORD apiVersion, LPLINEEXTENSIONID extensionId);
// A record too small for the fixed part fails with LINEERR_STRUCTURETOOSMALL. Otherwise the fixed part is
// filled and dwNeededSize tells the whole size; the texts are added only when dwTotalSize holds them.
LONG lineGetDevCaps(HLINEAPP lineApp, DWORD deviceId, DWORD apiVersion, DWORD extVersion, LPLINEDEVCAPS caps);
LONG lineOpen(HLINEAPP lineApp, DWORD deviceId, LPHLINE line, DWORD apiVersion, DWORD extVersion,
              DWORD_PTR callbackInstance, DWORD privileges, DWORD mediaModes, LPLINECALLPARAMS callParams);
LONG lineNegotiateExtVersion(HLINEAPP lineApp, DWORD deviceId, DWORD apiVersion, DWORD extLowVersion,
                             DWORD extHighVersion, LPDWORD extVersion);
LONG lineClose(HLINE line);
// The cellular extension: same size rules as lineGetDevCaps. Lines other than the cellular one give
// LINEERR_OPERATIONUNAVAIL.
LONG lineGetGeneralInfo(HLINE line, LPLINEGENERALINFO info);
