// Splitting a reply into its data sets, finding the server's error record and the text to show for it.
#include "core/ReplyRecordSet.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <utility>

namespace {

// "未取到错误信息" in GB2312: what the user sees when a reply carries no readable error text.
const char NO_ERROR_TEXT[] = "\xce\xb4\xc8\xa1\xb5\xbd\xb4\xed\xce\xf3\xd0\xc5\xcf\xa2";

} // namespace

CReplyRecordSet::CReplyRecordSet(const BYTE* data, DWORD length) : records(REPLY_CAPACITY)
{
    Load(data, length);
}

CReplyRecordSet::CReplyRecordSet(CByteBuffer&& body) : records(REPLY_CAPACITY)
{
    Load(std::move(body));
}

CReplyRecordSet::CReplyRecordSet() : records(EMPTY_CAPACITY) {}

CReplyRecordSet::~CReplyRecordSet()
{
    Clear();
}

void CReplyRecordSet::Load(const BYTE* data, DWORD length)
{
    if (data == nullptr || length == 0)
        return;
    CDataSet** parsed = nullptr;
    int n = ParseDataSets(data, length, &parsed);
    Adopt(parsed, n);
}

void CReplyRecordSet::Load(CByteBuffer&& body)
{
    if (body.data == nullptr || body.count == 0)
        return;
    auto whole = std::make_shared<CByteBuffer>(std::move(body));
    CDataSet** parsed = nullptr;
    int n = ParseDataSets(whole, &parsed);
    Adopt(parsed, n);
}

void CReplyRecordSet::Adopt(CDataSet** parsed, int n)
{
    if (n <= 0 || parsed == nullptr)
        return;
    Clear();
    errorIndex = -1;
    for (int k = 0; k < n; ++k) {
        CDataSet* set = parsed[k];
        if (!records.Append(set)) {
            delete set;
            continue;
        }
        if (set->IsError())
            errorIndex = (int)records.count - 1;
    }
    free(parsed);
    hasError = errorIndex >= 0 ? 1 : 0;
}

void CReplyRecordSet::Clear()
{
    for (UINT k = 0; k < records.count; ++k) {
        delete records.data[k];
        records.data[k] = nullptr;
    }
    records.count = 0;
}

void CReplyRecordSet::Detach()
{
    records.count = 0;
}

CDataSet** CReplyRecordSet::GetRecord(int i)
{
    if (i < 0 || (UINT)i >= records.count) {
        // A caller may have written through the address it got last time; the slot must read null again.
        nullRecord = nullptr;
        return &nullRecord;
    }
    return &records.data[i];
}

const char* CReplyRecordSet::GetErrorText()
{
    if (!hasError || records.count == 0 || errorIndex < 0 || (UINT)errorIndex >= records.count)
        return NO_ERROR_TEXT;
    CDataSet* record = records.data[errorIndex];
    if (record == nullptr)
        return NO_ERROR_TEXT;
    if (!record->MoveFirst())
        return record->GetName();
    int type = 0;
    int length = 0;
    if (record->GetFieldData(0, &length, &type) == nullptr)
        return NO_ERROR_TEXT;
    // Texts come as they are (UTF-16 converted); other fields in their text form, never as raw bytes.
    const char* text = record->GetAsText(0);
    return text[0] != '\0' ? text : NO_ERROR_TEXT;
}

void CReplyRecordSet::Append(CDataSet* set)
{
    if (set != nullptr)
        records.Append(set);
}

void CReplyRecordSet::InsertAt(int index, CDataSet* set)
{
    if (set == nullptr || !records.Append(set))
        return;
    int last = (int)records.count - 1;
    if (index < 1)
        index = 0;
    if (index > last)
        index = last;
    memmove(&records.data[index + 1], &records.data[index], sizeof(CDataSet*) * (last - index));
    records.data[index] = set;
}

void CReplyRecordSet::MoveTo(CReplyRecordSet& other)
{
    if (&other == this)
        return;
    other.Clear();
    for (UINT k = 0; k < records.count; ++k)
        other.Append(records.data[k]);
    Detach();
}
