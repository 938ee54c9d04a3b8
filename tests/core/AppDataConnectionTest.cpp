// The application's shared request worker: made on first use, wired to the application's settings, traffic
// counters and fallback flag, and stopped and joined when the application data object goes.
#include "core/AppData.h"
#include "core/NetThread.h"
#include "platform/win/Message.h"
#include "platform/win/Time.h"
#include "platform/win/WindowHandle.h"
#include "tests/core/TransportTestSupport.h"
#include "tests/support/RefusingPort.h"
#include "tests/support/TempFolder.h"

#include <chrono>
#include <gtest/gtest.h>
#include <string>

namespace {

int replies = 0;

LRESULT CountReplies(HWND, UINT message, WPARAM, LPARAM)
{
    if (message == WM_NET_REPLY)
        ++replies;
    return 0;
}

} // namespace

TEST(AppDataConnection, SharedWorkerUsesTheApplicationsSettingsAndCounters)
{
    ScopedProgramHome home;
    ScriptedServer server;
    CAppData* app = CAppData::Instance();
    CNetThread* worker = app->GetConnection();
    ASSERT_NE(worker, nullptr);
    EXPECT_EQ(app->GetConnection(), worker);
    ASSERT_EQ(app->GetHttpClient(), worker->GetHttpClient());

    // Through the gateway first (nothing listens there), then straight to the server, which is remembered.
    app->SetConfig("Connect_Type", "1", 0);
    RefusingPort gateway;
    app->GetHttpClient()->SetGateway("127.0.0.1", gateway.port);
    app->GetHttpClient()->SetServer("127.0.0.1", server.Port());
    app->GetHttpClient()->SetConnectPolls(50);
    server.Reply(HttpReply("hello"));
    replies = 0;
    HWND window = AllocWindowHandle(CountReplies, nullptr);
    ASSERT_EQ(worker->Send("tc_mfuncno=100&tc_sfuncno=1", window, 1, 0), 1);
    for (int i = 0; i < 3000 && replies == 0; ++i) {
        MSG msg;
        while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessage(&msg);
        Sleep(1);
    }
    EXPECT_EQ(replies, 1);
    EXPECT_STREQ(app->GetConfig("Connect_Type"), "2");
    EXPECT_EQ(app->GetConnectFallback(), 0);
    EXPECT_GT(app->GetTraffic(0), 0);
    EXPECT_GT(app->GetTraffic(1), 0);
    FreeWindowHandle(window);
    CAppData::Destroy();
}

TEST(AppDataConnection, DestroyingTheApplicationDataStopsAWorkerInTheMiddleOfATransfer)
{
    ScopedProgramHome home;
    ScriptedServer server;
    CAppData* app = CAppData::Instance();
    app->SetConfig("Connect_Type", "2", 0);
    app->GetHttpClient()->SetServer("127.0.0.1", server.Port());
    server.Add(Exchange{{}, 0, 0, false, true});
    HWND window = AllocWindowHandle(CountReplies, nullptr);
    ASSERT_EQ(app->GetConnection()->Send("a=1", window, 1, 0), 1);
    ASSERT_TRUE(server.WaitRequests(1));
    auto start = std::chrono::steady_clock::now();
    CAppData::Destroy();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10)); // far below the silence budget
    FreeWindowHandle(window);
}
