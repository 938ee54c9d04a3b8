// Record sets: construction and clean-up, the cursor and the typed getters. The binary form is read and written
// in DataSetWire.cpp, edited in DataSetEdit.cpp; once a set is parsed, no getter can read outside its rows or blob.
#include "core/DataSet.h"

#include <bit>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/TextHelpers.h"
#include "platform/win/CodePage.h"
#include "platform/win/WideText.h"
#include "core/DataSetForm.h"

using namespace DataSetForm;

namespace {

// A number sent in fewer bytes than its type has reads as zero, as GetShort and GetInt answer for it.
const BYTE* ShortAsZero(const BYTE* p, int type, int length)
{
    static const BYTE ZEROS[8] = {};
    return p && !IsBlobType(type) && length < TypeSize(type) ? ZEROS : p;
}

// The wide text at p (any alignment, known to be terminated) as aligned UTF-16.
std::u16string CopyWideText(const BYTE* p, int length)
{
    int units = WideTextUnits(p, length);
    std::u16string s(units < 0 ? 0 : units, u'\0');
    for (int i = 0; i < (int)s.size(); ++i)
        s[i] = char16_t(p[2 * i] | (p[2 * i + 1] << 8));
    return s;
}

// Truncation toward zero that saturates instead of overflowing (NaN gives 0).
int TruncateToInt(double d)
{
    if (std::isnan(d))
        return 0;
    if (d >= 2147483647.0)
        return INT_MAX;
    if (d <= -2147483648.0)
        return INT_MIN;
    return (int)d;
}

float ReadFloat(const BYTE* p)
{
    DWORD bits = ReadLE32(p);
    float f;
    memcpy(&f, &bits, sizeof f);
    return f;
}

double ReadDouble(const BYTE* p)
{
    ULONGLONG bits = ReadLE64(p);
    double d;
    memcpy(&d, &bits, sizeof d);
    return d;
}

} // namespace

CDataSet::CDataSet() {}

CDataSet::CDataSet(const char* errorText, BOOL wide)
{
    FieldInfo f = {};
    strcpy(f.name, "ER_String");
    f.type = wide ? FIELD_WIDE_TEXT : FIELD_TEXT;
    AddField(&f, 0);
    InsertRow(0);
    SetString(0, errorText);
    cursor = -1;
}

CDataSet::~CDataSet()
{
    Destroy();
}

void CDataSet::Destroy()
{
    // Capacity 0 makes the next append build a fresh block, so the set stays usable.
    ReleaseBody();
    fields.Free();
    fields.capacity = fields.count = 0;
    rows.Free();
    rows.capacity = rows.count = 0;
    blob.Free();
    blob.capacity = blob.count = 0;
    fieldCount = rowSize = rowCount = 0;
    cursor = -1;
    blobHasGaps = 0;
}

void CDataSet::Reset()
{
    fields.count = 0;
    rows.count = 0;
    blob.count = 0;
    fieldCount = rowSize = rowCount = 0;
    cursor = -1;
    blobHasGaps = 0;
    memset(name, 0, sizeof name);
}

void CDataSet::SetName(const char* text)
{
    memset(name, 0, sizeof name);
    if (text)
        strncpy(name, text, NAME_LENGTH);
}

BOOL CDataSet::IsError() const
{
    return StrEqualNoCase(name, "error") == 0;
}

void CDataSet::ReleaseBody()
{
    if (!body)
        return;
    // The rows and the blob are the body's bytes: forgotten, not freed.
    rows.data = blob.data = nullptr;
    rows.capacity = rows.count = blob.capacity = blob.count = 0;
    body.reset();
}

BOOL CDataSet::OwnBuffers()
{
    if (!body)
        return TRUE;
    // Blocks of their own, each with the zero past its bytes.
    CByteBuffer ownRows(0), ownBlob(0);
    if (!ownRows.Assign(rows.data, rows.count, 1) || !ownBlob.Assign(blob.data, blob.count, 1))
        return FALSE;
    ReleaseBody();
    rows = std::move(ownRows);
    blob = std::move(ownBlob);
    return TRUE;
}

BOOL CDataSet::MoveFirst()
{
    if (rowCount == 0)
        return FALSE;
    cursor = 0;
    return TRUE;
}

BOOL CDataSet::MoveLast()
{
    if (rowCount == 0)
        return FALSE;
    cursor = rowCount - 1;
    return TRUE;
}

BOOL CDataSet::MovePrev()
{
    if (IsBOF())
        return FALSE;
    --cursor;
    return !IsBOF();
}

BOOL CDataSet::Move(int n)
{
    if (rowCount == 0) {
        cursor = -1;
        return FALSE;
    }
    long long target = (long long)cursor + n;
    if (n > 0 && target >= rowCount) {
        cursor = rowCount;
        return FALSE;
    }
    if (n < 0 && target < 0) {
        cursor = -1;
        return FALSE;
    }
    cursor = (int)target;
    return cursor >= 0 && cursor < rowCount;
}

int CDataSet::FindField(const char* fieldName) const
{
    if (fieldName == nullptr)
        return -1;
    for (int i = 0; i < fieldCount; ++i) {
        if (StrEqualNoCase(fields.data[i].info.name, fieldName) == 0)
            return i;
    }
    return -1;
}

const FieldInfo* CDataSet::GetFieldInfo(int i) const
{
    return i >= 0 && i < fieldCount ? &fields.data[i].info : nullptr;
}

const BYTE* CDataSet::GetFieldData(int i, int* length, int* type) const
{
    if (length)
        *length = 0;
    if (cursor < 0 || cursor >= rowCount || i < 0 || i >= fieldCount)
        return nullptr;
    const FieldInfo& f = fields.data[i].info;
    if (type)
        *type = f.type;
    const BYTE* p = RowAt(cursor) + f.offset;
    if (!IsBlobType(f.type)) {
        if (length)
            *length = f.size;
        return p;
    }
    // A reference needs its 8 bytes; a field sent shorter holds none.
    if (f.size < 8)
        return nullptr;
    int offset = ReadInt(p);
    int valueLength = ValueBytes(blob, f.type, offset, ReadInt(p + 4));
    if (valueLength < 0)
        return nullptr;
    if (length)
        *length = valueLength;
    return blob.data + offset;
}

const BYTE* CDataSet::GetFieldData(const char* fieldName, int* length) const
{
    return GetFieldData(FindField(fieldName), length, nullptr);
}

const char* CDataSet::GetString(int i) const
{
    return (const char*)GetFieldData(i, nullptr, nullptr);
}
const char* CDataSet::GetString(const char* fieldName) const
{
    return GetString(FindField(fieldName));
}

int CDataSet::GetShort(int i) const
{
    int length;
    const BYTE* p = GetFieldData(i, &length, nullptr);
    return p && length >= 2 ? (int)(SHORT)ReadLE16(p) : 0;
}
int CDataSet::GetShort(const char* fieldName) const
{
    return GetShort(FindField(fieldName));
}

int CDataSet::GetInt(int i) const
{
    int length;
    const BYTE* p = GetFieldData(i, &length, nullptr);
    return p && length >= 4 ? ReadInt(p) : 0;
}
int CDataSet::GetInt(const char* fieldName) const
{
    return GetInt(FindField(fieldName));
}

CQuoteNumber CDataSet::GetQuoteNumber(int i) const
{
    return CQuoteNumber::FromPacked(GetInt(i));
}
CQuoteNumber CDataSet::GetQuoteNumber(const char* fieldName) const
{
    return GetQuoteNumber(FindField(fieldName));
}

const char* CDataSet::GetAsText(int i)
{
    int n;
    return GetAsText(i, &n);
}

int CDataSet::ReadOf(const FieldInfo& f)
{
    // A number or reference sent in fewer bytes than its type reads as zero: OtherText.
    if (f.size >= 4 && (f.type == FIELD_QUOTE || f.type == FIELD_QUOTE_UNIT))
        return f.type == FIELD_QUOTE ? READ_QUOTE : READ_QUOTE_UNIT;
    if (f.size >= 4 && f.type == FIELD_INT)
        return READ_INT;
    if (f.size >= 8 && f.type == FIELD_TEXT)
        return READ_TEXT;
    return READ_OTHER;
}

const char* CDataSet::SlowText(int i, int* textLength)
{
    int unused;
    int* n = textLength ? textLength : &unused;
    if (cursor < 0 || cursor >= rowCount) {
        *n = 10;
        return "BOF or EOF";
    }
    if (i < 0 || i >= fieldCount) {
        *n = 17;
        return "Error Field Index";
    }
    // The fields GetAsText reads itself come back only for a null textLength.
    if (fields.data[i].read != READ_OTHER)
        return GetAsText(i, n);
    const char* result = OtherText(i);
    *n = (int)strlen(result);
    return result;
}

const char* CDataSet::LongBlobText(const BYTE* p, int* textLength) const
{
    int offset = ReadInt(p), length = ReadInt(p + 4);
    if (length >= 1 && offset >= 0 && (long long)offset + length <= (long long)blob.count) {
        // The text ends at its first zero; one that has none within its length runs on (ValueBytes).
        const char* value = (const char*)blob.data + offset;
        const void* zero = memchr(value, 0, (size_t)length);
        *textLength = zero ? (int)((const char*)zero - value) : (int)strlen(value);
        return value;
    }
    *textLength = 4;
    return "null";
}

const char* CDataSet::OtherText(int i)
{
    int length = 0, type = 0;
    const BYTE* p = GetFieldData(i, &length, &type);
    p = ShortAsZero(p, type, length);
    switch (type) {
    case FIELD_BOOL:
        return p[0] ? "T" : "F";
    case FIELD_CHAR:
        snprintf(text, sizeof text, "%c", (char)p[0]);
        return text;
    case FIELD_SHORT:
        FormatInt(text, (int)(SHORT)ReadLE16(p));
        return text;
    case FIELD_INT:
    case FIELD_INT64: // the low 32 bits, which come first
        FormatInt(text, ReadInt(p));
        return text;
    case FIELD_FLOAT:
        snprintf(text, sizeof text, "%.3f", (double)ReadFloat(p));
        return text;
    case FIELD_DOUBLE: {
        // Up to 1e308 a double has 309 digits before its point: print it whole rather than cut at 63.
        double d = ReadDouble(p);
        int needed = snprintf(text, sizeof text, "%.3f", d);
        if (needed < (int)sizeof text)
            return text;
        longText.assign((size_t)needed + 1, '\0');
        snprintf(longText.data(), longText.size(), "%.3f", d);
        longText.resize((size_t)needed);
        return longText.c_str();
    }
    case FIELD_TEXT:
        return p ? (const char*)p : "null";
    case FIELD_BYTES:
        snprintf(text, sizeof text, "Array:%d", length);
        return text;
    case FIELD_WIDE_TEXT: {
        if (p == nullptr)
            return "null";
        // Callers take every field text as 8-bit, so a UTF-16 value is converted rather than handed out raw.
        std::u16string wide = CopyWideText(p, length);
        int bytes = WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
        if (bytes <= 0)
            return "";
        longText.assign(bytes, '\0');
        WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, longText.data(), bytes, nullptr, nullptr);
        return longText.c_str();
    }
    case FIELD_QUOTE:
    case FIELD_QUOTE_UNIT:
        CQuoteNumber::FormatPacked(ReadInt(p), text, sizeof text, type == FIELD_QUOTE_UNIT);
        return text;
    default:
        snprintf(text, sizeof text, "Unknow Type:%d", type);
        return text;
    }
}
const char* CDataSet::GetAsText(const char* fieldName)
{
    return GetAsText(FindField(fieldName));
}

int CDataSet::GetAsInt(int i) const
{
    int length = 0, type = 0;
    const BYTE* p = GetFieldData(i, &length, &type);
    p = ShortAsZero(p, type, length);
    if (p == nullptr)
        return 0;
    switch (type) {
    case FIELD_BOOL:
    case FIELD_CHAR:
        return (int)(signed char)p[0];
    case FIELD_SHORT:
        return (int)(SHORT)ReadLE16(p);
    case FIELD_INT:
    case FIELD_INT64:
        return ReadInt(p);
    case FIELD_FLOAT:
        return TruncateToInt(ReadFloat(p));
    case FIELD_DOUBLE:
        return TruncateToInt(ReadDouble(p));
    case FIELD_TEXT: {
        long v = strtol((const char*)p, nullptr, 10);
        return v > INT_MAX ? INT_MAX : v < INT_MIN ? INT_MIN : (int)v;
    }
    case FIELD_BYTES:
        return length;
    case FIELD_WIDE_TEXT:
        return (int)_wtol(CopyWideText(p, length).c_str());
    case FIELD_QUOTE:
        return TruncateToInt(CQuoteNumber::FromPacked(ReadInt(p)).GetValue());
    case FIELD_QUOTE_UNIT:
        return TruncateToInt(CQuoteNumber::FromPacked(ReadInt(p)).ToFull());
    default:
        return 0;
    }
}
int CDataSet::GetAsInt(const char* fieldName) const
{
    return GetAsInt(FindField(fieldName));
}
