// The client's top-level windows as other running clients see them, and the asks to come to the front.
#pragma once

#include "platform/win/WinTypes.h"

#include <string>

namespace morwick::display {

// Top-level windows are listed for other processes so that a second client finds the first (FindWindowW).
void PublishWindow(HWND window, const std::u16string& className, const std::u16string& title);
void UnpublishWindow(HWND window);
// A stand-in handle for a window of another running client with that class (and title when given), or null.
HWND FindPublishedWindow(const char16_t* className, const char16_t* title);
bool IsRemoteWindow(HWND window);
// Asks the client owning a found window to bring it to the front.
bool AskRemoteForeground(HWND window);

} // namespace morwick::display
