// The application data object: the common request fields, the session key and texts, trading state, messages,
// the line identity it sends, and use from two threads.
#include "core/AppData.h"
#include "core/ConfigStore.h"
#include "core/DataSet.h"
#include "core/FundDataCache.h"
#include "core/NetEnvironment.h"
#include "core/ServerConfig.h"
#include "platform/device/PhoneProfile.h"
#include "platform/device/Registry.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>
#include <array>
#include <cstring>
#include <fstream>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace {

class RecordingPresenter : public CMessagePresenter {
public:
    void ShowBox(const WCHAR* text, const WCHAR* caption, HWND owner) override
    {
        shown.push_back(std::u16string(u"box:") + caption + u":" + text);
        lastOwner = owner;
    }
    void ShowTip(const WCHAR* text, HWND owner, int milliseconds) override
    {
        shown.push_back(std::u16string(u"tip:") + text);
        lastOwner = owner;
        lastMilliseconds = milliseconds;
    }
    std::vector<std::u16string> shown;
    HWND lastOwner = nullptr;
    int lastMilliseconds = 0;
};

class RecordingTradeWindows : public CTradeLoginWindows {
public:
    int RunTradeLogin(HWND owner, int action) override
    {
        calls.push_back("login " + std::to_string(action));
        lastOwner = owner;
        return 7;
    }
    int RunSalesDeptSet(HWND) override
    {
        calls.push_back("yyb");
        return 1;
    }
    std::vector<std::string> calls;
    HWND lastOwner = nullptr;
};

// Trade accounts as the trade log-in reply brings them.
CDataSet* Accounts(const std::vector<std::array<const char*, 3>>& rows)
{
    auto* set = new CDataSet();
    const char* names[] = {"market", "secuid", "fundid"};
    for (const char* name : names) {
        FieldInfo field{};
        strcpy(field.name, name);
        field.type = FIELD_TEXT;
        set->AddField(&field, -1);
    }
    for (const auto& row : rows) {
        set->InsertRow(-1);
        for (int f = 0; f < 3; ++f)
            set->SetString(f, row[f]);
    }
    return set;
}

class AppDataTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        PhoneProfile profile;
        profile.serialNumber = "356938035643809";
        profile.subscriberNumber = "13912345678";
        ASSERT_TRUE(WritePhoneProfile(profile));
    }
    void TearDown() override { CAppData::Destroy(); }

    ScopedProgramHome home;
};

} // namespace

TEST_F(AppDataTest, SessionParamsHaveExactTextAndCountAcceptedRequests)
{
    CAppData* app = CAppData::Instance();
    app->GetDeviceRecord()->Set(u"13800138000", u"CODE", nullptr, nullptr);

    CAString request("TC_MFUNCNO=100&TC_SFUNCNO=1&userKey=ab");
    app->AppendSessionParams(&request);
    EXPECT_STREQ(request.GetText(),
                 "TC_MFUNCNO=100&TC_SFUNCNO=1&userKey=ab&hwID=356938035643809,13912345678&netaddr=13800138000"
                 "&softName=RuvAv&sysVer=3.2.2.0.0&tc_packageid=0&supportCompress=18");

    // A request the worker accepted advances the counter; after log-on the session rides along.
    app->NextPacketId();
    app->SetSessionString("S1D=42");
    CAString second("TC_MFUNCNO=100&TC_SFUNCNO=22&");
    app->AppendSessionParams(&second);
    EXPECT_STREQ(second.GetText(),
                 "TC_MFUNCNO=100&TC_SFUNCNO=22&hwID=356938035643809,13912345678&netaddr=13800138000"
                 "&softName=RuvAv&sysVer=3.2.2.0.0&tc_packageid=1&supportCompress=18&TC_SESSION={S1D=42}");

    // The line identifiers were read once and kept in the registry record.
    DeviceRegRecord stored;
    EXPECT_EQ(std::u16string(stored.GetOne()), u"356938035643809");
    EXPECT_EQ(std::u16string(stored.GetThing()), u"13912345678");
}

TEST_F(AppDataTest, SessionParamsIntoFixedBufferNeverOverflow)
{
    CAppData* app = CAppData::Instance();
    char buffer[64] = "a=1";
    memset(buffer + 4, 'Z', sizeof buffer - 4);
    EXPECT_EQ(app->AppendSessionParams(buffer, sizeof buffer), -1); // the fields need more room
    EXPECT_STREQ(buffer, "a=1");
    EXPECT_EQ(buffer[63], 'Z');

    char big[512] = "a=1";
    int length = app->AppendSessionParams(big, sizeof big);
    ASSERT_GT(length, 0);
    EXPECT_EQ((size_t)length, strlen(big));
    EXPECT_EQ(std::string(big).rfind("a=1&hwID=", 0), 0u);
}

TEST_F(AppDataTest, LineWithoutCellularGivesSpacesAsDeviceIds)
{
    PhoneProfile profile;
    profile.cellularLine = false;
    profile.serialNumber = "1";
    ASSERT_TRUE(WritePhoneProfile(profile));
    CAppData* app = CAppData::Instance();
    EXPECT_EQ(std::u16string(app->GetDeviceId()), u" ");
    EXPECT_EQ(std::u16string(app->GetDeviceId2()), u" ");
    CAString request("x=1&");
    app->AppendSessionParams(&request);
    EXPECT_EQ(std::string(request.GetText()).rfind("x=1&hwID= , &netaddr=&", 0), 0u);
}

TEST_F(AppDataTest, SessionKeyIsSixteenBase64CharactersForTheRunAndDiffersBetweenRuns)
{
    const std::string alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string first = CAppData::Instance()->GetSessionKey();
    ASSERT_EQ(first.size(), 16u);
    for (char c : first)
        EXPECT_NE(alphabet.find(c), std::string::npos) << c;
    EXPECT_EQ(first, CAppData::Instance()->GetSessionKey());

    std::set<std::string> keys{first};
    for (int run = 0; run < 5; ++run) {
        CAppData::Destroy();
        keys.insert(CAppData::Instance()->GetSessionKey());
    }
    EXPECT_EQ(keys.size(), 6u);
}

TEST_F(AppDataTest, SessionTextsAreKeptWholeWhateverTheirLength)
{
    CAppData* app = CAppData::Instance();
    std::string longSession(1000, 's');
    app->SetSessionString(longSession.c_str());
    EXPECT_EQ(std::string(app->GetSessionString()), longSession);
    app->SetSessionString(nullptr);
    EXPECT_STREQ(app->GetSessionString(), "");

    EXPECT_EQ(app->GetTradeSession(), nullptr);
    std::string longTrade = "khh=" + std::string(500, '9') + "&sessionid=x";
    app->SetTradeSession(longTrade.c_str());
    EXPECT_EQ(std::string(app->GetTradeSession()), longTrade);
    app->SetTradeSession(nullptr);
    EXPECT_EQ(app->GetTradeSession(), nullptr);
}

TEST_F(AppDataTest, TradeAccountLookUpsMatchExactlyOrGiveEmptyText)
{
    CAppData* app = CAppData::Instance();
    EXPECT_EQ(app->HasTradeAccounts(), 0);
    EXPECT_STREQ(app->GetFundId(nullptr), "");
    app->SetTradeAccounts(Accounts({{{"1", "A123", "F1"}}, {{"2", "0456", "F2"}}}));
    ASSERT_EQ(app->HasTradeAccounts(), 1);
    EXPECT_STREQ(app->GetFundId(nullptr), "F1");
    EXPECT_STREQ(app->GetFundId("a123"), "F1");
    EXPECT_STREQ(app->GetFundId("0456"), "F2");
    EXPECT_STREQ(app->GetFundId("A12"), ""); // not the first account's
    EXPECT_STREQ(app->GetFundId("X999"), "");
    EXPECT_STREQ(app->GetSecuId("2"), "0456");
    EXPECT_STREQ(app->GetSecuId("3"), "");
    EXPECT_STREQ(app->GetSecuId(nullptr), "");
}

TEST_F(AppDataTest, TradeLogoutDropsSessionAndLoggedInFundEntries)
{
    CAppData* app = CAppData::Instance();
    app->SetTradeAccounts(Accounts({{{"1", "A123", "F1"}}}));
    app->SetTradeSession("khh=1");
    CAppData::tradeLoggedIn = 1;
    CFundDataCache* cache = app->GetFundCache();
    CDataSet* holdings = new CDataSet();
    CDataSet* types = new CDataSet();
    cache->SetEntry1(holdings);
    cache->SetEntry5(types);
    cache->SetEntry1(holdings); // the same set again: kept, not deleted
    EXPECT_EQ(cache->GetEntry1(), holdings);

    app->TradeLogout();
    EXPECT_EQ(app->HasTradeAccounts(), 0);
    EXPECT_EQ(app->GetTradeSession(), nullptr);
    EXPECT_EQ(CAppData::tradeLoggedIn.load(), 0);
    EXPECT_EQ(cache->GetEntry1(), nullptr);
    EXPECT_EQ(cache->GetEntry5(), types); // kept for the run

    // A new log-in does not bring the old holdings back.
    app->SetTradeAccounts(Accounts({{{"1", "A123", "F1"}}}));
    EXPECT_EQ(cache->GetEntry1(), nullptr);

    // Nor does another account's log-in show the first account's holdings; handing in the same set keeps them.
    CDataSet* ownHoldings = new CDataSet();
    cache->SetEntry1(ownHoldings);
    cache->SetEntry7(new CDataSet());
    app->SetTradeAccounts(app->GetTradeAccounts());
    EXPECT_EQ(cache->GetEntry1(), ownHoldings);
    app->SetTradeAccounts(Accounts({{{"1", "B777", "F9"}}}));
    EXPECT_EQ(cache->GetEntry1(), nullptr);
    EXPECT_EQ(cache->GetEntry7(), nullptr);
    EXPECT_STREQ(app->GetFundId(nullptr), "F9");
}

TEST_F(AppDataTest, TheTradingPasswordLeavesNoCopyInMemoryWhenReplacedOrAtLogOut)
{
    CAppData* app = CAppData::Instance();
    app->SetTradePassword("73915286");
    const char* held = app->GetTradePassword();
    ASSERT_NE(held, nullptr);
    app->SetTradePassword("135");
    ASSERT_EQ(app->GetTradePassword(), held); // the same storage, wiped before the new text went in
    EXPECT_EQ(std::string(held, 9), std::string("135\0\0\0\0\0\0", 9));
    app->TradeLogout();
    EXPECT_EQ(app->GetTradePassword(), nullptr);
    EXPECT_EQ(std::string(held, 4), std::string(4, '\0'));
}

TEST_F(AppDataTest, FundEntriesOfTheLogInReadEmptyWhileLoggedOut)
{
    CAppData* app = CAppData::Instance();
    CFundDataCache* cache = app->GetFundCache();
    cache->SetEntry7(new CDataSet());
    EXPECT_EQ(cache->GetEntry7(), nullptr); // held, but not logged in
    app->SetTradeAccounts(Accounts({{{"1", "A123", "F1"}}}));
    CDataSet* prices = new CDataSet();
    cache->SetEntry7(prices);
    EXPECT_EQ(cache->GetEntry7(), prices);
    app->SetTradeAccounts(Accounts({})); // an account list without rows logs out
    EXPECT_EQ(cache->GetEntry7(), nullptr);
    cache->SetEntry(8, nullptr); // no such entry: nothing happens
    EXPECT_EQ(cache->GetEntry(0), nullptr);

    // Asked when no application data exists (start or exit), a cache answers nothing and builds none.
    CAppData::Destroy();
    CFundDataCache alone;
    alone.SetEntry1(new CDataSet());
    EXPECT_EQ(alone.GetEntry1(), nullptr);
    EXPECT_EQ(CAppData::Existing(), nullptr);
}

TEST_F(AppDataTest, ShortMessagesGoToBoxLongerOnesToTip)
{
    CAppData* app = CAppData::Instance();
    RecordingPresenter presenter;
    app->SetMessagePresenter(&presenter);
    app->SetMainFrameWnd((HWND)0x1234);
    app->ShowMessage("\xb5\xc7\xc2\xbc", nullptr, 999); // 登录
    app->ShowMessage("done", (HWND)0x99, 1000);
    ASSERT_EQ(presenter.shown.size(), 2u);
    EXPECT_EQ(presenter.shown[0], u"box:Message:登录");
    EXPECT_EQ(presenter.shown[1], u"tip:done");
    EXPECT_EQ(presenter.lastMilliseconds, 1000);
    EXPECT_EQ(presenter.lastOwner, (HWND)0x99);
    app->ShowMessage(nullptr, nullptr, 2000);
    EXPECT_EQ(presenter.lastOwner, (HWND)0x1234); // the main frame by default
    app->SetMessagePresenter(nullptr);
}

TEST_F(AppDataTest, TradeLoginRunsTheRightWindow)
{
    CAppData* app = CAppData::Instance();
    RecordingPresenter presenter;
    RecordingTradeWindows windows;
    app->SetMessagePresenter(&presenter);
    app->SetTradeLoginWindows(&windows);

    // No branch offices yet: explained, then the branch-office window.
    EXPECT_EQ(app->ShowTradeLogin((HWND)0x5, 3), 1);
    ASSERT_EQ(presenter.shown.size(), 1u);
    EXPECT_EQ(presenter.shown[0], u"box:提示:请先设置好营业部（之后也可以在“软件设置”中添加和删除营业部）");
    ASSERT_EQ(windows.calls.size(), 1u);
    EXPECT_EQ(windows.calls[0], "yyb");

    ASSERT_TRUE(app->WriteDataFile("yyb", "0001|Branch", 12));
    EXPECT_EQ(app->ShowTradeLogin((HWND)0x5, 3), 7);
    EXPECT_EQ(windows.calls.back(), "login 3");
    EXPECT_EQ(windows.lastOwner, (HWND)0x5);

    // Logged in: -1 at once, nothing shown.
    app->SetTradeAccounts(Accounts({{{"1", "A123", "F1"}}}));
    size_t before = windows.calls.size() + presenter.shown.size();
    EXPECT_EQ(app->ShowTradeLogin((HWND)0x5, 3), -1);
    EXPECT_EQ(windows.calls.size() + presenter.shown.size(), before);
    app->SetMessagePresenter(nullptr);
    app->SetTradeLoginWindows(nullptr);
}

TEST_F(AppDataTest, MissingSettingsReadAsDefaultsNotCrashes)
{
    CAppData* app = CAppData::Instance();
    EXPECT_EQ(app->GetConfig("No_Such_Key"), nullptr);
    EXPECT_EQ(app->GetConfigInt("No_Such_Key", 10), 10);
    EXPECT_EQ(app->GetConfigInt("Quote_RefeWait", 99), 10);
    EXPECT_EQ(app->GetScreenMode(), 4);
    EXPECT_STREQ(app->GetConfig("Server_Addr"), MORWICK_SERVER_ADDR);
    EXPECT_EQ(app->GetColor(15), RGB(255, 38, 38));
    EXPECT_EQ(app->GetColor(45), 0u);
    EXPECT_EQ(std::u16string(app->GetFullPath(u"pubkey.bin").GetText()),
              std::u16string(app->GetAppDir().GetText()) + u"pubkey.bin");
}

TEST_F(AppDataTest, WorkerThreadSharesKeyCountersAndSettingsSafely)
{
    CAppData* app = CAppData::Instance();
    CNetEnvironment* environment = GetNetEnvironment();
    std::vector<std::thread> workers;
    std::vector<std::string> keys(4);
    for (int t = 0; t < 4; ++t)
        workers.emplace_back([&, t] {
            keys[t] = environment->GetSessionKey();
            for (int i = 0; i < 1000; ++i) {
                environment->AddTraffic(3, 0);
                environment->AddTraffic(5, 1);
                const char* port = environment->GetConfig("Server_Port");
                ASSERT_NE(port, nullptr);
                ASSERT_TRUE(strcmp(port, "8002") == 0 || strcmp(port, "9003") == 0) << port;
            }
        });
    for (int i = 0; i < 200; ++i)
        app->SetConfig("Server_Port", i % 2 ? "9003" : "8002", 0);
    for (auto& w : workers)
        w.join();
    for (const std::string& key : keys)
        EXPECT_EQ(key, keys[0]);
    EXPECT_EQ(app->GetTraffic(0), 12000);
    EXPECT_EQ(app->GetTraffic(1), 20000);
    EXPECT_EQ(app->GetTraffic(2), 0);
    EXPECT_EQ(environment->GetConfig("No_Such_Key"), nullptr);

    // The transport holds the server's address while it asks for the port.
    const char* address = environment->GetConfig("Server_Addr");
    const char* port = environment->GetConfig("Server_Port");
    ASSERT_NE(address, nullptr);
    ASSERT_NE(port, nullptr);
    EXPECT_STREQ(address, MORWICK_SERVER_ADDR);
    EXPECT_STREQ(port, "9003");
}

TEST_F(AppDataTest, SettingMissingFromAnOlderFileFallsBackToItsDefault)
{
    // An older client's file whose record 21 holds another key: "Screen_Mode" is then absent.
    std::string file;
    for (int i = 0; i < CONFIG_DEFAULT_COUNT; ++i) {
        char record[CONFIG_RECORD_SIZE] = {};
        strcpy(record, i == 21 ? "Old_Setting" : CConfigStore::DefaultKey(i));
        strcpy(record + 32, i == 21 ? "x" : CConfigStore::DefaultValue(i));
        file.append(record, sizeof record);
    }
    std::ofstream(home.File("DefParam.dat"), std::ios::binary) << file;
    CAppData* app = CAppData::Instance();
    EXPECT_EQ(app->GetConfig("Screen_Mode"), nullptr);
    EXPECT_EQ(app->GetScreenMode(), 4);
}

TEST_F(AppDataTest, ServerConfigurationsReadTheCachedFileAndShowTheirErrorsOverTheMainFrame)
{
    CAppData* app = CAppData::Instance();
    RecordingPresenter presenter;
    app->SetMessagePresenter(&presenter);
    app->SetMainFrameWnd((HWND)0x77);

    // No "config" saved yet: the quote screens' dictionary says so for 5000 ms and holds nothing.
    CServerConfig* dict = GetQuoteParamDict(app);
    ASSERT_NE(dict, nullptr);
    ASSERT_EQ(presenter.shown.size(), 1u);
    EXPECT_EQ(presenter.shown[0], u"tip:未取到错误信息");
    EXPECT_EQ(presenter.lastMilliseconds, 5000);
    EXPECT_EQ(presenter.lastOwner, (HWND)0x77);
    EXPECT_EQ(dict->Get("market"), nullptr);

    // Once the log-on saved it, the same dictionary and any configuration a screen makes read it.
    CDataSet table;
    FieldInfo key{}, value{};
    strcpy(key.name, "key");
    key.type = FIELD_TEXT;
    strcpy(value.name, "value");
    value.type = FIELD_TEXT;
    table.AddField(&key, 0);
    table.AddField(&value, 1);
    table.InsertRow(-1);
    table.SetString(0, "market");
    table.SetString(1, "1^SH#2^SZ#");
    BYTE* bytes = nullptr;
    DWORD size = table.Serialize(&bytes);
    ASSERT_TRUE(app->WriteDataFile("config", bytes, size));
    free(bytes);

    EXPECT_EQ(GetQuoteParamDict(app), dict);
    dict->Load(0);
    EXPECT_STREQ(dict->Get("Market"), "1^SH#2^SZ#");
    CServerConfig own;
    own.Load(0);
    EXPECT_STREQ(own.Get("market"), "1^SH#2^SZ#");
    app->SetMessagePresenter(nullptr);

    // After the object is gone a configuration reads nothing instead of a freed store.
    CAppData::Destroy();
    CServerConfig late;
    late.Load(0);
    EXPECT_EQ(late.Get("market"), nullptr);
}
