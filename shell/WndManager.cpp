// The process-wide window manager.
#include "shell/WndManager.h"

#include "platform/win/Shell.h"

namespace {
CWndManager* instance = nullptr;
}

CWndManager* CWndManager::GetInstance()
{
    if (instance == nullptr)
        instance = new CWndManager();
    return instance;
}

void CWndManager::Destroy()
{
    delete instance;
    instance = nullptr;
}

void CWndManager::ApplyWorkAreaTop(RECT* rect, int storedTop)
{
    if (rect != nullptr && rect->top == 0)
        rect->top += storedTop;
}

RECT* CWndManager::GetWorkRect(RECT* rect) const
{
    if (rect == nullptr)
        return nullptr;
    *rect = RECT{0, 0, 0, 0};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, rect, 0);
    ApplyWorkAreaTop(rect, workAreaTop);
    return rect;
}
