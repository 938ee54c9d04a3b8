// The networked window against the stand-in server on loopback: the request text it builds (function numbers,
// common fields, enciphered business fields), replies reaching the window, the server's errors, the silent log-in
// after an expired session, the silent resend after a transport failure, and the trading-hours gate.
#include "tests/shell/NetWndTestSupport.h"

#include "core/HttpClient.h"
#include "core/TextHelpers.h"
#include "core/PacketCipher.h"
#include "core/Base64.h"
#include "platform/device/Registry.h"
#include "platform/device/RsaKeyPair.h"
#include "platform/win/Time.h"
#include "server/HttpServer.h"
#include "server/ServerFunctions.h"
#include "shell/MenuItem.h"
#include "shell/MenuTree.h"

#include <memory>

TEST_F(NetWndTest, RequestTextCarriesFunctionNumbersOnlyWhenAskedAndTheCommonFieldsAlways)
{
    ProbeWnd* w = MakeWindow("tc_mfuncno=31000&tc_sfuncno=6&count=5");
    char text[CNetWnd::REQUEST_CAPACITY];
    ASSERT_GT(w->ComposeRequest(31000, 6, text, sizeof text), 0);
    std::string s = text;
    EXPECT_EQ(s.rfind("TC_MFUNCNO=31000&TC_SFUNCNO=6&tc_mfuncno=31000", 0), 0u) << s;
    EXPECT_EQ(Field(s, "supportCompress"), "18");
    EXPECT_NE(Field(s, "hwID"), "<none>");

    ASSERT_GT(w->ComposeRequest(-1, 0, text, sizeof text), 0);
    s = text;
    EXPECT_EQ(s.find("TC_MFUNCNO"), std::string::npos);
    EXPECT_EQ(s.rfind("tc_mfuncno=31000&tc_sfuncno=6&count=5&", 0), 0u) << s;

    // Nothing to send: the window refused, or the text cannot fit the worker's limit.
    w->text.clear();
    EXPECT_EQ(w->ComposeRequest(-1, 0, text, sizeof text), 0);
    w->text = "a=" + std::string(2030, 'x');
    EXPECT_EQ(w->ComposeRequest(-1, 0, text, sizeof text), 0);
}

TEST_F(NetWndTest, EncipheredRequestKeepsOnlyLongTcPairsPlainAndEndsWithTheCipherMark)
{
    ProbeWnd* w = MakeWindow("tc_mfuncno=600&code=600000&&tc_x&TC_SFUNCNO=11&price=9.5");
    w->encrypt = 1;
    char text[CNetWnd::REQUEST_CAPACITY];
    ASSERT_GT(w->ComposeRequest(-1, 0, text, sizeof text), 0);
    std::string s = text;
    ASSERT_EQ(s.rfind("TC_REQDATA=", 0), 0u) << s;
    EXPECT_EQ(s.substr(s.size() - 14), "&TC_ENCRYPT=36");
    EXPECT_EQ(Field(s, "tc_mfuncno"), "600");
    EXPECT_EQ(Field(s, "TC_SFUNCNO"), "11");
    EXPECT_NE(Field(s, "tc_packageid"), "<none>");
    EXPECT_EQ(Field(s, "code"), "<none>");

    // Inside the block: the business pairs in order, the four-character "tc_x" among them.
    std::string b64 = Field(s, "TC_REQDATA");
    std::vector<BYTE> sealed(b64.size());
    int n = Base64Decode(b64.c_str(), (uint32_t)b64.size(), sealed.data());
    ASSERT_GT(n, 0);
    std::vector<BYTE> plain((size_t)n + 16);
    int m = DecryptPacket(CAppData::Instance()->GetSessionKey(), sealed.data(), n, plain.data());
    ASSERT_GT(m, 0);
    std::string business((const char*)plain.data(), (size_t)m);
    EXPECT_EQ(business.rfind("code=600000&tc_x&price=9.5&hwID=", 0), 0u) << business;
    EXPECT_EQ(business.find("tc_packageid"), std::string::npos);
    EXPECT_EQ(Field(s, "TC_REQLENGTH"), std::to_string(business.size()));
}

TEST_F(NetWndTest, TradingHoursGateOpensOnWeekdaysFromNineSixteenToFourOhNine)
{
    auto at = [](int day, int hour, int minute) {
        SYSTEMTIME t{};
        t.wDayOfWeek = (WORD)day;
        t.wHour = (WORD)hour;
        t.wMinute = (WORD)minute;
        return CNetWnd::IsTradingTime(t);
    };
    EXPECT_FALSE(at(2, 9, 15));
    EXPECT_TRUE(at(2, 9, 16));
    EXPECT_TRUE(at(5, 16, 9));
    EXPECT_FALSE(at(5, 16, 10));
    EXPECT_FALSE(at(6, 10, 0));
    EXPECT_FALSE(at(0, 10, 0));
}

TEST_F(NetWndTest, ExpiredSessionLogsInSilentlyAndTheResentRequestFillsTheWindow)
{
    ProbeWnd* w = MakeWindow("tc_mfuncno=31000&tc_sfuncno=6");
    EXPECT_STREQ(CAppData::Instance()->GetSessionString(), "");
    w->Request();
    ASSERT_TRUE(WaitForReplies(w, 1));
    ASSERT_EQ(w->replies.size(), 1u);
    EXPECT_FALSE(w->replies[0].error) << w->replies[0].errorText;
    EXPECT_EQ(w->replies[0].transportFailed, 0);
    EXPECT_NE(CAppData::Instance()->GetSessionString()[0], 0);
    EXPECT_EQ(w->IsReloginPending(), 0);
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(server->http.GetRequestCount(), 3); // refused, log-in, resent

    // The same again after the server drops every session.
    server->functions.Sessions().ExpireAll();
    w->Request();
    ASSERT_TRUE(WaitForReplies(w, 2));
    EXPECT_FALSE(w->replies[1].error);
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(NetWndTest, ASilentLogInCancelledByAnotherWindowsFirstActivationDoesNotHoldBackTheWindowsNextRequest)
{
    ProbeWnd* w = MakeWindow("tc_mfuncno=31000&tc_sfuncno=6");
    server->http.Faults().Arm(FAULT_DELAY, 1, 3000, "", 100, 1);
    w->Request(); // refused for want of a session, then the log-in goes and waits on the server
    auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    auto logInOnTheWorker = [&] { return w->IsReloginPending() && w->GetWorker() != nullptr && !w->IsWorkerIdle(0); };
    while (!logInOnTheWorker() && std::chrono::steady_clock::now() < until) {
        PumpMessages();
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    ASSERT_TRUE(logInOnTheWorker());
    // What the first activation of another window on the shared worker does.
    ASSERT_EQ(w->GetWorker()->Cancel(5000), 0u);
    ASSERT_TRUE(PumpUntil([&] { return !w->GetWorker()->HoldsRequest(); }));
    // Back on the window, its next request is not swallowed by the log-in that will never answer.
    w->Request();
    ASSERT_TRUE(WaitForReplies(w, 1));
    EXPECT_FALSE(w->replies[0].error) << w->replies[0].errorText;
    EXPECT_EQ(w->IsReloginPending(), 0);
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(NetWndTest, WhileASilentLogInIsPendingTheWindowsOwnRequestWaitsForItAndStaysEnciphered)
{
    ProbeWnd* w = MakeWindow("tc_mfuncno=31000&tc_sfuncno=6&password=123456");
    w->encrypt = 1;
    w->Request();
    PumpMessages(); // handed to the worker
    ASSERT_NE(w->GetWorker(), nullptr);
    // A second ask is queued before the expiry reaches the window: it must neither be answered in the log-in's
    // place nor push the log-in out of the worker.
    w->Request();
    ASSERT_EQ(w->GetWorker()->WaitIdle(10000), (DWORD)WAIT_OBJECT_0);
    ASSERT_TRUE(WaitForReplies(w, 1));
    EXPECT_EQ(w->replies.size(), 1u);
    EXPECT_FALSE(w->replies[0].error) << w->replies[0].errorText;
    EXPECT_EQ(w->IsReloginPending(), 0);
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(server->http.GetRequestCount(), 3); // refused, log-in, resent

    // Only the log-in text itself goes plain.
    w->Relogin();
    char text[CNetWnd::REQUEST_CAPACITY];
    struct Case {
        int mfunc, sfunc;
        const char* mark;
    } cases[] = {{-1, 0, "TC_ENCRYPT=36"}, {100, 1, "userKey="}};
    for (const Case& c : cases) {
        ASSERT_GT(w->ComposeRequest(c.mfunc, c.sfunc, text, sizeof text), 0);
        EXPECT_NE(strstr(text, c.mark), nullptr) << text;
        EXPECT_EQ(strstr(text, "password="), nullptr) << text;
    }
    WaitForReplies(w, 2);
}

TEST_F(NetWndTest, EncipheredRequestIsOpenedByTheServerWithTheSessionKey)
{
    ProbeWnd* w = MakeWindow("tc_mfuncno=31000&tc_sfuncno=6");
    LogIn(w);
    ASSERT_NE(CAppData::Instance()->GetSessionString()[0], 0);
    w->encrypt = 1;
    w->Request();
    ASSERT_TRUE(WaitForReplies(w, 1));
    EXPECT_FALSE(w->replies[0].error) << w->replies[0].errorText;
}

TEST_F(NetWndTest, ServerErrorsReachTheWindowAsTheirErrorRecordSet)
{
    ProbeWnd* w = MakeWindow("tc_mfuncno=999&tc_sfuncno=1");
    LogIn(w);
    w->Request();
    ASSERT_TRUE(WaitForReplies(w, 1));
    EXPECT_TRUE(w->replies[0].error);
    EXPECT_EQ(w->replies[0].errorText, "\xB8\xC3\xB9\xA6\xC4\xDC\xD4\xDD\xCE\xB4\xBF\xAA\xB7\xC5"); // 该功能暂未开放

    // A failure result with its own text.
    w->text = "tc_mfuncno=31000&tc_sfuncno=6";
    server->http.Faults().Arm(FAULT_ERROR, 1, 7, "\xB7\xFE\xCE\xF1\xC3\xA6"); // 服务忙
    w->Request();
    ASSERT_TRUE(WaitForReplies(w, 2));
    EXPECT_TRUE(w->replies[1].error);
    EXPECT_EQ(w->replies[1].transportFailed, 0);
    EXPECT_NE(w->replies[1].errorText.find("\xB7\xFE\xCE\xF1\xC3\xA6"), std::string::npos);
}

// A reply broken off, or one whose body is empty, is a transport failure: resent once silently with keep and
// reported without it; either way the window stops waiting and its next request is answered.
TEST_F(NetWndTest, TransportFailureIsResentOnceSilentlyWithKeepAndReportedWithout)
{
    for (FaultKind fault : {FAULT_CLOSE_MID_BODY, FAULT_EMPTY}) {
        SCOPED_TRACE(fault);
        ProbeWnd* w = MakeWindow("tc_mfuncno=31000&tc_sfuncno=6");
        LogIn(w);
        long long before = server->http.GetRequestCount();
        // The worker retries once itself; two broken replies reach the window once, which asks again.
        server->http.Faults().Arm(fault, 2);
        w->Request();
        ASSERT_TRUE(WaitForReplies(w, 1));
        ASSERT_EQ(w->replies.size(), 1u);
        EXPECT_EQ(w->replies[0].transportFailed, 0);
        EXPECT_FALSE(w->replies[0].error);
        EXPECT_EQ(server->http.GetRequestCount() - before, 3);

        // A server that keeps failing: one silent resend, then the window hears of it instead of asking for ever.
        server->http.Faults().Arm(fault, -1);
        before = server->http.GetRequestCount();
        w->Request();
        ASSERT_TRUE(WaitForReplies(w, 2));
        EXPECT_EQ(w->replies[1].transportFailed, 1);
        EXPECT_EQ(w->replies[1].errorText, GbFromWide(u"错误(3)：接收数据失败，请重试"));
        EXPECT_EQ(server->http.GetRequestCount() - before, 4);
        EXPECT_EQ(w->GetRequestState(), CNetWnd::RequestState::Idle);

        // Without keep the first failure goes to the window, which asks again once the server mends.
        w->keep = 0;
        before = server->http.GetRequestCount();
        w->Request();
        ASSERT_TRUE(WaitForReplies(w, 3));
        EXPECT_EQ(w->replies[2].transportFailed, 1);
        EXPECT_LE(server->http.GetRequestCount() - before, 2); // the worker's own retry at most, none by the window
        EXPECT_EQ(w->GetRequestState(), CNetWnd::RequestState::Idle);
        server->http.Faults().Clear();
        w->Request();
        ASSERT_TRUE(WaitForReplies(w, 4));
        EXPECT_FALSE(w->replies[3].error);
    }
}

TEST_F(NetWndTest, RepliesForAnotherWorkerAndRefusedBuildsSendNothing)
{
    ProbeWnd* w = MakeWindow("");
    w->Request();
    PumpMessages();
    EXPECT_EQ(server->http.GetRequestCount(), 0);
    // A reply message naming some other worker is ignored.
    w->SendMessage(WM_NET_REPLY, 0, (LPARAM)0x1234);
    EXPECT_TRUE(w->replies.empty());
}

TEST_F(NetWndTest, OpeningParametersKeepStoredValuesForEmptyArgumentsAndOkWithoutMenuTreeSaysSo)
{
    ProbeWnd* w = MakeWindow("x=1");
    EXPECT_EQ(w->OnInitParam(12, "code=600000", "tc_mfuncno=1&tc_sfuncno=2"), 1);
    EXPECT_EQ(w->OnInitParam(-1, "", nullptr), 1);
    EXPECT_EQ(w->GetMenuId(), 12);
    EXPECT_STREQ(w->GetInfoText(), "code=600000");
    EXPECT_STREQ(w->GetParamText(), "tc_mfuncno=1&tc_sfuncno=2");

    EXPECT_EQ(w->OnOK(0), -1);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, u"数据文件丢失，请重新安装Morwick！");
}

namespace {

struct Opened {
    std::string key;
    int menuId;
    std::string title, info, params;
    HWND owner;
};
std::vector<Opened> opened;

int RecordOpen(const char* key, int menuId, const char* title, const char* info, const char* params, int, HWND owner)
{
    opened.push_back({key ? key : "", menuId, title ? title : "", info ? info : "", params ? params : "", owner});
    return 7;
}

CMenuItem* Item(const char* title, const char* action)
{
    auto* item = new CMenuItem;
    item->SetTitle(title);
    item->SetAction(action);
    return item;
}

} // namespace

TEST_F(NetWndTest, OkOpensTheNthChildOfTheWindowsMenuNodeAndChartMessagesOpenTheCharts)
{
    auto* tree = new CMenuTree;
    tree->Add(10, -1, Item("top", "menu"));
    tree->Add(11, 10, Item("first", "zxg?tc_mfuncno=31000&tc_sfuncno=4"));
    tree->Add(12, 10, Item("second", "phb?tc_mfuncno=31000&tc_sfuncno=3&order=1"));
    tree->Link(nullptr);
    CAppData::Instance()->SetMenuTree(tree);
    opened.clear();
    CNetWnd::SetWindowOpener(RecordOpen);
    ProbeWnd* w = MakeWindow("");
    w->OnInitParam(10, nullptr, nullptr);

    EXPECT_EQ(w->OnOK(1), 7);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].key, "phb");
    EXPECT_EQ(opened[0].menuId, 12);
    EXPECT_EQ(opened[0].title, "second");
    EXPECT_EQ(opened[0].info, "");
    EXPECT_EQ(opened[0].params, "tc_mfuncno=31000&tc_sfuncno=3&order=1");
    EXPECT_EQ(opened[0].owner, w->m_hWnd);
    EXPECT_EQ(w->OnOK(2), -1);
    EXPECT_EQ(w->OnOK(-1), -1);
    EXPECT_EQ(opened.size(), 1u);

    // The chart messages hand over a heap text the window frees.
    char* params = strdup("date=&code=600000.1");
    EXPECT_EQ(w->SendMessage(WM_OPEN_FS_CHART, 0, (LPARAM)params), 1);
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_EQ(opened[1].key, "fschart");
    EXPECT_EQ(opened[1].menuId, -1);
    EXPECT_EQ(opened[1].title, "\xB7\xD6\xCA\xB1\xD7\xDF\xCA\xC6");
    EXPECT_EQ(opened[1].params, "date=&code=600000.1");
    CNetWnd::SetWindowOpener(nullptr);
}

TEST_F(NetWndTest, FailedSilentLogInShowsTheServersTextAndLeavesTheReloginState)
{
    // A public key the server cannot open.
    CRsaKeyPair other;
    ASSERT_EQ(other.Generate(2048), 1);
    other.ExportPublicKey(home.Path() + "/pubkey.bin");
    ProbeWnd* w = MakeWindow("tc_mfuncno=31000&tc_sfuncno=6");
    w->Request();
    auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < until && messages.shown.empty()) {
        PumpMessages();
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].milliseconds, 3000);
    EXPECT_EQ(w->IsReloginPending(), 0);
    EXPECT_TRUE(w->replies.empty());

    // With the right key the window's next request goes through the log-in again and is answered.
    ServerTestKeys().ExportPublicKey(home.Path() + "/pubkey.bin");
    w->Request();
    ASSERT_TRUE(WaitForReplies(w, 1));
    EXPECT_FALSE(w->replies[0].error) << w->replies[0].errorText;
}

namespace {

LONGLONG fixedClock = 0;
LONGLONG FixedClock()
{
    return fixedClock;
}

// 2025-12-06 is a Saturday, 2025-12-10 a Wednesday.
constexpr LONGLONG SATURDAY_10_00_UTC = 1765015200000LL;
constexpr LONGLONG WEDNESDAY_10_00_UTC = 1765360800000LL;

class RefreshProbe : public ProbeWnd {
public:
    RefreshProbe() : ProbeWnd("tc_mfuncno=31000&tc_sfuncno=6") {}
    void Request() override { ++requests; }
    int requests = 0;
};

} // namespace

TEST_F(NetWndTest, FirstActivationAsksOnceAndRefreshRunsOnlyInTradingHours)
{
    const char* oldTz = getenv("TZ");
    std::string saved = oldTz != nullptr ? oldTz : "";
    setenv("TZ", "UTC", 1);
    tzset();
    SetWallClockSource(FixedClock);

    RefreshProbe w;
    RECT work = WorkRect();
    w.Create(work.left, work.top, work.right - work.left, work.bottom - work.top, nullptr);
    w.autoRefresh = 1;
    w.refreshSeconds = 5;
    w.OnActive();
    EXPECT_EQ(w.requests, 1);
    EXPECT_TRUE(w.IsRefreshTimerOn());
    w.OnActive(); // later activations ask only when the window wants it
    EXPECT_EQ(w.requests, 1);
    w.requestOnActive = 1;
    w.OnActive();
    EXPECT_EQ(w.requests, 2);

    fixedClock = WEDNESDAY_10_00_UTC;
    w.OnTimer(CNetWnd::REFRESH_TIMER);
    EXPECT_EQ(w.requests, 3);
    EXPECT_TRUE(w.IsRefreshTimerOn());
    fixedClock = SATURDAY_10_00_UTC;
    w.OnTimer(CNetWnd::REFRESH_TIMER);
    EXPECT_EQ(w.requests, 3);
    EXPECT_FALSE(w.IsRefreshTimerOn());

    w.OnActive();
    EXPECT_TRUE(w.IsRefreshTimerOn());
    w.OnInactive();
    EXPECT_FALSE(w.IsRefreshTimerOn());

    SetWallClockSource(nullptr);
    if (oldTz != nullptr)
        setenv("TZ", saved.c_str(), 1);
    else
        unsetenv("TZ");
    tzset();
}

TEST_F(NetWndTest, FlightModeSaysSoAndEndsTheApplicationWithoutSending)
{
    HKEY key = nullptr;
    ASSERT_EQ(
        RegCreateKeyExW(HKEY_CURRENT_USER, u"ControlPanel\\Setting\\FlyMode", 0, nullptr, 0, 0, nullptr, &key, nullptr),
        ERROR_SUCCESS);
    DWORD on = 1;
    RegSetValueExW(key, u"FlyModeFlag", 0, REG_DWORD, (const BYTE*)&on, sizeof on);
    ProbeWnd* w = MakeWindow("tc_mfuncno=31000&tc_sfuncno=6");
    w->SendMessage(WM_SEND_REQUEST, (WPARAM)-1, 0);
    DWORD off = 0;
    RegSetValueExW(key, u"FlyModeFlag", 0, REG_DWORD, (const BYTE*)&off, sizeof off);
    RegCloseKey(key);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, u"系统处于飞行模式，无法连接网络，系统无法登陆！");
    MSG msg;
    bool quit = false;
    while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE))
        quit = quit || msg.message == WM_QUIT;
    EXPECT_TRUE(quit);
    EXPECT_EQ(w->builds, 0);
    EXPECT_EQ(server->http.GetRequestCount(), 0);
}

namespace {

int searchesMade = 0;
std::u16string searchTitle;
HWND searchOwner = nullptr;

class SearchStub : public CBaseWnd {
public:
    SearchStub(LPCWSTR title, HWND owner) : CBaseWnd(title, owner) {}
    LPCWSTR GetMzClassName() override { return u"TestSearchStub"; }
    void OnActive() override
    {
        CBaseWnd::OnActive();
        PostMessage(WM_END_WND, 0, END_BACK);
    }
};

CBaseWnd* MakeSearch(LPCWSTR title, HWND owner)
{
    ++searchesMade;
    searchTitle = title;
    searchOwner = owner;
    return new SearchStub(title, owner);
}

} // namespace

TEST_F(NetWndTest, StockSearchRunsModallyOverTheWindowWhenInstalled)
{
    ProbeWnd* w = MakeWindow("");
    EXPECT_EQ(w->OpenStockSearch(), nullptr);
    CNetWnd::SetStockSearchMaker(MakeSearch);
    searchesMade = 0;
    EXPECT_NE(w->OpenStockSearch(), nullptr);
    CNetWnd::SetStockSearchMaker(nullptr);
    PumpMessages();
    EXPECT_EQ(searchesMade, 1);
    EXPECT_EQ(searchTitle, u"查找个股");
    EXPECT_EQ(searchOwner, w->m_hWnd);
}

TEST_F(NetWndTest, MessageBarScrollsItsTextTheGivenTimesThenHidesAndItsCloseButtonHidesIt)
{
    ProbeWnd* w = MakeWindow("");
    w->SetBarMessage(u"今日新股申购提示", 2);
    w->ShowMessageBar(TRUE);
    EXPECT_TRUE(w->IsBarVisible());
    w->Invalidate();
    UpdateWindow(w->m_hWnd); // painted with the bar's picture and close button
    PumpMessages();
    bool sawWholeText = false;
    int ticks = 0;
    while (w->IsBarVisible() && ticks < 500) {
        w->OnTimer(CNetWnd::BAR_TIMER);
        if (std::u16string(w->GetBarShownText()) == u"今日新股申购提示")
            sawWholeText = true;
        ++ticks;
    }
    EXPECT_TRUE(sawWholeText);
    EXPECT_FALSE(w->IsBarVisible());
    EXPECT_LT(ticks, 500);

    w->SetBarMessage(u"消息", 5);
    w->ShowMessageBar(TRUE);
    w->SendMessage(MZ_WM_COMMAND, MAKELONG(CNetWnd::BAR_CLOSE_ID, 0), 0);
    EXPECT_FALSE(w->IsBarVisible());
    // An empty message hides the bar at the first step.
    w->SetBarMessage(u"", 3);
    w->ShowMessageBar(TRUE);
    w->OnTimer(CNetWnd::BAR_TIMER);
    EXPECT_FALSE(w->IsBarVisible());
}

TEST_F(NetWndTest, APrivateWorkerOfAWindowStillOpenAtExitStopsBeforeTheApplicationDataGoes)
{
    ProbeWnd* w = MakeWindow("tc_mfuncno=31000&tc_sfuncno=6");
    CNetThread* own = CNetThread::Create();
    ASSERT_NE(own, nullptr);
    w->SetPrivateWorker(own);
    ASSERT_EQ(w->GetWorker(), own);
    // A server that never answers keeps the request under way until the worker is stopped.
    server->http.Faults().Arm(FAULT_SILENCE, -1);
    w->Request();
    auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!CNetThread::AnyRequestUnderWay() && std::chrono::steady_clock::now() < until) {
        PumpMessages();
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    ASSERT_TRUE(CNetThread::AnyRequestUnderWay());
    CAppData::Destroy();
    EXPECT_FALSE(CNetThread::AnyRequestUnderWay());
    server->http.Faults().Clear();
    // The window goes afterwards (tear-down) and leaves the stopped worker alone.
}
