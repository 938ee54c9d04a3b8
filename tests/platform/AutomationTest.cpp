// Driving windows through the automation commands, in process and over the socket: taps reach the window under
// the stylus, dump and shot show what the user sees, the clock moves timers and the time of day.
#include "platform/automation/Automation.h"
#include "platform/display/PngCodec.h"
#include "platform/ui/MzWnd.h"
#include "platform/win/Debug.h"
#include "platform/win/Desktop.h"
#include "platform/win/Shell.h"
#include "platform/win/Time.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using morwick::automation::RunCommand;
using namespace morwick::display;

namespace {

// A window with one button-like area that counts taps and shows the count.
class TapWnd : public CMzWnd {
public:
    LPCWSTR GetMzClassName() override { return u"TestTapWnd"; }
    void OnLButtonDown(UINT, int x, int y) override { downAt = POINT{x, y}; }
    void OnLButtonUp(UINT, int x, int y) override
    {
        if (PtInRect(&button, POINT{x, y})) {
            ++taps;
            Invalidate();
        }
    }
    void OnTimer(UINT_PTR id) override { ticks += id == 7; }
    void PaintWin(HDC dc, RECT* win, RECT* update) override
    {
        CMzWnd::PaintWin(dc, win, update);
        HBRUSH grey = CreateSolidBrush(RGB(200, 200, 200));
        FillRect(dc, &button, grey);
        DeleteObject(grey);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, RGB(0, 0, 0));
        SelectObject(dc, CreateMzFont(28, FW_BOLD));
        if (taps > 0) {
            RECT label{0, 300, 480, 360};
            DrawTextW(dc, u"已点击", -1, &label, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        }
    }
    std::string DescribeControls() override
    {
        return "[{\"kind\":\"button\",\"id\":7,\"rect\":[40,100,240,160],\"visible\":true,\"enabled\":true,"
               "\"text\":\"" +
               std::string(taps ? "已点击" : "点我") + "\"}]";
    }
    RECT button{40, 100, 240, 160};
    POINT downAt{-1, -1};
    int taps = 0;
    int ticks = 0;
};

int InkedPixels(const Surface& s, RECT r)
{
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x)
            n += (s.Row(y)[x] & 0xFFFFFFu) != 0xFFFFFFu;
    return n;
}

} // namespace

TEST(Automation, TapReachesTheWindowAndDumpAndShotShowTheResult)
{
    TapWnd w;
    ASSERT_TRUE(w.Create(0, 30, 480, 690));
    w.Show();
    EXPECT_NE(RunCommand("idle 2000").find("\"idle\":true"), std::string::npos);
    EXPECT_EQ(RunCommand("tap 100 160"), "{\"ok\":true}"); // client (100, 130): inside the button
    RunCommand("idle 2000");
    EXPECT_EQ(w.taps, 1);
    EXPECT_EQ(w.downAt.x, 100);
    EXPECT_EQ(w.downAt.y, 130);

    std::string dump = RunCommand("dump");
    EXPECT_NE(dump.find("\"class\":\"TestTapWnd\""), std::string::npos);
    EXPECT_NE(dump.find("\"active\":true"), std::string::npos);
    EXPECT_NE(dump.find("\"rect\":[0,30,480,720]"), std::string::npos);
    EXPECT_NE(dump.find("已点击"), std::string::npos);

    std::string path =
        (std::filesystem::temp_directory_path() / ("morwick-shot-" + std::to_string(GetTickCount()) + ".png")).string();
    mode_t umaskWas = umask(0);
    EXPECT_NE(RunCommand("shot " + path).find("\"width\":480"), std::string::npos);
    umask(umaskWas);
    struct stat info {};
    ASSERT_EQ(stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u) << "a screen may show an account: the user's alone";
    Surface shot;
    ASSERT_TRUE(LoadPng(path, shot));
    EXPECT_EQ(shot.height, 720);
    EXPECT_GT(InkedPixels(shot, RECT{150, 335, 330, 385}), 50); // the label drawn after the tap
    EXPECT_EQ(InkedPixels(shot, RECT{0, 500, 480, 600}), 0);
    std::filesystem::remove(path);

    // A tap outside the button is not counted; a drag that leaves it is not either.
    RunCommand("tap 400 600");
    RunCommand("drag 100 160 400 600 5");
    RunCommand("idle 2000");
    EXPECT_EQ(w.taps, 1);
    EXPECT_NE(RunCommand("bogus").find("\"ok\":false"), std::string::npos);
    EXPECT_NE(RunCommand("tap 1").find("\"ok\":false"), std::string::npos);
}

TEST(Automation, ClockMovesTimersAndTheTimeOfDay)
{
    TapWnd w;
    ASSERT_TRUE(w.Create(0, 30, 480, 690));
    w.Show();
    ASSERT_EQ(RunCommand("clock set 2026-03-02 09:15:30"), "{\"ok\":true}");
    SYSTEMTIME t;
    GetLocalTime(&t);
    EXPECT_EQ(t.wYear, 2026);
    EXPECT_EQ(t.wHour, 9);
    EXPECT_EQ(t.wMinute, 15);
    w.SetTimer(7, 60000);
    RunCommand("idle 200");
    EXPECT_EQ(w.ticks, 0);
    RunCommand("clock advance 59999");
    RunCommand("idle 200");
    EXPECT_EQ(w.ticks, 0);
    RunCommand("clock advance 1");
    RunCommand("idle 500");
    EXPECT_EQ(w.ticks, 1);
    GetLocalTime(&t);
    EXPECT_EQ(t.wMinute, 16);
    EXPECT_EQ(t.wSecond, 30);
    EXPECT_EQ(RunCommand("clock real"), "{\"ok\":true}");
    w.KillTimer(7);
}

TEST(Automation, PhoneEventsAndLogReachTheClient)
{
    class EventWnd : public TapWnd {
    public:
        LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
        {
            if (message == MzAccGetMessage())
                orientation = (int)wParam;
            if (message == GetCallMessage())
                call = (int)wParam;
            if (message == RegisterWindowMessageW(u"ShellNotifyMsg/EntryLockphone"))
                locked = true;
            return TapWnd::WindowProc(message, wParam, lParam);
        }
        int orientation = -1, call = 0;
        bool locked = false;
    } w;
    ASSERT_TRUE(w.Create(0, 30, 480, 690));
    w.Show();
    MzAccClose();
    EXPECT_NE(RunCommand("rotate 2").find("\"ok\":false"), std::string::npos);
    ASSERT_TRUE(MzAccOpen());
    EXPECT_EQ(RunCommand("rotate 2"), "{\"ok\":true}");
    RunCommand("call begin");
    RunCommand("lock");
    RunCommand("idle 1000");
    EXPECT_EQ(w.orientation, 2);
    EXPECT_EQ(w.call, 1);
    EXPECT_TRUE(w.locked);
    MzAccClose();

    TakeDebugLog();
    OutputDebugStringW(u"Rotating\n");
    WCHAR dial[] = u"10086";
    CreateProcessW(u"phone.exe", dial, nullptr, nullptr, FALSE, 0, nullptr, nullptr, nullptr, nullptr);
    std::string log = RunCommand("log");
    EXPECT_NE(log.find("Rotating\\n"), std::string::npos);
    EXPECT_NE(log.find("phone.exe 10086"), std::string::npos);
    EXPECT_EQ(RunCommand("programs"), "{\"ok\":true,\"programs\":[\"phone.exe 10086\"]}");
    EXPECT_EQ(RunCommand("log"), "{\"ok\":true,\"log\":\"\"}");
}

TEST(Automation, SocketCommandsRunOnTheGuiThreadWhileItWaitsForMessages)
{
    TapWnd w;
    ASSERT_TRUE(w.Create(0, 30, 480, 690));
    w.Show();
    std::string path =
        (std::filesystem::temp_directory_path() / ("morwick-auto-" + std::to_string(GetTickCount()))).string();
    ASSERT_TRUE(morwick::automation::StartServer(path));
    std::string dump, tap, idle;
    std::thread script([&] {
        tap = morwick::automation::SendCommand(path, "tap 100 160");
        idle = morwick::automation::SendCommand(path, "idle 3000");
        dump = morwick::automation::SendCommand(path, "dump");
        PostThreadMessage(GuiThreadId(), WM_QUIT, 0, 0);
    });
    MSG msg;
    while (GetMessage(&msg, nullptr, 0, 0) > 0)
        DispatchMessage(&msg);
    script.join();
    morwick::automation::StopServer();
    EXPECT_EQ(tap, "{\"ok\":true}");
    EXPECT_EQ(idle, "{\"ok\":true,\"idle\":true}");
    EXPECT_NE(dump.find("已点击"), std::string::npos);
    EXPECT_EQ(w.taps, 1);
}

TEST(Automation, StoppingTheServerWhileACommandWaitsForTheGuiThreadReturnsAndAnswersIt)
{
    // The client ending while a script's command is still running: that command waits for the GUI thread, which
    // is the one stopping the server.
    TapWnd w;
    ASSERT_TRUE(w.Create(0, 30, 480, 690));
    w.Show();
    std::string path =
        (std::filesystem::temp_directory_path() / ("morwick-auto-stop-" + std::to_string(GetTickCount()))).string();
    ASSERT_TRUE(morwick::automation::StartServer(path));
    std::string dump = "<none>";
    std::thread script([&] { dump = morwick::automation::SendCommand(path, "dump"); });
    // Until the command is waiting on this thread; not handled here.
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20000, QS_ALLINPUT);
    morwick::automation::StopServer();
    script.join();
    EXPECT_NE(dump.find("TestTapWnd"), std::string::npos) << dump;
}

TEST(Automation, StoppingTheServerHangsUpOnAPeerThatKeepsItsConnectionOpen)
{
    // A script that stays connected must not keep the client from ending.
    std::string path =
        (std::filesystem::temp_directory_path() / ("morwick-auto-hang-" + std::to_string(GetTickCount()))).string();
    ASSERT_TRUE(morwick::automation::StartServer(path));
    int peer = morwick::automation::Connect(path);
    ASSERT_GE(peer, 0);
    EXPECT_EQ(morwick::automation::Exchange(peer, "programs").rfind("{\"ok\":true", 0), 0u);
    std::thread stopper([] { morwick::automation::StopServer(); });
    // The limit only keeps a broken stop from hanging the test: closing the peer releases it.
    bool hungUp = morwick::automation::WaitForHangUp(peer, 20000);
    close(peer);
    stopper.join();
    EXPECT_TRUE(hungUp);
}

TEST(Automation, NumbersOutOfRangeGetAnErrorAnswer)
{
    TapWnd w;
    ASSERT_TRUE(w.Create(0, 30, 480, 690));
    w.Show();
    struct Case {
        const char* line;
        bool ok;
    } cases[] = {
        {"drag 0 0 440002000 2", false},
        {"drag 0 0 100 100 0", false},
        {"drag 0 0 100 100 2x", false},
        {"drag 0 0 100 100 2", true},
        {"tap 99999999999999999999 1", false},
        {"tap -32767 32767", true},
        {"idle 99999999999999999999", false},
        {"idle -1", false},
        {"idle 10", true},
        {"idle", true},
        {"rotate 4294967298", false},
        {"clock advance 99999999999999999999", false},
        {"clock set 99999999999-01-01 00:00:00", false},
        {"clock set 2026-13-01 00:00:00", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(RunCommand(c.line).rfind("{\"ok\":true", 0) == 0, c.ok) << c.line;
    RunCommand("clock real");
}

namespace {

// From a child process of another user: 0 when it connected and got the given answer, 1 when it could not
// connect, 2 on any other outcome.
int ConnectAsAnotherUser(const std::string& path, const char* expected)
{
    pid_t child = fork();
    if (child == 0) {
        if (setgid(65534) != 0 || setuid(65534) != 0)
            _exit(2);
        int fd = socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un a{};
        a.sun_family = AF_UNIX;
        std::memcpy(a.sun_path, path.c_str(), path.size() + 1);
        if (connect(fd, (sockaddr*)&a, sizeof a) != 0)
            _exit(1);
        char answer[256] = {};
        size_t got = 0;
        // A refused peer may be hung up on before it writes: no SIGPIPE, and the answer is read all the same.
        (void)send(fd, "programs\n", 9, MSG_NOSIGNAL);
        for (ssize_t n; got < sizeof answer - 1 && (n = read(fd, answer + got, sizeof answer - 1 - got)) > 0;)
            got += (size_t)n;
        _exit(std::strstr(answer, expected) != nullptr ? 0 : 2);
    }
    int status = -1;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace

TEST(Automation, TheSocketIsTheUsersOwnWhateverTheUmask)
{
    std::string path = "/tmp/morwick-auto-mode-" + std::to_string(getpid());
    mode_t old = umask(0);
    bool started = morwick::automation::StartServer(path);
    umask(old);
    ASSERT_TRUE(started);
    struct stat info {};
    ASSERT_EQ(lstat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    if (getuid() == 0) {
        EXPECT_EQ(ConnectAsAnotherUser(path, "ok"), 1);
        // Even with the mode widened by hand, another user's commands are refused.
        chmod(path.c_str(), 0777);
        EXPECT_EQ(ConnectAsAnotherUser(path, "another user"), 0);
    }
    EXPECT_EQ(morwick::automation::SendCommand(path, "programs").rfind("{\"ok\":true", 0), 0u);
    morwick::automation::StopServer();
}
