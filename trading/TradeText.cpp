#include "trading/TradeText.h"

#include "core/AppData.h"
#include "core/ReplyRecordSet.h"
#include "platform/win/Message.h"
#include "shell/WndMessages.h"
#include "core/TextHelpers.h"

#include <cstdlib>

void ShowText(const WCHAR* text, HWND owner, int milliseconds)
{
    CAppData::Instance()->ShowMessage(GbFromWide(text).c_str(), owner, milliseconds);
}

void ShowNotice(const WCHAR* text, HWND owner)
{
    CAppData::Instance()->ShowMessageBox(text, u"提示", owner);
}

CDataSet* FirstSetOrTell(CReplyRecordSet& reply, const BYTE* data, int length, int transportFailed, HWND owner,
                         const WCHAR* failedText)
{
    if (!transportFailed && data != nullptr && length > 0)
        reply.Load(data, (DWORD)length);
    if (reply.GetCount() == 0) {
        // Nothing came, or nothing readable.
        if (failedText != nullptr)
            ShowText(failedText, owner, 2000);
        return nullptr;
    }
    if (reply.hasError) {
        CAppData::Instance()->ShowMessage(reply.GetErrorText(), owner, 2000);
        return nullptr;
    }
    return *reply.GetRecord(0);
}

void CDeferredNotices::Add(HWND window, const std::u16string& text, int milliseconds)
{
    pending.emplace_back(text, milliseconds);
    ::PostMessage(window, WM_DEFERRED_STEP, STEP, 0);
}

void CDeferredNotices::AddGb(HWND window, const char* text, int milliseconds)
{
    // Below a second ShowMessage gives a box captioned "Message"; the server's refusals are tips.
    Add(window, WideFromGb(text), milliseconds < 1000 ? 1000 : milliseconds);
}

bool CDeferredNotices::Handle(UINT message, WPARAM wParam, HWND window)
{
    if (message != WM_DEFERRED_STEP || wParam != STEP)
        return false;
    std::vector<std::pair<std::u16string, int>> shown;
    shown.swap(pending);
    for (const auto& notice : shown) {
        if (notice.second == 0)
            ShowNotice(notice.first.c_str(), window);
        else
            ShowText(notice.first.c_str(), window, notice.second);
    }
    return true;
}
