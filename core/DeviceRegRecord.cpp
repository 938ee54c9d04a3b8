// Reading and writing the sign-up record in the registry.
#include "core/DeviceRegRecord.h"
#include "platform/device/Registry.h"
#include "platform/win/LastError.h"
#include "platform/win/WideText.h"

#include <cstring>

namespace {

const WCHAR KEY_NAME[] = u"Dizezo";

// Reads a REG_SZ value into text (size characters with the terminator). The value must fit whole, its
// terminator included; otherwise text is left as it was and false is returned.
bool ReadText(HKEY key, const WCHAR* name, WCHAR* text, int size)
{
    WCHAR buffer[32] = {};
    DWORD bytes = (DWORD)size * sizeof(WCHAR);
    DWORD type = REG_NONE;
    if (RegQueryValueEx(key, name, nullptr, &type, (BYTE*)buffer, &bytes) != ERROR_SUCCESS || type != REG_SZ)
        return false;
    size_t length = wcsnlen(buffer, bytes / sizeof(WCHAR));
    if (length >= (size_t)size)
        return false; // no room for the terminator
    memcpy(text, buffer, length * sizeof(WCHAR));
    text[length] = 0;
    return true;
}

void Shift(WCHAR* text, int delta)
{
    for (; *text != 0; ++text)
        *text = (WCHAR)(*text + delta);
}

bool WriteText(HKEY key, const WCHAR* name, const WCHAR* text, bool shifted)
{
    WCHAR stored[32] = {};
    size_t length = wcslen(text);
    memcpy(stored, text, length * sizeof(WCHAR));
    if (shifted)
        Shift(stored, DeviceRegRecord::STORED_SHIFT);
    return RegSetValueEx(key, name, 0, REG_SZ, (const BYTE*)stored, (DWORD)((length + 1) * sizeof(WCHAR))) ==
           ERROR_SUCCESS;
}

void CopyIfFits(WCHAR* field, int size, const WCHAR* text)
{
    if (text != nullptr && wcslen(text) < (size_t)size)
        wcscpy(field, text);
}

} // namespace

DeviceRegRecord::DeviceRegRecord()
{
    wcscpy(focusName, u"Focus");
    wcscpy(onName, u"On");
    wcscpy(oneName, u"One");
    wcscpy(thingName, u"Thing");
    Load();
}

int DeviceRegRecord::Load()
{
    HKEY key = nullptr;
    if (RegOpenKeyEx(HKEY_CLASSES_ROOT, KEY_NAME, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return 0;
    // Only a text read just now is unshifted: one kept from before is plain already.
    WCHAR read[FOCUS_SIZE] = {};
    if (ReadText(key, focusName, read, FOCUS_SIZE)) {
        Shift(read, -STORED_SHIFT);
        wcscpy(focus, read);
    }
    WCHAR readOn[ON_SIZE] = {};
    if (ReadText(key, onName, readOn, ON_SIZE)) {
        Shift(readOn, -STORED_SHIFT);
        wcscpy(on, readOn);
    }
    ReadText(key, oneName, one, ONE_SIZE);
    ReadText(key, thingName, thing, THING_SIZE);
    RegCloseKey(key);
    return 1;
}

void DeviceRegRecord::Set(const WCHAR* newFocus, const WCHAR* newOn, const WCHAR* newOne, const WCHAR* newThing)
{
    CopyIfFits(focus, FOCUS_SIZE, newFocus);
    CopyIfFits(on, ON_SIZE, newOn);
    CopyIfFits(one, ONE_SIZE, newOne);
    CopyIfFits(thing, THING_SIZE, newThing);
}

int DeviceRegRecord::Save()
{
    HKEY key = nullptr;
    if (RegCreateKeyEx(HKEY_CLASSES_ROOT, KEY_NAME, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key,
                       nullptr) != ERROR_SUCCESS)
        return 0;
    bool ok = WriteText(key, focusName, focus, true);
    ok = WriteText(key, onName, on, true) && ok;
    ok = WriteText(key, oneName, one, false) && ok;
    ok = WriteText(key, thingName, thing, false) && ok;
    RegCloseKey(key);
    return ok ? 1 : 0;
}

void DeviceRegRecord::ClearLineIds()
{
    one[0] = 0;
    thing[0] = 0;
}

int DeleteSignUpValues()
{
    HKEY key = nullptr;
    if (RegOpenKeyEx(HKEY_CLASSES_ROOT, KEY_NAME, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
        return 0;
    int result = RegDeleteValue(key, u"Focus") == ERROR_SUCCESS && RegDeleteValue(key, u"On") == ERROR_SUCCESS;
    RegCloseKey(key);
    return result;
}
