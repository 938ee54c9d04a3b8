// Feeds arbitrary reply bodies to ParseDataSets and CReplyRecordSet and reads every field of every row as text,
// integer and quote number; every value handed out must lie inside the set, and a set must survive its own
// binary form unchanged.
#include "core/DataSet.h"
#include "core/ReplyRecordSet.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace {

// Sets of zero-width rows may hold up to 65536 empty rows; reading a few of them shows all there is to see.
constexpr int MAX_ROWS_WALKED = 2000;

volatile unsigned sink;

void Touch(const void* p, size_t n)
{
    const BYTE* b = (const BYTE*)p;
    unsigned sum = 0;
    for (size_t k = 0; k < n; ++k)
        sum += b[k];
    sink = sink + sum;
}

void ReadRow(CDataSet& set)
{
    int fields = set.GetFieldCount();
    for (int i = -1; i <= fields; ++i) {
        Touch(set.GetAsText(i), strlen(set.GetAsText(i)) + 1);
        sink = sink + (unsigned)set.GetAsInt(i) + (unsigned)set.GetShort(i) + (unsigned)set.GetInt(i);
        CQuoteNumber q = set.GetQuoteNumber(i);
        const char* t = q.FormatWithUnit();
        Touch(t, strlen(t) + 1);
        // Callers take GetString as text whatever the field's type.
        const char* asString = set.GetString(i);
        if (asString != nullptr)
            Touch(asString, strlen(asString));
        int length = 0, type = 0;
        const BYTE* value = set.GetFieldData(i, &length, &type);
        if (value != nullptr) {
            if (length < 0)
                __builtin_trap();
            Touch(value, (size_t)length);
        }
        const FieldInfo* info = set.GetFieldInfo(i);
        if (info != nullptr) {
            Touch(info->caption, strlen(info->caption));
            int found = set.FindField(info->name);
            if (found < 0 || found > i)
                __builtin_trap();
            const char* byName = set.GetAsText(info->name);
            Touch(byName, strlen(byName));
        }
    }
}

void Walk(CDataSet& set)
{
    Touch(set.GetName(), strlen(set.GetName()));
    int walked = 0;
    while (set.MoveNext() && walked++ < MAX_ROWS_WALKED)
        ReadRow(set);
    if (set.MoveLast())
        ReadRow(set);
    set.Move(-3);
    ReadRow(set);
}

// The binary form of a parsed set parses back to the same bytes.
void RoundTrip(CDataSet& set)
{
    BYTE* bytes = nullptr;
    DWORD size = set.Serialize(&bytes);
    if (bytes == nullptr)
        return;
    CDataSet again;
    DWORD remaining = size;
    if (again.Parse(bytes, &remaining) != 0 || remaining != 0)
        __builtin_trap();
    BYTE* second = nullptr;
    DWORD secondSize = again.Serialize(&second);
    if (secondSize != size || memcmp(bytes, second, size) != 0)
        __builtin_trap();
    free(second);
    free(bytes);
}

// Editing a parsed set: overwriting and removing values must keep every reference inside the blob.
void Edit(CDataSet& set, uint8_t how)
{
    if (!set.MoveFirst())
        return;
    int fields = set.GetFieldCount();
    for (int i = 0; i < fields && i < 8; ++i) {
        if (set.SetString(i, "edited") == DS_OK)
            break;
    }
    if (how & 1)
        set.DeleteRow(-1);
    if (how & 2)
        set.InsertRow(how >> 2);
    set.Compact();
    if (set.MoveFirst())
        ReadRow(set);
    RoundTrip(set);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CDataSet** sets = nullptr;
    int n = ParseDataSets(data, (DWORD)size, &sets);
    for (int k = 0; k < n; ++k) {
        Walk(*sets[k]);
        RoundTrip(*sets[k]);
        Edit(*sets[k], size ? data[size - 1] : 0);
        delete sets[k];
    }
    free(sets);

    CDataSet* two[3] = {nullptr, nullptr, nullptr};
    int kept = ParseDataSets(data, (DWORD)size, two, 2);
    if (kept > 2 || two[2] != nullptr)
        __builtin_trap();
    for (int k = 0; k < kept; ++k)
        delete two[k];

    CReplyRecordSet reply(data, (DWORD)size);
    const char* error = reply.GetErrorText();
    if (error == nullptr)
        __builtin_trap();
    Touch(error, strlen(error));
    for (int k = 0; k < reply.GetCount(); ++k) {
        CDataSet* set = *reply.GetRecord(k);
        if (set != nullptr)
            Walk(*set);
    }

    // The same body handed over and read in place, with or without a spare byte after it: the same sets, the
    // same binary forms, and edits that leave the body to the other sets.
    CByteBuffer handed((UINT)size + (UINT)(size & 1));
    if (size > 0)
        handed.Append(data, (UINT)size);
    CReplyRecordSet inPlace(std::move(handed));
    if (inPlace.GetCount() != reply.GetCount() || inPlace.hasError != reply.hasError)
        __builtin_trap();
    for (int k = 0; k < inPlace.GetCount(); ++k) {
        CDataSet* set = *inPlace.GetRecord(k);
        BYTE* mine = nullptr;
        BYTE* theirs = nullptr;
        DWORD a = set->Serialize(&mine), b = (*reply.GetRecord(k))->Serialize(&theirs);
        if (a != b || (a > 0 && memcmp(mine, theirs, a) != 0))
            __builtin_trap();
        free(mine);
        free(theirs);
        Walk(*set);
    }
    for (int k = 0; k < inPlace.GetCount(); ++k)
        Edit(**inPlace.GetRecord(k), size ? data[0] : 0);
    return 0;
}
