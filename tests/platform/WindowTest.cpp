// Windows of the platform class: nested modal loops with activation in order, sent messages from other threads
// during a modal loop, timers on a set clock, painting, rotation, and finding a window from another process.
#include "platform/ui/MzWnd.h"
#include "platform/win/Debug.h"
#include "platform/win/Desktop.h"
#include "platform/win/LastError.h"
#include "platform/win/Shell.h"
#include "platform/win/Sync.h"
#include "platform/win/Time.h"
#include "platform/win/WindowTable.h"
#include "tests/support/HelperTest.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

using namespace morwick::display;

namespace {

constexpr UINT WM_OPEN_NEXT = WM_APP + 10;
constexpr UINT WM_END_SELF = WM_APP + 11;

std::vector<std::string> journal;

void Pump(int rounds = 50)
{
    MSG msg;
    for (int i = 0; i < rounds && PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE); ++i) {
        TranslateMessage(&msg);
        DispatchMessage(&msg);
    }
}

// A screen that opens its child modally and walks home like the client's windows: a child's result 0 makes every
// re-activated owner end with 0 too.
class StackWnd : public CMzWnd {
public:
    StackWnd(std::string n, StackWnd* o, int depth) : name(std::move(n)), owner(o), remaining(depth) {}
    LPCWSTR GetMzClassName() override { return u"TestStackWnd"; }
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_ACTIVATE && LOWORD(wParam) == WA_ACTIVE) {
            journal.push_back("activate " + name);
            int result = childResult;
            childResult = -1;
            if (result == 0 && owner)
                EndWith(0);
            else if (result == 0 && !owner)
                PostQuitMessage(0);
            else if (!opened && remaining > 0)
                PostMessage(WM_OPEN_NEXT);
            else if (!opened && remaining == 0)
                PostMessage(WM_END_SELF);
            opened = true;
            return 0;
        }
        if (message == WM_OPEN_NEXT) {
            StackWnd child(name + "+", this, remaining - 1);
            RECT work;
            SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
            EXPECT_TRUE(child.Create(work.left, work.top, work.right - work.left, work.bottom - work.top, m_hWnd));
            int r = child.DoModal();
            journal.push_back(name + " got " + std::to_string(r));
            return 0;
        }
        if (message == WM_END_SELF) {
            EndWith(0);
            return 0;
        }
        return CMzWnd::WindowProc(message, wParam, lParam);
    }
    void EndWith(int result)
    {
        if (owner)
            owner->childResult = result;
        EndModal(result);
    }
    std::string name;
    StackWnd* owner;
    int remaining;
    int childResult = -1;
    bool opened = false;
};

class PlainWnd : public CMzWnd {
public:
    LPCWSTR GetMzClassName() override { return className.c_str(); }
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_APP + 5) {
            EndModal(1);
            return (LRESULT)(wParam * wParam);
        }
        return CMzWnd::WindowProc(message, wParam, lParam);
    }
    void OnTimer(UINT_PTR id) override { ticks.push_back(id); }
    BOOL OnInitDialog() override { return initResult; }
    void PaintWin(HDC dc, RECT* win, RECT* update) override
    {
        CMzWnd::PaintWin(dc, win, update);
        SetBkMode(dc, TRANSPARENT);
        SelectObject(dc, CreateMzFont(24));
        DrawTextW(dc, u"行情", -1, win, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        ++paints;
    }
    std::u16string className = u"TestPlainWnd";
    std::vector<UINT_PTR> ticks;
    BOOL initResult = TRUE;
    int paints = 0;
};

DWORD fakeNow = 0;
DWORD FakeClock()
{
    return fakeNow;
}

} // namespace

TEST(Windows, ThreeNestedModalWindowsWalkHomeInOrder)
{
    journal.clear();
    StackWnd home("home", nullptr, 3);
    RECT work;
    ASSERT_TRUE(SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0));
    ASSERT_TRUE(home.Create(work.left, work.top, work.right - work.left, work.bottom - work.top));
    home.Show();
    MSG msg;
    while (GetMessage(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessage(&msg);
    }
    std::vector<std::string> expected = {"activate home",   "activate home+", "activate home++", "activate home+++",
                                         "activate home++", "home++ got 0",   "activate home+",  "home+ got 0",
                                         "activate home",   "home got 0"};
    EXPECT_EQ(journal, expected);
    EXPECT_EQ(GetActiveWindow(), home.m_hWnd);
}

TEST(Windows, QuitInsideModalLoopEndsEveryLoop)
{
    PlainWnd outer;
    ASSERT_TRUE(outer.Create(0, 30, 480, 690));
    PostQuitMessage(3);
    EXPECT_EQ(outer.DoModal(), -1);
    MSG msg;
    EXPECT_EQ(GetMessage(&msg, nullptr, 0, 0), 0); // the quit reached the enclosing loop too
    EXPECT_EQ(msg.wParam, 3u);
    EXPECT_FALSE(outer.IsVisible());
}

TEST(Windows, MessageSentFromAnotherThreadIsHandledDuringModalLoop)
{
    PlainWnd w;
    ASSERT_TRUE(w.Create(0, 30, 480, 690));
    std::atomic<LRESULT> answer{0};
    HWND target = w.m_hWnd;
    std::thread sender([&] { answer = SendMessage(target, WM_APP + 5, 7, 0); });
    EXPECT_EQ(w.DoModal(), 1);
    sender.join();
    EXPECT_EQ(answer.load(), 49);
}

TEST(Windows, CreateFailsWhenInitDialogRefuses)
{
    PlainWnd w;
    w.initResult = FALSE;
    EXPECT_FALSE(w.Create(0, 30, 480, 690));
    EXPECT_EQ(w.m_hWnd, nullptr);
}

TEST(Windows, TimersFollowTheSetClock)
{
    fakeNow = 1000;
    SetMessageClock(FakeClock);
    PlainWnd w;
    ASSERT_TRUE(w.Create(0, 30, 480, 690));
    w.SetTimer(501, 100);
    fakeNow += 99;
    MessageClockChanged();
    Pump();
    EXPECT_TRUE(w.ticks.empty());
    fakeNow += 1;
    MessageClockChanged();
    Pump();
    ASSERT_EQ(w.ticks.size(), 1u);
    EXPECT_EQ(w.ticks[0], 501u);
    // Setting a running id again restarts its period.
    fakeNow += 90;
    w.SetTimer(501, 100);
    fakeNow += 20;
    MessageClockChanged();
    Pump();
    EXPECT_EQ(w.ticks.size(), 1u);
    fakeNow += 1000; // long overdue: still one tick, not ten
    MessageClockChanged();
    Pump();
    EXPECT_EQ(w.ticks.size(), 2u);
    w.KillTimer(501);
    SetMessageClock(nullptr);
}

TEST(Windows, PaintingShowsOnTheScreenAndStackActivatesTheWindowBeneath)
{
    PlainWnd lower, upper;
    ASSERT_TRUE(lower.Create(0, 30, 480, 690));
    lower.SetBgColor(RGB(0, 0, 255));
    lower.Show();
    ASSERT_TRUE(upper.Create(0, 400, 480, 100, lower.m_hWnd));
    upper.SetBgColor(RGB(255, 0, 0));
    upper.Show();
    Pump();
    EXPECT_GT(lower.paints, 0);
    EXPECT_EQ(GetActiveWindow(), upper.m_hWnd);
    Surface screen = CopyScreen();
    ASSERT_EQ(screen.width, 480);
    EXPECT_EQ(screen.Row(100)[5], 0xFF0000FFu); // the lower window shows around the partial one
    EXPECT_EQ(screen.Row(410)[5], 0xFFFF0000u); // the upper window on top
    upper.Show(FALSE);
    EXPECT_EQ(GetActiveWindow(), lower.m_hWnd);
    Pump();
    EXPECT_EQ(CopyScreen().Row(410)[5], 0xFF0000FFu);

    // A DC taken outside painting draws at once.
    HDC dc = GetDC(lower.m_hWnd);
    RECT line{0, 0, 480, 2};
    HBRUSH green = CreateSolidBrush(RGB(0, 255, 0));
    FillRect(dc, &line, green);
    DeleteObject(green);
    ReleaseDC(lower.m_hWnd, dc);
    EXPECT_EQ(CopyScreen().Row(31)[100], 0xFF00FF00u);
}

// A window under one that covers the whole screen holds no backing of its own (about 1.3 MB each in a deep stack
// of screens); shown again, it is painted whole before the screen shows it, never a blank or an old picture.
TEST(Windows, AWindowUnderOneCoveringTheScreenGivesUpItsBackingUntilItShowsAgain)
{
    auto backingWidth = [](HWND hwnd) {
        morwick::windows::Guard g(morwick::windows::Desk().lock);
        morwick::windows::Window* w = morwick::windows::Find(hwnd);
        return w != nullptr ? w->backing.width : -1;
    };
    PlainWnd lower, upper;
    ASSERT_TRUE(lower.Create(0, 30, 480, 690));
    lower.SetBgColor(RGB(0, 0, 255));
    lower.Show();
    Pump();
    EXPECT_EQ(backingWidth(lower.m_hWnd), 480);
    ASSERT_TRUE(upper.Create(0, 30, 480, 690, lower.m_hWnd));
    upper.SetBgColor(RGB(255, 0, 0));
    upper.Show();
    Pump();
    EXPECT_EQ(backingWidth(lower.m_hWnd), 0);
    EXPECT_EQ(backingWidth(upper.m_hWnd), 480);
    EXPECT_EQ(CopyScreen().Row(100)[5], 0xFFFF0000u);
    // Asked to paint or moved while covered, it stays without one.
    lower.Invalidate();
    SetWindowPos(lower.m_hWnd, nullptr, 0, 30, 480, 690, SWP_NOZORDER);
    Pump();
    EXPECT_EQ(backingWidth(lower.m_hWnd), 0);
    int paints = lower.paints;
    upper.Show(FALSE);
    Pump();
    EXPECT_EQ(backingWidth(lower.m_hWnd), 480);
    EXPECT_GT(lower.paints, paints);
    EXPECT_EQ(CopyScreen().Row(100)[5], 0xFF0000FFu);
}

TEST(Windows, RotationTurnsTheScreenAndWorkArea)
{
    DEVMODEW query{};
    query.dmSize = 192;
    query.dmFields = DM_DISPLAYQUERYORIENTATION;
    EXPECT_EQ(ChangeDisplaySettingsEx(nullptr, &query, nullptr, CDS_TEST, nullptr), DISP_CHANGE_SUCCESSFUL);
    DEVMODEW set{};
    set.dmSize = 192;
    set.dmFields = DM_DISPLAYORIENTATION;
    set.dmDisplayOrientation = DMDO_0;
    ASSERT_EQ(ChangeDisplaySettingsEx(nullptr, &set, nullptr, 0, nullptr), DISP_CHANGE_SUCCESSFUL);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 720);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 480);
    RECT work;
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_EQ(work.right, 720);
    EXPECT_EQ(work.bottom, 480);
    EXPECT_GT(work.top, 0);
    ComposeScreen(true);
    EXPECT_EQ(CopyScreen().width, 720);
    set.dmDisplayOrientation = 3; // not an orientation
    EXPECT_EQ(ChangeDisplaySettingsEx(nullptr, &set, nullptr, 0, nullptr), DISP_CHANGE_BADMODE);
    set.dmDisplayOrientation = DMDO_270;
    ASSERT_EQ(ChangeDisplaySettingsEx(nullptr, &set, nullptr, 0, nullptr), DISP_CHANGE_SUCCESSFUL);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 480);
    set.dmDisplayOrientation = DMDO_90;
    ChangeDisplaySettingsEx(nullptr, &set, nullptr, 0, nullptr);
}

TEST(Windows, FrontKeyEndsTheApplicationWhenTheWindowSaysSo)
{
    class QuitWnd : public PlainWnd {
        int OnClickMKey() override { return 0; }
    } w;
    ASSERT_TRUE(w.Create(0, 30, 480, 690));
    w.Show();
    InjectFrontKey();
    MSG msg;
    int guard = 0;
    while (GetMessage(&msg, nullptr, 0, 0) > 0 && ++guard < 100)
        DispatchMessage(&msg);
    EXPECT_LT(guard, 100);
}

namespace {

// Run by the test below in a second process: finds the first process's window and mutex.
void SecondProcess()
{
    const char* cls = std::getenv("MORWICK_TEST_FIND_CLASS");
    std::u16string name(cls, cls + std::strlen(cls));
    HANDLE m = CreateMutexW(nullptr, TRUE, name.c_str());
    ASSERT_NE(m, nullptr);
    if (GetLastError() != ERROR_ALREADY_EXISTS)
        std::exit(3);
    HWND found = FindWindowW(name.c_str(), nullptr);
    if (!found)
        std::exit(4);
    if (!SetForegroundWindow((HWND)((uintptr_t)found | 1)))
        std::exit(5);
    std::exit(0);
}

[[maybe_unused]] const bool secondProcess =
    RegisterHelperTest("Windows", "SecondProcess", "MORWICK_TEST_FIND_CLASS", SecondProcess);

} // namespace

TEST(Windows, SecondProcessFindsTheWindowAndMutexAndBringsItForward)
{
    std::string cls = "MorwickFindTest" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
                      std::to_string(std::hash<std::thread::id>()(std::this_thread::get_id()) % 100000) +
                      std::to_string(GetTickCount());
    std::u16string wide(cls.begin(), cls.end());
    HANDLE m = CreateMutexW(nullptr, TRUE, wide.c_str());
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_SUCCESS);
    PlainWnd w, other;
    w.className = wide;
    ASSERT_TRUE(w.Create(0, 30, 480, 690));
    w.Show();
    ASSERT_TRUE(other.Create(0, 30, 480, 690));
    other.Show();
    EXPECT_EQ(GetActiveWindow(), other.m_hWnd);
    EXPECT_EQ(FindWindowW(wide.c_str(), nullptr), w.m_hWnd);

    std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
    std::string command =
        "MORWICK_TEST_FIND_CLASS=" + cls + " '" + self + "' --gtest_filter=Windows.SecondProcess >/dev/null 2>&1";
    int status = std::system(command.c_str());
    ASSERT_NE(status, -1);
    EXPECT_EQ(status, 0); // the helper exits 0 only when it found both
    TakeDebugLog();
    // The request travels through this process's listener thread, which a busy machine may run late: wait for
    // the activation itself rather than a fixed number of rounds.
    DWORD start = GetTickCount();
    while (GetActiveWindow() != w.m_hWnd && GetTickCount() - start < 20000) {
        Pump();
        Sleep(5);
    }
    EXPECT_EQ(GetActiveWindow(), w.m_hWnd); // brought to the front at the second process's request
    CloseHandle(m);
}
