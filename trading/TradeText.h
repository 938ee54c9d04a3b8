// Texts the trading screens show the user through the application's message operation, and the replies whose
// failures they tell.
#pragma once

#include "core/TextHelpers.h" // Gb and Wide
#include "platform/win/WinTypes.h"

#include <string>

class CDataSet;
class CReplyRecordSet;

// A tip (from 1000 ms) or a box with the caption "Message" (below), as CAppData::ShowMessage.
void ShowText(const WCHAR* text, HWND owner, int milliseconds);
// A box titled "提示".
void ShowNotice(const WCHAR* text, HWND owner);
// Reads a reply into reply and returns its first record set; null after telling the user: failedText as a tip for
// a transport failure (nothing for a null text), the server's own text for a refusal.
CDataSet* FirstSetOrTell(CReplyRecordSet& reply, const BYTE* data, int length, int transportFailed, HWND owner,
                         const WCHAR* failedText);
