// CMzWnd: the platform's window class. A screen derives from it and overrides the hooks below (in this order);
// Create runs OnInitDialog inside it, DoModal runs a nested message loop until EndModal, and the top-level
// windows form a stack in which the topmost visible one is active.
#pragma once

#include "platform/ui/Style.h"
#include "platform/win/Gdi.h"
#include "platform/win/Message.h"
#include "platform/win/WinUser.h"

#include <memory>
#include <string>

// A control's notification to its window: wParam MAKELONG(control id, code), lParam code-specific.
#define MZ_WM_COMMAND 0xFFF10001

class CMzWnd {
public:
    CMzWnd();

    // The class name, also the registered window class name.
    virtual LPCWSTR GetMzClassName();
    virtual ~CMzWnd();
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual void OnLButtonDblClk(UINT keys, int x, int y);
    virtual void OnLButtonDown(UINT keys, int x, int y);
    virtual void OnLButtonUp(UINT keys, int x, int y);
    virtual void OnMouseMove(UINT keys, int x, int y);
    virtual void OnTimer(UINT_PTR timerId);
    virtual void OnSize(int width, int height);
    virtual void OnSettingChange(DWORD flag, LPCWSTR section);
    virtual BOOL RegisterMzClass();
    // Creates the window (a pop-up unless the style says child) and sends WM_INITDIALOG, so OnInitDialog runs
    // inside; 0 when the window could not be made or OnInitDialog refused (the window is then gone again).
    virtual BOOL Create(int x, int y, int width, int height, HWND parent = nullptr, int id = 0, DWORD style = 0,
                        DWORD exStyle = 0);
    virtual BOOL CreatePopup(int x, int y, int width, int height, HWND owner = nullptr, int id = 0, DWORD style = 0,
                             DWORD exStyle = 0);
    virtual BOOL CreateChild(int x, int y, int width, int height, HWND parent, int id = 0, DWORD style = 0,
                             DWORD exStyle = 0);
    // Shows the window and runs the thread's messages (every window's, and messages sent from other threads)
    // until EndModal; returns the value given to EndModal. A quit message ends the loop and is posted again so
    // that every enclosing loop ends too (the result is then -1).
    virtual int DoModal();
    // WM_PAINT: OnPaint calls PaintWin with the client rectangle and the area to draw.
    virtual void OnPaint(HDC dc, PAINTSTRUCT* paint);
    virtual void PaintWin(HDC dc, RECT* window, RECT* update);
    virtual void FixWindowStyle(DWORD& style, DWORD& exStyle);
    virtual void OnMzCommand(WPARAM wParam, LPARAM lParam);
    virtual BOOL OnInitDialog();
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
    // The front key; 0 ends the application (the quit message is posted).
    virtual int OnClickMKey();

    // The window's controls for the automation's dump: a JSON array of objects with "kind", "id", "rect"
    // ([l,t,r,b]), "visible", "enabled", "text" and, for lists, "items" and "selected". Empty here.
    virtual std::string DescribeControls();

    // Non-virtual services.
    HWND GetHWND() const { return m_hWnd; }
    static CMzWnd* FromHandle(HWND window);
    BOOL Show(BOOL show = TRUE, BOOL bringToTop = TRUE);
    BOOL IsVisible() const;
    void EndModal(int result);
    BOOL IsModal() const;
    BOOL Destroy();
    // Animation numbers used when the window is shown and hidden (0: none).
    void SetShowAnimation(int animation) { m_showAnimation = animation; }
    void SetHideAnimation(int animation) { m_hideAnimation = animation; }
    int GetShowAnimation() const { return m_showAnimation; }
    int GetHideAnimation() const { return m_hideAnimation; }
    void SetBgColor(COLORREF color);
    COLORREF GetBgColor() const { return m_bgColor; }
    int GetWidth() const;
    int GetHeight() const;
    void GetClientRect(RECT* rect) const;
    BOOL SetWindowPos(int x, int y, int width, int height);
    void Invalidate(const RECT* rect = nullptr);
    void Update();
    BOOL SetWindowText(LPCWSTR text);
    std::u16string GetWindowText() const;
    UINT_PTR SetTimer(UINT_PTR timerId, UINT elapse);
    BOOL KillTimer(UINT_PTR timerId);
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    int GetID() const { return m_id; }

    HWND m_hWnd = nullptr;

protected:
    static LRESULT StaticWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

private:
    struct ModalState {
        bool running = false;
        bool ended = false;
        bool objectGone = false;
        int result = -1;
    };
    std::shared_ptr<ModalState> m_modal;
    int m_showAnimation = 0;
    int m_hideAnimation = 0;
    COLORREF m_bgColor = Style::PaperFill;
    int m_id = 0;
};
