// CBaseWnd: the base of every screen: the standard frame (caption bar, content panel, tool bar, command bar), the
// owner relation, the modal show and end whose result walks the user back or home, rotation, the phone shell's
// notifications (lock phone, calls, USB), swipes and a few drawing and input helpers.
#pragma once

#include "platform/ui/MzHostWnd.h"
#include "platform/ui/MzKeypadWnd.h"
#include "platform/ui/Style.h"
#include "platform/ui/UiBars.h"
#include "platform/ui/UiEdit.h"
#include "platform/ui/UiScrollWin.h"
#include "shell/CaptionBar.h"
#include "shell/WndMessages.h"

#include <vector>

class CWndManager;

class CBaseWnd : public CMzHostWnd {
public:
    static constexpr int TITLE_CAPACITY = 256;
    static constexpr int CAPTION_HEIGHT = Style::CaptionHeight;
    // Shell notification code and the shell requests that keep the screen from locking and release it.
    static constexpr DWORD SHELL_NOTIFY_CODE = 12;
    static constexpr DWORD SHELL_REQUEST_NO_LOCK = 10;
    static constexpr DWORD SHELL_REQUEST_LOCK = 11;

    CBaseWnd(LPCWSTR title, HWND owner);
    ~CBaseWnd() override;

    LPCWSTR GetMzClassName() override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnLButtonDown(UINT keys, int x, int y) override;
    void OnLButtonUp(UINT keys, int x, int y) override;
    BOOL OnInitDialog() override;
    // 0: the platform ends the application on the front key.
    int OnClickMKey() override;

    // The client's own hooks.
    virtual void ReservedHook();
    virtual int OnInitParam(int menuId, const char* info, const char* params);
    virtual void OnActive();
    virtual void OnInactive();
    // Shows the window over its owner and runs it modally; returns the result given to EndWnd.
    virtual int ShowWnd(int menuId, const char* info, const char* params, int modal);
    virtual void EndWnd(int result);
    virtual void OnSwipeRight();
    virtual void OnSwipeLeft();
    virtual void SetScreenMode(int mode);
    virtual void OnScreenModeChanged(int orientation);

    // Creates child (owned by this window) over the work area as a pop-up and runs it modally; this window
    // releases it when its close arrives. A child that cannot be created is deleted at once: -1.
    int RunChild(CBaseWnd* child);
    // Shows or hides the window without a modal loop; hiding hands the window back to its owner.
    void ShowChild(int menuId, const char* info, const char* params, BOOL show, BOOL bringToTop);
    void ResetScreenMode() { SetScreenMode(0); }
    // -1: stays in portrait; 0-3 a fixed mode; 4 follows the accelerometer.
    int GetRotationPolicy();
    // For a window whose creator deletes it when ShowWnd returns: its end sends its owner no close message, so
    // nothing is left in the queue that names the deleted window.
    void SetDeletedByCreator() { closePosted = true; }
    void SetCaption(LPCWSTR text);
    LPCWSTR GetCaption() const { return title; }
    void SetGestureRect(const RECT& rect) { gestureRect = rect; }
    const RECT& GetGestureRect() const { return gestureRect; }
    int ShowKeypad(BOOL show);
    void SetKeypadWnd(CMzKeypadWnd* keypad) { keypadWnd = keypad; }
    CMzKeypadWnd* GetKeypadWnd() const { return keypadWnd; }
    // Applies a key of the numeric pad (10-19 digits, 20 backspace, 24 point) to an edit.
    void OnKeypadKey(int key, UiLineEdit* edit);
    // A framed rounded box; with panelCoords the rectangle is in the content panel's (scrolled) content.
    void DrawRoundBox(HDC dc, const RECT* rect, BOOL panelCoords, BOOL shadow);
    CWndManager* GetWndManager() const { return wndManager; }

    int GetWndType() const { return wndType; }
    HWND GetOwnerWnd() const { return owner; }
    int GetScreenModeValue() const { return screenMode; }
    int GetActivationResult() const { return activationResult; }
    CCaptionBar& GetCaptionBar() { return captionBar; }
    UiScrollWin& GetContentPanel() { return contentPanel; }
    UiIconStrip& GetToolBar() { return toolBar; }
    UiCommandBar& GetCommandBar() { return commandBar; }

    // The live client window behind a handle, or null.
    static CBaseWnd* FromHandleBase(HWND window);
    // True while the object is a live client window (not yet deleted).
    static bool IsLiveWindow(const CBaseWnd* window);

protected:
    // Places the frame's controls for the current size, portrait or landscape.
    void LayoutFrame(bool landscape);
    // Keeps the screen from locking while "Screen_Lock" is 0, and gives the lock back otherwise.
    void ApplyScreenLock();

    CMzKeypadWnd* keypadWnd = nullptr;
    UiScrollWin contentPanel;
    UiIconStrip toolBar;
    UiCommandBar commandBar;
    int wndType = WND_TYPE_BASE;
    CCaptionBar captionBar;
    HWND owner = nullptr;
    int activationResult = -1;
    int firstActivation = 1;
    POINT pressPoint{0, 0};
    RECT gestureRect{0, 0, 0, 0};
    WCHAR title[TITLE_CAPACITY] = {};
    int screenMode = 0;
    int noLockHeld = 0;
    CWndManager* wndManager = nullptr;

private:
    static constexpr UINT_PTR CHILD_RELEASE_TIMER = 0xFFFF7100u;
    void HandleActivation();
    void HandleAccelerometer(WPARAM orientation);
    // A window that follows the phone takes the orientation the phone last reported.
    void FollowPhone();
    void ReleaseChild(CBaseWnd* child);
    void ReleasePendingChildren();
    void PostChildClosed(int result);

    bool closePosted = false;
    // Children whose close arrived while they were still inside their own modal loop.
    std::vector<CBaseWnd*> pendingRelease;
};
