// Makers of the chart windows for the window factory.
#include "charts/ChartWindowMakers.h"

#include "charts/FSFrame.h"
#include "charts/KXFrame.h"
#include "shell/WindowFactory.h"

namespace {

CBaseWnd* MakeFSFrame(LPCWSTR title, HWND parent, int)
{
    return new CFSFrame(title, parent);
}

CBaseWnd* MakeKXFrame(LPCWSTR title, HWND parent, int)
{
    return new CKXFrame(title, parent);
}

} // namespace

void InstallChartWindowMakers()
{
    CWindowFactory::SetMaker("CFSFrame", MakeFSFrame);
    CWindowFactory::SetMaker("CKXFrame", MakeKXFrame);
}
