// The data connection follows the phone's flight-mode flag in the registry.
#include "platform/device/CallInterface.h"
#include "platform/device/Registry.h"
#include "platform/win/LastError.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

namespace {

void SetFlyMode(DWORD type, const void* data, DWORD size)
{
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, u"ControlPanel\\Setting\\FlyMode", 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExW(key, u"FlyModeFlag", 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
    RegCloseKey(key);
}

} // namespace

TEST(CallInterface, NetworkIsUpUnlessFlightModeIsOnAndFollowsTheFlag)
{
    ScopedProgramHome home;
    EXPECT_EQ(QueryNetWorkStatus(), NETWORK_STATUS_CONNECTED); // no flag at all
    EXPECT_EQ(Dial_StartGprsConnect2(nullptr, 5), 1);

    DWORD on = 1;
    SetFlyMode(REG_DWORD, &on, sizeof(on));
    EXPECT_EQ(QueryNetWorkStatus(), NETWORK_STATUS_NONE);
    EXPECT_EQ(Dial_StartGprsConnect2(nullptr, 5), 0);

    DWORD off = 0;
    SetFlyMode(REG_DWORD, &off, sizeof(off));
    EXPECT_EQ(QueryNetWorkStatus(), NETWORK_STATUS_CONNECTED);

    const char16_t text[] = u"1";
    SetFlyMode(REG_SZ, text, sizeof(text));
    EXPECT_TRUE(IsFlightModeOn());
}
