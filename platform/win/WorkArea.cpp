// The work area: the screen's size in its current orientation, less the status strip.
#include "platform/win/WorkArea.h"

#include "platform/win/Desktop.h"
#include "platform/win/LastError.h"

using namespace morwick::display;

BOOL SystemParametersInfoW(UINT action, UINT, LPVOID data, UINT)
{
    if (action == SPI_GETWORKAREA && data) {
        *static_cast<RECT*>(data) = RECT{0, STATUS_STRIP_HEIGHT, ScreenWidth(), ScreenHeight()};
        return TRUE;
    }
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
}
