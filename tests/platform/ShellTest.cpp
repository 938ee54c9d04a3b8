// The phone's services around the windows: named mutexes, shell records, registered messages, the start
// animation setting, layered and child windows.
#include "platform/automation/Automation.h"
#include "platform/device/Registry.h"
#include "platform/display/Desktop.h"
#include "platform/ui/MzWnd.h"
#include "platform/win/LastError.h"
#include "platform/win/Shell.h"
#include "platform/win/Sync.h"
#include "platform/win/Time.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <thread>

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
