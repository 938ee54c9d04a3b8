// Arbitrary bytes as the registry's file: loading the sign-up record from it never reads out of bounds, its
// texts stay terminated inside their fields, and values too large for a buffer are never written into it.
#include "core/DeviceRegRecord.h"
#include "fuzz/FuzzHome.h"
#include "platform/device/Registry.h"
#include "platform/win/WideText.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The device folder lives in the target's own folder, removed when the run ends.
    std::string dir = FuzzHomePath() + "device/";
    std::filesystem::create_directories(dir);
    std::string file = dir + "registry.dat";
    FILE* out = fopen(file.c_str(), "wb");
    if (out == nullptr)
        return 0;
    fwrite(data, 1, size, out);
    fclose(out);

    DeviceRegRecord record;
    if (wcsnlen(record.GetFocus(), DeviceRegRecord::FOCUS_SIZE) >= (size_t)DeviceRegRecord::FOCUS_SIZE ||
        wcsnlen(record.GetOn(), DeviceRegRecord::ON_SIZE) >= (size_t)DeviceRegRecord::ON_SIZE ||
        wcsnlen(record.GetOne(), DeviceRegRecord::ONE_SIZE) >= (size_t)DeviceRegRecord::ONE_SIZE ||
        wcsnlen(record.GetThing(), DeviceRegRecord::THING_SIZE) >= (size_t)DeviceRegRecord::THING_SIZE)
        abort();

    // Every value of the key, asked with a buffer one byte short and then with one that fits.
    HKEY key = nullptr;
    if (RegOpenKeyEx(HKEY_CLASSES_ROOT, u"Dizezo", 0, KEY_READ, &key) != ERROR_SUCCESS)
        return 0;
    for (const char16_t* name : {u"Focus", u"On", u"One", u"Thing", u""}) {
        DWORD needed = 0;
        if (RegQueryValueEx(key, name, nullptr, nullptr, nullptr, &needed) != ERROR_SUCCESS || needed == 0)
            continue;
        std::string buffer(needed, '\x55');
        DWORD size = needed - 1;
        if (RegQueryValueEx(key, name, nullptr, nullptr, (BYTE*)buffer.data(), &size) != ERROR_MORE_DATA ||
            size != needed || buffer.find_first_not_of('\x55') != std::string::npos)
            abort();
        size = needed;
        if (RegQueryValueEx(key, name, nullptr, nullptr, (BYTE*)buffer.data(), &size) != ERROR_SUCCESS)
            abort();
    }
    RegCloseKey(key);
    return 0;
}
