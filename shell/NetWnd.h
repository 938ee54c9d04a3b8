// CNetWnd: the base of every screen that talks to the server. The window writes its own fields in BuildRequest;
// CNetWnd puts the function numbers in front, has the application data append the common fields, enciphers the
// business fields when asked, hands the text to the request worker and gives the reply to OnReply. It also runs
// the periodic refresh in trading hours, opens the children of the window's menu node and carries a scrolling
// message bar.
//
// A request's progress and its session are one state, requestState. "keep 1" and "keep 0" are the window's keep
// flag: a request with keep may be cancelled by another window's first activation, so it never holds back the
// window's next one; a request without keep is never cancelled, so nothing else of the window is composed while
// the worker holds it. Every answer reaches the window: a reply whose body decodes to nothing comes as a failed
// receive (the transport's error record set), like any other transport failure. Every send, the one-shot ones
// included, goes through SendRequestNow.
//
//   state           event                          next       action
//   Idle            send                           Waiting    compose, hand to the worker (busy: dropped, stays)
//   all but         send once                      Waiting    compose, hand to an idle worker (a private one when
//   LoggingIn,                                                the window's stays busy), keep 0 from now on;
//   LogInSent                                                 none took it: stays, 0 to the caller
//   Waiting         send, keep 1, the worker       Waiting    as from Idle (its request was cancelled)
//                   holds no request
//   Waiting         send while the worker holds a  Waiting    nothing: its answer may still come
//                   request
//   Waiting         send, keep 0, the worker       Waiting    lost (its answer will not come: a request without
//                   holds no request                          keep is never cancelled), then as from Idle
//   any             Relogin                        LoggingIn  post the log-in 100/1
//   LoggingIn       send of the log-in 100/1       LogInSent  compose the log-in text (never enciphered), hand
//                                                             it to the worker; not sent: lost
//   LoggingIn       any other send, send once      LoggingIn  nothing: no reply may be taken for the log-in's
//   LogInSent       send, send once, while the     LogInSent  nothing, as in LoggingIn
//                   worker holds a request
//   LogInSent       send, send once, once the      as Idle    the log-in (sent with keep) was cancelled by
//                   worker holds none                         another window's first activation and will not be
//                                                             answered: the window's request goes as from Idle
//   LoggingIn,      reply with a session           Resending  keep the session, Request
//   LogInSent
//   LoggingIn,      any other reply                Idle       its error text, or lost
//   LogInSent
//   Resending       send                           Resent     compose, hand to the worker; not sent: lost
//   Resent          send                                      as Waiting
//   Idle, Waiting   answer                         Idle       OnReply
//   Idle, Waiting   transport failure, keep 1      Resending  Request
//   Idle, Waiting   transport failure, keep 0      Idle       OnReply with the failure flag
//   Idle, Waiting   session expired (100)          LoggingIn  Relogin
//   Resending,      answer, transport failure,     Idle       OnReply (no second resend, no second log-in)
//   Resent          session expired
//   all but         trade log-in expired (101)     Idle       OnReplyLost, post WM_TRADE_LOGIN_LOST
//   LoggingIn,
//   LogInSent
//
// "lost": the tip "网络请求超时，请重试！" and OnReplyLost, since nothing else would answer the window's request.
// WM_TRADE_LOGIN_LOST, handled outside the worker's lock: the trade log-out (lock icon included), the tip
// "交易登录已失效，请重新登录！", then the trade log-in; once logged in again the window asks again what it asks
// at its opening (a form's look-up; never its submission), and one left without a trade log-in goes home, as
// after the caption bar's trade log-out. A window filled for another account than the one now logged in does
// not ask again: OnTradeAccountChanged (forms and confirmations close, tables show the new account's rows).
#pragma once

#include "core/WString.h"
#include "platform/ui/MzImage.h"
#include "platform/ui/UiButton.h"
#include "platform/ui/UiStatic.h"
#include "platform/win/Time.h"
#include "shell/BaseWnd.h"
#include "shell/MessageBarPanel.h"

#include <string>

class CDataSet;
class CNetThread;

// Opens a window by its key (the window factory): key, menu id, title, info text, parameter text, flag, owner.
// Returns the window's end result, 1 for keys handled in place, -1 when nothing could be opened.
typedef int (*WindowOpener)(const char* key, int menuId, const char* title, const char* info, const char* params,
                            int flag, HWND owner);

// Makes the own-stock editor in search mode, titled and owned as given, not yet created (installed by the quote
// screens, which sit above the shell).
typedef CBaseWnd* (*StockSearchMaker)(LPCWSTR title, HWND owner);

class CNetWnd : public CBaseWnd {
public:
    static constexpr int REQUEST_CAPACITY = 2048;
    static constexpr UINT_PTR REFRESH_TIMER = 500;
    static constexpr UINT_PTR BAR_TIMER = 502;
    static constexpr int BAR_CLOSE_ID = 233;
    static constexpr int BAR_TEXT_ID = 300;
    static constexpr int BAR_HEIGHT = 60;

    CNetWnd(LPCWSTR title, HWND owner);
    ~CNetWnd() override;

    LPCWSTR GetMzClassName() override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnTimer(UINT_PTR timerId) override;
    BOOL OnInitDialog() override;
    int OnInitParam(int menuId, const char* info, const char* params) override;
    void OnActive() override;
    void OnInactive() override;
    void SetScreenMode(int mode) override;

    // Writes the window's own fields (name=value pairs joined by "&") into part, which has room for capacity
    // bytes with the terminator; whole is the request text so far. 0: nothing is sent.
    virtual int BuildRequest(char* part, int capacity, const char* whole);
    // The reply bytes (valid only during the call), their length, and 1 when the transport failed.
    virtual void OnReply(const BYTE* data, int length, int transportFailed);
    virtual void OnQuoteInfo(CDataSet* set);
    // Asks the window's data again (the 刷新 command); every caller passes 0 for both flags and argument.
    virtual void Refresh(int flags, int argument);
    virtual void OnAutoRefresh(UINT_PTR timerId, int argument);
    virtual void Request();
    // Opens child n of the window's menu node; -1 when there is none.
    virtual int OnOK(int child);
    virtual void OnRefreshTick();
    virtual void OnTimeout(int flag);

    // Posts the request to the window itself; main -1 sends the window's own text without function numbers.
    void SendRequest(int mainFunction, int subFunction);
    // The text that would go to the worker for (main, sub), without sending it: its length, or 0 when
    // BuildRequest refused or the text does not fit the request limit.
    int ComposeRequest(int mainFunction, int subFunction, char* out, int capacity);
    int IsWorkerIdle(DWORD wait);
    // Runs the stock search ("查找个股") modally over this window; the window is released like every child.
    // Null when no search screen is installed.
    CBaseWnd* OpenStockSearch();
    static void SetStockSearchMaker(StockSearchMaker maker);
    void Relogin();

    void SetBarMessage(LPCWSTR text, int repeats);
    void ShowMessageBar(BOOL on);
    void LayoutMessageBar();
    BOOL IsBarVisible() const { return barVisible; }
    LPCWSTR GetBarShownText() const { return barShownText.GetText(); }

    // Monday to Friday, 09:16 to 16:09.
    static bool IsTradingTime(const SYSTEMTIME& time);
    // Another way to open windows by key in place of the window factory (null: the factory).
    static void SetWindowOpener(WindowOpener opener);
    static int OpenByKey(const char* key, int menuId, const char* title, const char* info, const char* params,
                         HWND owner);

    int GetMenuId() const { return menuId; }
    const char* GetParamText() const { return paramText; }
    const char* GetInfoText() const { return infoText; }
    CNetThread* GetWorker() const { return worker; }
    // A worker of the window's own, stopped with the window.
    void SetPrivateWorker(CNetThread* thread);
    // Where the window's request stands (see the table above).
    enum class RequestState { Idle, Waiting, LoggingIn, LogInSent, Resending, Resent };
    RequestState GetRequestState() const { return requestState; }
    int IsReloginPending() const { return IsLoggingIn() ? 1 : 0; }
    // Sends the window's own text (no function-number prefix: the fields carry them) at once, for a request that
    // must never go twice (orders, cancels, transfers, log-ins): without keep, so neither the worker nor the
    // window resends it after a transport failure. 1 when a worker took it, 0 when nothing was sent.
    int SendOnce();
    // The answer to the window's request will not come: the silent log-in failed or could not be sent, the
    // resend after it was refused, or the trade log-in it needed has ended. Forms waiting for the answer give
    // their controls back here.
    virtual void OnReplyLost();
    bool IsRefreshTimerOn() const { return refreshTimerOn; }

    // The trade account (its fund id) whose figures the window shows and for which it acts; "" until bound.
    // Binds the account logged in now (nothing while logged out, nor for a window of no account), or the one given.
    void BindTradeAccount();
    void BindTradeAccount(const std::string& account) { tradeAccount = account; }
    const std::string& GetTradeAccount() const { return tradeAccount; }
    // Bound, logged in, and to another account: nothing the window built may act any more.
    bool IsTradeAccountChanged() const;
    // What the window does on finding another account logged in than the one it was filled for; the base binds
    // the new one and asks again.
    virtual void OnTradeAccountChanged();

    int encrypt = 0;
    int requestOnActive = 0;
    int autoRefresh = 0;
    int refreshSeconds = 0;
    int keep = 1;
    int messageBarFlag = 0;

protected:
    // What a reply of the worker is to the state machine.
    enum class ReplyEvent { Answer, TransportFailure, SessionExpired, TradeLoginExpired };
    static constexpr int RESULT_SESSION_EXPIRED = 100;
    static constexpr int RESULT_TRADE_EXPIRED = 101;

    // The events of the table: a send posted to the window (main -1: the window's own text), and a reply.
    void OnSendEvent(int mainFunction, int subFunction);
    void OnReplyEvent(ReplyEvent event, const BYTE* data, int length);
    // The one road to the worker: composes (main, sub) and hands it over; 1 when a worker took it.
    int SendRequestNow(int mainFunction, int subFunction, bool once);
    void HandleReply(CNetThread* from);
    void HandleReloginReply(const BYTE* data, int length);
    void LoseReply();
    void OnTradeLoginLost();
    bool IsLoggingIn() const
    {
        return requestState == RequestState::LoggingIn || requestState == RequestState::LogInSent;
    }
    // The log-in was handed to the worker, which holds no request any more, yet no answer came.
    bool IsLogInAbandoned() const;
    // The log-in text of the silent re-login; always 1.
    int BuildReloginText(char* part, int capacity);
    int EncipherPart(char* part, int capacity, bool afterAmpersand);
    void ScrollStep();
    void OpenChart(const char* key, const char* title, LPARAM params);
    void OnCaptionTrade();
    void StopPrivateWorker();

    RequestState requestState = RequestState::Idle;
    int menuId = -1;
    char* paramText = nullptr;
    char* infoText = nullptr;
    CNetThread* worker = nullptr;
    bool privateWorker = false;
    bool refreshTimerOn = false;
    std::string tradeAccount;
    // False for the windows that act for no trade account (the trade log-in itself, a fund search, the public fund
    // lists): they bind none, so a change of account leaves them as they are.
    bool bindsTradeAccount = true;

    CMessageBarPanel barBackground;
    UiStatic barTextField;
    UiImageButton barClose;
    CMzImage* barCloseImage = nullptr;
    CMzImage* barClosePressed = nullptr;
    int barVisible = 0;
    WCHAR* barMessage = nullptr;
    int barRepeats = 0;
    int barPosition = 0;
    int barIndent = 0;
    CWString barShownText;

private:
    static WindowOpener opener;
    static StockSearchMaker stockSearchMaker;
};
