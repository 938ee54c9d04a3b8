// The data connection as the client sees it: always up on this host, except while the phone's flight-mode
// flag is set in the registry, which the flag is read from on every call so a change shows at once.
#include "platform/device/CallInterface.h"

#include "platform/device/Registry.h"
#include "platform/win/LastError.h"

bool IsFlightModeOn()
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, u"ControlPanel\\Setting\\FlyMode", 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return false;
    }
    // The shell keeps the flag as a number; a text "1" is taken the same way.
    BYTE data[64] = {};
    DWORD type = REG_NONE;
    DWORD size = sizeof(data);
    LONG rc = RegQueryValueExW(key, u"FlyModeFlag", nullptr, &type, data, &size);
    RegCloseKey(key);
    if (rc != ERROR_SUCCESS) {
        return false;
    }
    if (type == REG_DWORD && size >= 4) {
        DWORD value = (DWORD)data[0] | ((DWORD)data[1] << 8) | ((DWORD)data[2] << 16) | ((DWORD)data[3] << 24);
        return value != 0;
    }
    if (type == REG_SZ && size >= 2) {
        WCHAR first = (WCHAR)(data[0] | (data[1] << 8));
        return first >= u'1' && first <= u'9';
    }
    return false;
}

int QueryNetWorkStatus()
{
    return IsFlightModeOn() ? NETWORK_STATUS_NONE : NETWORK_STATUS_CONNECTED;
}

int Dial_StartGprsConnect2(HWND, DWORD)
{
    return IsFlightModeOn() ? 0 : 1;
}
