// The phone shell's events the client hears: the lock, a call and the USB cable, by their registered messages.
#pragma once

#include "platform/win/WinTypes.h"

// The shell's USB and call messages (registered by name, "USB_NOTIFY_MESSAGE" and "CALL_MESSAGE").
UINT GetUsbNotifyMessage();
UINT GetCallMessage();
// The lock-phone messages are registered by the names "ShellNotifyMsg/EntryLockphone" and
// "ShellNotifyMsg/LeaveLockPhone".

// The phone's events (any thread). The lock and the USB cable reach every top-level window of the client; the
// end of the lock and a call, events a window answers by turning the screen, reach only the window in front, the
// active one, so that a window behind never turns the screen under it.
void SimulateLockPhone(BOOL locked);
void SimulateCall(BOOL begins);
void SimulateUsbOff();
