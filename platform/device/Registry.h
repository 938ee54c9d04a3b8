// The phone's registry: keys under HKEY_CLASSES_ROOT, HKEY_CURRENT_USER and HKEY_LOCAL_MACHINE holding named
// values (REG_SZ as UTF-16 with its terminator, REG_DWORD, REG_BINARY), with the buffer rules of the real
// calls. Everything lives in one file, "registry.dat" of the device directory, rewritten atomically on every
// change so a crash never loses a value. Safe from any thread. Key and value names ignore ASCII case.
#pragma once

#include "platform/win/LastError.h"
#include "platform/win/WinTypes.h"

typedef DWORD REGSAM;
typedef HKEY* PHKEY;

#define HKEY_CLASSES_ROOT ((HKEY)(uintptr_t)0x80000000)
#define HKEY_CURRENT_USER ((HKEY)(uintptr_t)0x80000001)
#define HKEY_LOCAL_MACHINE ((HKEY)(uintptr_t)0x80000002)

#define REG_NONE 0
#define REG_SZ 1
#define REG_BINARY 3
#define REG_DWORD 4

#define REG_OPTION_NON_VOLATILE 0x00000000
#define REG_CREATED_NEW_KEY 0x00000001
#define REG_OPENED_EXISTING_KEY 0x00000002

#define KEY_QUERY_VALUE 0x0001
#define KEY_SET_VALUE 0x0002
#define KEY_READ 0x20019
#define KEY_WRITE 0x20006
#define KEY_ALL_ACCESS 0xF003F

// All calls return ERROR_SUCCESS or an ERROR_ number (LastError.h).
LONG RegCreateKeyExW(HKEY key, LPCWSTR subKey, DWORD reserved, LPWSTR keyClass, DWORD options, REGSAM access,
                     void* securityAttributes, PHKEY result, LPDWORD disposition);
// ERROR_FILE_NOT_FOUND when the key does not exist.
LONG RegOpenKeyExW(HKEY key, LPCWSTR subKey, DWORD options, REGSAM access, PHKEY result);
// With data null, *dataSize receives the value's size. A value larger than *dataSize is not read:
// ERROR_MORE_DATA, *dataSize = the size needed. ERROR_FILE_NOT_FOUND for a missing value.
LONG RegQueryValueExW(HKEY key, LPCWSTR valueName, LPDWORD reserved, LPDWORD type, LPBYTE data, LPDWORD dataSize);
// Stores dataSize bytes as given (REG_SZ callers include the terminator); REG_DWORD takes exactly 4 bytes.
LONG RegSetValueExW(HKEY key, LPCWSTR valueName, DWORD reserved, DWORD type, const BYTE* data, DWORD dataSize);
LONG RegDeleteValueW(HKEY key, LPCWSTR valueName);
// Removes a key that has no subkeys, with its values.
LONG RegDeleteKeyW(HKEY key, LPCWSTR subKey);
LONG RegCloseKey(HKEY key);

inline LONG RegCreateKeyEx(HKEY key, LPCWSTR subKey, DWORD reserved, LPWSTR keyClass, DWORD options, REGSAM access,
                           void* securityAttributes, PHKEY result, LPDWORD disposition)
{
    return RegCreateKeyExW(key, subKey, reserved, keyClass, options, access, securityAttributes, result, disposition);
}
inline LONG RegOpenKeyEx(HKEY key, LPCWSTR subKey, DWORD options, REGSAM access, PHKEY result)
{
    return RegOpenKeyExW(key, subKey, options, access, result);
}
inline LONG RegQueryValueEx(HKEY key, LPCWSTR valueName, LPDWORD reserved, LPDWORD type, LPBYTE data, LPDWORD dataSize)
{
    return RegQueryValueExW(key, valueName, reserved, type, data, dataSize);
}
inline LONG RegSetValueEx(HKEY key, LPCWSTR valueName, DWORD reserved, DWORD type, const BYTE* data, DWORD dataSize)
{
    return RegSetValueExW(key, valueName, reserved, type, data, dataSize);
}
inline LONG RegDeleteValue(HKEY key, LPCWSTR valueName)
{
    return RegDeleteValueW(key, valueName);
}
inline LONG RegDeleteKey(HKEY key, LPCWSTR subKey)
{
    return RegDeleteKeyW(key, subKey);
}
