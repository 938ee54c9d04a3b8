// Turning the screen; the GUI thread composes it at once in the new orientation.
#include "platform/win/DisplaySettings.h"

#include "platform/win/Desktop.h"
#include "platform/win/Thread.h"

using namespace morwick::display;

LONG ChangeDisplaySettingsEx(LPCWSTR, DEVMODEW* mode, HWND, DWORD flags, LPVOID)
{
    if (!mode)
        return DISP_CHANGE_BADPARAM;
    if (mode->dmFields & DM_DISPLAYQUERYORIENTATION) {
        mode->dmDisplayOrientation = DMDO_0 | DMDO_90 | DMDO_180 | DMDO_270;
        return DISP_CHANGE_SUCCESSFUL;
    }
    if (mode->dmFields & DM_DISPLAYORIENTATION) {
        DWORD o = mode->dmDisplayOrientation;
        if (o != DMDO_0 && o != DMDO_90 && o != DMDO_180 && o != DMDO_270)
            return DISP_CHANGE_BADMODE;
        if (flags & CDS_TEST)
            return DISP_CHANGE_SUCCESSFUL;
        SetScreenOrientation(o);
        if (GuiThreadId() == GetCurrentThreadId())
            ComposeScreen(true);
        return DISP_CHANGE_SUCCESSFUL;
    }
    return DISP_CHANGE_BADPARAM;
}
