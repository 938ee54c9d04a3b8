// CMzHostWnd: a window that hosts lightweight controls. Controls paint in the order added, the topmost gets
// the press, the pressing control gets the release (capture), and the window's own stylus handlers see every
// press, move and release first, also over controls: the control under the finger gets its event even when an
// override of OnLButtonDown does not call this class's handler.
#pragma once

#include "platform/ui/MzWnd.h"
#include "platform/ui/UiWinManager.h"

class CMzHostWnd : public CMzWnd, public IUiHost {
public:
    CMzHostWnd();
    ~CMzHostWnd() override;

    LPCWSTR GetMzClassName() override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void PaintWin(HDC dc, RECT* window, RECT* update) override;
    std::string DescribeControls() override;

    void AddUiWin(UiWin* control) { manager.AddUiWin(control); }
    void RemoveUiWin(UiWin* control) { manager.RemoveUiWin(control); }
    UiWinManager& GetWinManager() { return manager; }
    // The control that took the current press (null when none or no press).
    UiWin* GetCaptureControl() const { return manager.GetCapture(); }

    // IUiHost
    HWND GetHostWnd() const override { return m_hWnd; }
    void InvalidateHostRect(const RECT* rect) override;
    BOOL PostToHost(UINT message, WPARAM wParam, LPARAM lParam) override;
    LRESULT SendToHost(UINT message, WPARAM wParam, LPARAM lParam) override;
    BOOL SetHostTimer(UINT_PTR id, UINT elapse) override;
    BOOL KillHostTimer(UINT_PTR id) override;
    void ShowInputPanel(BOOL show, int kind) override;

private:
    UiWinManager manager;
};
