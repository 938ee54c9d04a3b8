// The data connection follows the phone's flight-mode flag in the registry.
#include "platform/device/CallInterface.h"
#include "platform/device/Registry.h"
#include "platform/win/LastError.h"
#include "platform/win/Winsock.h"
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

TEST(CallInterface, ConnectsFailInFlightModeAndWorkAgainAfter)
{
    ScopedProgramHome home;
    WSADATA data;
    ASSERT_EQ(WSAStartup(MAKEWORD(1, 1), &data), 0);
    SOCKET listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in a = {};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = inet_addr("127.0.0.1");
    ASSERT_EQ(bind(listener, (sockaddr*)&a, sizeof(a)), 0);
    ASSERT_EQ(listen(listener, 4), 0);
    int length = sizeof(a);
    getsockname(listener, (sockaddr*)&a, &length);

    DWORD on = 1;
    SetFlyMode(REG_DWORD, &on, sizeof(on));
    SOCKET client = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    EXPECT_EQ(connect(client, (sockaddr*)&a, sizeof(a)), SOCKET_ERROR);
    EXPECT_EQ(WSAGetLastError(), WSAENETUNREACH);
    closesocket(client);

    DWORD off = 0;
    SetFlyMode(REG_DWORD, &off, sizeof(off));
    client = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP); // blocking: returns once connected
    EXPECT_EQ(connect(client, (sockaddr*)&a, sizeof(a)), 0);
    closesocket(client);
    closesocket(listener);
    WSACleanup();
}
