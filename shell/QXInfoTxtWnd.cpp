// The information text window.
#include "shell/QXInfoTxtWnd.h"

#include "core/AppData.h"
#include "core/DataSet.h"
#include "core/GrowArray.h"
#include "core/ReplyRecordSet.h"
#include "core/TextHelpers.h"

#include <cstdlib>
#include <cstring>

CQXInfoTxtWnd::CQXInfoTxtWnd(LPCWSTR title, HWND owner) : CTextWnd(title, owner)
{
    wndType = WND_TYPE_INFO_TEXT;
}

CQXInfoTxtWnd::~CQXInfoTxtWnd() = default;

LPCWSTR CQXInfoTxtWnd::GetMzClassName()
{
    return u"CQXInfoTxtWnd";
}

void CQXInfoTxtWnd::OnReply(const BYTE* data, int length, int)
{
    if (data == nullptr || length <= 0)
        return;
    CReplyRecordSet reply(data, (DWORD)length);
    if (reply.hasError) {
        CAppData::Instance()->ShowMessage(reply.GetErrorText(), m_hWnd, 0);
        return;
    }
    CDataSet* set = *reply.GetRecord(0);
    if (set == nullptr)
        return;
    // A set of exactly two fields carries a line number before the line.
    int lineField = set->GetFieldCount() == 2 ? 1 : 0;
    CByteBuffer lines;
    bool complete = true;
    if (set->MoveFirst()) {
        do {
            const char* line = set->GetAsText(lineField);
            if (line == nullptr)
                line = "";
            if (lines.Append(reinterpret_cast<const BYTE*>(line), (UINT)strlen(line)) == nullptr ||
                lines.Append(reinterpret_cast<const BYTE*>("\r\n"), 2) == nullptr) {
                complete = false;
                break;
            }
        } while (set->MoveNext());
    }
    if (complete && lines.GetSize() > 0 && lines.Append(BYTE(0)) != nullptr) {
        WCHAR* wide = nullptr;
        AnsiToWide(reinterpret_cast<const char*>(lines.data), &wide);
        SetText(wide != nullptr ? wide : u"");
        free(wide);
    } else {
        SetText(u"暂无相关信息！");
    }
    Invalidate();
}
