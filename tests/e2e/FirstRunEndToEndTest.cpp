// What a new user meets: every home button opens the screen its picture names; tools/run-client points the client
// at the server it started, tells how to drive a client without a display and fails clearly when its server cannot
// listen; a script that keeps its automation connection open does not keep the client from ending.
#include "platform/automation/Automation.h"
#include "tests/support/ClientDriver.h"

#include <chrono>
#include <cstdio>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace e2e;

namespace {

// The labels drawn on the home grid's pictures, in button order (103 on), from the artwork's own source.
std::vector<std::string> TileLabels()
{
    std::ifstream in(std::string(MORWICK_SOURCE_DIR) + "/tools/make-artwork.py");
    std::stringstream text;
    text << in.rdbuf();
    std::string source = text.str();
    size_t start = source.find("TILES = [");
    size_t end = source.find("\n]", start);
    std::vector<std::string> labels;
    if (start == std::string::npos || end == std::string::npos)
        return labels;
    std::string block = source.substr(start, end - start + 1);
    static const std::regex label(R"re("([^"]+)"\),\n)re");
    for (std::sregex_iterator it(block.begin(), block.end(), label), last; it != last; ++it)
        labels.push_back((*it)[1]);
    return labels;
}

struct ScreenRect {
    int left = -1, top = -1, right = -1, bottom = -1;
    Point Centre() const { return left < 0 ? Point{} : Point{(left + right) / 2, (top + bottom) / 2}; }
};

// The screen rectangle of the top window's control with this id, straight from the dump.
ScreenRect ScreenRectOfId(const std::string& dump, int id)
{
    std::string top = TopWindow(dump);
    std::smatch m;
    std::regex pattern("\"id\":" + std::to_string(id) +
                       R"re(,[^{}]*"screenRect":\[(-?\d+),(-?\d+),(-?\d+),(-?\d+)\])re");
    if (!std::regex_search(top, m, pattern))
        return {};
    return {std::stoi(m[1]), std::stoi(m[2]), std::stoi(m[3]), std::stoi(m[4])};
}

std::string CaptionText(const std::string& dump)
{
    std::string top = TopWindow(dump);
    std::smatch m;
    static const std::regex caption(
        R"re("kind":"CCaptionBar","id":113,"rect":\[[^\]]*\],"visible":true,"enabled":true,"text":"([^"]*)")re");
    return std::regex_search(top, m, caption) ? std::string(m[1]) : "";
}

// Waits until something other than the window of this class is on top; returns the last dump.
std::string WaitForAnotherTop(ClientProcess& client, const std::string& className)
{
    std::string dump;
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(WaitMs());
    do {
        client.Idle();
        dump = client.Dump();
        if (TopWindowClass(dump) != className)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    } while (std::chrono::steady_clock::now() < end);
    return dump;
}

// First run: the phone signs up with its number and lands on the home grid, whose dump is returned.
std::string SignUp(ClientProcess& client)
{
    std::string dump = client.WaitForTop("CRegisterVerifyFrame");
    client.Tap(ScreenRectOfId(dump, 300).Centre());
    client.Command("text 13800138000");
    ScreenRect bar = ScreenRectOfId(dump, 101); // the command bar: "登录" is its left third
    client.Tap(Point{bar.left + (bar.right - bar.left) / 6, (bar.top + bar.bottom) / 2});
    return client.WaitForTop("CQXAppFrame");
}

// The caption bar's home icon ends every screen above the home grid.
std::string GoHome(ClientProcess& client, const std::string& dump)
{
    ScreenRect caption = ScreenRectOfId(dump, 113);
    client.Tap(Point{caption.right - 26, (caption.top + caption.bottom) / 2});
    return client.WaitForTop("CQXAppFrame");
}

// A home button, the label on its picture and the caption of the screen it opens: the label, but for the own stock
// list, which names itself "我的股票" once its quotes have arrived.
struct HomeRow {
    int index; // button 103 + index
    const char* label;
    const char* caption;
};

class FirstRunTest : public ClientTest {
protected:
    // Opens the row's home button and checks the picture's label and the caption of the screen it opens; false when
    // the key has no window yet (the client says "该功能暂未开放！").
    bool ExpectButtonOpensItsScreen(ClientProcess& client, std::string& home, const HomeRow& row)
    {
        std::vector<std::string> labels = TileLabels();
        EXPECT_EQ(labels.size(), 9u); // eight screens and the exit
        EXPECT_EQ(labels.size() > (size_t)row.index ? labels[row.index] : "", row.label);
        EXPECT_TRUE(client.Tap(ScreenRectOfId(home, 103 + row.index).Centre())) << row.label;
        std::string opened = WaitForAnotherTop(client, "CQXAppFrame");
        if (TopWindow(opened).find("该功能暂未开放！") != std::string::npos)
            return false;
        EXPECT_EQ(CaptionText(opened), row.caption) << TopWindowClass(opened);
        home = GoHome(client, opened);
        EXPECT_EQ(TopWindowClass(home), "CQXAppFrame") << home;
        return true;
    }
};

// A command line with the variables set after the MORWICK_ ones of the environment are taken away; the server
// keeps its data in dataDir (tests running side by side never share a key pair being made).
std::string RunClientCommand(const std::string& variables, const std::string& dataDir)
{
    return "env -u DISPLAY -u WAYLAND_DISPLAY -u MORWICK_DISPLAY -u MORWICK_AUTOMATION -u MORWICK_PORT "
           "MORWICK_SERVER_DATA='" +
           dataDir + "' " + variables + " '" + MORWICK_SOURCE_DIR + "/tools/run-client' '" + MORWICK_BINARY_DIR +
           "' 2>&1";
}

// Runs a command in the background and collects its output and exit status.
class Background {
public:
    explicit Background(const std::string& command)
    {
        pipe = popen(command.c_str(), "r");
        if (pipe != nullptr)
            reader = std::thread([this] {
                char buffer[4096];
                size_t n;
                while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
                    output.append(buffer, n);
                int status = pclose(pipe);
                exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            });
    }
    ~Background() { Join(); }
    bool Started() const { return pipe != nullptr; }
    void Join()
    {
        if (reader.joinable())
            reader.join();
    }
    std::string output;
    int exitCode = -2;

private:
    FILE* pipe = nullptr;
    std::thread reader;
};

} // namespace

TEST_F(FirstRunTest, EveryHomeButtonOpensTheScreenItsPictureNames)
{
    const HomeRow rows[] = {{0, "行情", "行情"}, {1, "自选股", "我的股票"}, {2, "指数", "指数"}, {3, "资讯", "资讯"},
                            {4, "交易", "交易"}, {5, "基金", "基金"},       {6, "理财", "理财"}, {7, "客服", "客服"}};
    auto client = Start("grid");
    std::string home = SignUp(*client);
    ASSERT_EQ(TopWindowClass(home), "CQXAppFrame") << home;
    for (const HomeRow& row : rows)
        EXPECT_TRUE(ExpectButtonOpensItsScreen(*client, home, row)) << row.label << " opens no screen";
}

TEST_F(FirstRunTest, RunClientPointsTheClientAtItsOwnServerTellsHowToDriveItAndEndsWithItsScript)
{
    // The home's settings name this fixture's server; run-client's own server writes its key into the home, so
    // only that server can answer the client's log-in with the sign-up.
    std::string socket = root.Path() + "run.sock";
    Background run(RunClientCommand("MORWICK_PORT=0 MORWICK_HOME='" + home + "' MORWICK_DEVICE='" + device +
                                        "' MORWICK_AUTOMATION='" + socket + "'",
                                    root.Path() + "server-data"));
    ASSERT_TRUE(run.Started());
    std::string dump;
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(2 * WaitMs());
    while (std::chrono::steady_clock::now() < end && TopWindowClass(dump) != "CRegisterVerifyFrame") {
        morwick::automation::SendCommand(socket, "idle 500");
        dump = morwick::automation::SendCommand(socket, "dump");
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    EXPECT_EQ(TopWindowClass(dump), "CRegisterVerifyFrame") << dump;

    // A script that stays connected ends the client with the front key and is hung up on.
    int script = morwick::automation::Connect(socket);
    ASSERT_GE(script, 0);
    EXPECT_EQ(morwick::automation::Exchange(script, "frontkey"), "{\"ok\":true}");
    EXPECT_TRUE(morwick::automation::WaitForHangUp(script, WaitMs()));
    close(script);
    run.Join();
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_NE(run.output.find("morwick: no display"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("running headless"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("tools/automate -s " + socket + " dump"), std::string::npos) << run.output;
    // The server's data folder it made (demo accounts with their password digests) is the user's alone.
    for (const std::string& path : {root.Path() + "server-data", root.Path() + "server-data/brokerage"}) {
        struct stat info {};
        ASSERT_EQ(stat(path.c_str(), &info), 0) << path;
        EXPECT_EQ(info.st_mode & 077, 0u) << path;
    }
}

TEST_F(FirstRunTest, RunClientFailsClearlyWhenItsServerCannotListen)
{
    // Another server holds the port (this fixture's): run-client must not hand the client to it.
    int port = server->Port();
    Background run(RunClientCommand("MORWICK_PORT=" + std::to_string(port) + " MORWICK_HOME='" + home +
                                        "' MORWICK_DEVICE='" + device + "' MORWICK_AUTOMATION='" + root.Path() +
                                        "busy.sock'",
                                    root.Path() + "server-data"));
    ASSERT_TRUE(run.Started());
    run.Join();
    EXPECT_EQ(run.exitCode, 1) << run.output;
    EXPECT_NE(run.output.find("morwick-server did not start on port " + std::to_string(port)), std::string::npos)
        << run.output;
    EXPECT_EQ(run.output.find("morwick: "), std::string::npos) << run.output; // no client was started
    EXPECT_EQ(server->Sessions(), 0);
}
