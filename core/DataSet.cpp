// Record sets: reading and writing their binary form, the cursor, typed getters and the editing operations.
// Every count, size, offset and length in the binary form comes from the network or a file, so each is checked
// before use: once a set is parsed, no getter can read outside its rows or its blob.
#include "core/DataSet.h"

#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/TextHelpers.h"
#include "platform/win/CodePage.h"
#include "platform/win/WideText.h"

namespace {

// Largest block the byte buffers hand out; sizes and offsets are stored as int32.
constexpr long long MAX_BYTES = 0x7FFFFFFF;
constexpr DWORD HEADER_BYTES = 16 + 4;
constexpr DWORD DESCRIPTOR_BYTES = 60;
// Rows of width 0 cost no bytes, so nothing in the input bounds their count; they carry nothing but that count.
// A set keeps at most this many of them, so a window walking the rows is never sent round billions of empty
// rows by a few bytes, while the set itself (its name, say "error") and the sets after it still count.
constexpr int MAX_EMPTY_ROWS = 65536;

// Inline: every getter reads through it, and the call cost more than the read.
inline int ReadInt(const BYTE* p)
{
    return (int)((DWORD)p[0] | ((DWORD)p[1] << 8) | ((DWORD)p[2] << 16) | ((DWORD)p[3] << 24));
}

void WriteInt(BYTE* p, int value)
{
    DWORD v = (DWORD)value;
    p[0] = BYTE(v);
    p[1] = BYTE(v >> 8);
    p[2] = BYTE(v >> 16);
    p[3] = BYTE(v >> 24);
}

// Bytes a value of the type occupies in a row; 0 for codes without a meaning.
int TypeSize(int type)
{
    switch (type) {
    case FIELD_BOOL:
    case FIELD_CHAR:
        return 1;
    case FIELD_SHORT:
        return 2;
    case FIELD_INT:
    case FIELD_FLOAT:
    case FIELD_QUOTE:
    case FIELD_QUOTE_UNIT:
        return 4;
    case FIELD_INT64:
    case FIELD_DOUBLE:
    case FIELD_TEXT:
    case FIELD_BYTES:
    case FIELD_WIDE_TEXT:
        return 8;
    default:
        return 0;
    }
}

bool IsBlobType(int type) { return type == FIELD_TEXT || type == FIELD_BYTES || type == FIELD_WIDE_TEXT; }

// A blob field sent shorter than its 8 bytes has no room for a reference: it never holds a value.
bool HoldsReference(const FieldInfo& f) { return IsBlobType(f.type) && f.size >= 8; }

// A number sent in fewer bytes than its type has reads as zero, as GetShort and GetInt answer for it.
const BYTE* ShortAsZero(const BYTE* p, int type, int length)
{
    static const BYTE ZEROS[8] = {};
    return p && !IsBlobType(type) && length < TypeSize(type) ? ZEROS : p;
}

// Keeps a zero byte just past the used bytes of b (growing it when full). GetString hands out any field's bytes
// as text, and a number, a byte array or a text cut short is not terminated: read as text, it then ends inside
// the block instead of running past it.
BOOL ZeroAfterEnd(CByteBuffer& b)
{
    if (b.count >= b.capacity) {
        const BYTE zero = 0;
        if (!b.Append(&zero, 1))
            return FALSE;
        --b.count;
    }
    b.data[b.count] = 0;
    return TRUE;
}

// Number of UTF-16 units before the first zero unit within length bytes; -1 when there is none.
int WideTextUnits(const BYTE* p, int length)
{
    for (int i = 0; i + 1 < length; i += 2) {
        if (p[i] == 0 && p[i + 1] == 0)
            return i / 2;
    }
    return -1;
}

// The bytes of the blob value {offset, length}, terminator included: its stated length, except that a text
// counted without its terminator (as some servers count) runs on to the terminator further in the blob, an 8-bit
// text at the latest to the zero kept just past the blob (then counted too). -1: no value (a reference outside
// the blob, or a wide text never terminated).
int ValueBytes(const CByteBuffer& blob, int type, int offset, int length)
{
    if (length < 1 || offset < 0 || (long long)offset + length > (long long)blob.count)
        return -1;
    const BYTE* value = blob.data + offset;
    int room = (int)blob.count - offset;
    if (type == FIELD_TEXT && memchr(value, 0, (size_t)length) == nullptr)
        return (int)strnlen((const char*)value, (size_t)room) + 1;
    if (type == FIELD_WIDE_TEXT && WideTextUnits(value, length) < 0) {
        int units = WideTextUnits(value, room);
        return units < 0 ? -1 : units * 2 + 2;
    }
    return length;
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

// "%d" without printf: tables print thousands of fields per reply. Returns the length.
int FormatInt(char* out, int value)
{
    char digits[12];
    int length = 0;
    unsigned magnitude = value < 0 ? 0u - (unsigned)value : (unsigned)value;
    do {
        digits[length++] = char('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude > 0);
    char* p = out;
    if (value < 0)
        *p++ = '-';
    while (length > 0)
        *p++ = digits[--length];
    *p = '\0';
    return (int)(p - out);
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

CDataSet::~CDataSet() { Destroy(); }

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

BOOL CDataSet::IsError() const { return StrEqualNoCase(name, "error") == 0; }

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
    // Blocks of their own, each with the zero past its bytes (a new block is zeroed).
    CByteBuffer ownRows(rows.count + 1), ownBlob(blob.count + 1);
    if (ownRows.capacity == 0 || ownBlob.capacity == 0 || !ownRows.Append(rows.data, rows.count) ||
        !ownBlob.Append(blob.data, blob.count))
        return FALSE;
    ReleaseBody();
    rows = std::move(ownRows);
    blob = std::move(ownBlob);
    return TRUE;
}

void CDataSet::EndInPlace(const CByteBuffer& whole)
{
    if (!body)
        return;
    // The zero kept past the rows falls on the first byte of the blob length, already read; the one past the
    // blob on the first name byte of the next set, already copied, or on the spare byte past the body. A body
    // without that byte has its last set copied.
    BYTE* blobEnd = blob.data + blob.count;
    rows.data[rows.count] = 0;
    if (blobEnd < whole.data + whole.capacity)
        *blobEnd = 0;
    else
        OwnBuffers();
}

int CDataSet::Parse(const BYTE* data, DWORD* remaining) { return Parse(data, remaining, nullptr); }

int CDataSet::Parse(const BYTE* data, DWORD* remaining, const std::shared_ptr<CByteBuffer>* inPlace)
{
    ReleaseBody();
    Reset();
    auto fail = [this] {
        ReleaseBody();
        Reset();
        return 1;
    };
    if (data == nullptr || remaining == nullptr)
        return 1;
    if (inPlace) {
        // Rows and blob will be views into the body: the set's own blocks go first.
        rows.Free();
        blob.Free();
        rows.capacity = rows.count = blob.capacity = blob.count = 0;
        body = *inPlace;
    }
    auto take = [&](CByteBuffer& into, const BYTE* bytes, long long n) {
        if (!inPlace)
            return n <= 0 || into.Append(bytes, (UINT)n) != nullptr;
        into.data = const_cast<BYTE*>(bytes); // the body is the set's to read (see EndInPlace)
        into.capacity = into.count = (UINT)n;
        return true;
    };
    const BYTE* p = data;
    DWORD left = *remaining;

    if (left < HEADER_BYTES)
        return 1;
    memcpy(name, p, NAME_LENGTH);
    int n = ReadInt(p + NAME_LENGTH);
    p += HEADER_BYTES;
    left -= HEADER_BYTES;
    if (n < 0 || (unsigned long long)n * DESCRIPTOR_BYTES > left)
        return fail();
    if (!fields.SetCount((UINT)n))
        return fail();
    long long width = 0;
    for (int k = 0; k < n; ++k, p += DESCRIPTOR_BYTES) {
        FieldInfo& f = fields.data[k];
        memcpy(f.name, p, sizeof f.name);
        f.type = ReadInt(p + 16);
        f.size = ReadInt(p + 20);
        memcpy(f.caption, p + 28, sizeof f.caption);
        // A size below the type's is taken as sent: the getters read such a field as zero (see Value).
        if (f.size < 0)
            return fail();
        // Readers take both texts as terminated.
        f.name[sizeof f.name - 1] = '\0';
        f.caption[30] = f.caption[31] = '\0';
        f.offset = (int)width;
        width += f.size;
        if (width > MAX_BYTES)
            return fail();
    }
    left -= (DWORD)n * DESCRIPTOR_BYTES;

    if (left < 4)
        return fail();
    int r = ReadInt(p);
    p += 4;
    left -= 4;
    long long rowBytes = (long long)r * width;
    if (r < 0 || rowBytes > (long long)left)
        return fail();
    if (width == 0 && r > MAX_EMPTY_ROWS)
        r = MAX_EMPTY_ROWS;
    if (!take(rows, p, rowBytes))
        return fail();
    p += rowBytes;
    left -= (DWORD)rowBytes;

    if (left < 4)
        return fail();
    int l = ReadInt(p);
    p += 4;
    left -= 4;
    if (l < 0 || (DWORD)l > left)
        return fail();
    if (!take(blob, p, l))
        return fail();
    left -= (DWORD)l;
    if (!inPlace && (!ZeroAfterEnd(rows) || !ZeroAfterEnd(blob)))
        return fail();

    fieldCount = n;
    rowSize = (int)width;
    rowCount = r;
    *remaining = left;
    return 0;
}

DWORD CDataSet::Serialize(BYTE** buffer)
{
    Compact();
    unsigned long long size = 28ULL + (unsigned long long)fieldCount * DESCRIPTOR_BYTES + rows.count + blob.count;
    if (size > 0xFFFFFFFFULL)
        return 0;
    if (buffer == nullptr)
        return (DWORD)size;
    BYTE* out = (BYTE*)malloc(size);
    if (out == nullptr || Serialize(out, (DWORD)size) == 0) {
        free(out);
        return 0;
    }
    *buffer = out;
    return (DWORD)size;
}

DWORD CDataSet::Serialize(BYTE* out, DWORD capacity)
{
    Compact();
    unsigned long long size = 28ULL + (unsigned long long)fieldCount * DESCRIPTOR_BYTES + rows.count + blob.count;
    if (size > 0xFFFFFFFFULL)
        return 0;
    if (out == nullptr || size > capacity)
        return 0;

    BYTE* p = out;
    memcpy(p, name, NAME_LENGTH);
    WriteInt(p + NAME_LENGTH, fieldCount);
    p += HEADER_BYTES;
    for (int k = 0; k < fieldCount; ++k, p += DESCRIPTOR_BYTES) {
        const FieldInfo& f = fields.data[k];
        memcpy(p, f.name, sizeof f.name);
        WriteInt(p + 16, f.type);
        WriteInt(p + 20, f.size);
        WriteInt(p + 24, f.offset);
        memcpy(p + 28, f.caption, sizeof f.caption);
    }
    WriteInt(p, rowCount);
    p += 4;
    if (rows.count)
        memcpy(p, rows.data, rows.count);
    p += rows.count;
    WriteInt(p, (int)blob.count);
    p += 4;
    if (blob.count)
        memcpy(p, blob.data, blob.count);
    return (DWORD)size;
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

BOOL CDataSet::MoveNext()
{
    if (IsEOF())
        return FALSE;
    ++cursor;
    return !IsEOF();
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
        if (StrEqualNoCase(fields.data[i].name, fieldName) == 0)
            return i;
    }
    return -1;
}

const FieldInfo* CDataSet::GetFieldInfo(int i) const
{
    return i >= 0 && i < fieldCount ? &fields.data[i] : nullptr;
}

const BYTE* CDataSet::GetFieldData(int i, int* length, int* type) const
{
    if (length)
        *length = 0;
    if (cursor < 0 || cursor >= rowCount || i < 0 || i >= fieldCount)
        return nullptr;
    const FieldInfo& f = fields.data[i];
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

const char* CDataSet::GetString(int i) const { return (const char*)GetFieldData(i, nullptr, nullptr); }
const char* CDataSet::GetString(const char* fieldName) const { return GetString(FindField(fieldName)); }

int CDataSet::GetShort(int i) const
{
    int length;
    const BYTE* p = GetFieldData(i, &length, nullptr);
    return p && length >= 2 ? (int)(SHORT)ReadLE16(p) : 0;
}
int CDataSet::GetShort(const char* fieldName) const { return GetShort(FindField(fieldName)); }

int CDataSet::GetInt(int i) const
{
    int length;
    const BYTE* p = GetFieldData(i, &length, nullptr);
    return p && length >= 4 ? ReadInt(p) : 0;
}
int CDataSet::GetInt(const char* fieldName) const { return GetInt(FindField(fieldName)); }

CQuoteNumber CDataSet::GetQuoteNumber(int i) const { return CQuoteNumber::FromPacked(GetInt(i)); }
CQuoteNumber CDataSet::GetQuoteNumber(const char* fieldName) const { return GetQuoteNumber(FindField(fieldName)); }

const char* CDataSet::GetAsText(int i)
{
    int n;
    return GetAsText(i, &n);
}

const char* CDataSet::GetAsText(int i, int* textLength)
{
    int unused;
    int* n = textLength ? textLength : &unused;
    // The row and the field are checked once, here; the common types are then read straight from the row.
    if (cursor < 0 || cursor >= rowCount) {
        *n = 10;
        return "BOF or EOF";
    }
    if (i < 0 || i >= fieldCount) {
        *n = 17;
        return "Error Field Index";
    }
    const FieldInfo& f = fields.data[i];
    const BYTE* p = RowAt(cursor) + f.offset;
    if (f.size >= 4) {
        switch (f.type) {
        case FIELD_QUOTE:
            *n = (int)CQuoteNumber::FormatPacked(ReadInt(p), text, sizeof text, false);
            return text;
        case FIELD_QUOTE_UNIT:
            *n = (int)CQuoteNumber::FormatPacked(ReadInt(p), text, sizeof text, true);
            return text;
        case FIELD_INT:
            *n = FormatInt(text, ReadInt(p));
            return text;
        case FIELD_TEXT:
            if (f.size >= 8) {
                int offset = ReadInt(p), length = ReadInt(p + 4);
                if (length >= 1 && offset >= 0 && (long long)offset + length <= (long long)blob.count) {
                    // The text ends at its first zero; one that has none within its length runs on (ValueBytes).
                    // Names and codes are short: their zero is looked for here, before a call to memchr.
                    const char* value = (const char*)blob.data + offset;
                    int k = 0, near = length < 32 ? length : 32;
                    while (k < near && value[k] != 0)
                        ++k;
                    if (k == near && near < length) {
                        const void* zero = memchr(value + near, 0, (size_t)(length - near));
                        k = zero ? (int)((const char*)zero - value) : length;
                    }
                    *n = k < length ? k : (int)strlen(value);
                    return value;
                }
                *n = 4;
                return "null";
            }
            break;
        default:
            break;
        }
    }
    const char* result = OtherText(i);
    *n = (int)strlen(result);
    return result;
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
const char* CDataSet::GetAsText(const char* fieldName) { return GetAsText(FindField(fieldName)); }

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
int CDataSet::GetAsInt(const char* fieldName) const { return GetAsInt(FindField(fieldName)); }

void CDataSet::RecomputeOffsets(int from)
{
    int offset = from > 0 ? fields.data[from - 1].offset + fields.data[from - 1].size : 0;
    for (int k = from; k < fieldCount; ++k) {
        fields.data[k].offset = offset;
        offset += fields.data[k].size;
    }
    rowSize = offset;
}

int CDataSet::AddField(const FieldInfo* descriptor, int index)
{
    if (!OwnBuffers())
        return DS_SIZE_MISMATCH;
    if (descriptor == nullptr)
        return DS_NO_SUCH_FIELD;
    FieldInfo f = *descriptor;
    f.size = TypeSize(f.type);
    f.name[sizeof f.name - 1] = '\0';
    f.caption[30] = f.caption[31] = '\0';
    if (index < 0 || index >= fieldCount)
        index = fieldCount;
    long long newWidth = (long long)rowSize + f.size;
    if (newWidth * (rowCount > 0 ? rowCount : 1) > MAX_BYTES)
        return DS_SIZE_MISMATCH;

    int insertAt = index < fieldCount ? fields.data[index].offset : rowSize;
    if (rowCount > 0 && f.size > 0) {
        // Every row gets the new field's bytes, zeroed, at its place.
        CByteBuffer rebuilt((UINT)(newWidth * rowCount) + 1); // the last place stays zero
        if (!rebuilt.SetSize((UINT)(newWidth * rowCount)))
            return DS_SIZE_MISMATCH;
        for (int r = 0; r < rowCount; ++r) {
            const BYTE* from = RowAt(r);
            BYTE* to = rebuilt.data + (size_t)r * newWidth;
            if (insertAt > 0)
                memcpy(to, from, insertAt);
            memset(to + insertAt, 0, f.size);
            if (rowSize > insertAt)
                memcpy(to + insertAt + f.size, from + insertAt, rowSize - insertAt);
        }
        if (!fields.Append(&f, 1))
            return DS_SIZE_MISMATCH;
        rows = std::move(rebuilt);
    } else if (!fields.Append(&f, 1)) {
        return DS_SIZE_MISMATCH;
    }
    memmove(&fields.data[index + 1], &fields.data[index], sizeof(FieldInfo) * (fieldCount - index));
    fields.data[index] = f;
    ++fieldCount;
    RecomputeOffsets(index);
    return DS_OK;
}

int CDataSet::InsertRow(int index)
{
    if (!OwnBuffers())
        return DS_SIZE_MISMATCH;
    if (rowCount == INT_MAX || ((long long)rowCount + 1) * rowSize > MAX_BYTES)
        return DS_SIZE_MISMATCH;
    // What this set writes must read back.
    if (rowSize == 0 && rowCount >= MAX_EMPTY_ROWS)
        return DS_SIZE_MISMATCH;
    UINT oldBytes = rows.count;
    if (!rows.SetSize(oldBytes + rowSize))
        return DS_SIZE_MISMATCH;
    if (!ZeroAfterEnd(rows)) {
        rows.SetSize(oldBytes);
        return DS_SIZE_MISMATCH;
    }
    // Rows of width 0 touch no bytes (and after Destroy there is no block to point at).
    if (index >= 0 && index < rowCount) {
        if (rowSize > 0) {
            memmove(RowAt(index + 1), RowAt(index), (size_t)(rowCount - index) * rowSize);
            memset(RowAt(index), 0, rowSize);
        }
        cursor = index;
    } else {
        if (rowSize > 0)
            memset(rows.data + oldBytes, 0, rowSize);
        cursor = rowCount;
    }
    ++rowCount;
    return DS_OK;
}

int CDataSet::DeleteRow(int index)
{
    if (!OwnBuffers())
        return DS_SIZE_MISMATCH;
    if (index == -1)
        index = cursor;
    if (index < 0 || index >= rowCount)
        return DS_NO_SUCH_ROW;
    if (blob.count > 0) {
        for (int k = 0; k < fieldCount; ++k) {
            if (HoldsReference(fields.data[k]) && ReadInt(RowAt(index) + fields.data[k].offset + 4) > 0)
                blobHasGaps = 1;
        }
    }
    if (rowSize > 0)
        memmove(RowAt(index), RowAt(index + 1), (size_t)(rowCount - index - 1) * rowSize);
    rows.SetSize(rows.count - rowSize);
    ZeroAfterEnd(rows); // shrinking: there is room
    --rowCount;
    if (rowCount == 0)
        cursor = -1;
    else if (cursor >= rowCount)
        cursor = rowCount - 1;
    return DS_OK;
}

int CDataSet::AppendBlobValue(int field, int row, const void* data, int length)
{
    if (!HoldsReference(fields.data[field]))
        return DS_SIZE_MISMATCH;
    if (length < 0 || (length > 0 && data == nullptr) || (long long)blob.count + length > MAX_BYTES)
        return DS_SIZE_MISMATCH;
    BYTE* ref = RowAt(row) + fields.data[field].offset;
    UINT before = blob.count;
    // A text that ended at the blob's end (on the zero kept past it) must still end there once the blob grows.
    if (length > 0 && before > 0 && blob.data[before - 1] != 0) {
        const BYTE zero = 0;
        if ((long long)before + 1 + length > MAX_BYTES || !blob.Append(&zero, 1))
            return DS_SIZE_MISMATCH;
    }
    int offset = (int)blob.count;
    if (length > 0 && !blob.Append((const BYTE*)data, (UINT)length)) {
        blob.count = before;
        return DS_SIZE_MISMATCH;
    }
    if (!ZeroAfterEnd(blob)) {
        blob.count = before;
        return DS_SIZE_MISMATCH;
    }
    if (ReadInt(ref + 4) > 0)
        blobHasGaps = 1;
    WriteInt(ref, offset);
    WriteInt(ref + 4, length);
    return DS_OK;
}

int CDataSet::SetValue(int field, const void* data, int length, int row)
{
    if (!OwnBuffers())
        return DS_SIZE_MISMATCH;
    if (row == -1)
        row = cursor;
    if (row < 0 || row >= rowCount)
        return DS_NO_SUCH_ROW;
    if (field < 0 || field >= fieldCount || fields.data[field].type == 0)
        return DS_NO_SUCH_FIELD;
    const FieldInfo& f = fields.data[field];
    if (IsBlobType(f.type))
        return AppendBlobValue(field, row, data, length);
    if (length != f.size || (length > 0 && data == nullptr))
        return DS_SIZE_MISMATCH;
    if (length > 0)
        memmove(RowAt(row) + f.offset, data, length);
    return DS_OK;
}

int CDataSet::SetString(int field, const char* value)
{
    if (!OwnBuffers())
        return DS_SIZE_MISMATCH;
    if (cursor < 0 || cursor >= rowCount)
        return DS_NO_SUCH_ROW;
    if (field < 0 || field >= fieldCount)
        return DS_NO_SUCH_FIELD;
    int type = fields.data[field].type;
    if (type != FIELD_TEXT && type != FIELD_WIDE_TEXT)
        return DS_NO_SUCH_FIELD;
    if (value == nullptr)
        return AppendBlobValue(field, cursor, nullptr, 0);
    size_t length = strlen(value);
    if (length >= (size_t)MAX_BYTES / 2)
        return DS_SIZE_MISMATCH;
    if (type == FIELD_TEXT)
        return AppendBlobValue(field, cursor, value, (int)length + 1);

    int units = MultiByteToWideChar(CP_ACP, 0, value, -1, nullptr, 0);
    std::u16string wide(units > 0 ? units : 1, u'\0');
    if (units > 0)
        MultiByteToWideChar(CP_ACP, 0, value, -1, wide.data(), units);
    std::string bytes(wide.size() * 2, '\0');
    for (size_t k = 0; k < wide.size(); ++k) {
        bytes[2 * k] = char(wide[k] & 0xFF);
        bytes[2 * k + 1] = char(wide[k] >> 8);
    }
    return AppendBlobValue(field, cursor, bytes.data(), (int)bytes.size());
}

int CDataSet::Compact()
{
    if (!blobHasGaps || !OwnBuffers())
        return 0;
    // First measure, so that a failure leaves every reference as it was.
    long long total = 0;
    for (int k = 0; k < fieldCount; ++k) {
        if (!HoldsReference(fields.data[k]))
            continue;
        for (int r = 0; r < rowCount; ++r) {
            const BYTE* ref = RowAt(r) + fields.data[k].offset;
            int bytes = ValueBytes(blob, fields.data[k].type, ReadInt(ref), ReadInt(ref + 4));
            if (bytes > 0)
                total += bytes;
        }
    }
    if (total > MAX_BYTES)
        return 0;
    CByteBuffer packed((UINT)total + 1); // the last place stays zero
    if (!packed.SetSize((UINT)total))
        return 0;
    UINT used = 0;
    for (int k = 0; k < fieldCount; ++k) {
        if (!HoldsReference(fields.data[k]))
            continue;
        for (int r = 0; r < rowCount; ++r) {
            BYTE* ref = RowAt(r) + fields.data[k].offset;
            int offset = ReadInt(ref), length = ReadInt(ref + 4);
            if (length < 1)
                continue;
            int bytes = ValueBytes(blob, fields.data[k].type, offset, length);
            if (bytes < 0) {
                // A reference outside the blob never had a value.
                WriteInt(ref, (int)used);
                WriteInt(ref + 4, 0);
                continue;
            }
            // A text keeps its terminator (the zero past the old blob is written, not read).
            int inBlob = bytes < (int)blob.count - offset ? bytes : (int)blob.count - offset;
            memcpy(packed.data + used, blob.data + offset, (size_t)inBlob);
            if (inBlob < bytes)
                packed.data[used + (UINT)inBlob] = 0;
            WriteInt(ref, (int)used);
            WriteInt(ref + 4, bytes);
            used += (UINT)bytes;
        }
    }
    blob = std::move(packed);
    blobHasGaps = 0;
    return 1;
}

int CountDataSets(const BYTE* data, DWORD length, int limit)
{
    // The framing of Parse, read without building anything: header, descriptors (their sizes), rows, blob.
    int count = 0;
    const BYTE* p = data;
    unsigned long long left = data ? length : 0;
    while (left > 0 && count <= limit) {
        if (left < HEADER_BYTES)
            break;
        int n = ReadInt(p + CDataSet::NAME_LENGTH);
        if (n < 0 || (unsigned long long)n * DESCRIPTOR_BYTES > left - HEADER_BYTES)
            break;
        p += HEADER_BYTES;
        left -= HEADER_BYTES;
        long long width = 0;
        for (int k = 0; k < n && width <= MAX_BYTES; ++k) {
            int size = ReadInt(p + (size_t)k * DESCRIPTOR_BYTES + 20);
            width += size >= 0 ? size : MAX_BYTES + 1;
        }
        if (width > MAX_BYTES)
            break;
        p += (size_t)n * DESCRIPTOR_BYTES;
        left -= (unsigned long long)n * DESCRIPTOR_BYTES;
        if (left < 4)
            break;
        int r = ReadInt(p);
        p += 4;
        left -= 4;
        unsigned long long rowBytes = (unsigned long long)(r < 0 ? 0 : r) * (unsigned long long)width;
        if (r < 0 || rowBytes > left)
            break;
        p += rowBytes;
        left -= rowBytes;
        if (left < 4)
            break;
        int l = ReadInt(p);
        p += 4;
        left -= 4;
        if (l < 0 || (unsigned long long)l > left)
            break;
        p += l;
        left -= (unsigned long long)l;
        ++count;
    }
    return count;
}

// Every set of the body, in order, until one does not fit; none for a body of more sets than a reply may hold.
// With inPlace the sets read their rows and blobs in that body.
void CDataSet::ParseAll(const BYTE* data, DWORD length, PtrArray<CDataSet>& sets,
                        const std::shared_ptr<CByteBuffer>* inPlace)
{
    if (CountDataSets(data, length, MAX_REPLY_SETS) > MAX_REPLY_SETS)
        return;
    const BYTE* p = data;
    DWORD left = data ? length : 0;
    while (left > 0) {
        CDataSet* set = new (std::nothrow) CDataSet;
        if (set == nullptr)
            break;
        DWORD remaining = left;
        if (set->Parse(p, &remaining, inPlace) != 0 || !sets.Append(set)) {
            delete set;
            break;
        }
        p += left - remaining;
        left = remaining;
    }
    // Only now: each set's terminators overwrite bytes the next one had still to read.
    for (UINT k = 0; inPlace && k < sets.count; ++k)
        sets.data[k]->EndInPlace(**inPlace);
}

namespace {

// Hands the first kept sets to their new owner's array and deletes the rest.
int HandOver(PtrArray<CDataSet>& sets, CDataSet** into, UINT kept)
{
    if (kept > 0)
        memcpy(into, sets.data, sizeof(CDataSet*) * kept);
    for (UINT k = kept; k < sets.count; ++k)
        delete sets.data[k];
    return (int)kept;
}

// Every set to a new malloc'ed array put in *out; none (all deleted) when it cannot be made.
int HandOverAll(PtrArray<CDataSet>& sets, CDataSet*** out)
{
    if (sets.count == 0)
        return 0;
    auto* array = (CDataSet**)malloc(sizeof(CDataSet*) * sets.count);
    if (array == nullptr)
        return HandOver(sets, nullptr, 0);
    *out = array;
    return HandOver(sets, array, sets.count);
}

} // namespace

int ParseDataSets(const BYTE* data, DWORD length, CDataSet*** out)
{
    PtrArray<CDataSet> sets(64);
    if (out == nullptr)
        return HandOver(sets, nullptr, 0);
    CDataSet::ParseAll(data, length, sets, nullptr);
    return HandOverAll(sets, out);
}

int ParseDataSets(const std::shared_ptr<CByteBuffer>& body, CDataSet*** out)
{
    PtrArray<CDataSet> sets(64);
    if (out == nullptr || !body)
        return 0;
    CDataSet::ParseAll(body->data, body->count, sets, &body);
    return HandOverAll(sets, out);
}

int ParseDataSets(const BYTE* data, DWORD length, CDataSet** into, DWORD capacity)
{
    PtrArray<CDataSet> sets(64);
    if (into == nullptr)
        return 0;
    CDataSet::ParseAll(data, length, sets, nullptr);
    return HandOver(sets, into, sets.count < capacity ? sets.count : capacity);
}
