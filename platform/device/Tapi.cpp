// The telephony interface over the phone profile: handle tables under one lock, records filled by offset.
#include "platform/device/Tapi.h"
#include "platform/device/PhoneProfile.h"
#include "platform/win/CodePage.h"

#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace {

struct LineDevice {
    std::u16string name;
    bool cellular;
};

struct OpenLine {
    uintptr_t app;
    DWORD device;
    bool cellular;
};

std::mutex tapiLock;
uintptr_t nextHandle = 1;
std::map<uintptr_t, std::vector<LineDevice>> apps; // the devices each application saw at initialisation
std::map<uintptr_t, OpenLine> lines;

std::u16string Utf16(const std::string& utf8)
{
    if (utf8.empty())
        return std::u16string();
    int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), (int)utf8.size(), nullptr, 0);
    std::u16string out(n > 0 ? (size_t)n : 0, u'\0');
    if (n > 0)
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), (int)utf8.size(), out.data(), n);
    return out;
}

std::vector<LineDevice> DevicesOfProfile(const PhoneProfile& profile)
{
    std::vector<LineDevice> devices;
    devices.push_back({u"Dial-up Modem", false});
    if (profile.cellularLine)
        devices.push_back({u"Cellular Line", true});
    return devices;
}

// Appends texts after a fixed part of fixedSize bytes inside a record of totalSize bytes.
class RecordWriter {
public:
    RecordWriter(BYTE* record, DWORD totalSize, DWORD fixedSize)
        : record(record), totalSize(totalSize), needed(fixedSize)
    {}
    // Lays out one text (with terminator); size and offset stay 0 when the record cannot hold it.
    void Text(const std::u16string& text, DWORD* sizeField, DWORD* offsetField)
    {
        DWORD bytes = (DWORD)((text.size() + 1) * sizeof(char16_t));
        DWORD offset = needed;
        needed += bytes;
        if (needed <= totalSize) {
            memcpy(record + offset, text.c_str(), bytes);
            *sizeField = bytes;
            *offsetField = offset;
        } else {
            *sizeField = 0;
            *offsetField = 0;
        }
    }
    DWORD Needed() const { return needed; }
    DWORD Used(DWORD fixedSize) const { return needed <= totalSize ? needed : fixedSize; }

private:
    BYTE* record;
    DWORD totalSize;
    DWORD needed;
};

bool KnownApp(HLINEAPP app)
{
    return apps.count((uintptr_t)app) != 0;
}

// Device deviceId of the app (under the lock): 0 with *device set, else the error for the handle or the number.
LONG FindDevice(HLINEAPP lineApp, DWORD deviceId, const LineDevice** device)
{
    if (!KnownApp(lineApp))
        return (LONG)LINEERR_INVALAPPHANDLE;
    const std::vector<LineDevice>& devices = apps[(uintptr_t)lineApp];
    if (deviceId >= devices.size())
        return (LONG)LINEERR_BADDEVICEID;
    *device = &devices[deviceId];
    return 0;
}

bool SupportedApiVersion(DWORD apiVersion)
{
    return apiVersion >= TAPI_LOWEST_API_VERSION && apiVersion <= TAPI_CURRENT_API_VERSION;
}

} // namespace

LONG lineInitializeEx(LPHLINEAPP lineApp, HINSTANCE, LINECALLBACK, LPCWSTR, LPDWORD deviceCount, LPDWORD apiVersion,
                      LPLINEINITIALIZEEXPARAMS params)
{
    if (lineApp == nullptr || deviceCount == nullptr || apiVersion == nullptr)
        return (LONG)LINEERR_INVALPOINTER;
    if (params != nullptr && params->dwTotalSize < sizeof(LINEINITIALIZEEXPARAMS))
        return (LONG)LINEERR_STRUCTURETOOSMALL;
    std::vector<LineDevice> devices = DevicesOfProfile(ReadPhoneProfile());
    std::lock_guard<std::mutex> hold(tapiLock);
    uintptr_t handle = nextHandle++;
    *deviceCount = (DWORD)devices.size();
    apps[handle] = std::move(devices);
    *lineApp = (HLINEAPP)handle;
    if (*apiVersion == 0 || *apiVersion > TAPI_CURRENT_API_VERSION)
        *apiVersion = TAPI_CURRENT_API_VERSION;
    if (params != nullptr) {
        params->dwNeededSize = params->dwUsedSize = sizeof(LINEINITIALIZEEXPARAMS);
        params->hEvent = nullptr;
    }
    return 0;
}

LONG lineShutdown(HLINEAPP lineApp)
{
    std::lock_guard<std::mutex> hold(tapiLock);
    if (!KnownApp(lineApp))
        return (LONG)LINEERR_INVALAPPHANDLE;
    for (auto it = lines.begin(); it != lines.end();)
        it = it->second.app == (uintptr_t)lineApp ? lines.erase(it) : std::next(it);
    apps.erase((uintptr_t)lineApp);
    return 0;
}

LONG lineNegotiateAPIVersion(HLINEAPP lineApp, DWORD deviceId, DWORD apiLowVersion, DWORD apiHighVersion,
                             LPDWORD apiVersion, LPLINEEXTENSIONID extensionId)
{
    std::lock_guard<std::mutex> hold(tapiLock);
    const LineDevice* device = nullptr;
    if (LONG error = FindDevice(lineApp, deviceId, &device))
        return error;
    if (apiVersion == nullptr)
        return (LONG)LINEERR_INVALPOINTER;
    if (apiLowVersion > TAPI_CURRENT_API_VERSION || apiHighVersion < TAPI_LOWEST_API_VERSION ||
        apiLowVersion > apiHighVersion)
        return (LONG)LINEERR_INCOMPATIBLEAPIVERSION;
    *apiVersion = apiHighVersion < TAPI_CURRENT_API_VERSION ? apiHighVersion : TAPI_CURRENT_API_VERSION;
    if (extensionId != nullptr)
        memset(extensionId, 0, sizeof *extensionId);
    return 0;
}

LONG lineGetDevCaps(HLINEAPP lineApp, DWORD deviceId, DWORD apiVersion, DWORD, LPLINEDEVCAPS caps)
{
    std::lock_guard<std::mutex> hold(tapiLock);
    const LineDevice* found = nullptr;
    if (LONG error = FindDevice(lineApp, deviceId, &found))
        return error;
    if (!SupportedApiVersion(apiVersion))
        return (LONG)LINEERR_INCOMPATIBLEAPIVERSION;
    if (caps == nullptr)
        return (LONG)LINEERR_INVALPOINTER;
    if (caps->dwTotalSize < sizeof(LINEDEVCAPS))
        return (LONG)LINEERR_STRUCTURETOOSMALL;
    const LineDevice& device = *found;
    DWORD total = caps->dwTotalSize;
    memset((BYTE*)caps + sizeof(DWORD), 0, sizeof(LINEDEVCAPS) - sizeof(DWORD));
    RecordWriter writer((BYTE*)caps, total, sizeof(LINEDEVCAPS));
    writer.Text(u"Morwick telephony", &caps->dwProviderInfoSize, &caps->dwProviderInfoOffset);
    writer.Text(device.name, &caps->dwLineNameSize, &caps->dwLineNameOffset);
    caps->dwNeededSize = writer.Needed();
    caps->dwUsedSize = writer.Used(sizeof(LINEDEVCAPS));
    caps->dwPermanentLineID = 0x100 + deviceId;
    caps->dwStringFormat = STRINGFORMAT_UNICODE;
    caps->dwNumAddresses = 1;
    caps->dwMaxRate = device.cellular ? 236800 : 57600;
    caps->dwMediaModes = LINEMEDIAMODE_DATAMODEM | (device.cellular ? LINEMEDIAMODE_INTERACTIVEVOICE : 0);
    return 0;
}

LONG lineOpen(HLINEAPP lineApp, DWORD deviceId, LPHLINE line, DWORD apiVersion, DWORD, DWORD_PTR, DWORD privileges,
              DWORD mediaModes, LPLINECALLPARAMS)
{
    std::lock_guard<std::mutex> hold(tapiLock);
    const LineDevice* device = nullptr;
    if (LONG error = FindDevice(lineApp, deviceId, &device))
        return error;
    if (line == nullptr)
        return (LONG)LINEERR_INVALPOINTER;
    if (!SupportedApiVersion(apiVersion))
        return (LONG)LINEERR_INCOMPATIBLEAPIVERSION;
    if (privileges != LINECALLPRIVILEGE_NONE && privileges != LINECALLPRIVILEGE_MONITOR &&
        privileges != LINECALLPRIVILEGE_OWNER)
        return (LONG)LINEERR_INVALPRIVSELECT;
    if ((privileges & LINECALLPRIVILEGE_OWNER) && mediaModes == 0)
        return (LONG)LINEERR_INVALPARAM;
    uintptr_t handle = nextHandle++;
    lines[handle] = OpenLine{(uintptr_t)lineApp, deviceId, device->cellular};
    *line = (HLINE)handle;
    return 0;
}

LONG lineNegotiateExtVersion(HLINEAPP lineApp, DWORD deviceId, DWORD apiVersion, DWORD extLowVersion,
                             DWORD extHighVersion, LPDWORD extVersion)
{
    std::lock_guard<std::mutex> hold(tapiLock);
    const LineDevice* device = nullptr;
    if (LONG error = FindDevice(lineApp, deviceId, &device))
        return error;
    if (extVersion == nullptr)
        return (LONG)LINEERR_INVALPOINTER;
    if (!SupportedApiVersion(apiVersion))
        return (LONG)LINEERR_INCOMPATIBLEAPIVERSION;
    if (!device->cellular || extLowVersion > CELLULAR_EXT_VERSION || extHighVersion < CELLULAR_EXT_VERSION)
        return (LONG)LINEERR_INCOMPATIBLEEXTVERSION;
    *extVersion = CELLULAR_EXT_VERSION;
    return 0;
}

LONG lineClose(HLINE line)
{
    std::lock_guard<std::mutex> hold(tapiLock);
    return lines.erase((uintptr_t)line) != 0 ? 0 : (LONG)LINEERR_INVALLINEHANDLE;
}

LONG lineGetGeneralInfo(HLINE line, LPLINEGENERALINFO info)
{
    {
        std::lock_guard<std::mutex> hold(tapiLock);
        auto it = lines.find((uintptr_t)line);
        if (it == lines.end())
            return (LONG)LINEERR_INVALLINEHANDLE;
        if (!it->second.cellular)
            return (LONG)LINEERR_OPERATIONUNAVAIL;
    }
    if (info == nullptr)
        return (LONG)LINEERR_INVALPOINTER;
    if (info->dwTotalSize < sizeof(LINEGENERALINFO))
        return (LONG)LINEERR_STRUCTURETOOSMALL;
    PhoneProfile profile = ReadPhoneProfile();
    DWORD total = info->dwTotalSize;
    memset((BYTE*)info + sizeof(DWORD), 0, sizeof(LINEGENERALINFO) - sizeof(DWORD));
    RecordWriter writer((BYTE*)info, total, sizeof(LINEGENERALINFO));
    writer.Text(u"Ruvav", &info->dwManufacturerSize, &info->dwManufacturerOffset);
    writer.Text(u"M8", &info->dwModelSize, &info->dwModelOffset);
    writer.Text(u"1.0", &info->dwRevisionSize, &info->dwRevisionOffset);
    writer.Text(Utf16(profile.serialNumber), &info->dwSerialNumberSize, &info->dwSerialNumberOffset);
    if (!profile.subscriberNumber.empty())
        writer.Text(Utf16(profile.subscriberNumber), &info->dwSubscriberNumberSize, &info->dwSubscriberNumberOffset);
    info->dwNeededSize = writer.Needed();
    info->dwUsedSize = writer.Used(sizeof(LINEGENERALINFO));
    return 0;
}
