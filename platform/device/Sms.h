// The phone's text-message service in the shape of its SMS library: open for sending, send, close.
// Each message sent is appended with its recipient to "outbox.txt" of the device directory, one line each:
// recipient, a tab, its address type ("national", "international", ...), a tab, the text (UTF-8; "\\", "\n",
// "\r" and "\t" written as backslash escapes).
// When the phone profile says "sms_sending=fails", every send is refused.
#pragma once

#include "platform/win/Time.h"
#include "platform/win/WinTypes.h"

#include <string>

typedef LONG HRESULT;
struct SMS_HANDLE__;
typedef SMS_HANDLE__* SMS_HANDLE;
typedef ULONGLONG SMS_MESSAGE_ID;

#ifndef S_OK
#define S_OK ((HRESULT)0)
#endif
#ifndef E_FAIL
#define E_FAIL ((HRESULT)0x80004005)
#endif
#ifndef E_INVALIDARG
#define E_INVALIDARG ((HRESULT)0x80070057)
#endif
#define SMS_E_INVALIDPROTOCOL ((HRESULT)0x82000101)
#define SMS_E_INVALIDHANDLE ((HRESULT)0x82000102)
#define SMS_E_SENDFAILED ((HRESULT)0x82000103)

#define SMS_MODE_RECEIVE 1
#define SMS_MODE_SEND 2
#define SMS_MAX_ADDRESS_LENGTH 256
#define SMS_TEXT_PROTOCOL u"Microsoft Text SMS Protocol"

enum SMS_ADDRESS_TYPE {
    SMSAT_UNKNOWN = 0,
    SMSAT_INTERNATIONAL,
    SMSAT_NATIONAL,
    SMSAT_NETWORKSPECIFIC,
    SMSAT_SUBSCRIBER,
    SMSAT_ALPHANUMERIC,
    SMSAT_ABBREVIATED
};
enum SMS_DATA_ENCODING { SMSDE_OPTIMAL = 0, SMSDE_GSM, SMSDE_UCS2 };
enum PROVIDER_SPECIFIC_MESSAGE_CLASS { PS_MESSAGE_CLASS0 = 0, PS_MESSAGE_CLASS1, PS_MESSAGE_CLASS2, PS_MESSAGE_CLASS3 };
enum PROVIDER_SPECIFIC_REPLACE_OPTION { PSRO_NONE = 0, PSRO_REPLACE_TYPE1 };

struct SMS_ADDRESS {
    SMS_ADDRESS_TYPE smsatAddressType;
    WCHAR ptsAddress[SMS_MAX_ADDRESS_LENGTH];
};

// Provider data of the text protocol.
struct TEXT_PROVIDER_SPECIFIC_DATA {
    DWORD dwMessageOptions;
    PROVIDER_SPECIFIC_MESSAGE_CLASS psMessageClass;
    PROVIDER_SPECIFIC_REPLACE_OPTION psReplaceOption;
    DWORD dwHeaderDataSize;
    BYTE pbHeaderData[140];
    BOOL fMessageContainsEMSHeaders;
    DWORD dwProtocolID;
};

// Negative results are failures.
HRESULT SmsOpen(LPCWSTR protocol, DWORD modes, SMS_HANDLE* handle, HANDLE* messageAvailableEvent);
// data: the text; UTF-16 (little-endian, no terminator) for SMSDE_OPTIMAL and SMSDE_UCS2, 8-bit code page 936
// for SMSDE_GSM.
HRESULT SmsSendMessage(SMS_HANDLE handle, const SMS_ADDRESS* serviceCentre, const SMS_ADDRESS* destination,
                       const SYSTEMTIME* validityPeriod, const BYTE* data, DWORD dataSize, const BYTE* providerData,
                       DWORD providerDataSize, SMS_DATA_ENCODING encoding, DWORD options, SMS_MESSAGE_ID* messageId);
HRESULT SmsClose(SMS_HANDLE handle);

// The outbox's path in on-disk form, for tests and automation.
std::string SmsOutboxPath();
