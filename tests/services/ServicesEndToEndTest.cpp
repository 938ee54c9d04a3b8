// The real client against the stand-in server: customer service writes to the account manager and calls a
// service number, the settings are written where the next start finds them, removing the sign-up brings the
// sign-up frame back, and a newer build is announced, downloaded across a cut reply and installed, after which
// the client runs as the new build.
#include "core/ConfigStore.h"
#include "core/DeviceRegRecord.h"
#include "tests/support/ClientDriver.h"

#include "ServicesTestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <thread>

namespace {

namespace fs = std::filesystem;
using namespace e2e;

const char MOBILE[] = "13800138000";
// What the client says when the end of a download waits for the box in front to go.
const char WAITS_FOR_A_SCREEN[] = "update: the end of the download waits for a screen in front";

// Waits until the dump holds text (or the time runs out); returns the last dump. Looks often: a download keeps
// the client busy, so waiting for it to go idle would miss what shows meanwhile.
// The update package is the whole client as built: 88 MB with the sanitizers, fetched enciphered in 1 MB ranges
// and checked, which takes minutes on a machine busy with other builds.
int DownloadWaitMs()
{
    return 5 * WaitMs();
}

std::string WaitForText(ClientProcess& client, const std::string& text, int milliseconds = WaitMs())
{
    std::string dump;
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    do {
        dump = client.Dump();
        if (dump.find(text) != std::string::npos)
            break;
        client.Command("idle 100");
    } while (std::chrono::steady_clock::now() < end);
    return dump;
}

bool TapText(ClientProcess& client, const std::string& text)
{
    return client.Tap(CentreOf(WaitForText(client, "\"text\":\"" + text + "\""), RectOfText(text)));
}

// The left (0), middle (1) or right (2) button of the command bar of the top window.
bool TapCommand(ClientProcess& client, int button)
{
    Point bar = CentreOf(client.Dump(), RectOfId(101));
    if (bar.x < 0)
        return false;
    bar.x = bar.x * (2 * button + 1) / 3;
    return client.Tap(bar);
}

// Row n of the menu list of the top window (rows of 55 pixels at the default font size).
bool TapMenuRow(ClientProcess& client, int row)
{
    std::string dump = client.Dump();
    Point list = CentreOf(dump, RectOfId(170));
    std::smatch m;
    if (list.x < 0 || !std::regex_search(dump, m, std::regex(RectOfId(170))))
        return false;
    Point top = CentreOf(dump, RectOfId(170));
    top.y = top.y - (std::stoi(m[4]) - std::stoi(m[2])) / 2 + row * 55 + 27;
    return client.Tap(top);
}

// Waits until the top window is of the class; looks often, as WaitForText.
std::string WaitForFront(ClientProcess& client, const std::string& className)
{
    std::string dump;
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(WaitMs());
    do {
        dump = client.Dump();
        if (TopWindowClass(dump) == className)
            break;
        client.Command("idle 100");
    } while (std::chrono::steady_clock::now() < end);
    return dump;
}

// Waits until the client's debug output, from the last call of "log" on, holds text; returns what it read.
std::string WaitForLog(ClientProcess& client, const std::string& text, int milliseconds = WaitMs())
{
    std::string log;
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    do {
        log += client.Command("log");
        if (log.find(text) != std::string::npos)
            break;
        client.Command("idle 100");
    } while (std::chrono::steady_clock::now() < end);
    return log;
}

// The two boxes of the log-on that announce the update, each agreed to.
bool AgreeToTheUpdate(ClientProcess& client)
{
    WaitForText(client, "系统需要升级");
    if (!TapText(client, "确定"))
        return false;
    WaitForText(client, "korvatRuvAv.CAB");
    return TapText(client, "确定");
}

// From the home grid into the customer-service menu (the eighth picture).
bool OpenServiceMenu(ClientProcess& client)
{
    std::string dump = client.WaitForTop("CQXAppFrame");
    return client.Tap(CentreOf(dump, RectOfId(110))) &&
           client.WaitForTop("CQXMenuWnd").find("CQXMenuWnd") != std::string::npos;
}

} // namespace

class ServicesEndToEndTest : public ClientTest {
protected:
    // A phone that signed up earlier: the log-on goes straight to the home grid.
    void SignUp()
    {
        const char* saved = getenv("MORWICK_DEVICE");
        std::string previous = saved != nullptr ? saved : "";
        setenv("MORWICK_DEVICE", device.c_str(), 1);
        DeviceRegRecord record;
        std::string code = server->functions.SignUpCode(MOBILE);
        std::u16string mobile(MOBILE, MOBILE + sizeof MOBILE - 1), on(code.begin(), code.end());
        record.Set(mobile.c_str(), on.c_str(), nullptr, nullptr);
        EXPECT_EQ(record.Save(), 1);
        if (saved != nullptr)
            setenv("MORWICK_DEVICE", previous.c_str(), 1);
        else
            unsetenv("MORWICK_DEVICE");
    }
    std::string Setting(const char* key)
    {
        std::u16string dir(home.begin(), home.end());
        CConfigStore store(dir.c_str());
        store.LoadFromBytes(reinterpret_cast<const BYTE*>(ReadFileBytes(home + "DefParam.dat").data()),
                            (UINT)ReadFileBytes(home + "DefParam.dat").size());
        const char* value = store.GetConfig(key);
        return value != nullptr ? value : "";
    }
};

TEST_F(ServicesEndToEndTest, CustomerServiceWritesToTheAccountManagerCallsAServiceNumberAndTrafficIsCounted)
{
    SignUp();
    auto client = Start("cs");
    ASSERT_TRUE(OpenServiceMenu(*client));
    ASSERT_TRUE(TapMenuRow(*client, 0)); // 客户经理
    std::string dump = WaitForText(*client, "13911112222");
    ASSERT_EQ(TopWindowClass(dump), "CCustomerServiceWnd") << dump;

    client->Command("programs"); // only what this test starts counts
    ASSERT_TRUE(TapText(*client, "客服热线  95588"));
    EXPECT_NE(client->Command("programs").find("phone.exe 95588"), std::string::npos);

    ASSERT_TRUE(TapText(*client, "短信"));
    dump = client->WaitForTop("CSendSmsWnd");
    ASSERT_EQ(TopWindowClass(dump), "CSendSmsWnd") << dump;
    EXPECT_NE(TopWindow(dump).find("+8613911112222"), std::string::npos) << dump;
    client->Tap(CentreOf(dump, RectOfId(228)));
    client->Command("text 请回电");
    ASSERT_TRUE(TapCommand(*client, 0)); // 发送
    client->WaitForTop("CCustomerServiceWnd");
    EXPECT_NE(ReadFileBytes(device + "outbox.txt").find("+8613911112222\tinternational\t请回电"), std::string::npos)
        << ReadFileBytes(device + "outbox.txt");

    // The traffic page counts the bytes of this run: the log-in, the menus, the card.
    ASSERT_TRUE(TapCommand(*client, 2)); // 返回
    ASSERT_EQ(TopWindowClass(client->WaitForTop("CQXMenuWnd")), "CQXMenuWnd");
    ASSERT_TRUE(TapMenuRow(*client, 3)); // 流量统计
    dump = client->WaitForTop("CGPRSTextWnd");
    ASSERT_EQ(TopWindowClass(dump), "CGPRSTextWnd") << dump;
    std::string page = TopWindow(dump);
    size_t run = page.find("本次运行"), earlier = page.find("以前累计");
    ASSERT_TRUE(run != std::string::npos && earlier != std::string::npos) << page;
    std::string thisRun = page.substr(run, earlier - run);
    EXPECT_NE(thisRun.find("发送："), std::string::npos) << thisRun;
    EXPECT_EQ(thisRun.find("：0 B"), std::string::npos) << thisRun;
}

TEST_F(ServicesEndToEndTest, SettingsAreWrittenAndRemovingTheSignUpBringsTheSignUpFrameBack)
{
    SignUp();
    {
        auto client = Start("set");
        ASSERT_TRUE(OpenServiceMenu(*client));
        ASSERT_TRUE(TapMenuRow(*client, 4)); // 系统设置
        ASSERT_EQ(TopWindowClass(client->WaitForTop("CSysConfigWnd")), "CSysConfigWnd");

        struct {
            const char* row;
            const char* choice;
            const char* key;
            const char* value;
        } changes[] = {
            {"界面风格：黑底白字", "白底黑字", "UI_Style", "1"},
            {"字体大小：26", "30", "Font_Size", "30"},
            {"刷新间隔：10秒", "30秒", "Quote_RefeWait", "30"},
            {"自动锁屏：开启", "关闭", "Screen_Lock", "0"},
        };
        for (const auto& change : changes) {
            ASSERT_TRUE(TapText(*client, change.row)) << change.row;
            ASSERT_TRUE(TapText(*client, change.choice)) << change.choice;
            EXPECT_EQ(Setting(change.key), change.value) << change.key;
        }
        std::string dump = client->Dump();
        EXPECT_NE(dump.find("界面风格：白底黑字"), std::string::npos);

        // A fixed direction turns the screen at once.
        ASSERT_TRUE(TapText(*client, "屏幕方向：自动旋转"));
        ASSERT_TRUE(TapText(*client, "横屏"));
        EXPECT_EQ(Setting("Screen_Mode"), "2");
        EXPECT_NE(client->Dump().find("\"screen\":{\"width\":720"), std::string::npos);
        ASSERT_TRUE(TapText(*client, "屏幕方向：横屏"));
        ASSERT_TRUE(TapText(*client, "竖屏"));
        EXPECT_NE(client->Dump().find("\"screen\":{\"width\":480"), std::string::npos);

        ASSERT_TRUE(TapText(*client, "删除本机注册信息"));
        ASSERT_TRUE(TapText(*client, "是"));
        WaitForText(*client, "注册信息已删除，下次启动时需要重新注册。");
        ASSERT_TRUE(TapText(*client, "确定"));
    }
    // The next start finds no sign-up and asks for one.
    auto client = Start("again");
    std::string dump = client->WaitForTop("CRegisterVerifyFrame");
    EXPECT_EQ(TopWindowClass(dump), "CRegisterVerifyFrame") << dump;
    EXPECT_EQ(Setting("Font_Size"), "30");
}

class UpdateEndToEndTest : public ServicesEndToEndTest {
protected:
    CServerOptions ServerOptions() override
    {
        CServerOptions options = ClientTest::ServerOptions();
        options.version = "3.3.2.0.1";
        options.updateInfo = "新版本：更快的行情刷新。";
        return options;
    }
    // A package of twenty ranges that is never installed; its ranges come 5 s apart until the faults are cleared,
    // so the download is still going on however slowly a busy machine brings the test to the step it waits for.
    void ServeSlowPackage()
    {
        std::string path = root.Path() + "package";
        std::string bytes(20 << 20, '\0');
        for (size_t i = 0; i < bytes.size(); ++i)
            bytes[i] = static_cast<char>((i * 7 + i / 1000) & 0xFF);
        std::ofstream(path, std::ios::binary).write(bytes.data(), (std::streamsize)bytes.size());
        ASSERT_TRUE(server->functions.LoadPackage(path, nullptr));
        server->http.Faults().Arm(FAULT_DELAY, -1, 5000, std::string(), 800, 3);
    }
    // The client as a copy of its own: the package goes beside the program, and clients of tests running at the
    // same time must not write one file.
    std::string OwnProgram()
    {
        std::string bin = root.Path() + "bin/";
        fs::create_directories(bin);
        fs::copy_file(std::string(MORWICK_BINARY_DIR) + "/app/morwick", bin + "morwick",
                      fs::copy_options::overwrite_existing);
        return bin + "morwick";
    }
    // A client whose download of the log-on failed (the package damaged, its ranges at full speed), on the home grid.
    std::unique_ptr<ClientProcess> StartAfterAFailedDownload(const std::string& name)
    {
        ServeSlowPackage();
        server->http.Faults().Clear();
        server->functions.CorruptPackage();
        SignUp();
        auto client = Start(name, OwnProgram());
        EXPECT_TRUE(AgreeToTheUpdate(*client));
        WaitForText(*client, "升级包下载失败", DownloadWaitMs());
        return client;
    }
};

TEST_F(UpdateEndToEndTest, ANewerBuildIsAnnouncedDownloadedAcrossACutAndInstalledAndTheClientRestartsAsIt)
{
    // The update replaces this copy.
    std::string program = OwnProgram();
    std::string next = std::string(MORWICK_BINARY_DIR) + "/app/morwick-next";
    std::string error;
    ASSERT_TRUE(server->functions.LoadPackage(next, &error)) << error;
    SignUp();
    // Ranges come slowly at first, so the progress window can be seen.
    server->http.Faults().Arm(FAULT_DELAY, -1, 300, std::string(), 800, 3);

    auto client = Start("up", program);
    std::string dump = WaitForText(*client, "系统需要升级，升级过程中不影响您的使用！");
    ASSERT_TRUE(TapText(*client, "确定"));
    WaitForText(*client, "korvatRuvAv.CAB");
    ASSERT_TRUE(TapText(*client, "确定")); // the second box
    // The progress window over the home screen while the package comes.
    dump = WaitForText(*client, "正在下载升级包");
    EXPECT_NE(dump.find("正在下载升级包"), std::string::npos) << client->Command("log");
    // The next range is cut off half-way: the download goes on from where it stopped.
    server->http.Faults().Arm(FAULT_CLOSE_MID_BODY, 1, 0, std::string(), 800, 3);

    dump = WaitForText(*client, "\"windows\":[{\"class\":\"CQXNoticeWnd\"", DownloadWaitMs());
    ASSERT_EQ(TopWindowClass(dump), "CQXNoticeWnd") << client->Command("log");
    EXPECT_NE(TopWindow(dump).find("新版本：更快的行情刷新。"), std::string::npos) << dump;
    EXPECT_EQ(ReadFileBytes(program + ".update"), ReadFileBytes(next));
    EXPECT_EQ(server->http.Faults().Take(800, 3).kind, FAULT_NONE); // the cut was met and survived

    EXPECT_NE(TopWindow(dump).find(R"("items":["首页","安装","返回"])"), std::string::npos) << dump;
    ASSERT_TRUE(TapCommand(*client, 1)); // 安装
    // The same process starts again as the new build and logs straight in, with no update to offer.
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(WaitMs());
    while (Setting("System_Version").rfind("3.3", 0) != 0 && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(Setting("System_Version").substr(0, 4), "3.3.");
    ASSERT_TRUE(client->Ready());
    dump = client->WaitForTop("CQXAppFrame");
    EXPECT_EQ(TopWindowClass(dump), "CQXAppFrame") << dump;
    EXPECT_EQ(dump.find("系统需要升级"), std::string::npos);
    EXPECT_EQ(ReadFileBytes(program), ReadFileBytes(next));
    EXPECT_FALSE(fs::exists(program + ".update"));
}

TEST_F(UpdateEndToEndTest, AFailingPackageAskedForFromTheServiceMenuIsToldOnceItsBoxHasGoneAndLeavesTheUserThere)
{
    auto client = StartAfterAFailedDownload("fail");
    ASSERT_TRUE(OpenServiceMenu(*client));

    // 软件升级: the download starts again and fails while its box is still up; the failure is told once it has gone.
    client->Command("log");
    ASSERT_TRUE(TapMenuRow(*client, 5));
    std::string log = WaitForLog(*client, WAITS_FOR_A_SCREEN, DownloadWaitMs());
    ASSERT_NE(log.find(WAITS_FOR_A_SCREEN), std::string::npos) << client->Dump();
    ASSERT_EQ(TopWindowClass(client->Dump()), "MzMessageBoxWnd");
    ASSERT_TRUE(TapText(*client, "确定"));
    std::string dump = WaitForText(*client, "升级包下载失败");
    EXPECT_EQ(TopWindowClass(dump), "MzTipWnd") << dump;
    dump = WaitForFront(*client, "CQXMenuWnd");
    EXPECT_EQ(TopWindowClass(dump), "CQXMenuWnd") << dump;
    EXPECT_NE(TopWindow(dump).find("软件升级"), std::string::npos) << dump;
}

// The end of a download waits while a box is in front; the notice then opens over the screen, and the user leaves
// it and every screen under it with 返回 and 首页. First the download the log-on starts, ending while 关于's box is up.
TEST_F(UpdateEndToEndTest, ADownloadEndingUnderABoxIsToldOnceTheBoxHasGoneAndEveryScreenCanBeLeft)
{
    ASSERT_NO_FATAL_FAILURE(ServeSlowPackage());
    SignUp();
    auto client = Start("box", OwnProgram());
    ASSERT_TRUE(AgreeToTheUpdate(*client));
    ASSERT_TRUE(TapText(*client, "后台下载")) << client->Dump();
    ASSERT_TRUE(OpenServiceMenu(*client));
    ASSERT_TRUE(TapMenuRow(*client, 6)); // 关于
    WaitForText(*client, "当前软件版本");

    client->Command("log");
    server->http.Faults().Clear();
    std::string log = WaitForLog(*client, WAITS_FOR_A_SCREEN, DownloadWaitMs());
    ASSERT_NE(log.find(WAITS_FOR_A_SCREEN), std::string::npos) << client->Dump();
    std::string dump = client->Dump();
    ASSERT_EQ(TopWindowClass(dump), "MzMessageBoxWnd") << dump;
    ASSERT_TRUE(TapText(*client, "确定"));
    dump = WaitForFront(*client, "CQXNoticeWnd");
    ASSERT_EQ(TopWindowClass(dump), "CQXNoticeWnd") << dump << client->Command("log");
    ASSERT_TRUE(TapCommand(*client, 2)); // 返回
    ASSERT_EQ(TopWindowClass(WaitForFront(*client, "CQXMenuWnd")), "CQXMenuWnd");
    ASSERT_TRUE(TapCommand(*client, 0)); // 首页
    dump = WaitForFront(*client, "CQXAppFrame");
    EXPECT_EQ(TopWindowClass(dump), "CQXAppFrame") << dump;
}

// 软件升级: the progress comes in front once its box has gone; asked again while the download goes on, the download
// ends under the box, and the notice follows it.
TEST_F(UpdateEndToEndTest, TheManualUpdateShowsItsProgressInFrontAndItsNoticeOnceTheBoxHasGone)
{
    auto client = StartAfterAFailedDownload("manual");
    server->functions.CorruptPackage(); // whole again
    server->http.Faults().Arm(FAULT_DELAY, -1, 5000, std::string(), 800, 3);
    ASSERT_TRUE(OpenServiceMenu(*client));

    ASSERT_TRUE(TapMenuRow(*client, 5)); // 软件升级
    ASSERT_TRUE(TapText(*client, "确定"));
    std::string dump = WaitForFront(*client, "ProgressDialog");
    ASSERT_EQ(TopWindowClass(dump), "ProgressDialog") << dump;
    EXPECT_NE(TopWindow(dump).find("正在下载升级包"), std::string::npos) << dump;
    ASSERT_TRUE(TapText(*client, "后台下载"));
    ASSERT_EQ(TopWindowClass(WaitForFront(*client, "CQXMenuWnd")), "CQXMenuWnd");

    ASSERT_TRUE(TapMenuRow(*client, 5));
    WaitForText(*client, "已启动升级");
    client->Command("log");
    server->http.Faults().Clear();
    std::string log = WaitForLog(*client, WAITS_FOR_A_SCREEN, DownloadWaitMs());
    ASSERT_NE(log.find(WAITS_FOR_A_SCREEN), std::string::npos) << client->Dump();
    ASSERT_EQ(TopWindowClass(client->Dump()), "MzMessageBoxWnd");
    ASSERT_TRUE(TapText(*client, "确定"));
    ASSERT_EQ(TopWindowClass(WaitForFront(*client, "CQXNoticeWnd")), "CQXNoticeWnd") << client->Command("log");
    ASSERT_TRUE(TapCommand(*client, 0)); // 首页
    dump = WaitForFront(*client, "CQXAppFrame");
    EXPECT_EQ(TopWindowClass(dump), "CQXAppFrame") << dump;
}
