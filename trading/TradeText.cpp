#include "trading/TradeText.h"

#include "core/AppData.h"
#include "core/ReplyRecordSet.h"
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
