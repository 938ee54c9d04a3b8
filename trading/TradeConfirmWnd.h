// CTradeConfirmWnd: the confirmation of an order (stock, warrant, fund and cash-product orders, cancels and
// transfers): the summary the user checks, then, on "确定", the order sent once (keep flag off, never resent, a
// private worker when the shared one stays busy). It ends by itself when the reply is in and tells its opener
// how it went. It acts for the trade account of the window that opened it, and only on a deliberate tap: "确定"
// does not take a press made before the window showed (a second quick tap on the form's button, at the same
// spot) nor one stamped, on the message clock, within its first DELIBERATE_TAP_MS.
//
// Its step is one state, `state`; it is "asking" in Arming and Armed, before the user has confirmed.
//
//   state        event                               next         action
//   any          shown (OnActive)                    Arming when  note the time; grey 确定; post the arm step;
//                                                    asking       timer for DELIBERATE_TAP_MS
//   Arming       the arm step (every press queued    Armed
//                before it showed is behind it)
//   Arming       press                               Arming       not taken: 确定 grey, the timer set for what is
//                                                                 left of the first moments after it showed
//   Armed        press stamped within those moments  Armed        not taken, as from Arming
//   Armed        press stamped after them            Armed        taken: 确定 enabled under it
//   Arming,      timer                               stays        确定 enabled (a press's own stamp still decides)
//   Armed
//   Arming,      确定 while logged out, or in to     stays        told to log in; or closed, as a form is
//   Armed        another account
//   Arming,      确定                                Submitting   the order sent once, the bar greyed; no worker
//   Armed                                                         took it: back as it was, told the system is busy
//   Submitting   answer, refusal, transport failure  Finished     the outcome kept and told, the window ended
//   Submitting   answer lost (the trade log-in       Armed        the bar given back
//                ended, the silent log-in failed)
//   Submitting   home, trade, command bar            Submitting   nothing: the user stays to learn how it went
//   Submitting,  press, 确定, swipe, arm step,       stays        nothing (确定 stays grey)
//   Finished     timer
//
// RunModal shows nothing (NOT_SENT) while the owner's confirmation before it is still on screen: two taps on a
// form's action queued while the phone was busy open one confirmation.
#pragma once

#include "trading/FormWnd.h"
#include "trading/TradeText.h"

#include <string>
#include <utility>
#include <vector>

class CTradeConfirmWnd : public CFormWnd {
public:
    // GetOutcome after the modal ShowWnd.
    enum Outcome {
        ACCEPTED = 0, // the server took the order; GetOrderNumber has its number
        NOT_SENT = 1, // the user went back (or home) without sending
        REFUSED = 2,  // the server refused; its text was shown
        UNKNOWN = 3,  // the request went out but no answer came back; the user was told to look at the day's orders
    };

    // Presses this soon after the window showed, on the message clock the presses carry, are not taken; "确定"
    // shows disabled meanwhile.
    static constexpr DWORD DELIBERATE_TAP_MS = 400;
    static constexpr UINT_PTR ARM_TIMER = 520;

    CTradeConfirmWnd(LPCWSTR title, HWND owner);
    ~CTradeConfirmWnd() override;

    LPCWSTR GetMzClassName() override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnTimer(UINT_PTR timerId) override;
    void OnActive() override;
    void CreateControls() override;
    void OnActionButton() override;
    int BuildRequest(char* part, int capacity, const char* whole) override;
    void OnReply(const BYTE* data, int length, int transportFailed) override;
    void OnSwipeRight() override;

    // One line of the summary ("证券代码", "600000"), in order; before Create.
    void AddLine(LPCWSTR label, LPCWSTR value);
    // The business fields sent on confirmation ("tc_mfuncno=600&tc_sfuncno=2&zqdm=..."); the trade account's
    // "fundid" and the trade session are added to them.
    void SetOrderRequest(const char* params);
    // The reply field that carries the order number (first record set); "wtbh" unless set.
    void SetOrderNumberField(const char* name) { orderField = name != nullptr ? name : ""; }
    // Where the user looks when the answer is lost (a transfer's outcome shows in 转账查询, not the day's orders).
    void SetUnknownText(const WCHAR* text) { unknownText = text != nullptr ? text : RESULT_UNKNOWN_TEXT; }

    // Creates the window over the work area, owned by the owner given at construction, runs it modally and
    // returns GetOutcome. The caller deletes the window afterwards. While the owner's confirmation before it is
    // still on screen it shows nothing and returns NOT_SENT.
    int RunModal();

    int GetOutcome() const { return outcome; }
    const char* GetOrderNumber() const { return orderNumber.c_str(); }

    enum class State { Arming, Armed, Submitting, Finished };
    State GetState() const { return state; }
    bool IsSubmitting() const { return state == State::Submitting; }
    void OnReplyLost() override;

    // The text shown when the answer to a sent order was lost, unless SetUnknownText gave another.
    static const WCHAR* const RESULT_UNKNOWN_TEXT;
    static const WCHAR* const TRANSFER_UNKNOWN_TEXT;

protected:
    State state = State::Arming;

private:
    void Finish(int result);
    bool IsAsking() const { return state == State::Arming || state == State::Armed; }
    // Whether the press being handled may confirm (see above).
    bool TakesPress() const;

    CDeferredNotices notices;
    std::vector<std::pair<std::u16string, std::u16string>> lines;
    std::string request;
    std::string orderField = "wtbh";
    std::string orderNumber;
    std::u16string unknownText = RESULT_UNKNOWN_TEXT;
    int outcome = NOT_SENT;
    DWORD shownAt = 0; // the message clock when the window last came to the front
};
