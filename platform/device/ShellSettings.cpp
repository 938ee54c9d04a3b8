// The shell's settings, read from the registry at each call so that a change shows at once.
#include "platform/device/ShellSettings.h"

#include "platform/device/Registry.h"

#include <cstring>

BOOL IsAppAnimationOn(int)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"Software\\Ruvav\\", 0, 0, &key) != ERROR_SUCCESS)
        return FALSE;
    DWORD type = 0, value = 0, size = sizeof value;
    LONG r = RegQueryValueExW(key, u"AppStartAnimation", nullptr, &type, (LPBYTE)&value, &size);
    RegCloseKey(key);
    return r == ERROR_SUCCESS && type == REG_DWORD && value == 1 ? TRUE : FALSE;
}

BOOL IsFlyMode()
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, u"ControlPanel\\Setting\\FlyMode", 0, 0, &key) != ERROR_SUCCESS)
        return FALSE;
    BYTE data[64] = {};
    DWORD type = 0, size = sizeof data - 2;
    LONG r = RegQueryValueExW(key, u"FlyModeFlag", nullptr, &type, data, &size);
    RegCloseKey(key);
    if (r != ERROR_SUCCESS)
        return FALSE;
    if (type == REG_DWORD && size == 4) {
        DWORD v;
        std::memcpy(&v, data, 4);
        return v != 0 ? TRUE : FALSE;
    }
    // A text value "1" means on as well.
    return type == REG_SZ && size >= 2 && data[0] == '1' && data[1] == 0 ? TRUE : FALSE;
}
