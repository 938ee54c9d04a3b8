// CLogonWnd: the client's first window. Shows the start picture with a wait dialog, logs in (handing the run's
// session key to the server enciphered with its public key), downloads the server's menus and configuration
// when the versions ask for it, and then opens the main frame (closing itself) or the sign-up frame.
#pragma once

#include "core/DeviceRegRecord.h"
#include "platform/ui/MzDialogs.h"
#include "platform/ui/UiPicture.h"
#include "shell/NetWnd.h"

// Starts the background program update with its release notes (installed by the settings screens).
typedef void (*UpdateStarter)(const char* releaseNotes);

class CLogonWnd : public CNetWnd {
public:
    static constexpr UINT_PTR PROGRESS_TIMER = 501;
    static constexpr UINT PROGRESS_MS = 100;
    static constexpr int TIMEOUT_TICKS = 1000;
    static constexpr int PICTURE_ID = 150;
    // Deferred steps of WM_DEFERRED_STEP.
    static constexpr int STEP_MAIN_FRAME = 2;
    static constexpr int STEP_SIGN_UP = 4;

    enum State { FAILED = 0, CREATED = 1, LOGIN_SENT = 2, SIGN_UP = 3, CONFIG = 4, DONE = 6 };

    CLogonWnd(LPCWSTR title, HWND owner);
    ~CLogonWnd() override;

    LPCWSTR GetMzClassName() override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnLButtonUp(UINT keys, int x, int y) override;
    void OnTimer(UINT_PTR timerId) override;
    BOOL OnInitDialog() override;
    int BuildRequest(char* part, int capacity, const char* whole) override;
    void OnReply(const BYTE* data, int length, int transportFailed) override;
    void Request() override;
    void OnTimeout(int flag) override;

    void ShowOrClose(int menuId, const char* info, const char* params, BOOL show, BOOL bringToTop);
    // 1 when the stored sign-up record holds both a mobile number and a sign-up code.
    int HasLoginIdentity();

    int GetState() const { return state; }
    void SetState(int value) { state = value; }
    int GetTickCount() const { return ticks; }
    const char* GetRegInfo() const { return regInfo; }
    const char* GetHelpText() const { return helpText; }
    ProgressDialog& GetProgress() { return progress; }

    static void SetUpdateStarter(UpdateStarter starter);

protected:
    int BuildLoginText(char* part, int capacity);
    void HandleLoginReply(CDataSet* first);
    void HandleConfigReply(CDataSet** sets, int count);
    void ApplyServerUrl(CDataSet* first);
    void OpenSignUp();
    void OpenMainFrame();
    void AskQuit();

    int state = CREATED;
    char* regInfo = nullptr;
    char* helpText = nullptr;
    DeviceRegRecord record;
    UiPicture picture;
    ProgressDialog progress;
    int progressPos = 0;
    int replyArrived = 0;
    int ticks = 0;
};
