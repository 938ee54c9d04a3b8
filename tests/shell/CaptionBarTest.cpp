// The caption bar in a real window: its icons post their messages, the home icon can be switched off, the
// activity line runs on its timer and its length and colour follow the phase and the transport's state.
#include "shell/BaseWnd.h"

#include "tests/support/WindowFixture.h"
#include "platform/win/Time.h"

#include <functional>

namespace {

class CaptionWnd : public CBaseWnd {
public:
    CaptionWnd() : CBaseWnd(u"行情", nullptr) {}
    LPCWSTR GetMzClassName() override { return u"TestCaptionWnd"; }
    LRESULT WindowProc(UINT m, WPARAM w, LPARAM l) override
    {
        if (m == WM_CAPTION_TRADE || m == WM_CAPTION_HOME)
            captionMessages.push_back(m);
        return CBaseWnd::WindowProc(m, w, l);
    }
    std::vector<UINT> captionMessages;
};

} // namespace

class CaptionBarTest : public WindowTest {
protected:
    void Open(CaptionWnd& w)
    {
        RECT work = WorkRect();
        ASSERT_TRUE(w.Create(work.left, work.top, work.right - work.left, work.bottom - work.top));
        w.Show();
        w.Invalidate();
        w.Update(); // paints the bar, which places its icons
    }
    void Tap(CaptionWnd& w, int downX, int upX)
    {
        SendMessage(w.m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELONG(downX, 20));
        SendMessage(w.m_hWnd, WM_LBUTTONUP, 0, MAKELONG(upX, 300));
        PumpMessages();
    }
};

TEST_F(CaptionBarTest, IconsPostTheirMessagesWhereverTheFingerIsLifted)
{
    CaptionWnd w;
    Open(w);
    CCaptionBar& bar = w.GetCaptionBar();
    ASSERT_GT(bar.GetHomeIconWidth(), 0);
    ASSERT_GT(bar.GetTradeIconWidth(), 0);
    EXPECT_EQ(bar.GetHomeIconX() + bar.GetHomeIconWidth(), 480 - 10);
    EXPECT_EQ(bar.GetTradeIconX() + bar.GetTradeIconWidth(), bar.GetHomeIconX() - 10);
    EXPECT_EQ(std::u16string(bar.GetBackgroundName()), u"captionbg.png");

    Tap(w, bar.GetHomeIconX() + 5, 200); // lifted far away: still home
    Tap(w, bar.GetTradeIconX() + 5, bar.GetTradeIconX() + 5);
    Tap(w, bar.GetHomeIconX(), bar.GetHomeIconX()); // on the very edge: not inside
    Tap(w, 200, 200);                               // on the title
    EXPECT_EQ(w.captionMessages, (std::vector<UINT>{WM_CAPTION_HOME, WM_CAPTION_TRADE}));

    w.captionMessages.clear();
    bar.EnableHome(FALSE);
    Tap(w, bar.GetHomeIconX() + 5, bar.GetHomeIconX() + 5);
    EXPECT_TRUE(w.captionMessages.empty());
}

TEST_F(CaptionBarTest, ActivityLineRunsOnItsTimerUntilSwitchedOff)
{
    CaptionWnd w;
    Open(w);
    CCaptionBar& bar = w.GetCaptionBar();
    bar.SetActivity(TRUE);
    EXPECT_EQ(bar.GetActivityPhase(), 1);
    DWORD start = GetTickCount();
    while (bar.GetActivityPhase() < 3 && GetTickCount() - start < 20000) { // ends on the phase; the clock is a guard
        PumpMessages();
        Sleep(10);
    }
    EXPECT_GE(bar.GetActivityPhase(), 3);
    bar.SetActivity(TRUE); // a new start begins again at 1
    EXPECT_EQ(bar.GetActivityPhase(), 1);
    bar.SetActivity(FALSE);
    EXPECT_EQ(bar.GetActivityPhase(), 0);
    EXPECT_FALSE(bar.KillTimer(CCaptionBar::ACTIVITY_TIMER)); // no timer left to tick
    bar.OnTimer(CCaptionBar::ACTIVITY_TIMER);                 // and a tick already on its way draws nothing
    PumpMessages();
    EXPECT_EQ(bar.GetActivityPhase(), 0);
}

TEST(CaptionBar, ActivityLineGrowsOverTwentyStepsAndIsEmptyAtEveryTwentyFirst)
{
    EXPECT_EQ(CCaptionBar::ActivityLength(480, 1), 24);
    EXPECT_EQ(CCaptionBar::ActivityLength(480, 10), 240);
    EXPECT_EQ(CCaptionBar::ActivityLength(480, 20), 480);
    EXPECT_EQ(CCaptionBar::ActivityLength(480, 21), 0);
    EXPECT_EQ(CCaptionBar::ActivityLength(480, 42), 0);
    EXPECT_EQ(CCaptionBar::ActivityLength(720, 22), 36);
    EXPECT_EQ(CCaptionBar::ActivityColor(0), RGB(255, 108, 0));
    EXPECT_EQ(CCaptionBar::ActivityColor(1), RGB(2, 226, 244));
    EXPECT_EQ(CCaptionBar::ActivityColor(2), RGB(255, 255, 0));
    EXPECT_EQ(CCaptionBar::ActivityColor(3), RGB(255, 0, 0));
    EXPECT_EQ(CCaptionBar::ActivityColor(-1), RGB(0, 0, 0));
}
