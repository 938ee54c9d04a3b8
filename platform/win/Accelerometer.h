// The accelerometer, the sensor that tells which way up the phone is held.
#pragma once

#include "platform/win/WinTypes.h"

// The accelerometer: open it, ask for its message (wParam the orientation 0-3), close it. Opening fails while the
// device is switched off (SetAccelerometerAvailable, for tests of that road).
BOOL MzAccOpen();
UINT MzAccGetMessage();
void MzAccClose();
BOOL MzAccIsOpen();
// The orientation (0-3) the device last reported since it was opened, -1 when it has reported none: what a
// window that follows the phone takes when it comes to the front after a window that does not.
int MzAccGetOrientation();
void SetAccelerometerAvailable(BOOL available);

// The device reports an orientation (0-3), from any thread: while the sensor is open, the window in front is
// told by the sensor's message.
void SimulateAccelerometer(int orientation);
