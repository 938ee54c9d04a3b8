// The real client, headless, against the stand-in server on loopback, driven through its automation socket:
// a phone without a sign-up goes through the sign-up frame to the home grid; the next start logs straight in;
// the exit button asks first and logs out.
#include "core/ConfigStore.h"
#include "platform/automation/Automation.h"
#include "platform/device/RsaKeyPair.h"
#include "server/HttpServer.h"
#include "server/ServerFunctions.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <regex>
#include <signal.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;
using morwick::automation::SendCommand;

// Start-up and waits are generous for sanitizer builds; MORWICK_E2E_WAIT_MS shortens or lengthens them.
int WaitMs()
{
    const char* text = getenv("MORWICK_E2E_WAIT_MS");
    return text != nullptr && atoi(text) > 0 ? atoi(text) : 30000;
}

struct Point {
    int x = -1, y = -1;
};

// The screen position of the centre of the first control matching pattern (a regex over the dump that captures
// the control's rect) in the top window, whose rect is the first one in the dump.
Point CentreOf(const std::string& dump, const std::string& controlPattern)
{
    std::smatch window, control;
    static const std::regex windowRect(R"re("windows":\[\{"class":"[^"]*","title":"[^"]*","rect":\[(-?\d+),(-?\d+),)re");
    if (!std::regex_search(dump, window, windowRect) || !std::regex_search(dump, control, std::regex(controlPattern)))
        return {};
    int left = std::stoi(window[1]), top = std::stoi(window[2]);
    int x1 = std::stoi(control[1]), y1 = std::stoi(control[2]), x2 = std::stoi(control[3]), y2 = std::stoi(control[4]);
    return {left + (x1 + x2) / 2, top + (y1 + y2) / 2};
}

std::string RectOfId(int id)
{
    return "\"id\":" + std::to_string(id) + R"re(,"rect":\[(\d+),(\d+),(\d+),(\d+)\])re";
}

std::string RectOfText(const std::string& text)
{
    return R"re("rect":\[(\d+),(\d+),(\d+),(\d+)\],"visible":true,"enabled":true,"text":")re" + text + "\"";
}

std::string TopWindowClass(const std::string& dump)
{
    std::smatch m;
    if (std::regex_search(dump, m, std::regex(R"re("windows":\[\{"class":"([^"]*)")re")))
        return m[1];
    return "";
}

// The part of the dump that describes the top window.
std::string TopWindow(const std::string& dump)
{
    size_t start = dump.find("\"windows\":[{");
    if (start == std::string::npos)
        return "";
    size_t next = dump.find("{\"class\":", start + 13);
    return dump.substr(start, next == std::string::npos ? std::string::npos : next - start);
}

// A point of the first control matching the pattern: its middle across, dy below its top.
Point NearTop(const std::string& dump, const std::string& controlPattern, int dy)
{
    std::smatch control;
    Point p = CentreOf(dump, controlPattern);
    if (p.x < 0 || !std::regex_search(dump, control, std::regex(controlPattern)))
        return {};
    return {p.x, p.y - (std::stoi(control[4]) - std::stoi(control[2])) / 2 + dy};
}

int Count(const std::string& text, const std::string& part)
{
    int n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size()))
        ++n;
    return n;
}

class ClientProcess {
public:
    ClientProcess(const std::string& home, const std::string& device, const std::string& socket) : socket(socket)
    {
        std::string program = std::string(MORWICK_BINARY_DIR) + "/app/morwick";
        std::vector<std::string> env = {"MORWICK_HOME=" + home, "MORWICK_DEVICE=" + device,
                                        "MORWICK_AUTOMATION=" + socket, "MORWICK_DISPLAY=headless"};
        // The test process's own folder for running clients, so a client of another test never counts as this
        // one's running instance.
        if (const char* runtime = getenv("MORWICK_RUNTIME_DIR"))
            env.push_back(std::string("MORWICK_RUNTIME_DIR=") + runtime);
        for (char** e = environ; *e != nullptr; ++e) {
            std::string entry = *e;
            if (entry.rfind("MORWICK_", 0) != 0)
                env.push_back(entry);
        }
        std::vector<char*> envp;
        for (std::string& e : env)
            envp.push_back(e.data());
        envp.push_back(nullptr);
        char* argv[] = {program.data(), nullptr};
        if (posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv, envp.data()) != 0)
            pid = -1;
    }
    ~ClientProcess()
    {
        if (pid > 0 && !exited) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
    }
    bool Started() const { return pid > 0; }
    // Waits until the automation socket answers.
    bool Ready()
    {
        auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(WaitMs());
        while (std::chrono::steady_clock::now() < end) {
            if (!Command("idle 50").empty())
                return true;
            if (HasExited())
                return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return false;
    }
    std::string Command(const std::string& line) { return SendCommand(socket, line); }
    void Idle() { Command("idle 2000"); }
    std::string Dump() { return Command("dump"); }
    bool Tap(Point p)
    {
        if (p.x < 0)
            return false;
        Command("tap " + std::to_string(p.x) + " " + std::to_string(p.y));
        Idle();
        return true;
    }
    // Waits until the top window is of the class (or the time runs out); returns the last dump.
    std::string WaitForTop(const std::string& className)
    {
        std::string dump;
        auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(WaitMs());
        do {
            Idle();
            dump = Dump();
            if (TopWindowClass(dump) == className)
                break;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        } while (std::chrono::steady_clock::now() < end);
        return dump;
    }
    bool HasExited()
    {
        if (exited)
            return true;
        int s = 0;
        if (waitpid(pid, &s, WNOHANG) == pid) {
            exited = true;
            status = s;
        }
        return exited;
    }
    // Waits for the end of the process; its exit status, or -1 when it did not end in time.
    int WaitExit()
    {
        auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(WaitMs());
        while (!HasExited() && std::chrono::steady_clock::now() < end)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        return exited && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

private:
    std::string socket;
    pid_t pid = -1;
    bool exited = false;
    int status = 0;
};

} // namespace

class ClientEndToEndTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        home = root.Path() + "home/";
        device = root.Path() + "device/";
        fs::create_directories(home);
        fs::create_directories(device);
        std::error_code ignored;
        fs::path art = fs::path(MORWICK_BINARY_DIR) / "app";
        for (const auto& entry : fs::directory_iterator(art, ignored)) {
            if (entry.is_directory() || entry.path().extension() == ".png")
                fs::copy(entry.path(), fs::path(home) / entry.path().filename(),
                         fs::copy_options::recursive | fs::copy_options::overwrite_existing, ignored);
        }
        ASSERT_TRUE(keys.LoadOrCreate(root.Path() + "server-key.pem"));
        ASSERT_TRUE(keys.ExportPublicKey(home + "pubkey.bin"));
        CServerOptions options;
        options.seed = 7;
        options.marketMinutesPerSecond = 0;
        options.startMinute = 60; // an hour into the day, whatever the clock says, so the charts have minutes
        options.today = 20251208;
        functions = std::make_unique<CServerFunctions>(options, &keys);
        http = std::make_unique<CHttpServer>(*functions);
        ASSERT_EQ(http->Start(0, -1), 1);
        // The client talks to this server: its port in the client's stored settings.
        std::u16string dir(home.begin(), home.end());
        CConfigStore store(dir.c_str());
        CAString version;
        store.Load(&version);
        ASSERT_TRUE(store.SetConfig("Server_Port", std::to_string(http->GetPort()).c_str(), 1));
    }
    void TearDown() override { http->Stop(); }
    int Sessions()
    {
        std::smatch m;
        std::string status = http->Control("status");
        return std::regex_search(status, m, std::regex(R"(sessions (\d+))")) ? std::stoi(m[1]) : -1;
    }

    TempFolder root;
    std::string home, device;
    CRsaKeyPair keys;
    std::unique_ptr<CServerFunctions> functions;
    std::unique_ptr<CHttpServer> http;
};

TEST_F(ClientEndToEndTest, SignUpLeadsToTheHomeGridTheNextStartLogsStraightInAndExitAsksAndLogsOut)
{
    {
        ClientProcess client(home, device, root.Path() + "a.sock");
        ASSERT_TRUE(client.Started());
        ASSERT_TRUE(client.Ready());
        // No sign-up on this phone yet: the log-in is refused and the sign-up frame opens over the log-on window.
        std::string dump = client.WaitForTop("CRegisterVerifyFrame");
        ASSERT_EQ(TopWindowClass(dump), "CRegisterVerifyFrame") << dump;
        // The help page shows the server's help text and its only button goes back.
        ASSERT_TRUE(client.Tap(CentreOf(dump, RectOfId(141))));
        std::string help = client.WaitForTop("CRegisterHelpWnd");
        ASSERT_EQ(TopWindowClass(help), "CRegisterHelpWnd") << help;
        EXPECT_NE(TopWindow(help).find(R"("items":["","","返回"])"), std::string::npos) << help;
        Point back = CentreOf(help, RectOfId(101));
        back.x = back.x * 5 / 3; // "返回" is the right third
        ASSERT_TRUE(client.Tap(back));
        dump = client.WaitForTop("CRegisterVerifyFrame");
        ASSERT_EQ(TopWindowClass(dump), "CRegisterVerifyFrame") << dump;
        client.Command("tap " + std::to_string(CentreOf(dump, RectOfId(300)).x) + " " +
                       std::to_string(CentreOf(dump, RectOfId(300)).y));
        client.Command("text 13800138000");
        Point bar = CentreOf(dump, RectOfId(101)); // the command bar: "登录" is its left third
        bar.x /= 3;
        ASSERT_TRUE(client.Tap(bar));
        dump = client.WaitForTop("CQXAppFrame");
        ASSERT_EQ(TopWindowClass(dump), "CQXAppFrame") << dump;
        EXPECT_EQ(Count(TopWindow(dump), "\"kind\":\"UiImageButton\""), 9);
        // Leave without logging out: the phone keeps its sign-up for the next start.
    }
    ClientProcess client(home, device, root.Path() + "b.sock");
    ASSERT_TRUE(client.Ready());
    std::string dump = client.WaitForTop("CQXAppFrame");
    ASSERT_EQ(TopWindowClass(dump), "CQXAppFrame") << dump;
    std::string frame = TopWindow(dump);
    EXPECT_EQ(Count(frame, "\"kind\":\"UiImageButton\""), 9);
    for (int id = 103; id <= 111; ++id)
        EXPECT_NE(frame.find("\"id\":" + std::to_string(id) + ","), std::string::npos) << id;
    std::string shot = root.Path() + "home.png";
    client.Command("shot " + shot);
    ASSERT_TRUE(fs::exists(shot));
    EXPECT_GT(fs::file_size(shot), 1000u);

    // The first entry of the server's menu opens over the home frame; its "首页" walks back home.
    ASSERT_TRUE(client.Tap(CentreOf(dump, RectOfId(103))));
    std::string opened = client.Dump();
    EXPECT_NE(TopWindowClass(opened), "CQXAppFrame") << opened;
    Point home = CentreOf(opened, RectOfId(101));
    home.x /= 3;
    ASSERT_TRUE(client.Tap(home));
    dump = client.WaitForTop("CQXAppFrame");
    ASSERT_EQ(TopWindowClass(dump), "CQXAppFrame") << dump;

    // Exit asks first; "no" keeps the client running.
    Point exitButton = CentreOf(dump, RectOfId(111));
    ASSERT_TRUE(client.Tap(exitButton));
    dump = client.Dump();
    ASSERT_NE(TopWindow(dump).find("您确定退出系统？"), std::string::npos) << dump;
    ASSERT_TRUE(client.Tap(CentreOf(dump, RectOfText("否"))));
    EXPECT_EQ(TopWindowClass(client.Dump()), "CQXAppFrame");
    EXPECT_FALSE(client.HasExited());
    int sessions = Sessions();
    EXPECT_GE(sessions, 1);

    // "Yes" logs the session out and ends the client.
    ASSERT_TRUE(client.Tap(exitButton));
    dump = client.Dump();
    client.Command("tap " + std::to_string(CentreOf(dump, RectOfText("是")).x) + " " +
                   std::to_string(CentreOf(dump, RectOfText("是")).y));
    EXPECT_EQ(client.WaitExit(), 0);
    EXPECT_EQ(Sessions(), sessions - 1);
}

TEST_F(ClientEndToEndTest, FromTheRankedTableAUserOpensBothChartsMovesTheCursorAndZooms)
{
    ClientProcess client(home, device, root.Path() + "c.sock");
    ASSERT_TRUE(client.Ready());
    // Sign this phone up, as in the test above.
    std::string dump = client.WaitForTop("CRegisterVerifyFrame");
    ASSERT_EQ(TopWindowClass(dump), "CRegisterVerifyFrame") << dump;
    Point number = CentreOf(dump, RectOfId(300));
    client.Command("tap " + std::to_string(number.x) + " " + std::to_string(number.y));
    client.Command("text 13800138001");
    Point bar = CentreOf(dump, RectOfId(101));
    bar.x /= 3;
    ASSERT_TRUE(client.Tap(bar));
    dump = client.WaitForTop("CQXAppFrame");
    ASSERT_EQ(TopWindowClass(dump), "CQXAppFrame") << dump;

    // 行情, its first entry (the ranked table), its first row: the time-share chart of that stock.
    ASSERT_TRUE(client.Tap(CentreOf(dump, RectOfId(103))));
    dump = client.WaitForTop("CQXMenuWnd");
    ASSERT_EQ(TopWindowClass(dump), "CQXMenuWnd") << dump;
    Point first = NearTop(dump, RectOfId(170), 30);
    ASSERT_TRUE(client.Tap(first));
    dump = client.WaitForTop("CQXStockTableWnd");
    ASSERT_EQ(TopWindowClass(dump), "CQXStockTableWnd") << dump;
    client.Command("idle 5000");
    dump = client.Dump();
    Point row = NearTop(dump, RectOfId(171), 30); // the stock grid under its header
    ASSERT_GE(row.x, 0) << dump;
    ASSERT_TRUE(client.Tap(row)); // the first tap selects the row, the second opens it
    ASSERT_TRUE(client.Tap(row));
    dump = client.WaitForTop("CFSFrame");
    ASSERT_EQ(TopWindowClass(dump), "CFSFrame") << dump;

    // A finger on the chart shows the values of the minute under it; lifting it hides them.
    Point chart = CentreOf(dump, R"re("kind":"chart","id":\d+,"rect":\[(\d+),(\d+),(\d+),(\d+)\])re");
    ASSERT_GE(chart.x, 0) << dump;
    client.Command("press " + std::to_string(chart.x) + " " + std::to_string(chart.y));
    client.Idle();
    std::string pressed = TopWindow(client.Dump());
    EXPECT_TRUE(std::regex_search(pressed, std::regex(R"re("kind":"chart".*"text":"\d\d:\d\d 价)re"))) << pressed;
    client.Command("release " + std::to_string(chart.x) + " " + std::to_string(chart.y));
    client.Idle();

    // The K-line chart from its tool bar (the third button), then two fingers squeeze more candles in.
    Point tools = CentreOf(dump, RectOfId(101));
    ASSERT_TRUE(client.Tap(Point{tools.x, tools.y}));
    dump = client.WaitForTop("CKXFrame");
    ASSERT_EQ(TopWindowClass(dump), "CKXFrame") << dump;
    client.Command("idle 5000");
    EXPECT_NE(TopWindow(client.Dump()).find("visible=60"), std::string::npos) << client.Dump();
    EXPECT_EQ(client.Command("pinch in"), "{\"ok\":true}");
    client.Idle();
    dump = client.Dump();
    EXPECT_NE(TopWindow(dump).find("visible=120"), std::string::npos) << dump;
    EXPECT_NE(TopWindow(dump).find("MA5:"), std::string::npos) << dump;
}
