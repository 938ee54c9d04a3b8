// Text helpers of the trading screens: the GB2312 form of a UI text, the UTF-16 form of a reply text, and texts
// shown to the user through the application's message operation.
#pragma once

#include "platform/win/WinTypes.h"

#include <string>

// The GB2312 bytes of a UTF-16 text ("" for null).
std::string Gb(const WCHAR* text);
// The UTF-16 form of a GB2312 text ("" for null).
std::u16string Wide(const char* text);
// A tip (from 1000 ms) or a box with the caption "Message" (below), as CAppData::ShowMessage.
void ShowText(const WCHAR* text, HWND owner, int milliseconds);
// A box titled "提示".
void ShowNotice(const WCHAR* text, HWND owner);
