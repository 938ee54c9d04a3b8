// The phone's packet-data connection calls. The network counts as usable unless the phone is in flight mode
// (the shell's flag "FlyModeFlag" under HKEY_CURRENT_USER "ControlPanel\Setting\FlyMode" is non-zero).
#pragma once

#include "platform/win/FlightMode.h"
#include "platform/win/WinTypes.h"

// Results of QueryNetWorkStatus.
#define NETWORK_STATUS_NONE 0         // no radio (flight mode): nothing can be dialled
#define NETWORK_STATUS_DISCONNECTED 1 // the radio is on, the packet-data connection must be dialled first
#define NETWORK_STATUS_CONNECTED 3    // the packet-data connection is up

int QueryNetWorkStatus();
// Starts the packet-data connection (the window, when given, is not told anything here; the wait in seconds
// is accepted for the caller's sake). 1 when the connection is up, 0 when it cannot be (flight mode).
int Dial_StartGprsConnect2(HWND notifyWindow, DWORD waitSeconds);
