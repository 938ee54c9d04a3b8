// Real windows: stylus routing through the host window, the message box, the tip, the rising pop-up, the wait
// dialog and the keypad.
#include "platform/automation/Automation.h"
#include "platform/ui/MzDialogs.h"
#include "platform/ui/MzKeypadWnd.h"
#include "platform/ui/UiEdit.h"
#include "platform/win/Desktop.h"
#include "platform/win/Shell.h"
#include "platform/win/Time.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <thread>

namespace {

void Pump()
{
    MSG msg;
    for (int i = 0; i < 200 && PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE); ++i) {
        TranslateMessage(&msg);
        DispatchMessage(&msg);
    }
}

void TapWindow(HWND w, int x, int y)
{
    SendMessage(w, WM_LBUTTONDOWN, MK_LBUTTON, MAKELONG(x, y));
    SendMessage(w, WM_LBUTTONUP, 0, MAKELONG(x, y));
}

// A screen whose press handler skips the base class, as some of the client's screens do.
class SkippingWnd : public CMzHostWnd {
public:
    LPCWSTR GetMzClassName() override { return u"TestSkippingWnd"; }
    BOOL OnInitDialog() override
    {
        button.SetID(42);
        button.SetPos(10, 10, 100, 60);
        button.SetText(u"确定");
        AddUiWin(&button);
        edit.SetPos(10, 100, 200, 60);
        AddUiWin(&edit);
        return TRUE;
    }
    void OnLButtonDown(UINT, int x, int y) override { presses.push_back(POINT{x, y}); }
    void OnLButtonUp(UINT, int x, int y) override { releases.push_back(POINT{x, y}); }
    void OnMzCommand(WPARAM w, LPARAM l) override { commands.push_back({LOWORD(w), HIWORD(w), l}); }

    UiPushButton button;
    UiLineEdit edit;
    std::vector<POINT> presses, releases;
    std::vector<std::tuple<int, int, LPARAM>> commands;
};

// This process's visible window of the class (never another test program's), or null.
HWND FindOwnWindow(LPCWSTR className)
{
    for (HWND w : ListWindowHandles()) {
        WCHAR name[64] = {};
        if (GetClassNameW(w, name, 64) > 0 && std::u16string(name) == className && IsWindowVisible(w))
            return w;
    }
    return nullptr;
}

// Waits for the window to appear; the long limit only keeps a broken run from hanging on a busy machine.
HWND WaitForWindow(LPCWSTR className)
{
    for (DWORD start = GetTickCount(); GetTickCount() - start < 20000;) {
        if (HWND w = FindOwnWindow(className))
            return w;
        Sleep(5);
    }
    return nullptr;
}

} // namespace

TEST(HostWindow, ControlsGetTheirPressEvenWhenTheWindowHandlerSkipsTheBase)
{
    SkippingWnd w;
    ASSERT_TRUE(w.Create(0, 30, 480, 690));
    w.Show();
    TapWindow(w.m_hWnd, 20, 20);
    TapWindow(w.m_hWnd, 300, 400); // on no control
    Pump();
    ASSERT_EQ(w.commands.size(), 1u);
    EXPECT_EQ(w.commands[0], std::make_tuple(42, 0, LPARAM(0)));
    // The window's own handlers saw both presses, the one over the button too.
    ASSERT_EQ(w.presses.size(), 2u);
    EXPECT_EQ(w.presses[0].x, 20);
    EXPECT_EQ(w.releases.size(), 2u);

    TapWindow(w.m_hWnd, 20, 120); // the edit takes the focus and then the typed characters
    EXPECT_TRUE(w.edit.IsFocused());
    EXPECT_TRUE(SipIsVisible());
    for (char16_t c : std::u16string(u"ab"))
        SendMessage(w.m_hWnd, WM_CHAR, c, 0);
    SendMessage(w.m_hWnd, WM_CHAR, 8, 0);
    EXPECT_EQ(std::u16string(w.edit.GetText()), u"a");
    std::string json = w.DescribeControls();
    EXPECT_NE(json.find("\"kind\":\"UiLineEdit\""), std::string::npos);
    EXPECT_NE(json.find("\"text\":\"a\""), std::string::npos);
    w.Destroy();
    EXPECT_FALSE(SipIsVisible());
    EXPECT_FALSE(w.edit.IsFocused());
}

TEST(HostWindow, AnUnhandledControlStylusNotificationIsNotTakenForTheFrontKey)
{
    class QuitWatch : public CMzHostWnd {
    public:
        int OnClickMKey() override
        {
            ++frontKeys;
            return 1;
        }
        int frontKeys = 0;
    };
    QuitWatch w;
    ASSERT_TRUE(w.Create(0, 30, 480, 690));
    SendMessage(w.m_hWnd, MZ_WM_MOUSE_NOTIFY, MAKELONG(180, MZ_MOUSE_DOWN), 0);
    EXPECT_EQ(w.frontKeys, 0);
    SendMessage(w.m_hWnd, MZ_WM_MOUSE_NOTIFY, 0, 0);
    EXPECT_EQ(w.frontKeys, 1);
}

TEST(MessageBox, YesReturnsOneNoReturnsTwoAndOneButtonReturnsOne)
{
    auto answer = [](int which) {
        return std::thread([which] {
            HWND box = WaitForWindow(u"MzMessageBoxWnd");
            ASSERT_NE(box, nullptr);
            RECT rc;
            GetClientRect(box, &rc);
            int x = which == 1 ? 40 : rc.right - 40;
            if (which == 0)
                x = rc.right / 2;
            TapWindow(box, x, rc.bottom - 45);
        });
    };
    std::thread t = answer(1);
    EXPECT_EQ(MzMessageBox(nullptr, u"您确定退出系统？", u"退出系统", MZ_MB_YESNO), MZ_IDYES);
    t.join();
    t = answer(2);
    EXPECT_EQ(MzMessageBox(nullptr, u"添加前是否应用当前编辑？", u"提示", MZ_MB_YESNO), MZ_IDNO);
    t.join();
    t = answer(0);
    EXPECT_EQ(MzMessageBox(nullptr, u"您未选中任何选项！", u"Tips", MZ_MB_OK), MZ_IDOK);
    t.join();
}

TEST(MessageBox, ComesBackInFrontWhenAWindowOpenedFromItsLoopInItsOwnersNameHasGone)
{
    // The owner screen, which opens a tip in its own name when asked, as a late reply's handler would.
    class Screen : public CMzWnd {
    public:
        LPCWSTR GetMzClassName() override { return u"TestOwnerScreen"; }
        LRESULT WindowProc(UINT m, WPARAM w, LPARAM l) override
        {
            if (m == WM_APP + 2) {
                MzShowTip(m_hWnd, u"网络请求超时，请重试！", 100);
                tipped = true;
                return 0;
            }
            return CMzWnd::WindowProc(m, w, l);
        }
        std::atomic<bool> tipped{false};
    };
    Screen screen;
    ASSERT_TRUE(screen.Create(0, 30, 480, 690, nullptr, 0, WS_POPUP));
    screen.Show(TRUE, TRUE);
    std::atomic<bool> boxInFront{false};
    std::thread t([&] {
        HWND box = WaitForWindow(u"MzMessageBoxWnd");
        ASSERT_NE(box, nullptr);
        PostMessage(screen.m_hWnd, WM_APP + 2, 0, 0);
        // The tip raised the screen over the box; once it has gone the box is in front again.
        for (DWORD start = GetTickCount(); GetTickCount() - start < 20000 && !boxInFront; Sleep(5))
            boxInFront = screen.tipped && FindOwnWindow(u"MzTipWnd") == nullptr && GetActiveWindow() == box;
        RECT rc;
        GetClientRect(box, &rc);
        TapWindow(box, rc.right / 2, rc.bottom - 45);
    });
    EXPECT_EQ(MzMessageBox(screen.m_hWnd, u"您确定退出？", u"Exit", MZ_MB_OK), MZ_IDOK);
    t.join();
    EXPECT_TRUE(boxInFront);
}

TEST(Tip, StaysUpForItsTimeWhileMessagesSentFromAnotherThreadAreHandled)
{
    class Receiver : public CMzWnd {
    public:
        LRESULT WindowProc(UINT m, WPARAM w, LPARAM l) override
        {
            if (m == WM_APP + 1) {
                handled = true;
                return 77;
            }
            return CMzWnd::WindowProc(m, w, l);
        }
        std::atomic<bool> handled{false};
    };
    Receiver receiver;
    ASSERT_TRUE(receiver.Create(0, 30, 10, 10));
    std::atomic<LRESULT> reply{0};
    std::atomic<bool> tipUp{false};
    std::thread sender([&] {
        tipUp = WaitForWindow(u"MzTipWnd") != nullptr;
        reply = SendMessage(receiver.m_hWnd, WM_APP + 1, 0, 0);
    });
    DWORD start = GetTickCount();
    MzShowTip(receiver.m_hWnd, u"已在我的基金!", 300);
    DWORD elapsed = GetTickCount() - start;
    sender.join();
    EXPECT_TRUE(tipUp);
    EXPECT_TRUE(receiver.handled);
    EXPECT_EQ(reply, 77);
    EXPECT_GE(elapsed, 280u);
    EXPECT_EQ(FindOwnWindow(u"MzTipWnd"), nullptr);
}

TEST(Popup, EndsWithThePressedButtonsId)
{
    CMzPopupMenuWnd popup;
    popup.AddItem(MzPopupItem{u"取消", 1, 121});
    popup.AddItem(MzPopupItem{u"加入自选", 1, 126});
    RECT work;
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    int h = popup.GetHeight();
    EXPECT_EQ(h, 218);
    popup.SetShowAnimation(1);
    ASSERT_TRUE(popup.Create(work.left, work.bottom - h, work.right - work.left, h, nullptr));
    std::thread t([] {
        HWND w = WaitForWindow(u"CMzPopupMenuWnd");
        ASSERT_NE(w, nullptr);
        TapWindow(w, 100, 14 + 10 + 95 + 30); // the second button
    });
    EXPECT_EQ(popup.DoModal(), 126);
    t.join();
}

TEST(WaitDialog, CancelPostsTheMessageToTheOwnerAndCloseAllHidesIt)
{
    class Owner : public CMzWnd {
    public:
        LRESULT WindowProc(UINT m, WPARAM w, LPARAM l) override
        {
            if (m == 0xFFF2000A)
                ++cancels;
            return CMzWnd::WindowProc(m, w, l);
        }
        int cancels = 0;
    };
    Owner owner;
    ASSERT_TRUE(owner.Create(0, 30, 480, 690));
    ProgressDialog progress;
    progress.SetRange(0, 100);
    progress.SetCurValue(30);
    progress.SetButtonText(u"取消登录");
    progress.SetInfo(u"正在登陆Morwick，请稍后...");
    progress.SetValue(30);
    progress.SetStyle(1);
    progress.SetCancelMessage(0xFFF2000A);
    ASSERT_TRUE(progress.Show(owner.m_hWnd));
    EXPECT_TRUE(progress.IsShown());
    HWND w = FindOwnWindow(u"ProgressDialog");
    ASSERT_NE(w, nullptr);
    TapWindow(w, 210, 150);
    Pump();
    EXPECT_EQ(owner.cancels, 1);
    EXPECT_FALSE(progress.IsShown());
    ASSERT_TRUE(progress.Show(owner.m_hWnd));
    ProgressDialog::CloseAll();
    EXPECT_FALSE(progress.IsShown());

    // Shown again over another window it belongs to that one: it must not bring the first one forward with it.
    Owner other;
    ASSERT_TRUE(other.Create(0, 30, 480, 690, owner.m_hWnd));
    other.Show(TRUE, TRUE);
    ASSERT_TRUE(progress.Show(other.m_hWnd));
    w = FindOwnWindow(u"ProgressDialog");
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(GetWindow(w, GW_OWNER), other.m_hWnd);
    EXPECT_EQ(GetActiveWindow(), w);
}

TEST(Keypad, KeysArePostedToTheTargetAsCommands)
{
    class Target : public CMzWnd {
    public:
        BOOL OnCommand(WPARAM w, LPARAM) override
        {
            keys.push_back((int)w);
            return TRUE;
        }
        std::vector<int> keys;
    };
    Target target;
    ASSERT_TRUE(target.Create(0, 30, 480, 400));
    CMzKeypadWnd pad;
    ASSERT_TRUE(pad.Create(0, 430, 480, CMzKeypadWnd::PreferredHeight(), target.m_hWnd));
    pad.SetTarget(target.m_hWnd);
    pad.SetKeyText(CMzKeypadWnd::KEY_POINT, u"");
    ASSERT_NE(pad.GetKeyImage(CMzKeypadWnd::KEY_POINT), nullptr);
    int cw = 480 / 4, rh = (CMzKeypadWnd::PreferredHeight() - 10) / 4;
    TapWindow(pad.m_hWnd, cw / 2, 5 + rh / 2);              // "1"
    TapWindow(pad.m_hWnd, cw * 3 / 2, 5 + 3 * rh + rh / 2); // "0", two keys wide
    TapWindow(pad.m_hWnd, cw * 7 / 2, 5 + rh / 2);          // backspace
    TapWindow(pad.m_hWnd, cw / 2, 5 + 3 * rh + rh / 2);     // the decimal point
    Pump();
    EXPECT_EQ(target.keys, (std::vector<int>{11, 10, 20, 24}));
}

TEST(MessageBox, ATextTallerThanTheScreenScrollsInsteadOfBeingCut)
{
    std::u16string text;
    for (int i = 0; i < 120; ++i)
        text += u"服务器返回的错误信息很长。";
    std::atomic<bool> scrolled{false};
    morwick::display::AttachGuiThread(); // the dump below runs on this thread, inside the box's loop
    std::thread t([&] {
        HWND box = WaitForWindow(u"MzMessageBoxWnd");
        ASSERT_NE(box, nullptr);
        std::string before = morwick::automation::RunCommand("dump");
        SendMessage(box, WM_LBUTTONDOWN, MK_LBUTTON, MAKELONG(100, 300));
        for (int y = 280; y >= 80; y -= 20)
            SendMessage(box, WM_MOUSEMOVE, MK_LBUTTON, MAKELONG(100, y));
        SendMessage(box, WM_LBUTTONUP, 0, MAKELONG(100, 80));
        std::string after = morwick::automation::RunCommand("dump");
        scrolled = before.find("\"UiTextEdit\"") != std::string::npos &&
                   before.find("editable=0 top=0\"") != std::string::npos &&
                   after.find("editable=0 top=0\"") == std::string::npos;
        RECT rc;
        GetClientRect(box, &rc);
        TapWindow(box, rc.right / 2, rc.bottom - 45);
    });
    EXPECT_EQ(MzMessageBox(nullptr, text.c_str(), u"Message", MZ_MB_OK), MZ_IDOK);
    t.join();
    EXPECT_TRUE(scrolled);
}

TEST(MessageBox, TipsBoxesAndTheWaitDialogShowWhatLiesBeneathOutsideTheirRoundedCorners)
{
    class WhiteScreen : public CMzWnd {
    public:
        WhiteScreen() { SetBgColor(RGB(255, 255, 255)); }
        LPCWSTR GetMzClassName() override { return u"TestWhiteScreen"; }
    };
    WhiteScreen beneath;
    ASSERT_TRUE(beneath.Create(0, 30, 480, 690, nullptr, 0, WS_POPUP));
    beneath.Show(TRUE, TRUE);
    Pump();
    morwick::display::AttachGuiThread();
    // The screen pixels at a corner of the window and inside its panel, composed on the GUI thread.
    auto cornerAndInside = [](HWND w) {
        RECT rc;
        GetWindowRect(w, &rc);
        morwick::display::RunOnGuiThread([] { morwick::display::ComposeScreen(true); });
        morwick::display::Surface screen = morwick::display::CopyScreen();
        return std::pair<COLORREF, COLORREF>{
            morwick::display::ColorFromPixel(screen.Row(rc.top)[rc.left]),
            morwick::display::ColorFromPixel(screen.Row((rc.top + rc.bottom) / 2)[rc.left + 8])};
    };
    const COLORREF white = RGB(255, 255, 255), panel = RGB(30, 36, 50);
    struct Case {
        const char16_t* className;
        std::function<void()> show;
    };
    const Case cases[] = {
        {u"MzMessageBoxWnd", [&] { MzMessageBox(beneath.m_hWnd, u"您确定退出系统？", u"退出系统", MZ_MB_YESNO); }},
        {u"MzTipWnd", [&] { MzShowTip(beneath.m_hWnd, u"该功能暂未开放！", 20000); }},
    };
    for (const Case& c : cases) {
        std::pair<COLORREF, COLORREF> seen{0, 0};
        std::thread t([&] {
            HWND box = WaitForWindow(c.className);
            ASSERT_NE(box, nullptr);
            seen = cornerAndInside(box);
            RECT rc;
            GetClientRect(box, &rc);
            TapWindow(box, 40, rc.bottom - 45); // "是", or anywhere on a tip
        });
        c.show();
        t.join();
        EXPECT_EQ(seen.first, white) << std::hex << seen.first;
        EXPECT_EQ(seen.second, panel) << std::hex << seen.second;
    }
    ProgressDialog wait;
    wait.SetRange(0, 100);
    ASSERT_TRUE(wait.Show(beneath.m_hWnd));
    Pump();
    HWND dialog = FindOwnWindow(u"ProgressDialog");
    ASSERT_NE(dialog, nullptr);
    std::pair<COLORREF, COLORREF> seen = cornerAndInside(dialog);
    EXPECT_EQ(seen.first, white) << std::hex << seen.first;
    EXPECT_EQ(seen.second, panel) << std::hex << seen.second;
    wait.Close();
}
