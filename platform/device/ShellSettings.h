// The shell's settings the client reads from the registry: the flight-mode flag and the start animation.
#pragma once

#include "platform/win/WinTypes.h"

// The flight-mode flag: HKCU "ControlPanel\Setting\FlyMode" value "FlyModeFlag" set (a non-zero number).
BOOL IsFlyMode();

// The start animation setting: HKLM "Software\Ruvav\" value "AppStartAnimation" equal to 1.
BOOL IsAppAnimationOn(int which);
