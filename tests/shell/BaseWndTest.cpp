// Real windows on the headless screen: modal show and end with the walk home and back, re-activation, the
// release of finished windows, swipes, rotation by the accelerometer and the screen-mode setting, the phone's
// calls, lock and USB, and the numeric pad on an edit.
#include "shell/BaseWnd.h"

#include "tests/support/WindowFixture.h"
#include "platform/win/Debug.h"
#include "platform/win/Time.h"

#include <map>
#include <string>

namespace {

struct WndRecord {
    int actives = 0;
    int shellOn = 0;
    HWND hwnd = nullptr;
    bool deleted = false;
    std::vector<int> childResults;
    std::vector<UINT> captionMessages;
};
std::map<std::string, WndRecord> records;

constexpr UINT WM_OPEN_CHILD = WM_APP + 1;

// A screen that, on its first activation, opens a child (depth > 0) or ends with a result (depth 0), and after its
// child has returned ends with afterChild unless that is -1.
class StepWnd : public CBaseWnd {
public:
    StepWnd(std::string name, HWND ownerWnd, int depth, int endResult, int afterChild = -1, int type = WND_TYPE_BASE)
        : CBaseWnd(u"测试", ownerWnd), name(std::move(name)), depth(depth), endResult(endResult), afterChild(afterChild)
    {
        wndType = type;
        records[this->name] = WndRecord{};
    }
    ~StepWnd() override { records[name].deleted = true; }
    LPCWSTR GetMzClassName() override { return u"TestStepWnd"; }
    void OnActive() override
    {
        ++records[name].actives;
        CBaseWnd::OnActive();
        if (!started) {
            started = true;
            if (depth > 0)
                PostMessage(WM_OPEN_CHILD);
            else if (endResult >= 0)
                PostMessage(WM_END_WND, 0, endResult);
        }
    }
    LRESULT WindowProc(UINT m, WPARAM w, LPARAM l) override
    {
        if (m == WM_OPEN_CHILD) {
            auto* child = new StepWnd(name + ">", m_hWnd, depth - 1, endResult, childAfterChild, WND_TYPE_BASE);
            RECT work;
            GetWndManager()->GetWorkRect(&work);
            child->Create(work.left, work.top, work.right - work.left, work.bottom - work.top, m_hWnd);
            records[child->name].hwnd = child->m_hWnd;
            int r = child->ShowWnd(-1, "", "", 1);
            records[name].childResults.push_back(r);
            if (afterChild >= 0)
                PostMessage(WM_END_WND, 0, afterChild);
            return 0;
        }
        if (m == WM_CAPTION_TRADE || m == WM_CAPTION_HOME)
            records[name].captionMessages.push_back(m);
        return CBaseWnd::WindowProc(m, w, l);
    }
    BOOL CreateOverWork(HWND ownerWnd = nullptr)
    {
        RECT work;
        GetWndManager()->GetWorkRect(&work);
        BOOL ok = Create(work.left, work.top, work.right - work.left, work.bottom - work.top, ownerWnd);
        records[name].hwnd = m_hWnd;
        return ok;
    }

    std::string name;
    int depth;
    int endResult;
    int afterChild;
    int childAfterChild = -1;
    bool started = false;
};

int ShellOnCount(HWND window, const std::vector<ShellRecord>& shell)
{
    int n = 0;
    for (const ShellRecord& r : shell)
        n += r.kind == ShellRecord::Notification && r.window == window && r.on && r.code == 12;
    return n;
}

} // namespace

class BaseWndTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        records.clear();
    }
};

TEST_F(BaseWndTest, EndingWithHomeWalksEveryWindowBackToTheMainFrame)
{
    auto* main = new StepWnd("main", nullptr, 3, END_HOME, -1, WND_TYPE_MAIN_FRAME);
    ASSERT_TRUE(main->CreateOverWork());
    main->ShowChild(-1, "", "", TRUE, TRUE); // opens main> -> main>> -> main>>> which ends with home
    PumpUntil([] { return records["main>"].deleted; });

    EXPECT_EQ(records["main"].childResults, std::vector<int>{END_HOME});
    EXPECT_EQ(records["main>"].childResults, std::vector<int>{END_HOME});
    EXPECT_EQ(records["main>>"].childResults, std::vector<int>{END_HOME});
    EXPECT_TRUE(records["main>"].deleted);
    EXPECT_TRUE(records["main>>"].deleted);
    EXPECT_TRUE(records["main>>>"].deleted);
    // Nobody requested again on the way home: each window's own activation ran only when it opened.
    EXPECT_EQ(records["main"].actives, 1);
    EXPECT_EQ(records["main>"].actives, 1);
    EXPECT_EQ(records["main>>"].actives, 1);
    // The main frame ran the base activation (a shell notification) when it became active again.
    EXPECT_GE(ShellOnCount(records["main"].hwnd, TakeShellRecords()), 2);
    EXPECT_EQ(GetActiveWindow(), main->m_hWnd);
    delete main;
}

TEST_F(BaseWndTest, BackRunsTheOwnersActivationAndPlainReturnOnlyTheBase)
{
    auto* main = new StepWnd("main", nullptr, 2, END_BACK, -1, WND_TYPE_MAIN_FRAME);
    main->childAfterChild = 5; // main> ends with 5 once its child is back
    ASSERT_TRUE(main->CreateOverWork());
    main->ShowChild(-1, "", "", TRUE, TRUE);
    PumpUntil([] { return records["main>"].deleted; });
    EXPECT_EQ(records["main>"].childResults, std::vector<int>{END_BACK});
    EXPECT_EQ(records["main>"].actives, 2); // its own activation ran again: it would request again
    EXPECT_EQ(records["main"].childResults, std::vector<int>{5});
    EXPECT_EQ(records["main"].actives, 1); // 5 is no activation result
    delete main;

    records.clear();
    TakeShellRecords();
    main = new StepWnd("main", nullptr, 2, END_RETURN, -1, WND_TYPE_MAIN_FRAME);
    main->childAfterChild = 5;
    ASSERT_TRUE(main->CreateOverWork());
    main->ShowChild(-1, "", "", TRUE, TRUE);
    PumpUntil([] { return records["main>"].deleted; });
    EXPECT_EQ(records["main>"].childResults, std::vector<int>{END_RETURN});
    EXPECT_EQ(records["main>"].actives, 1);                                // no new request
    EXPECT_EQ(ShellOnCount(records["main>"].hwnd, TakeShellRecords()), 2); // but the base activation ran
    delete main;
}

TEST_F(BaseWndTest, CaptionHomeEndsAWindowButNotTheMainFrame)
{
    StepWnd w("w", nullptr, 0, -1);
    ASSERT_TRUE(w.CreateOverWork());
    w.PostMessage(WM_CAPTION_HOME);
    EXPECT_EQ(w.ShowWnd(-1, "", "", 1), END_HOME);

    StepWnd frame("frame", nullptr, 0, -1, -1, WND_TYPE_MAIN_FRAME);
    ASSERT_TRUE(frame.CreateOverWork());
    frame.PostMessage(WM_CAPTION_HOME);
    frame.PostMessage(WM_END_WND, 0, 7);
    EXPECT_EQ(frame.ShowWnd(-1, "", "", 1), 7);
}

TEST_F(BaseWndTest, AFinishedChildIsDeletedOnceAndOnlyAfterItsModalLoopHasEnded)
{
    StepWnd owner("owner", nullptr, 0, -1);
    ASSERT_TRUE(owner.CreateOverWork());
    owner.Show();
    auto* child = new StepWnd("child", owner.m_hWnd, 0, -1);
    ASSERT_TRUE(child->CreateOverWork(owner.m_hWnd));
    // The close arrives while the child's own loop is still running: it must survive until that loop is over.
    ::PostMessage(owner.m_hWnd, WM_CHILD_CLOSED, 0, (LPARAM)child);
    int marker = 0;
    ::PostMessage(owner.m_hWnd, WM_CHILD_CLOSED, 0, (LPARAM)&marker); // not a window: ignored
    // A live window that is not the owner's child (a stale close naming a reused address): ignored.
    StepWnd stranger("stranger", nullptr, 0, -1);
    ASSERT_TRUE(stranger.CreateOverWork());
    ::PostMessage(owner.m_hWnd, WM_CHILD_CLOSED, 0, (LPARAM)&stranger);
    child->PostMessage(WM_END_WND, 0, END_RETURN);
    EXPECT_EQ(child->ShowWnd(-1, "", "", 1), END_RETURN);
    EXPECT_FALSE(records["child"].deleted);
    EXPECT_TRUE(CBaseWnd::IsLiveWindow(child));
    PumpUntil([] { return records["child"].deleted; });
    EXPECT_TRUE(records["child"].deleted);
    EXPECT_FALSE(CBaseWnd::IsLiveWindow(child));
    EXPECT_FALSE(records["stranger"].deleted);
    // A second close of the same window changes nothing.
    ::PostMessage(owner.m_hWnd, WM_CHILD_CLOSED, 0, (LPARAM)child);
    PumpMessages();
    EXPECT_EQ(marker, 0);
}

TEST_F(BaseWndTest, AChildThatCannotBeCreatedIsDeletedAndNeverShown)
{
    struct Unmakeable : StepWnd {
        using StepWnd::StepWnd;
        BOOL OnInitDialog() override { return FALSE; }
    };
    StepWnd owner("owner", nullptr, 0, -1);
    ASSERT_TRUE(owner.CreateOverWork());
    EXPECT_EQ(owner.RunChild(new Unmakeable("child", owner.m_hWnd, 0, END_BACK)), -1);
    EXPECT_TRUE(records["child"].deleted);
    EXPECT_EQ(records["child"].actives, 0);

    // One that can be made runs to its end.
    EXPECT_EQ(owner.RunChild(new StepWnd("made", owner.m_hWnd, 0, END_RETURN)), END_RETURN);
    PumpUntil([] { return records["made"].deleted; });
    EXPECT_TRUE(records["made"].deleted);
}

TEST_F(BaseWndTest, HidingAChildWithoutAModalLoopHandsItBack)
{
    StepWnd owner("owner", nullptr, 0, -1);
    ASSERT_TRUE(owner.CreateOverWork());
    owner.Show();
    auto* child = new StepWnd("child", owner.m_hWnd, 0, -1);
    ASSERT_TRUE(child->CreateOverWork(owner.m_hWnd));
    child->ShowChild(-1, "", "", TRUE, TRUE);
    EXPECT_EQ(records["child"].actives, 1);
    EXPECT_EQ(GetActiveWindow(), child->m_hWnd);
    child->ShowChild(-1, "", "", FALSE, FALSE);
    PumpMessages();
    EXPECT_TRUE(records["child"].deleted);
}

TEST_F(BaseWndTest, OnlyAStrokeOfMoreThanFiftyPixelsInsideTheGestureAreaSwipesBack)
{
    auto stroke = [](StepWnd& w, int x0, int y0, int x1, int y1) {
        w.PostMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELONG(x0, y0));
        w.PostMessage(WM_LBUTTONUP, 0, MAKELONG(x1, y1));
        w.PostMessage(WM_END_WND, 0, 7);
        return w.ShowWnd(-1, "", "", 1);
    };
    {
        StepWnd w("w", nullptr, 0, -1);
        ASSERT_TRUE(w.CreateOverWork());
        EXPECT_EQ(stroke(w, 100, 300, 150, 300), 7); // exactly 50
    }
    {
        StepWnd w("w", nullptr, 0, -1);
        ASSERT_TRUE(w.CreateOverWork());
        EXPECT_EQ(stroke(w, 100, 300, 151, 325), END_BACK); // 51 with a drift under half
    }
    {
        StepWnd w("w", nullptr, 0, -1);
        ASSERT_TRUE(w.CreateOverWork());
        EXPECT_EQ(stroke(w, 100, 300, 151, 326), 7); // drift of more than half
        EXPECT_EQ(stroke(w, 100, 20, 400, 20), 7);   // starts on the caption, outside the gesture area
        EXPECT_EQ(stroke(w, 400, 300, 100, 300), 7); // a left swipe does nothing here
        int barTop = w.GetHeight() - 107;            // the area ends above the command bar's band
        EXPECT_EQ(stroke(w, 100, barTop + 10, 300, barTop + 10), 7);
        EXPECT_EQ(stroke(w, 100, barTop - 10, 300, barTop - 10), END_BACK);
    }
    {
        StepWnd w("w", nullptr, 0, -1, -1, WND_TYPE_STOCK_EDITOR);
        ASSERT_TRUE(w.CreateOverWork());
        EXPECT_EQ(stroke(w, 100, 300, 300, 300), 7); // the stock editor does not swipe back
    }
}

TEST_F(BaseWndTest, TheAccelerometerTurnsWindowsThatFollowItAndTheSettingCanPinPortrait)
{
    CAppData* app = CAppData::Instance();
    ASSERT_TRUE(app->SetConfig("Screen_Mode", "4", 0));
    StepWnd w("w", nullptr, 0, -1);
    ASSERT_TRUE(w.CreateOverWork());
    w.ShowChild(-1, "", "", TRUE, TRUE);
    PumpMessages();
    EXPECT_EQ(w.GetWidth(), 480);

    SimulateAccelerometer(2);
    PumpMessages();
    EXPECT_EQ(w.GetScreenModeValue(), 3);
    EXPECT_EQ(app->GetScreenMode(), 3);
    EXPECT_EQ(w.GetWidth(), 720);
    EXPECT_EQ(w.GetContentPanel().GetHeight(), w.GetHeight() - 92);
    EXPECT_TRUE(w.GetToolBar().IsLandscape());
    EXPECT_EQ(w.GetCaptionBar().GetWidth(), 720);
    w.Update();
    EXPECT_EQ(std::u16string(w.GetCaptionBar().GetBackgroundName()), u"captionbg_720.png");
    EXPECT_NE(TakeDebugLogUtf8().find("Rotating\n"), std::string::npos);

    // A form never turns; it brings the screen back to portrait when it becomes active.
    StepWnd form("form", nullptr, 0, -1, -1, WND_TYPE_FORM);
    ASSERT_TRUE(form.CreateOverWork());
    form.ShowChild(-1, "", "", TRUE, TRUE);
    PumpMessages();
    EXPECT_EQ(form.GetScreenModeValue(), 0);
    EXPECT_EQ(form.GetWidth(), 480);
    SimulateAccelerometer(3);
    PumpMessages();
    EXPECT_EQ(form.GetScreenModeValue(), 0);
    EXPECT_EQ(form.GetWidth(), 480);
    form.Show(FALSE);

    // Setting 5: the accelerometer always brings portrait.
    ASSERT_TRUE(app->SetConfig("Screen_Mode", "5", 0));
    SimulateAccelerometer(2);
    PumpMessages();
    EXPECT_EQ(w.GetScreenModeValue(), 0);
    EXPECT_EQ(w.GetWidth(), 480);
    EXPECT_EQ(w.GetContentPanel().GetHeight(), w.GetHeight() - 107);
    w.Update();
    EXPECT_EQ(std::u16string(w.GetCaptionBar().GetBackgroundName()), u"captionbg.png");
}

TEST_F(BaseWndTest, ACallPutsTheWindowAsideAndItsEndBringsItBackAndUsbOffQuits)
{
    StepWnd w("w", nullptr, 0, -1);
    ASSERT_TRUE(w.CreateOverWork());
    w.ShowChild(-1, "", "", TRUE, TRUE);
    PumpMessages();
    TakeShellRecords();
    TakeDebugLogUtf8();
    SimulateCall(TRUE);
    PumpMessages();
    std::vector<ShellRecord> shell = TakeShellRecords();
    ASSERT_FALSE(shell.empty());
    EXPECT_FALSE(shell.back().on); // put aside
    EXPECT_EQ(w.GetScreenModeValue(), 0);
    SimulateCall(FALSE);
    PumpMessages();
    EXPECT_EQ(records["w"].actives, 2);
    std::string log = TakeDebugLogUtf8();
    EXPECT_NE(log.find("call begin\n"), std::string::npos);
    EXPECT_NE(log.find("call end\n"), std::string::npos);

    SimulateLockPhone(TRUE);
    PumpMessages();
    EXPECT_EQ(records["w"].actives, 2);
    SimulateLockPhone(FALSE);
    PumpMessages();
    EXPECT_EQ(records["w"].actives, 3);

    SimulateUsbOff();
    MSG msg;
    bool quit = false;
    for (int i = 0; i < 100 && PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE); ++i) {
        if (msg.message == WM_QUIT)
            quit = true;
        else
            DispatchMessage(&msg);
    }
    EXPECT_TRUE(quit);
}

TEST_F(BaseWndTest, ScreenLockSettingZeroKeepsTheScreenOnWhileTheWindowLives)
{
    ASSERT_TRUE(CAppData::Instance()->SetConfig("Screen_Lock", "0", 0));
    StepWnd w("w", nullptr, 0, -1);
    ASSERT_TRUE(w.CreateOverWork());
    w.PostMessage(WM_END_WND, 0, END_BACK);
    EXPECT_EQ(w.ShowWnd(-1, "", "", 1), END_BACK);
    std::vector<ShellRecord> shell = TakeShellRecords();
    int asks = 0, releases = 0;
    for (const ShellRecord& r : shell) {
        asks += r.kind == ShellRecord::Request && r.code == 10;
        releases += r.kind == ShellRecord::Request && r.code == 11;
    }
    EXPECT_GE(asks, 1);
    EXPECT_EQ(releases, 1); // given back once when the window ended
}

TEST_F(BaseWndTest, KeypadKeysEditTheFieldAndBackspaceEmptiesAShortText)
{
    StepWnd w("w", nullptr, 0, -1);
    UiLineEdit edit;
    edit.SetText(u"7");
    w.OnKeypadKey(20, &edit);
    EXPECT_EQ(std::u16string(edit.GetText()), u"");
    w.OnKeypadKey(11, &edit);
    w.OnKeypadKey(24, &edit);
    w.OnKeypadKey(19, &edit);
    w.OnKeypadKey(21, &edit); // not a key of the field
    EXPECT_EQ(std::u16string(edit.GetText()), u"1.9");
    w.OnKeypadKey(20, &edit);
    EXPECT_EQ(std::u16string(edit.GetText()), u"1.");
}

TEST_F(BaseWndTest, CaptionTextIsKeptWhenEmptyAndCutWhenTooLong)
{
    StepWnd w("w", nullptr, 0, -1);
    ASSERT_TRUE(w.CreateOverWork());
    EXPECT_EQ(std::u16string(w.GetCaptionBar().GetText()), u"测试");
    w.SetCaption(u"");
    EXPECT_EQ(std::u16string(w.GetCaptionBar().GetText()), u"测试");
    std::u16string longTitle(400, u'长');
    w.SetCaption(longTitle.c_str());
    EXPECT_EQ(std::u16string(w.GetCaption()).size(), 255u);
    EXPECT_EQ(std::u16string(w.GetCaptionBar().GetText()).size(), 255u);
}

TEST_F(BaseWndTest, ContentTallerThanTheViewIsDraggedIntoViewAndRoundBoxesInItMoveAlong)
{
    struct Case {
        int contentHeight;
        bool scrolls;
    };
    for (const Case& c : {Case{1200, true}, Case{300, false}}) {
        StepWnd w("panel", nullptr, 0, -1);
        ASSERT_TRUE(w.CreateOverWork());
        UiStatic block;
        block.SetPos(0, 0, 100, c.contentHeight);
        w.GetContentPanel().AddChild(&block);
        const RECT view = w.GetContentPanel().GetRect();
        // The finger drags the panel up beside the block.
        SendMessage(w.m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELONG(240, view.bottom - 20));
        for (int y = view.bottom - 40; y >= view.top + 20; y -= 20)
            SendMessage(w.m_hWnd, WM_MOUSEMOVE, MK_LBUTTON, MAKELONG(240, y));
        SendMessage(w.m_hWnd, WM_LBUTTONUP, 0, MAKELONG(240, view.top + 20));
        PumpMessages();
        int top = w.GetContentPanel().GetTopPos();
        EXPECT_EQ(top > 0, c.scrolls) << c.contentHeight << " " << top;

        // A box given in the panel's content is drawn where that content is now.
        HDC dc = CreateCompatibleDC(nullptr);
        HBITMAP bitmap = CreateCompatibleBitmap(dc, 480, 720);
        HGDIOBJ old = SelectObject(dc, bitmap);
        RECT box{100, 600, 300, 660};
        w.DrawRoundBox(dc, &box, TRUE, FALSE);
        EXPECT_EQ(GetPixel(dc, 200, view.top + 630 - top), (COLORREF)0xF3F3F3) << top;
        if (c.scrolls) {
            EXPECT_NE(GetPixel(dc, 200, view.top + 630), (COLORREF)0xF3F3F3);
        }
        SelectObject(dc, old);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
}
