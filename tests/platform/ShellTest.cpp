// The phone's services around the windows: named mutexes, shell records, registered messages, the start
// animation setting, layered and child windows.
#include "platform/automation/Automation.h"
#include "platform/device/Registry.h"
#include "platform/device/ShellSettings.h"
#include "platform/ui/MzWnd.h"
#include "platform/win/Desktop.h"
#include "platform/win/LastError.h"
#include "platform/win/Shell.h"
#include "platform/win/Sync.h"
#include "platform/win/Time.h"

#include <gtest/gtest.h>

#include "platform/win/Debug.h"
#include "tests/support/TempFolder.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace morwick::display;

TEST(Shell, NamedMutexExistsUntilItsLastHandleCloses)
{
    std::u16string name = u"MorwickMutexTest" + std::u16string(1, (char16_t)(u'A' + GetTickCount() % 26));
    HANDLE first = CreateMutexW(nullptr, TRUE, name.c_str());
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_SUCCESS);
    HANDLE second = CreateMutexW(nullptr, TRUE, name.c_str());
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_ALREADY_EXISTS);

    // Owned by this thread: another thread waits until it is released.
    std::atomic<int> got{0};
    std::thread other([&] {
        if (WaitForSingleObject(second, 20000) == WAIT_OBJECT_0) { // released long before on any machine
            got = 1;
            ReleaseMutex(second);
        }
    });
    Sleep(50);
    EXPECT_EQ(got.load(), 0);
    EXPECT_TRUE(ReleaseMutex(first));
    other.join();
    EXPECT_EQ(got.load(), 1);
    EXPECT_FALSE(ReleaseMutex(first)); // not the owner any more

    CloseHandle(first);
    CloseHandle(second);
    HANDLE again = CreateMutexW(nullptr, TRUE, name.c_str());
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_SUCCESS); // the name went with its last handle
    CloseHandle(again);
}

namespace {

// Points the runtime folder somewhere for one test and restores the program's own afterwards.
class RuntimeFolderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const char* own = std::getenv("MORWICK_RUNTIME_DIR");
        const char* xdg = std::getenv("XDG_RUNTIME_DIR");
        savedOwn = own ? own : "";
        savedXdg = xdg ? xdg : "";
    }
    void TearDown() override
    {
        Restore("MORWICK_RUNTIME_DIR", savedOwn);
        Restore("XDG_RUNTIME_DIR", savedXdg);
    }
    static void Restore(const char* name, const std::string& value)
    {
        if (value.empty())
            unsetenv(name);
        else
            setenv(name, value.c_str(), 1);
    }
    static std::u16string UniqueName(const char* tag)
    {
        static int counter = 0;
        std::string n =
            std::string("MorwickRuntime") + tag + std::to_string(getpid()) + "_" + std::to_string(++counter);
        return std::u16string(n.begin(), n.end());
    }
    static std::string RecordName(const std::u16string& name)
    {
        std::string hex;
        for (char16_t c : name) {
            char two[8];
            std::snprintf(two, sizeof two, "%02x", (unsigned)(c & 0xFF)); // the test names are ASCII
            hex += two;
        }
        return "mutex-" + hex;
    }
    static size_t Entries(const std::string& dir)
    {
        std::error_code ignored;
        size_t n = 0;
        for (auto it = std::filesystem::directory_iterator(dir, ignored); it != std::filesystem::directory_iterator();
             ++it)
            ++n;
        return n;
    }

    TempFolder folder;
    std::string savedOwn, savedXdg;
};

} // namespace

TEST_F(RuntimeFolderTest, AFolderSomeoneElseCouldTouchIsRefusedAndTheClientRunsWithoutRecords)
{
    std::string open = folder.File("open"), linked = folder.File("linked"), target = folder.File("target"),
                file = folder.File("file"), foreign = folder.File("foreign");
    mkdir(open.c_str(), 0700);
    chmod(open.c_str(), 0777);
    mkdir(target.c_str(), 0700);
    symlink(target.c_str(), linked.c_str());
    std::ofstream(file) << "x";
    mkdir(foreign.c_str(), 0700);
    bool otherUser = getuid() == 0 && chown(foreign.c_str(), 65534, 65534) == 0;
    struct {
        std::string runtime, watched;
    } cases[] = {{open, open}, {linked, target}, {file, file}, {foreign, foreign}};
    for (const auto& c : cases) {
        if (c.runtime == foreign && !otherUser)
            continue; // only the super-user can make a folder of another user
        SCOPED_TRACE(c.runtime);
        setenv("MORWICK_RUNTIME_DIR", c.runtime.c_str(), 1);
        std::u16string name = UniqueName("Refused");
        HANDLE mutex = CreateMutexW(nullptr, TRUE, name.c_str());
        ASSERT_NE(mutex, nullptr); // the client goes on running
        EXPECT_EQ(GetLastError(), (DWORD)ERROR_SUCCESS);
        PublishWindow((HWND)0x5150, u"CRefusedWnd", u"");
        UnpublishWindow((HWND)0x5150);
        if (c.watched != file) {
            EXPECT_EQ(Entries(c.watched), 0u); // no record written into it
        }
        CloseHandle(mutex);
    }
}

TEST_F(RuntimeFolderTest, LinksPlantedUnderRecordNamesAreNeverFollowed)
{
    std::string runtime = folder.File("run"), victim = folder.File("victim");
    mkdir(runtime.c_str(), 0700);
    std::ofstream(victim) << "the user's file";
    std::u16string name = UniqueName("Planted");
    symlink(victim.c_str(), (runtime + "/" + RecordName(name)).c_str());
    mkdir((runtime + "/windows").c_str(), 0700);
    char entry[64];
    std::snprintf(entry, sizeof entry, "/windows/%d.5151.tmp", (int)getpid());
    symlink(victim.c_str(), (runtime + entry).c_str());
    setenv("MORWICK_RUNTIME_DIR", runtime.c_str(), 1);

    HANDLE mutex = CreateMutexW(nullptr, TRUE, name.c_str());
    ASSERT_NE(mutex, nullptr);
    PublishWindow((HWND)0x5151, u"CPlantedWnd", u"title");
    std::ifstream in(victim);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(text, "the user's file");
    struct stat info {};
    std::snprintf(entry, sizeof entry, "/windows/%d.5151", (int)getpid());
    ASSERT_EQ(lstat((runtime + entry).c_str(), &info), 0);
    EXPECT_TRUE(S_ISREG(info.st_mode));
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    UnpublishWindow((HWND)0x5151);
    CloseHandle(mutex);
}

TEST_F(RuntimeFolderTest, TheSessionsRuntimeFolderHoldsTheRecordsWhenThereIsOne)
{
    unsetenv("MORWICK_RUNTIME_DIR");
    std::string xdg = folder.File("xdg");
    mkdir(xdg.c_str(), 0700);
    setenv("XDG_RUNTIME_DIR", xdg.c_str(), 1);
    std::u16string name = UniqueName("Xdg");
    HANDLE mutex = CreateMutexW(nullptr, TRUE, name.c_str());
    ASSERT_NE(mutex, nullptr);
    struct stat info {};
    ASSERT_EQ(stat((xdg + "/morwick").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    EXPECT_EQ(stat((xdg + "/morwick/" + RecordName(name)).c_str(), &info), 0);
    CloseHandle(mutex);
}

TEST_F(RuntimeFolderTest, FrontRequestsFromAnotherUserAreIgnored)
{
    if (getuid() != 0)
        GTEST_SKIP() << "sending as another user needs the super-user";
    PublishWindow((HWND)0x5152, u"CFrontWnd", u""); // starts this process's front listener
    TakeDebugLog();
    std::string name = "morwick-front-" + std::to_string(getuid()) + "-" + std::to_string(getpid());
    pid_t child = fork();
    if (child == 0) {
        if (setgid(65534) != 0 || setuid(65534) != 0)
            _exit(2);
        int fd = socket(AF_UNIX, SOCK_DGRAM, 0);
        sockaddr_un a{};
        a.sun_family = AF_UNIX;
        std::memcpy(a.sun_path + 1, name.data(), name.size());
        socklen_t len = (socklen_t)(offsetof(sockaddr_un, sun_path) + 1 + name.size());
        _exit(sendto(fd, "5152", 4, 0, (sockaddr*)&a, len) == 4 ? 0 : 3);
    }
    int status = -1;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_EQ(WEXITSTATUS(status), 0);
    std::string log;
    for (DWORD start = GetTickCount(); log.find("another user") == std::string::npos && GetTickCount() - start < 20000;)
        log += TakeDebugLogUtf8(), Sleep(5);
    EXPECT_NE(log.find("front request from another user ignored"), std::string::npos);
    UnpublishWindow((HWND)0x5152);
}

TEST(Shell, RegisteredMessagesAreStableAndShellCallsAreRecorded)
{
    UINT lock = RegisterWindowMessageW(u"ShellNotifyMsg/EntryLockphone");
    EXPECT_GE(lock, 0xC000u);
    EXPECT_EQ(lock, RegisterWindowMessageW(u"ShellNotifyMsg/EntryLockphone"));
    EXPECT_NE(lock, RegisterWindowMessageW(u"ShellNotifyMsg/LeaveLockPhone"));
    EXPECT_EQ(GetCallMessage(), RegisterWindowMessageW(u"CALL_MESSAGE"));
    EXPECT_EQ(RegisterWindowMessageW(u""), 0u);

    TakeShellRecords();
    HWND fake = (HWND)(uintptr_t)0x1234;
    EXPECT_TRUE(PostShellNotification(fake, 12, TRUE));
    EXPECT_EQ(AppsAskShell(10, fake), 1);
    std::vector<ShellRecord> records = TakeShellRecords();
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].kind, ShellRecord::Notification);
    EXPECT_EQ(records[0].code, 12u);
    EXPECT_TRUE(records[0].on);
    EXPECT_EQ(records[1].kind, ShellRecord::Request);
    EXPECT_EQ(records[1].code, 10u);
    EXPECT_EQ(records[1].window, fake);

    SetAccelerometerAvailable(FALSE);
    EXPECT_FALSE(MzAccOpen());
    SetAccelerometerAvailable(TRUE);
    EXPECT_TRUE(MzAccOpen());
    MzAccClose();
    EXPECT_TRUE(SipShowIM(SIPF_ON));
    EXPECT_TRUE(SipIsVisible());
    SipShowIM(SIPF_OFF);
    EXPECT_FALSE(SipIsVisible());
}

TEST(Shell, StartAnimationFollowsTheRegistryValue)
{
    namespace fs = std::filesystem;
    fs::path device = fs::temp_directory_path() / ("morwick-shell-" + std::to_string(GetTickCount()));
    fs::create_directories(device);
    setenv("MORWICK_DEVICE", device.c_str(), 1);
    EXPECT_FALSE(IsAppAnimationOn(1)); // missing
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, u"Software\\Ruvav\\", 0, nullptr, 0, 0, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    DWORD on = 1, off = 0;
    RegSetValueExW(key, u"AppStartAnimation", 0, REG_DWORD, (const BYTE*)&on, sizeof on);
    EXPECT_TRUE(IsAppAnimationOn(1));
    RegSetValueExW(key, u"AppStartAnimation", 0, REG_DWORD, (const BYTE*)&off, sizeof off);
    EXPECT_FALSE(IsAppAnimationOn(1));
    RegCloseKey(key);

    // The automation switches the flight-mode flag where the client reads it.
    EXPECT_FALSE(IsFlyMode());
    ASSERT_EQ(morwick::automation::RunCommand("flightmode on"), "{\"ok\":true}");
    EXPECT_TRUE(IsFlyMode());
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"ControlPanel\\Setting\\FlyMode", 0, 0, &key), ERROR_SUCCESS);
    DWORD flag = 0, size = sizeof flag, type = 0;
    EXPECT_EQ(RegQueryValueExW(key, u"FlyModeFlag", nullptr, &type, (LPBYTE)&flag, &size), ERROR_SUCCESS);
    EXPECT_EQ(flag, 1u);
    RegCloseKey(key);
    morwick::automation::RunCommand("flightmode off");
    EXPECT_FALSE(IsFlyMode());
    unsetenv("MORWICK_DEVICE");
    fs::remove_all(device);
}

namespace {

class ColourWnd : public CMzWnd {
public:
    explicit ColourWnd(COLORREF c, uint32_t fill = 0) : colour(c), layeredFill(fill) { SetBgColor(c); }
    LPCWSTR GetMzClassName() override { return u"TestColourWnd"; }
    void PaintWin(HDC dc, RECT* win, RECT* update) override
    {
        if (layeredFill) {
            // A half-covered layer: the top half transparent, the bottom half opaque colour.
            RECT bottom{0, win->bottom / 2, win->right, win->bottom};
            HBRUSH b = CreateSolidBrush(colour);
            FillRect(dc, &bottom, b);
            DeleteObject(b);
            return;
        }
        CMzWnd::PaintWin(dc, win, update);
    }
    void OnLButtonUp(UINT, int x, int y) override { lastUp = POINT{x, y}; }
    COLORREF colour;
    uint32_t layeredFill;
    POINT lastUp{-1, -1};
};

} // namespace

TEST(Shell, LayeredWindowsShowTheWindowBeneathWhereTheyAreTransparent)
{
    ColourWnd below(RGB(0, 0, 255));
    ASSERT_TRUE(below.Create(0, 30, 480, 690));
    below.Show();
    ColourWnd layer(RGB(255, 0, 0), 1);
    ASSERT_TRUE(layer.Create(0, 30, 480, 690, below.m_hWnd, 0, 0, WS_EX_LAYERED));
    layer.Show();
    EXPECT_NE(morwick::automation::RunCommand("idle 2000").find("true"), std::string::npos);
    ComposeScreen(true);
    Surface s = CopyScreen();
    EXPECT_EQ(s.Row(100)[10], 0xFF0000FFu); // transparent half: the blue window beneath
    EXPECT_EQ(s.Row(600)[10], 0xFFFF0000u); // opaque half: the layer
    EXPECT_EQ(GetActiveWindow(), layer.m_hWnd);
}

TEST(Shell, ChildWindowsTakeTapsInsideThemAndGoWithTheirParent)
{
    ColourWnd parent(RGB(255, 255, 255));
    ASSERT_TRUE(parent.Create(0, 30, 480, 690));
    parent.Show();
    ColourWnd child(RGB(0, 255, 0));
    ASSERT_TRUE(child.CreateChild(100, 100, 200, 100, parent.m_hWnd, 5));
    morwick::automation::RunCommand("tap 150 150"); // screen y 150 = parent y 120 = child y 20
    morwick::automation::RunCommand("tap 10 600");
    morwick::automation::RunCommand("idle 2000");
    EXPECT_EQ(child.lastUp.x, 50);
    EXPECT_EQ(child.lastUp.y, 20);
    EXPECT_EQ(parent.lastUp.x, 10);
    EXPECT_EQ(parent.lastUp.y, 570);
    ComposeScreen(true);
    EXPECT_EQ(CopyScreen().Row(150)[150], 0xFF00FF00u);
    HWND childHandle = child.m_hWnd;
    EXPECT_EQ(GetParent(childHandle), parent.m_hWnd);
    parent.Destroy();
    EXPECT_FALSE(IsWindow(childHandle));
    EXPECT_EQ(child.m_hWnd, nullptr);
}

TEST(Shell, DestroyingFromItsOwnDestroyHandlerAndWildSizesAreSafe)
{
    class SelfDestroyWnd : public CMzWnd {
    public:
        LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
        {
            if (message == WM_DESTROY) {
                ++destroys;
                ::DestroyWindow(m_hWnd); // asks again while already going
            }
            return CMzWnd::WindowProc(message, wParam, lParam);
        }
        int destroys = 0;
    } w;
    ASSERT_TRUE(w.Create(0, 30, 480, 690));
    EXPECT_TRUE(w.Destroy());
    EXPECT_EQ(w.destroys, 1);

    CMzWnd huge;
    ASSERT_TRUE(huge.Create(0, 0, 1000000, 1000000));
    huge.Show();
    morwick::automation::RunCommand("idle 1000");
    huge.Destroy();
    EXPECT_EQ(CreateCompatibleBitmap(nullptr, 100000, 100000), nullptr);
    HBITMAP tall = CreateCompatibleBitmap(nullptr, 480, 50000);
    EXPECT_NE(tall, nullptr);
    DeleteObject(tall);
}

TEST(Shell, ForegroundBringsTheOwnersLatestPopupForward)
{
    ColourWnd owner(RGB(1, 1, 1)), popup(RGB(2, 2, 2)), other(RGB(3, 3, 3));
    ASSERT_TRUE(owner.Create(0, 30, 480, 690));
    owner.Show();
    ASSERT_TRUE(popup.Create(0, 300, 480, 100, owner.m_hWnd));
    popup.Show();
    ASSERT_TRUE(other.Create(0, 30, 480, 690));
    other.Show();
    EXPECT_EQ(GetActiveWindow(), other.m_hWnd);
    EXPECT_TRUE(SetForegroundWindow((HWND)((uintptr_t)owner.m_hWnd | 1)));
    EXPECT_EQ(GetActiveWindow(), popup.m_hWnd);
    std::vector<HWND> order = TopLevelWindows();
    ASSERT_GE(order.size(), 3u);
    EXPECT_EQ(order[0], popup.m_hWnd);
    EXPECT_EQ(order[1], owner.m_hWnd);
}
