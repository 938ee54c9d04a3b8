// The settings, traffic and update windows inside the test process against a stand-in server: settings reach the
// windows opened afterwards and survive a full disk, the server setting is checked, the traffic page shows this
// run's bytes, and the update download retries a cut, refuses a damaged package and never installs one.
#include "core/NetThread.h"
#include "services/CustomerServiceWnd.h"
#include "services/GPRSTextWnd.h"
#include "services/SysConfigWnd.h"
#include "services/UpdateManager.h"
#include "shell/NetWnd.h"
#include "tests/support/RefusingPort.h"
#include "tests/support/WindowFixture.h"

#include "ServicesTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <filesystem>
#include <fstream>

namespace {

bool Contains(const std::u16string& text, const std::u16string& part)
{
    return text.find(part) != std::u16string::npos;
}

} // namespace

class ServiceWindowsTest : public WindowTest {};

TEST_F(ServiceWindowsTest, SettingsChosenInTheSettingsWindowReachTheWindowsOpenedAfterwards)
{
    auto* settings = Open<CSysConfigWnd>(u"系统设置", nullptr);
    struct {
        const char* key;
        const char* value;
        std::u16string row;
    } changes[] = {{"UI_Style", "1", u"界面风格：白底黑字"},
                   {"Font_Size", "30", u"字体大小：30"},
                   {"Quote_RefeWait", "30", u"刷新间隔：30秒"}};
    for (const auto& change : changes) {
        ASSERT_TRUE(settings->ApplySetting(change.key, change.value));
        EXPECT_EQ(std::u16string(CSysConfigWnd::RowText(&change - changes).GetText()), change.row);
    }
    // Written to the file the next start reads.
    std::string file = ReadFileBytes(home.Path() + "DefParam.dat");
    EXPECT_NE(file.find(std::string("Font_Size") + std::string(23, '\0') + "30"), std::string::npos);

    auto* text = Open<CGPRSTextWnd>(u"流量统计", nullptr);
    EXPECT_EQ(text->textColor, 0x000000u);
    EXPECT_EQ(text->titleColor, 0x0A80FAu);
    EXPECT_EQ(text->textFontSize, 30);
    EXPECT_EQ(text->GetTextView().GetTextSize(), 30);
    auto* quotes = Open<CNetWnd>(u"行情", nullptr);
    EXPECT_EQ(quotes->refreshSeconds, 30);
    EXPECT_TRUE(messages.Empty());
}

TEST_F(ServiceWindowsTest, SettingsAndCustomerServiceFillTheScreenInBothDirections)
{
    CBaseWnd* windows[] = {Open<CSysConfigWnd>(u"系统设置", nullptr), Open<CCustomerServiceWnd>(u"客户经理", nullptr)};
    for (CBaseWnd* w : windows) {
        for (int mode : {2, 0, 3}) {
            w->SetScreenMode(mode);
            int width = w->GetWidth();
            ASSERT_EQ(width, mode == 0 ? 480 : 720) << mode;
            // Every control stays inside the margins and the widest reach the right one.
            int right = 0;
            for (UiWin* control : w->GetContentPanel().GetChildren()) {
                EXPECT_LE(control->GetPosX() + control->GetWidth(), width - 20) << mode;
                right = std::max(right, control->GetPosX() + control->GetWidth());
            }
            EXPECT_EQ(right, width - 20) << (int)(w == windows[0]) << mode;
        }
        w->SetScreenMode(0);
    }
}

TEST_F(ServiceWindowsTest, ASettingThatCannotBeWrittenKeepsItsOldValueAndIsTold)
{
    auto* settings = Open<CSysConfigWnd>(u"系统设置", nullptr);
    std::string before = ReadFileBytes(home.Path() + "DefParam.dat");
    {
        ScopedFullDisk full;
        EXPECT_FALSE(settings->ApplySetting("Font_Size", "30"));
        EXPECT_FALSE(settings->SaveServer(u"quotes.example.com", u"9000"));
    }
    CAppData* app = CAppData::Instance();
    EXPECT_STREQ(app->GetConfig("Font_Size"), "26");
    EXPECT_STREQ(app->GetConfig("Server_Port"), "8002");
    EXPECT_EQ(ReadFileBytes(home.Path() + "DefParam.dat"), before);
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(messages.shown[0].text, u"设置保存失败，原设置未改变！");
}

TEST_F(ServiceWindowsTest, TheServerSettingIsCheckedSavedAndUsedByTheNextRequest)
{
    auto* settings = Open<CSysConfigWnd>(u"系统设置", nullptr);
    struct {
        std::u16string address, port;
        bool saved;
    } cases[] = {
        {u"", u"8002", false},
        {u"quotes example.com", u"8002", false},
        {u"quotes.example.com/x", u"8002", false},
        {u"a123456789012345678901234567890.cn", u"8002", false}, // longer than the setting holds
        {u"quotes.example.com", u"0", false},
        {u"quotes.example.com", u"65536", false},
        {u"quotes.example.com", u"80a", false},
        {u"999.1.1.1", u"8002", false}, // digits and dots alone: a whole IPv4 address or nothing
        {u"256.0.0.1", u"8002", false},
        {u"10.0.7", u"8002", false},
        {u"10.0.0.7.1", u"8002", false},
        {u"10..0.7", u"8002", false},
        {u"10.0.0.0007", u"8002", false},
        {u"10.0.0.7", u"9000", true},
        {u"quotes-2.example.com", u"65535", true},
    };
    CAppData* app = CAppData::Instance();
    for (const auto& c : cases) {
        messages.Clear();
        EXPECT_EQ(settings->SaveServer(c.address.c_str(), c.port.c_str()) != FALSE, c.saved) << (int)c.port.size();
        if (!c.saved) {
            EXPECT_FALSE(messages.Empty());
            continue;
        }
        EXPECT_EQ(CWString(app->GetConfig("Server_Addr")).GetText(), c.address);
        EXPECT_EQ(CWString(app->GetConfig("Server_Port")).GetText(), c.port);
        EXPECT_EQ(CWString(app->GetHttpClient()->GetHost()).GetText(), c.address);
        EXPECT_EQ(std::to_string(app->GetHttpClient()->GetPort()), std::string(c.port.begin(), c.port.end()));
    }
}

TEST_F(ServiceWindowsTest, TrafficStatisticsShowThisRunsBytesAndTheStoredTotalsInReadableUnits)
{
    struct {
        long long bytes;
        std::u16string shown;
    } units[] = {{0, u"0 B"},           {1023, u"1023 B"},        {1536, u"1.5 KB"},
                 {3145728, u"3.00 MB"}, {1073741824, u"1.00 GB"}, {-5, u"0 B"}};
    for (const auto& u : units)
        EXPECT_EQ(CGPRSTextWnd::FormatBytes(u.bytes), u.shown) << u.bytes;

    CAppData* app = CAppData::Instance();
    app->SetConfig("Upload_Bytes", "2048", 0);
    app->SetConfig("Download_Bytes", "1048576", 0);
    app->AddTraffic(1536, 0);
    app->AddTraffic(3 * 1048576, 1);
    auto* w = Open<CGPRSTextWnd>(u"流量统计", nullptr);
    std::u16string text = w->GetText();
    for (const char16_t* line :
         {u"本次运行\r\n发送：1.5 KB\r\n接收：3.00 MB", u"以前累计\r\n发送：2.0 KB\r\n接收：1.00 MB", u"总计：4.00 MB"})
        EXPECT_TRUE(Contains(text, line)) << std::string(text.begin(), text.end()).size();

    // "刷新" reads the counters again.
    app->AddTraffic(512, 0);
    w->Refresh(0, 0);
    EXPECT_TRUE(Contains(w->GetText(), u"发送：2.0 KB\r\n接收：3.00 MB"));

    // A run past the counter's range stops at its largest value instead of wrapping to nothing.
    app->AddTraffic(INT_MAX, 1);
    app->AddTraffic(-5, 1);
    EXPECT_EQ(app->GetTraffic(1), INT_MAX);
    w->Refresh(0, 0);
    EXPECT_TRUE(Contains(w->GetText(), u"接收：2.00 GB"));
}

TEST_F(ServiceWindowsTest, TheAccountManagerCardSaysWhenItCouldNotBeFetchedAndRefreshAsksAgain)
{
    StartServer();
    CAppData* app = CAppData::Instance();
    app->SetSessionString(server->functions.Sessions().Open("", "", false).c_str());
    // 网关(CMWAP) chosen after the run's first success, and no gateway there.
    RefusingPort gateway;
    app->SetConfig("Connect_Type", "1", 0);
    app->SetConnectFallback(0);
    app->GetHttpClient()->SetGateway("127.0.0.1", gateway.port);
    auto* w = Open<CCustomerServiceWnd>(u"客户经理", nullptr);
    w->Request();
    ASSERT_TRUE(PumpUntil([&] { return w->GetRequestState() == CNetWnd::RequestState::Idle; }));
    EXPECT_EQ(std::u16string(w->GetCardText()), u"获取客户经理信息失败，请点击“刷新”重试。");
    ASSERT_FALSE(messages.Empty());
    EXPECT_TRUE(Contains(messages.shown.back().text, u"无法连接到服务器"));

    // With a gateway there, 刷新 brings the card.
    app->GetHttpClient()->SetGateway("127.0.0.1", server->Port());
    w->OnMzCommand(MAKELONG(ID_COMMAND_BAR, 0), 1);
    ASSERT_TRUE(PumpUntil([&] { return w->GetManagerMobile()[0] != 0; }));
    EXPECT_TRUE(Contains(w->GetCardText(), u"姓名："));
}

class UpdateDownloadTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        CServerOptions options = StandInServer::Defaults();
        options.version = "3.3.2.0.0";
        StartServer(options);
        package.resize(700000);
        for (size_t i = 0; i < package.size(); ++i)
            package[i] = static_cast<char>((i * 7 + i / 1000) & 0xFF);
        std::string path = home.Path() + "next-build";
        std::ofstream(path, std::ios::binary).write(package.data(), (std::streamsize)package.size());
        std::string error;
        ASSERT_TRUE(server->functions.LoadPackage(path, &error)) << error;
        CAppData::Instance()->SetSessionString(server->functions.Sessions().Open("", "", false).c_str());
        packagePath = home.Path() + "morwick.update";
        CUpdateManager::GetInstance()->SetPackagePath(std::u16string(packagePath.begin(), packagePath.end()));
    }
    // Runs the download and waits for its end.
    int Download(bool run)
    {
        CUpdateManager* manager = CUpdateManager::GetInstance();
        if (run)
            manager->Run();
        else
            manager->Start();
        EXPECT_TRUE(PumpUntil([&] { return manager->GetState() != CUpdateManager::DOWNLOADING; }));
        PumpUntil([] { return true; });
        return manager->GetState();
    }

    std::string package;
    std::string packagePath;
};

TEST_F(UpdateDownloadTest, TheDownloadRetriesACutOrDamagedRangeAndRefusesADamagedPackage)
{
    struct {
        const char* what;
        FaultKind fault;
        int arg, count; // count -1: every reply of the function
        bool corrupt;
        bool newer;
        int state;
        std::u16string told;
        int function = 3; // the fault meets the ranges (800/3) or the announcement (800/2)
    } cases[] = {
        {"clean", FAULT_NONE, 0, 1, false, true, CUpdateManager::READY, u""},
        {"cut once", FAULT_CLOSE_MID_BODY, 0, 1, false, true, CUpdateManager::READY, u""},
        {"garbage once", FAULT_GARBAGE, 0, 1, false, true, CUpdateManager::READY, u""},
        {"damaged package", FAULT_NONE, 0, 1, true, true, CUpdateManager::FAILED,
         u"升级包下载失败：错误(3)：升级包校验失败，已删除"},
        {"not newer", FAULT_NONE, 0, 1, false, false, CUpdateManager::FAILED,
         u"升级包下载失败：已是最新版本，不需要升级！"},
        // Ranges that bring no bytes (an empty body) end the download instead of asking again for ever.
        {"empty ranges", FAULT_EMPTY, 0, -1, false, true, CUpdateManager::FAILED,
         u"升级包下载失败：错误(3)：接收数据失败，请重试"},
        // An announcement that is empty or no record set ends the download as failed: it neither waits for ever
        // nor counts as a package ready to install.
        {"empty announcement", FAULT_EMPTY, 0, -1, false, true, CUpdateManager::FAILED,
         u"升级包下载失败：错误(3)：升级信息无效", 2},
        {"garbage announcement", FAULT_GARBAGE, 0, -1, false, true, CUpdateManager::FAILED,
         u"升级包下载失败：错误(3)：升级信息无效", 2},
    };
    // Messages wait for the home screen, in front.
    auto* home = Open<CBaseWnd>(u"Morwick", nullptr);
    home->Show(TRUE, TRUE);
    CAppData::Instance()->SetMainFrameWnd(home->m_hWnd);
    for (const auto& c : cases) {
        CUpdateManager::Destroy();
        CUpdateManager::GetInstance()->SetPackagePath(std::u16string(packagePath.begin(), packagePath.end()));
        messages.Clear();
        if (c.fault != FAULT_NONE)
            server->http.Faults().Arm(c.fault, c.count, c.arg, std::string(), 800, c.function);
        if (c.corrupt)
            server->functions.CorruptPackage();
        CAppData::Instance()->SetConfig("System_Version", c.newer ? "3.2.2.0.0" : "3.3.2.0.0", 0);
        if (c.state == CUpdateManager::READY) {
            // A ready package opens the notice over the home screen; here the test only looks at the package.
            CAppData::Instance()->SetMainFrameWnd(nullptr);
        } else {
            CAppData::Instance()->SetMainFrameWnd(home->m_hWnd);
        }
        long long requests = server->http.GetRequestCount();
        EXPECT_EQ(Download(false), c.state) << c.what;
        if (c.count > 0) {
            EXPECT_EQ(server->http.Faults().Take(800, c.function).kind, FAULT_NONE) << c.what; // the fault was met
        } else {
            EXPECT_LE(server->http.GetRequestCount() - requests, 4) << c.what; // two tries of two requests
        }
        server->http.Faults().Clear();
        if (c.state == CUpdateManager::READY) {
            EXPECT_EQ(ReadFileBytes(packagePath), package) << c.what;
        } else {
            EXPECT_TRUE(ReadFileBytes(packagePath).empty()) << c.what;
            if (c.fault == FAULT_NONE) {
                EXPECT_FALSE(std::filesystem::exists(packagePath)) << c.what;
            }
            EXPECT_TRUE(messages.Saw(c.told)) << c.what;
        }
        if (c.corrupt)
            server->functions.CorruptPackage(); // the same byte back
    }
}

TEST_F(UpdateDownloadTest, RunStartsTheDownloadAndAPackageChangedAfterItsCheckIsNeverInstalled)
{
    CAppData::Instance()->SetMainFrameWnd(nullptr);
    EXPECT_EQ(Download(true), CUpdateManager::READY);
    EXPECT_TRUE(messages.Saw(u"已启动升级，不会影响您现在的使用，升级完成会提示安装！"));
    EXPECT_EQ(CUpdateManager::GetInstance()->GetPackageVersion(), "3.3.2.0.0");

    // Changed on disk after the check: deleted and told, and the program stays as it is.
    std::ofstream(packagePath, std::ios::binary | std::ios::app).put('x');
    messages.Clear();
    EXPECT_FALSE(CUpdateManager::GetInstance()->Install());
    EXPECT_TRUE(messages.Saw(u"升级包校验失败，已删除"));
    EXPECT_FALSE(std::filesystem::exists(packagePath));
    EXPECT_EQ(CUpdateManager::GetInstance()->GetState(), CUpdateManager::FAILED);
}
