// The platform's window animations.
#pragma once

#include "platform/win/WinTypes.h"

// Plays the platform's window animation of that effect number on the window (instant without a window back end).
void AnimateMzWindow(HWND window, int effect, BOOL show);
