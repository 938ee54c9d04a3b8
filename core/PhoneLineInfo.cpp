// Opening the cellular line and reading its general information, with the size negotiation of the records.
#include "core/PhoneLineInfo.h"
#include "platform/win/WideText.h"

#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

const WCHAR CELLULAR_LINE[] = u"Cellular Line";
const DWORD DEV_CAPS_PROBE_SIZE = 292;
const DWORD GENERAL_INFO_PROBE_SIZE = 52;
const DWORD RECORD_SIZE_LIMIT = 64 * 1024; // a size asked for beyond this is not believed

// The UTF-16 text at [offset, offset + size) inside a record of used bytes, or "" when it does not lie inside.
std::u16string TextInRecord(const void* record, DWORD used, DWORD offset, DWORD size)
{
    if (size < 2 || offset > used || size > used - offset)
        return std::u16string();
    std::u16string text((size_t)size / 2, u'\0');
    memcpy(text.data(), (const BYTE*)record + offset, text.size() * 2);
    size_t end = text.find(u'\0');
    if (end != std::u16string::npos)
        text.resize(end);
    return text;
}

} // namespace

CPhoneLineInfo::CPhoneLineInfo()
    : deviceCount(0), apiVersion(TAPI_CURRENT_API_VERSION), lineApp(nullptr), line(nullptr), extVersion(0),
      deviceId((DWORD)-1), generalInfo(nullptr)
{}

CPhoneLineInfo::~CPhoneLineInfo()
{
    free(generalInfo);
    Close();
}

void CPhoneLineInfo::Close()
{
    if (line != nullptr)
        lineClose(line);
    if (lineApp != nullptr)
        lineShutdown(lineApp);
    line = nullptr;
    lineApp = nullptr;
}

int CPhoneLineInfo::Open()
{
    if (line != nullptr)
        return 1;
    LINEINITIALIZEEXPARAMS params{};
    params.dwTotalSize = sizeof params;
    params.dwOptions = LINEINITIALIZEEXOPTION_USEEVENT;
    apiVersion = TAPI_CURRENT_API_VERSION;
    if (lineInitializeEx(&lineApp, nullptr, nullptr, u"Morwick", &deviceCount, &apiVersion, &params) != 0) {
        lineApp = nullptr;
        return 0;
    }
    deviceId = FindDevice(CELLULAR_LINE);
    if (deviceId == (DWORD)-1) {
        Close();
        return 0;
    }
    if (lineOpen(lineApp, deviceId, &line, apiVersion, 0, 0, LINECALLPRIVILEGE_OWNER, LINEMEDIAMODE_DATAMODEM,
                 nullptr) != 0) {
        line = nullptr;
        Close();
        return 0;
    }
    if (lineNegotiateExtVersion(lineApp, deviceId, apiVersion, CELLULAR_EXT_VERSION, CELLULAR_EXT_VERSION,
                                &extVersion) != 0) {
        Close();
        return 0;
    }
    return 1;
}

DWORD CPhoneLineInfo::FindDevice(const WCHAR* lineName)
{
    DWORD found = (DWORD)-1;
    for (DWORD device = 0; device < deviceCount; ++device) {
        DWORD version = 0;
        LINEEXTENSIONID extension{};
        if (lineNegotiateAPIVersion(lineApp, device, TAPI_LOWEST_API_VERSION, TAPI_CURRENT_API_VERSION, &version,
                                    &extension) != 0)
            continue;
        std::vector<BYTE> record(DEV_CAPS_PROBE_SIZE > sizeof(LINEDEVCAPS) ? DEV_CAPS_PROBE_SIZE : sizeof(LINEDEVCAPS));
        auto* caps = (LINEDEVCAPS*)record.data();
        caps->dwTotalSize = (DWORD)record.size();
        if (lineGetDevCaps(lineApp, device, version, 0, caps) != 0)
            continue;
        DWORD needed = caps->dwNeededSize;
        if (needed > record.size()) {
            if (needed > RECORD_SIZE_LIMIT)
                continue;
            record.assign(needed, 0);
            caps = (LINEDEVCAPS*)record.data();
            caps->dwTotalSize = needed;
            if (lineGetDevCaps(lineApp, device, version, 0, caps) != 0)
                continue;
        }
        DWORD used = caps->dwUsedSize < record.size() ? caps->dwUsedSize : (DWORD)record.size();
        if (TextInRecord(caps, used, caps->dwLineNameOffset, caps->dwLineNameSize) == lineName)
            found = device;
    }
    return found;
}

bool CPhoneLineInfo::ReadGeneralInfo()
{
    if (line == nullptr)
        return false;
    LINEGENERALINFO probe{};
    std::vector<BYTE> probeRecord(GENERAL_INFO_PROBE_SIZE > sizeof probe ? GENERAL_INFO_PROBE_SIZE : sizeof probe);
    auto* first = (LINEGENERALINFO*)probeRecord.data();
    first->dwTotalSize = (DWORD)probeRecord.size();
    LONG result = lineGetGeneralInfo(line, first);
    if (result != 0 && result != (LONG)LINEERR_STRUCTURETOOSMALL)
        return false;
    DWORD needed = first->dwNeededSize;
    if (needed < sizeof(LINEGENERALINFO))
        needed = (DWORD)probeRecord.size();
    if (needed > RECORD_SIZE_LIMIT)
        return false;
    auto* info = (LINEGENERALINFO*)calloc(1, needed);
    if (info == nullptr)
        return false;
    info->dwTotalSize = needed;
    if (lineGetGeneralInfo(line, info) != 0) {
        free(info);
        return false;
    }
    free(generalInfo);
    generalInfo = info;
    DWORD used = info->dwUsedSize < needed ? info->dwUsedSize : needed;
    infoText[0] = TextInRecord(info, used, info->dwSerialNumberOffset, info->dwSerialNumberSize);
    infoText[1] = TextInRecord(info, used, info->dwSubscriberNumberOffset, info->dwSubscriberNumberSize);
    return true;
}

const WCHAR* CPhoneLineInfo::GetInfo(int which)
{
    if (which != INFO_SERIAL_NUMBER && which != INFO_SUBSCRIBER_NUMBER)
        return u"";
    if (generalInfo == nullptr && !ReadGeneralInfo())
        return u"";
    return infoText[which].c_str();
}
