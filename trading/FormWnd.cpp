#include "trading/FormWnd.h"

CFormWnd::CFormWnd(LPCWSTR title, HWND owner) : CFundBaseWnd(title, owner) {}

CFormWnd::~CFormWnd() = default;

RECT CFormWnd::GetPanelRect()
{
    return rows.GetPanelRect();
}

void CFormWnd::OnMzCommand(WPARAM wParam, LPARAM lParam)
{
    if (!rows.Tap(LOWORD(wParam)))
        CFundBaseWnd::OnMzCommand(wParam, lParam);
}
