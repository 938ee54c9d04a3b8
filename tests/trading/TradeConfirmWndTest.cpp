// The confirmation's tap gate and submission, walked row by row through the table in trading/TradeConfirmWnd.h on
// a message clock the test moves: presses stamped before it showed, within its first moments and after them, one
// stamped early but handled late, a clock that stands still, and taps while the order is under way or answered.
// The rows of a change of account are walked in OrderRoadTest.
#include "tests/support/TradingWindows.h"

#include <climits>

namespace {

using State = CTradeConfirmWnd::State;

DWORD fakeNow = 0;
DWORD FakeClock()
{
    return fakeNow;
}

// A confirmation put into a state of the table.
class ConfirmProbe : public CTradeConfirmWnd {
public:
    ConfirmProbe(LPCWSTR title, HWND owner) : CTradeConfirmWnd(title, owner) {}
    void Force(State to) { state = to; }
};

enum Event { SHOWN, ARM_STEP, TAP, TIMER, CONFIRM, ANSWER, LOST };

struct Row {
    State from;
    Event event;
    int at; // the message clock of the event, in ms after the window showed
    State next;
    bool enabled;            // 确定 afterwards
    int sent;                // requests that reached the server
    int handledAt = INT_MIN; // a press handled later than it was stamped (a busy phone)
};

// Every row starts from a window shown at SHOWN_AT (its arm step still queued in Arming, handled otherwise).
// A press stamped before that was queued before the window showed; a tap is a press and a release on 确定.
const Row ROWS[] = {
    {State::Arming, TAP, -50, State::Armed, false, 0}, // passed over, then the arm step comes
    {State::Arming, ARM_STEP, 0, State::Armed, false, 0},
    {State::Arming, SHOWN, 1000, State::Arming, false, 0},
    {State::Armed, SHOWN, 1000, State::Arming, false, 0}, // back from a box: its first moments start again
    {State::Armed, TAP, 0, State::Armed, false, 0},       // the clock stood still since it showed
    {State::Armed, TAP, 100, State::Armed, false, 0},
    {State::Armed, TAP, 399, State::Armed, false, 0},
    {State::Armed, TAP, 100, State::Armed, false, 0, 600}, // its own time decides, not when it was handled
    {State::Armed, TIMER, 399, State::Armed, false, 0},
    {State::Armed, TIMER, 400, State::Armed, true, 0},
    {State::Armed, TAP, 400, State::Finished, false, 1}, // deliberate: the order goes, once
    {State::Armed, CONFIRM, 0, State::Finished, false, 1},
    {State::Submitting, TAP, 1000, State::Submitting, false, 0},
    {State::Submitting, CONFIRM, 1000, State::Submitting, false, 0},
    {State::Submitting, SHOWN, 1000, State::Submitting, false, 0},
    {State::Submitting, TIMER, 1000, State::Submitting, false, 0},
    {State::Submitting, ANSWER, 0, State::Finished, false, 0},
    {State::Submitting, LOST, 0, State::Armed, true, 0},
    {State::Finished, TAP, 1000, State::Finished, false, 0},
    {State::Finished, CONFIRM, 1000, State::Finished, false, 0},
    {State::Finished, SHOWN, 1000, State::Finished, false, 0},
};

constexpr DWORD SHOWN_AT = 1000000;

class TradeConfirmWndTest : public TradingWindowTest {
protected:
    void SetUp() override
    {
        TradingWindowTest::SetUp();
        SetMessageClock(FakeClock);
        At(0);
    }
    void TearDown() override
    {
        SetMessageClock(nullptr);
        TradingWindowTest::TearDown();
    }
    static void At(int sinceShown)
    {
        fakeNow = SHOWN_AT + (DWORD)sinceShown;
        MessageClockChanged();
    }
    // Posts a press and a release on 确定, stamped now.
    static void PostTap(CTradeConfirmWnd* w)
    {
        RECT key = w->GetCommandBar().GetButtonRect(1);
        LPARAM at = MAKELONG((key.left + key.right) / 2, (key.top + key.bottom) / 2);
        w->PostMessage(WM_LBUTTONDOWN, MK_LBUTTON, at);
        w->PostMessage(WM_LBUTTONUP, 0, at);
    }
    ConfirmProbe* Put(const Row& row)
    {
        // A cancel the server refuses: an answer comes, and no money moves however often it goes.
        At(0);
        auto* w = Confirmation<ConfirmProbe>("tc_mfuncno=600&tc_sfuncno=7&wtbh=999999");
        if (row.event == TAP && row.at < 0) {
            At(row.at);
            PostTap(w);
        }
        At(0);
        w->OnActive();
        if (row.from != State::Arming)
            PumpMessages();
        if (row.from == State::Submitting || row.from == State::Finished)
            w->Force(row.from);
        return w;
    }
    void Give(ConfirmProbe* w, const Row& row)
    {
        At(row.at > 0 ? row.at : 0);
        switch (row.event) {
        case SHOWN:
            w->OnActive(); // looked at before its arm step comes
            return;
        case TAP:
            if (row.at >= 0)
                PostTap(w);
            if (row.handledAt != INT_MIN)
                At(row.handledAt);
            break;
        case CONFIRM:
            w->OnActionButton();
            break;
        case ANSWER: {
            CDataSet refusal("\xCE\xAF\xCD\xD0\xB2\xBB\xB4\xE6\xD4\xDA", FALSE); // 委托不存在
            refusal.SetError();
            BYTE* data = nullptr;
            DWORD n = refusal.Serialize(&data);
            w->OnReply(data, (int)n, 0);
            free(data);
            break;
        }
        case LOST:
            w->OnReplyLost();
            break;
        case ARM_STEP:
        case TIMER:
            break;
        }
        EXPECT_TRUE(PumpUntil([] { return true; }));
    }
};

} // namespace

TEST_F(TradeConfirmWndTest, EveryRowOfTheTableDoesWhatItSays)
{
    ASSERT_TRUE(LogIn());
    for (const Row& row : ROWS) {
        SCOPED_TRACE("row " + std::to_string(&row - ROWS));
        ConfirmProbe* w = Put(row);
        ASSERT_EQ(w->GetState(), row.from);
        long long before = server->http.GetRequestCount();
        Give(w, row);
        EXPECT_EQ(w->GetState(), row.next);
        EXPECT_EQ(w->GetCommandBar().IsButtonEnabled(1), row.enabled);
        EXPECT_EQ(server->http.GetRequestCount() - before, row.sent);
        if (row.next == State::Finished && row.from != State::Finished) {
            EXPECT_EQ(w->GetOutcome(), CTradeConfirmWnd::REFUSED);
        }
    }
}
