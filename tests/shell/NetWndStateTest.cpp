// The networked window's request state machine, walked row by row through the table in shell/NetWnd.h.
#include "tests/shell/NetWndTestSupport.h"

#include <cstdlib>
#include <memory>

namespace {

using State = CNetWnd::RequestState;

// A window put into a state of the request table and given one event there, recording what it does.
class StateProbe : public ProbeWnd {
public:
    using Event = CNetWnd::ReplyEvent;
    StateProbe() : ProbeWnd("tc_mfuncno=31000&tc_sfuncno=6") {}
    void Force(State state) { requestState = state; }
    void Reply(Event event, const std::vector<BYTE>& bytes) { OnReplyEvent(event, bytes.data(), (int)bytes.size()); }
    void Request() override { ++resends; }
    void OnReplyLost() override { ++lost; }
    // The row's events alone drive it: what the server answers to a request the row handed over is not taken.
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        return message == WM_NET_REPLY ? 0 : ProbeWnd::WindowProc(message, wParam, lParam);
    }
    int resends = 0;
    int lost = 0;
};

std::vector<BYTE> Bytes(CDataSet& set)
{
    BYTE* data = nullptr;
    DWORD n = set.Serialize(&data);
    std::vector<BYTE> bytes(data, data + n);
    free(data);
    return bytes;
}

// A log-in's answer carrying a session, and an error set as the server or the transport sends it.
std::vector<BYTE> SessionReply()
{
    CDataSet set;
    FieldInfo field{};
    strcpy(field.name, "session");
    field.type = FIELD_TEXT;
    set.AddField(&field, -1);
    set.InsertRow(-1);
    set.SetString(0, "S-NEW");
    return Bytes(set);
}

std::vector<BYTE> ErrorReply()
{
    CDataSet set("\xB4\xED\xCE\xF3", FALSE); // 错误
    set.SetError();
    return Bytes(set);
}

enum RowEvent {
    SEND,
    SEND_NOTHING,
    SEND_LOG_IN,
    SEND_ONCE,
    RELOGIN,
    ANSWER,
    FAILURE,
    EXPIRED,
    TRADE_EXPIRED,
    SESSION_GIVEN,
    LOG_IN_REFUSED
};

// What a row's event made the window do.
struct Did {
    int handed = 0;     // requests the worker took
    int resends = 0;    // Request called
    int replies = 0;    // OnReply called
    int failedFlag = 0; // ... with the transport flag
    int lost = 0;       // OnReplyLost called
    bool logIn = false; // the log-in 100/1 posted
    bool tradeLost = false;
    size_t shown = 0; // messages
};

struct Row {
    State from;
    int keep;
    RowEvent event;
    State next;
    Did did;
    bool busy = false; // the worker holds another request when the event comes
};

const Row ROWS[] = {
    {State::Idle, 1, SEND, State::Waiting, {1}},
    {State::Idle, 1, SEND_ONCE, State::Waiting, {1}},
    {State::Waiting, 1, SEND, State::Waiting, {1}},
    {State::Waiting, 0, SEND, State::Waiting, {}, true},
    {State::Waiting, 0, SEND, State::Waiting, {1, 0, 0, 0, 1, false, false, 1}}, // its answer never came
    {State::Waiting, 0, SEND_ONCE, State::Waiting, {1}},
    {State::Idle, 1, RELOGIN, State::LoggingIn, {0, 0, 0, 0, 0, true}},
    {State::Waiting, 0, RELOGIN, State::LoggingIn, {0, 0, 0, 0, 0, true}},
    {State::LoggingIn, 1, SEND_LOG_IN, State::LogInSent, {1}},
    {State::LogInSent, 1, SEND, State::Waiting, {1}}, // the worker holds nothing: the log-in was cancelled
    {State::LogInSent, 0, SESSION_GIVEN, State::Resending, {0, 1}},
    {State::LoggingIn, 1, SEND, State::LoggingIn, {}},
    {State::LoggingIn, 0, SEND_ONCE, State::LoggingIn, {}},
    {State::LoggingIn, 1, SESSION_GIVEN, State::Resending, {0, 1}},
    {State::LoggingIn, 1, LOG_IN_REFUSED, State::Idle, {0, 0, 0, 0, 1, false, false, 1}},
    {State::LoggingIn, 1, TRADE_EXPIRED, State::Idle, {0, 0, 0, 0, 1, false, false, 1}},
    {State::Resending, 0, SEND, State::Resent, {1}},
    {State::Resending, 1, SEND_NOTHING, State::Idle, {0, 0, 0, 0, 1, false, false, 1}},
    {State::Resending, 0, SEND_ONCE, State::Waiting, {1}},
    {State::Resent, 1, SEND, State::Waiting, {1}},
    {State::Resent, 0, SEND, State::Resent, {}, true},
    {State::Resent, 0, SEND, State::Waiting, {1, 0, 0, 0, 1, false, false, 1}},
    {State::Idle, 1, ANSWER, State::Idle, {0, 0, 1}},
    {State::Waiting, 1, ANSWER, State::Idle, {0, 0, 1}},
    {State::Waiting, 1, FAILURE, State::Resending, {0, 1}},
    {State::Waiting, 0, FAILURE, State::Idle, {0, 0, 1, 1}},
    {State::Waiting, 1, EXPIRED, State::LoggingIn, {0, 0, 0, 0, 0, true}},
    {State::Resending, 1, FAILURE, State::Idle, {0, 0, 1, 1}},
    {State::Resent, 1, ANSWER, State::Idle, {0, 0, 1}},
    {State::Resent, 1, FAILURE, State::Idle, {0, 0, 1, 1}},
    {State::Resent, 1, EXPIRED, State::Idle, {0, 0, 1}},
    {State::Waiting, 1, TRADE_EXPIRED, State::Idle, {0, 0, 0, 0, 1, false, true}},
    {State::Resent, 0, TRADE_EXPIRED, State::Idle, {0, 0, 0, 0, 1, false, true}},
};

// Gives the window the row's event.
void GiveEvent(StateProbe* w, const Row& row)
{
    std::vector<BYTE> answer = Bytes(*std::make_unique<CDataSet>("x", FALSE));
    switch (row.event) {
    case SEND_NOTHING:
        w->text.clear();
        [[fallthrough]];
    case SEND:
        w->SendMessage(WM_SEND_REQUEST, (WPARAM)-1, 0);
        break;
    case SEND_LOG_IN:
        w->SendMessage(WM_SEND_REQUEST, 100, 1);
        break;
    case SEND_ONCE:
        EXPECT_EQ(w->SendOnce(), row.did.handed);
        break;
    case RELOGIN:
        w->Relogin();
        break;
    case ANSWER:
        w->Reply(StateProbe::Event::Answer, answer);
        break;
    case FAILURE:
        w->Reply(StateProbe::Event::TransportFailure, ErrorReply());
        break;
    case EXPIRED:
        w->Reply(StateProbe::Event::SessionExpired, ErrorReply());
        break;
    case TRADE_EXPIRED:
        w->Reply(StateProbe::Event::TradeLoginExpired, ErrorReply());
        break;
    case SESSION_GIVEN:
        w->Reply(StateProbe::Event::Answer, SessionReply());
        break;
    case LOG_IN_REFUSED:
        w->Reply(StateProbe::Event::Answer, ErrorReply());
        break;
    }
}

// What the window did since the packet counter stood at packets: what it posted itself is taken out of the queue so
// it does not run.
Did WhatItDid(StateProbe* w, int packets, const MessageLog& messages)
{
    Did did;
    did.handed = CAppData::Instance()->GetPacketCounter() - packets;
    did.resends = w->resends;
    did.replies = (int)w->replies.size();
    did.failedFlag = w->replies.empty() ? 0 : w->replies.back().transportFailed;
    did.lost = w->lost;
    MSG msg;
    for (int i = 0; i < 8 && PeekMessage(&msg, w->m_hWnd, WM_SEND_REQUEST, WM_TRADE_LOGIN_LOST, PM_REMOVE) > 0; ++i) {
        did.logIn = did.logIn || (msg.message == WM_SEND_REQUEST && msg.wParam == 100 && msg.lParam == 1);
        did.tradeLost = did.tradeLost || msg.message == WM_TRADE_LOGIN_LOST;
    }
    did.shown = messages.shown.size();
    return did;
}

void ExpectSame(const Did& did, const Did& expected)
{
    EXPECT_EQ(did.handed, expected.handed);
    EXPECT_EQ(did.resends, expected.resends);
    EXPECT_EQ(did.replies, expected.replies);
    EXPECT_EQ(did.failedFlag, expected.failedFlag);
    EXPECT_EQ(did.lost, expected.lost);
    EXPECT_EQ(did.logIn, expected.logIn);
    EXPECT_EQ(did.tradeLost, expected.tradeLost);
    EXPECT_EQ(did.shown, expected.shown);
}

} // namespace

// Every row of the request table in shell/NetWnd.h: the state, the event, the next state and what is done.
TEST_F(NetWndTest, RequestStateMachineFollowsItsTableRowByRow)
{
    for (const Row& row : ROWS) {
        SCOPED_TRACE("row from state " + std::to_string((int)row.from) + ", event " + std::to_string(row.event));
        auto* w = new StateProbe;
        RECT work = WorkRect();
        w->Create(work.left, work.top, work.right - work.left, work.bottom - work.top, nullptr);
        windows.push_back(w);
        w->SetPrivateWorker(CNetThread::Create()); // a worker no earlier row has left busy
        w->keep = row.keep;
        w->Force(row.from);
        if (row.busy) { // a request the server holds for a while, of no window
            server->http.Faults().Arm(FAULT_DELAY, 1, 3000);
            ASSERT_EQ(w->GetWorker()->Send("tc_mfuncno=31000&tc_sfuncno=6", nullptr, 0, 0), 1);
        }
        messages.Clear();
        int packets = CAppData::Instance()->GetPacketCounter();
        GiveEvent(w, row);
        EXPECT_EQ(w->GetRequestState(), row.next);
        ExpectSame(WhatItDid(w, packets, messages), row.did);
        if (row.event == SESSION_GIVEN) {
            EXPECT_STREQ(CAppData::Instance()->GetSessionString(), "S-NEW");
        }
    }
}
