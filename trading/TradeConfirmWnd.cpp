#include "trading/TradeConfirmWnd.h"

#include "core/AppData.h"
#include "core/DataSet.h"
#include "core/ReplyRecordSet.h"
#include "platform/ui/Style.h"
#include "platform/win/WinUser.h"
#include "shell/QueryTableWnd.h"
#include "shell/WndMessages.h"
#include "trading/OwnedWindow.h"
#include "trading/TradeText.h"
#include "platform/win/SecureMemory.h"

#include <algorithm>

const WCHAR* const CTradeConfirmWnd::RESULT_UNKNOWN_TEXT = u"委托结果未知，请查询当日委托";
const WCHAR* const CTradeConfirmWnd::TRANSFER_UNKNOWN_TEXT = u"转账结果未知，请在转账查询中查看";

namespace {

constexpr int CONFIRM_ROW_PITCH = Style::FormRowPitch;
// The WM_DEFERRED_STEP the window posts to itself as it comes to the front: every press queued before it has
// been handled when it arrives.
constexpr WPARAM STEP_ARM_PRESSES = 0x7E02;

// The windows whose confirmation is on screen. A phone busy for a moment queues both commands of two quick taps
// on a form's action; the second, handled inside the first one's confirmation, opens no second one over it.
std::vector<HWND> confirmingOwners;

} // namespace

CTradeConfirmWnd::CTradeConfirmWnd(LPCWSTR title, HWND ownerWnd) : CFormWnd(title, ownerWnd)
{
    rowPitch = CONFIRM_ROW_PITCH;
    keep = 0;
    // The summary was built by the opener for its account: the order goes for that one or not at all.
    auto* opener = dynamic_cast<CNetWnd*>(CBaseWnd::FromHandleBase(ownerWnd));
    if (opener != nullptr && !opener->GetTradeAccount().empty())
        BindTradeAccount(opener->GetTradeAccount());
    else
        BindTradeAccount();
}

CTradeConfirmWnd::~CTradeConfirmWnd()
{
    SecureZeroMemory(request.data(), request.size());
}

LPCWSTR CTradeConfirmWnd::GetMzClassName()
{
    return u"CTradeConfirmWnd";
}

void CTradeConfirmWnd::AddLine(LPCWSTR label, LPCWSTR value)
{
    lines.emplace_back(label != nullptr ? label : u"", value != nullptr ? value : u"");
}

void CTradeConfirmWnd::SetOrderRequest(const char* params)
{
    SecureZeroMemory(request.data(), request.size());
    request = params != nullptr ? params : "";
}

void CTradeConfirmWnd::CreateControls()
{
    // A long name or address is read whole before it is confirmed.
    for (const auto& line : lines)
        rows.AddWrappedText(line.first.c_str(), line.second.c_str());
}

int CTradeConfirmWnd::RunModal()
{
    if (owner != nullptr && std::count(confirmingOwners.begin(), confirmingOwners.end(), owner) > 0)
        return outcome; // not sent
    confirmingOwners.push_back(owner);
    RunOwnedWindow(this, owner, 12, 11);
    confirmingOwners.erase(std::find(confirmingOwners.begin(), confirmingOwners.end(), owner));
    return outcome;
}

void CTradeConfirmWnd::OnActionButton()
{
    // One order per confirmation: a second tap while it is under way, or after its answer, does nothing.
    if (!IsAsking())
        return;
    if (!CAppData::Instance()->HasTradeAccounts()) {
        ShowText(u"请先登录交易系统！", m_hWnd, 2000);
        return;
    }
    if (IsTradeAccountChanged()) {
        OnTradeAccountChanged();
        return;
    }
    State before = state;
    state = State::Submitting; // before the send: BuildRequest writes the order only in this state
    if (!SendOnceWithBarDisabled()) {
        state = before;
        TellBusy();
    }
}

int CTradeConfirmWnd::BuildRequest(char* part, int capacity, const char*)
{
    // Only the confirmation sends: the first activation and any later one build nothing.
    if (state != State::Submitting) {
        if (capacity > 0)
            part[0] = 0;
        return 0;
    }
    return WriteTradeRequest(part, capacity, request.c_str(), GetTradeAccount());
}

void CTradeConfirmWnd::OnReply(const BYTE* data, int length, int transportFailed)
{
    if (state != State::Submitting)
        return;
    state = State::Finished;
    CReplyRecordSet reply;
    if (!transportFailed && data != nullptr && length > 0)
        reply.Load(data, (DWORD)length);
    if (transportFailed || reply.GetCount() == 0) {
        // The order may or may not have reached the exchange: sending it again could buy twice.
        outcome = UNKNOWN;
        notices.Add(m_hWnd, unknownText, 0);
    } else if (reply.hasError) {
        outcome = REFUSED;
        notices.AddGb(m_hWnd, reply.GetErrorText(), 3000);
    } else {
        outcome = ACCEPTED;
        CDataSet* set = *reply.GetRecord(0);
        if (set != nullptr && set->GetRowCount() > 0 && !orderField.empty()) {
            set->MoveFirst();
            const char* number = set->GetAsText(orderField.c_str());
            orderNumber = number != nullptr ? number : "";
        }
    }
    Finish(END_BACK);
}

void CTradeConfirmWnd::OnReplyLost()
{
    // No answer will come, so nothing was done: the user may confirm again (the trade log-in, when it follows,
    // shows the window anew).
    if (state != State::Submitting)
        return;
    state = State::Armed;
    EnableToolbar(TRUE);
}

void CTradeConfirmWnd::Finish(int result)
{
    // Ended from the message loop, not from inside the reply the worker is still delivering.
    PostMessage(WM_END_WND, 0, (LPARAM)result);
}

void CTradeConfirmWnd::OnSwipeRight()
{
    if (IsAsking())
        CFormWnd::OnSwipeRight();
}

void CTradeConfirmWnd::OnActive()
{
    CFormWnd::OnActive();
    // Shown anew (also back from a box or the trade log-in): the presses before this moment were not meant here.
    shownAt = GetMessageClock();
    if (IsAsking())
        state = State::Arming;
    PostMessage(WM_DEFERRED_STEP, STEP_ARM_PRESSES, 0);
    commandBar.EnableButton(1, false);
    SetTimer(ARM_TIMER, DELIBERATE_TAP_MS);
}

void CTradeConfirmWnd::OnTimer(UINT_PTR timerId)
{
    if (timerId != ARM_TIMER) {
        CFormWnd::OnTimer(timerId);
        return;
    }
    KillTimer(ARM_TIMER);
    if (IsAsking())
        commandBar.EnableButton(1, true);
}

bool CTradeConfirmWnd::TakesPress() const
{
    // The press's own time, stamped as it was made, not when a busy window got round to it.
    return state == State::Armed && (LONG)(GetMessageTime() - shownAt) >= (LONG)DELIBERATE_TAP_MS;
}

LRESULT CTradeConfirmWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (notices.Handle(message, wParam, m_hWnd))
        return 1;
    if (message == WM_DEFERRED_STEP && wParam == STEP_ARM_PRESSES) {
        if (state == State::Arming)
            state = State::Armed;
        return 1;
    }
    if (message == WM_LBUTTONDOWN && IsAsking()) {
        // "确定" takes the press only when it is deliberate, whether or not a busy window has run its timer yet.
        bool deliberate = TakesPress();
        if (deliberate) {
            KillTimer(ARM_TIMER);
        } else {
            // Shown again once the first moments are over, however late this press was handled.
            LONG left = (LONG)DELIBERATE_TAP_MS - (LONG)(GetMessageClock() - shownAt);
            SetTimer(ARM_TIMER, left > 0 ? (UINT)left : 1u);
        }
        commandBar.EnableButton(1, deliberate);
    }
    // While the order is under way the user stays here to learn how it went.
    if (state == State::Submitting && (message == WM_CAPTION_HOME || message == WM_CAPTION_TRADE))
        return 1;
    if (state == State::Submitting && message == MZ_WM_COMMAND && LOWORD(wParam) == ID_COMMAND_BAR)
        return 1;
    return CFormWnd::WindowProc(message, wParam, lParam);
}
