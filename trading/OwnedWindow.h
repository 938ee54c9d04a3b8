// Running a window that its creator deletes (confirmations, the trade log-in and branch-office windows).
#pragma once

#include "platform/win/WinTypes.h"

class CBaseWnd;

// Creates the window over the work area as a pop-up owned by owner, sets its show and hide animations, runs it
// modally (ShowWnd with -1 and empty texts) and returns its end result; -1 when it could not be created. The
// window sends its owner no close message: the caller deletes it afterwards, exactly once.
int RunOwnedWindow(CBaseWnd* window, HWND owner, int showAnimation, int hideAnimation);
