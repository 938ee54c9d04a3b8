#include "trading/OwnedWindow.h"

#include "shell/BaseWnd.h"
#include "shell/WndManager.h"

int RunOwnedWindow(CBaseWnd* window, HWND owner, int showAnimation, int hideAnimation)
{
    if (window == nullptr)
        return -1;
    RECT work;
    CWndManager::GetInstance()->GetWorkRect(&work);
    if (!window->Create(work.left, work.top, work.right - work.left, work.bottom - work.top, owner, 0, 0x80000000u, 0))
        return -1;
    window->SetDeletedByCreator();
    window->SetShowAnimation(showAnimation);
    window->SetHideAnimation(hideAnimation);
    return window->ShowWnd(-1, "", "", 1);
}
