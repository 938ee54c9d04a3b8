// The accelerometer's state: open or not, switched off for tests, and the orientation it last reported.
#include "platform/win/Accelerometer.h"

#include "platform/win/RegisteredMessages.h"
#include "platform/win/WinUser.h"

#include <atomic>

namespace {

std::atomic<bool> accAvailable{true};
std::atomic<bool> accOpen{false};
std::atomic<int> accOrientation{-1};

} // namespace

BOOL MzAccOpen()
{
    if (!accAvailable.load())
        return FALSE;
    accOrientation.store(-1);
    accOpen.store(true);
    return TRUE;
}

UINT MzAccGetMessage()
{
    return RegisterWindowMessageW(u"ACC0:Orientation");
}

void MzAccClose()
{
    accOpen.store(false);
}

BOOL MzAccIsOpen()
{
    return accOpen.load() ? TRUE : FALSE;
}

int MzAccGetOrientation()
{
    return accOpen.load() ? accOrientation.load() : -1;
}

void SetAccelerometerAvailable(BOOL available)
{
    accAvailable.store(available != 0);
}

void SimulateAccelerometer(int orientation)
{
    if (!accOpen.load())
        return;
    if (orientation >= 0 && orientation <= 3)
        accOrientation.store(orientation);
    // Only the window in front hears it, so that a window behind never turns the screen under it.
    if (HWND front = GetActiveWindow())
        PostMessage(front, MzAccGetMessage(), (WPARAM)orientation, 0);
}
