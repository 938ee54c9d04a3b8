// The telephony interface: line discovery, size negotiation of its records, and the cellular line's numbers.
#include "platform/device/PhoneProfile.h"
#include "platform/device/Tapi.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

std::u16string TextAt(const void* record, DWORD offset, DWORD size)
{
    if (size == 0)
        return u"<none>";
    return std::u16string((const char16_t*)((const BYTE*)record + offset), size / 2 - 1);
}

} // namespace

TEST(Tapi, CellularLineIsFoundAndItsCapsNegotiateSize)
{
    ScopedProgramHome home;
    HLINEAPP app = nullptr;
    DWORD count = 0, version = 0x20000;
    LINEINITIALIZEEXPARAMS params{};
    params.dwTotalSize = sizeof params;
    params.dwOptions = LINEINITIALIZEEXOPTION_USEEVENT;
    ASSERT_EQ(lineInitializeEx(&app, nullptr, nullptr, u"test", &count, &version, &params), 0);
    ASSERT_EQ(count, 2u);

    DWORD api = 0;
    EXPECT_EQ(lineNegotiateAPIVersion(app, 1, 0x30000, 0x40000, &api, nullptr), (LONG)LINEERR_INCOMPATIBLEAPIVERSION);
    ASSERT_EQ(lineNegotiateAPIVersion(app, 1, 0x10003, 0x20000, &api, nullptr), 0);
    EXPECT_EQ(api, 0x20000u);
    EXPECT_EQ(lineNegotiateAPIVersion(app, 2, 0x10003, 0x20000, &api, nullptr), (LONG)LINEERR_BADDEVICEID);

    // Too small for the fixed part; then fixed part only, with the size needed; then everything.
    LINEDEVCAPS tiny{};
    tiny.dwTotalSize = 8;
    EXPECT_EQ(lineGetDevCaps(app, 1, api, 0, &tiny), (LONG)LINEERR_STRUCTURETOOSMALL);
    std::vector<BYTE> record(292);
    auto* caps = (LINEDEVCAPS*)record.data();
    caps->dwTotalSize = sizeof(LINEDEVCAPS);
    ASSERT_EQ(lineGetDevCaps(app, 1, api, 0, caps), 0);
    EXPECT_GT(caps->dwNeededSize, sizeof(LINEDEVCAPS));
    EXPECT_EQ(caps->dwLineNameSize, 0u);
    DWORD needed = caps->dwNeededSize;
    record.assign(needed, 0);
    caps = (LINEDEVCAPS*)record.data();
    caps->dwTotalSize = needed;
    ASSERT_EQ(lineGetDevCaps(app, 1, api, 0, caps), 0);
    EXPECT_EQ(caps->dwUsedSize, needed);
    EXPECT_EQ(TextAt(caps, caps->dwLineNameOffset, caps->dwLineNameSize), u"Cellular Line");

    HLINE line = nullptr;
    ASSERT_EQ(lineOpen(app, 1, &line, api, 0, 0, LINECALLPRIVILEGE_OWNER, LINEMEDIAMODE_DATAMODEM, nullptr), 0);
    DWORD ext = 0;
    ASSERT_EQ(lineNegotiateExtVersion(app, 1, api, 0x10000, 0x10000, &ext), 0);
    EXPECT_EQ(lineNegotiateExtVersion(app, 0, api, 0x10000, 0x10000, &ext), (LONG)LINEERR_INCOMPATIBLEEXTVERSION);

    LINEGENERALINFO small{};
    small.dwTotalSize = sizeof small;
    ASSERT_EQ(lineGetGeneralInfo(line, &small), 0);
    std::vector<BYTE> full(small.dwNeededSize);
    auto* info = (LINEGENERALINFO*)full.data();
    info->dwTotalSize = small.dwNeededSize;
    ASSERT_EQ(lineGetGeneralInfo(line, info), 0);
    PhoneProfile profile = ReadPhoneProfile();
    std::u16string serial = TextAt(info, info->dwSerialNumberOffset, info->dwSerialNumberSize);
    EXPECT_EQ(serial.size(), 15u); // made on first use
    EXPECT_EQ(std::string(serial.begin(), serial.end()), profile.serialNumber);
    std::u16string subscriber = TextAt(info, info->dwSubscriberNumberOffset, info->dwSubscriberNumberSize);
    EXPECT_EQ(std::string(subscriber.begin(), subscriber.end()), profile.subscriberNumber);

    EXPECT_EQ(lineClose(line), 0);
    EXPECT_EQ(lineGetGeneralInfo(line, info), (LONG)LINEERR_INVALLINEHANDLE);
    EXPECT_EQ(lineShutdown(app), 0);
    EXPECT_EQ(lineShutdown(app), (LONG)LINEERR_INVALAPPHANDLE);
}

TEST(Tapi, ProfileWithoutCellularLineOrSubscriberNumber)
{
    ScopedProgramHome home;
    PhoneProfile profile;
    profile.cellularLine = false;
    profile.serialNumber = "356938035643809";
    ASSERT_TRUE(WritePhoneProfile(profile));
    HLINEAPP app = nullptr;
    DWORD count = 0, version = 0;
    ASSERT_EQ(lineInitializeEx(&app, nullptr, nullptr, u"test", &count, &version, nullptr), 0);
    EXPECT_EQ(count, 1u); // the modem only
    HLINE line = nullptr;
    ASSERT_EQ(lineOpen(app, 0, &line, 0x20000, 0, 0, LINECALLPRIVILEGE_OWNER, LINEMEDIAMODE_DATAMODEM, nullptr), 0);
    LINEGENERALINFO info{};
    info.dwTotalSize = sizeof info;
    EXPECT_EQ(lineGetGeneralInfo(line, &info), (LONG)LINEERR_OPERATIONUNAVAIL);
    lineShutdown(app); // closes the line too
    EXPECT_EQ(lineClose(line), (LONG)LINEERR_INVALLINEHANDLE);

    profile.cellularLine = true;
    profile.subscriberNumber = "";
    ASSERT_TRUE(WritePhoneProfile(profile));
    ASSERT_EQ(lineInitializeEx(&app, nullptr, nullptr, u"test", &count, &version, nullptr), 0);
    ASSERT_EQ(lineOpen(app, 1, &line, 0x20000, 0x10000, 0, LINECALLPRIVILEGE_OWNER, LINEMEDIAMODE_DATAMODEM, nullptr),
              0);
    std::vector<BYTE> full(512);
    auto* general = (LINEGENERALINFO*)full.data();
    general->dwTotalSize = 512;
    ASSERT_EQ(lineGetGeneralInfo(line, general), 0);
    EXPECT_EQ(general->dwSubscriberNumberSize, 0u);
    EXPECT_EQ(TextAt(general, general->dwSerialNumberOffset, general->dwSerialNumberSize), u"356938035643809");
    lineShutdown(app);
}
