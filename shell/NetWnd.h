// CNetWnd: the base of every screen that talks to the server. The window writes its own fields in BuildRequest;
// CNetWnd puts the function numbers in front, has the application data append the common fields, enciphers the
// business fields when asked, hands the text to the request worker and gives the reply to OnReply. A transport
// failure is resent once silently, an expired session logs in again silently and resends. It also runs the
// periodic refresh in trading hours, opens the children of the window's menu node and carries a scrolling
// message bar.
#pragma once

#include "core/WString.h"
#include "platform/ui/MzImage.h"
#include "platform/ui/UiButton.h"
#include "platform/ui/UiStatic.h"
#include "platform/win/Time.h"
#include "shell/BaseWnd.h"

class CDataSet;
class CNetThread;

// Opens a window by its key (the window factory): key, menu id, title, info text, parameter text, flag, owner.
// Returns the window's end result, 1 for keys handled in place, -1 when nothing could be opened.
typedef int (*WindowOpener)(const char* key, int menuId, const char* title, const char* info, const char* params,
                            int flag, HWND owner);

// The message bar's background: the platform's bar picture for the width (270 for 480 pixels, 271 for 720),
// drawn over the window's own pixels.
class CMessageBarPanel : public UiStatic {
public:
    void PaintWin(HDC dc, RECT* rcWin, RECT* rcUpdate) override;
    void SetWidthImage(int windowWidth);

private:
    CMzImage picture;
    UINT pictureId = 0;
};

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
    virtual void Refresh(int a, int b);
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
    LPCWSTR GetBarShownText() const { return barText_.GetText(); }

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
    int IsReloginPending() const { return relogin; }
    bool IsRefreshTimerOn() const { return refreshTimerOn; }

    int spare = 0;
    int encrypt = 0;
    int requestOnActive = 0;
    int autoRefresh = 0;
    int refreshSeconds = 0;
    int keep = 1;
    int lastMessageId = -1;
    int messageBarFlag = 0;

protected:
    void HandleSend(int mainFunction, int subFunction);
    void HandleReply(CNetThread* from);
    void HandleReloginReply(const BYTE* data, int length);
    // The log-in text of the silent re-login; always 1.
    int BuildReloginText(char* part, int capacity);
    int EncipherPart(char* part, int capacity, bool afterAmpersand);
    void ScrollStep();
    void OpenChart(const char* key, const char* title, LPARAM params);
    void OnCaptionTrade();
    void StopPrivateWorker();

    int relogin = 0;
    int menuId = -1;
    char* paramText = nullptr;
    char* infoText = nullptr;
    CNetThread* worker = nullptr;
    bool privateWorker = false;
    bool refreshTimerOn = false;
    // A transport failure was already resent once; a second one goes to OnReply.
    bool resent = false;
    // Silent log-ins in a row; a session that expires again right after one is not chased for ever.
    int reloginsInRow = 0;

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
    CWString barText_;

private:
    static WindowOpener opener;
    static StockSearchMaker stockSearchMaker;
};
