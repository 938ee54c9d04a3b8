// The information radar window.
#include "quotes/InfoMineTxtWnd.h"

#include "core/AppData.h"
#include "core/DataSet.h"
#include "core/GrowArray.h"
#include "core/ReplyRecordSet.h"
#include "core/TextHelpers.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

const WCHAR* const NO_RADAR = u"该只股票当日无信息雷达。";

// Copies text into a field of capacity bytes, cut so that the terminator always fits.
void CopyField(char* field, int capacity, const char* text)
{
    if (text == nullptr || text[0] == 0)
        return;
    size_t length = strnlen(text, (size_t)capacity - 1);
    memcpy(field, text, length);
    field[length] = 0;
}

} // namespace

CInfoMineTxtWnd::CInfoMineTxtWnd(LPCWSTR title, HWND parent) : CTextWnd(title, parent)
{
    firstActivation = 1;
}

CInfoMineTxtWnd::~CInfoMineTxtWnd() = default;

LPCWSTR CInfoMineTxtWnd::GetMzClassName()
{
    return u"CInfoMineTxtWnd";
}

BOOL CInfoMineTxtWnd::OnInitDialog()
{
    return CTextWnd::OnInitDialog();
}

void CInfoMineTxtWnd::SetCode(const char* text)
{
    CopyField(code, CODE_CAPACITY, text);
}

void CInfoMineTxtWnd::SetId(const char* text)
{
    CopyField(id, ID_CAPACITY, text);
}

void CInfoMineTxtWnd::SetDate(const char* text)
{
    CopyField(date, DATE_CAPACITY, text);
}

int CInfoMineTxtWnd::BuildRequest(char* part, int capacity, const char*)
{
    if (part == nullptr || capacity <= 0)
        return 0;
    int written = snprintf(part, (size_t)capacity, "tc_mfuncno=504&tc_sfuncno=11&lmdm=xxld&stkcode=%s&id=%s&date=%s",
                           code, id, date);
    // A cut request would ask for something else: send nothing instead.
    if (written < 0 || written >= capacity) {
        part[0] = 0;
        return 0;
    }
    return 1;
}

void CInfoMineTxtWnd::OnReply(const BYTE* data, int length, int)
{
    CReplyRecordSet reply(data, data != nullptr && length > 0 ? (DWORD)length : 0);
    if (reply.hasError && reply.errorIndex >= 0) {
        CAppData::Instance()->ShowMessage(reply.GetErrorText(), m_hWnd, 3000);
        return;
    }
    CByteBuffer lines;
    bool complete = true;
    CDataSet* set = reply.hasError ? nullptr : *reply.GetRecord(0);
    if (set != nullptr && set->MoveFirst()) {
        do {
            const char* line = set->GetAsText(0);
            if (line == nullptr)
                line = "";
            if (lines.Append(reinterpret_cast<const BYTE*>(line), (UINT)strlen(line)) == nullptr ||
                lines.Append(reinterpret_cast<const BYTE*>("\r\n"), 2) == nullptr) {
                complete = false;
                break;
            }
        } while (set->MoveNext());
    }
    WCHAR* wide = nullptr;
    if (complete && lines.GetSize() > 0 && lines.Append(BYTE(0)) != nullptr)
        AnsiToWide(reinterpret_cast<const char*>(lines.data), &wide);
    SetText(wide != nullptr && wide[0] != 0 ? wide : NO_RADAR);
    free(wide);
    Invalidate();
}
