// CPhoneLineInfo: the two identifiers of the phone's cellular line (serial number and subscriber number),
// read through the telephony interface. The application data object uses them as the device identifiers.
#pragma once

#include "platform/device/Tapi.h"
#include "platform/win/WinTypes.h"

#include <string>

class CPhoneLineInfo {
public:
    enum { INFO_SERIAL_NUMBER = 0, INFO_SUBSCRIBER_NUMBER = 1 };

    CPhoneLineInfo();
    virtual ~CPhoneLineInfo();
    CPhoneLineInfo(const CPhoneLineInfo&) = delete;
    CPhoneLineInfo& operator=(const CPhoneLineInfo&) = delete;

    // 1 when the line named "Cellular Line" is open; 0 with everything opened so far closed again.
    int Open();
    // which 0 = serial number, 1 = subscriber number: a text owned by the object, "" when it cannot be read
    // or the field is absent.
    const WCHAR* GetInfo(int which);

private:
    // The last device whose line name is exactly the given text, or -1.
    DWORD FindDevice(const WCHAR* lineName);
    bool ReadGeneralInfo();
    void Close();

    DWORD deviceCount;
    DWORD apiVersion;
    HLINEAPP lineApp;
    HLINE line;
    DWORD extVersion;
    DWORD deviceId;
    LINEGENERALINFO* generalInfo; // malloc'ed, its dwTotalSize bytes
    std::u16string infoText[2];
};
