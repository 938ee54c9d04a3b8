// Texts the trading screens show the user through the application's message operation, and the replies whose
// failures they tell.
#pragma once

#include "core/TextHelpers.h" // Gb and Wide
#include "platform/win/WinTypes.h"

#include <string>
#include <utility>
#include <vector>

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

// Texts a window shows once its reply handler has returned: a box opened inside the handler would run its modal
// loop while the worker still waits for the reply to be taken.
class CDeferredNotices {
public:
    // The kind of WM_DEFERRED_STEP the trading windows post to themselves for it.
    static constexpr WPARAM STEP = 0x7E01;
    // milliseconds 0: a box titled "提示"; otherwise as ShowText.
    void Add(HWND window, const std::u16string& text, int milliseconds);
    // A GB2312 text (the server's) as a tip or box, as CAppData::ShowMessage.
    void AddGb(HWND window, const char* text, int milliseconds);
    // Shows what waits, in order, when the message is this step; false for any other message.
    bool Handle(UINT message, WPARAM wParam, HWND window);

private:
    std::vector<std::pair<std::u16string, int>> pending;
};
