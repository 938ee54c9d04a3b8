// The phone's multi-touch driver: a window registers the message it wants gestures in, and the driver posts each
// gesture to it with its data in wParam and lParam. Here the gestures come from the automation (or a test).
#pragma once

#include "platform/win/WinTypes.h"

// LOWORD(wParam) of a gesture message: what the fingers did.
#define MZ_GESTURE_PINCH 1
// A pinch's lParam: MAKELONG(distance between the two fingers at the start, at the end), in pixels. Fingers
// moving apart (end > start) spread the picture; moving together squeeze it.

// Registers a window for gestures in that message (one message per window; registering again replaces it).
BOOL RegisterTouchNotify(HWND window, UINT message);
BOOL UnregisterTouchNotify(HWND window);

// Delivers a pinch to every registered window that is still alive; the number of windows it went to.
int SimulatePinch(int startDistance, int endDistance);
