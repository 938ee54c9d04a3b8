// CDataSet: one record set of a reply (a name tag, typed field descriptors, fixed-size rows, a blob of texts
// and byte arrays, and a cursor), its binary form, and ParseDataSets, which splits a reply body into sets.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "core/GrowArray.h"
#include "core/QuoteNumber.h"
#include "platform/win/WinTypes.h"

// Field type codes of the binary form.
enum : int {
    FIELD_BOOL = 1,
    FIELD_CHAR = 2,
    FIELD_SHORT = 3,
    FIELD_INT = 4,
    FIELD_INT64 = 5,
    FIELD_FLOAT = 6,
    FIELD_DOUBLE = 7,
    FIELD_TEXT = 9,         // 8-bit text in the blob, NUL-terminated
    FIELD_BYTES = 14,       // byte array in the blob
    FIELD_WIDE_TEXT = 101,  // UTF-16 text in the blob, terminated
    FIELD_QUOTE = 102,      // packed quote number
    FIELD_QUOTE_UNIT = 103, // packed quote number whose scale names the unit 万 or 亿
};

// A field descriptor exactly as it travels: 60 bytes.
struct FieldInfo {
    char name[16];    // NUL-terminated, at most 15 characters
    int type;         // FIELD_*
    int size;         // bytes inside each row
    int offset;       // inside the row; recomputed from the sizes on reading
    char caption[32]; // UTF-16 or 8-bit, zero-terminated; bytes 30 and 31 are zero
};
static_assert(sizeof(FieldInfo) == 60, "a field descriptor is 60 bytes on the wire");

// Results of the editing operations.
enum : int {
    DS_OK = 0,
    DS_NO_SUCH_ROW = 2,
    DS_NO_SUCH_FIELD = 3,
    DS_SIZE_MISMATCH = 4,
};

class CDataSet {
public:
    static constexpr int NAME_LENGTH = 16;

    CDataSet();
    // A one-field, one-row set holding text in a field "ER_String" (UTF-16 when wide, else 8-bit):
    // the form in which the transport reports its failures.
    CDataSet(const char* text, BOOL wide);
    ~CDataSet();
    CDataSet(const CDataSet&) = delete;
    CDataSet& operator=(const CDataSet&) = delete;

    // Frees the descriptors, rows and blob; the set is then empty and still usable.
    void Destroy();

    void SetName(const char* text);
    const char* GetName() const { return name; }
    void SetError() { SetName("error"); }
    BOOL IsError() const;

    // Reads one set from data; 0 on success with *remaining lowered by the bytes used, 1 on failure
    // (a set that does not fit, or carries a count, size or length it cannot have).
    int Parse(const BYTE* data, DWORD* remaining);
    // Compacts the blob and writes the binary form into a new malloc'ed buffer put in *buffer (the caller frees
    // it); a null buffer only measures. Returns the size in bytes, 0 when nothing could be written.
    DWORD Serialize(BYTE** buffer);
    // The same into the caller's buffer of capacity bytes, written only when the set fits.
    DWORD Serialize(BYTE* buffer, DWORD capacity);

    int GetFieldCount() const { return fieldCount; }
    int GetRowCount() const { return rowCount; }
    int GetCursor() const { return cursor; }

    BOOL IsBOF() const { return cursor == -1 || rowCount == 0; }
    BOOL IsEOF() const { return cursor == rowCount || rowCount == 0; }
    BOOL MoveFirst();
    BOOL MoveLast();
    BOOL MoveNext()
    {
        if (IsEOF())
            return FALSE;
        ++cursor;
        return !IsEOF();
    }
    BOOL MovePrev();
    BOOL Move(int n);

    // Index of the first field named so, without regard to ASCII case; -1 when none.
    int FindField(const char* fieldName) const;
    const FieldInfo* GetFieldInfo(int i) const;
    // The value of field i in the current row, or null. For blob fields *length is the value's length and a
    // reference that leaves the blob, or a text not terminated within its length, counts as no value.
    const BYTE* GetFieldData(int i, int* length, int* type = nullptr) const;
    const BYTE* GetFieldData(const char* fieldName, int* length) const;

    // The bytes of GetFieldData taken as text: the text itself for an 8-bit text field. Read as text, the value of
    // any other field also ends inside the set (there is always a zero byte after the rows and after the blob).
    const char* GetString(int i) const;
    const char* GetString(const char* fieldName) const;
    int GetShort(int i) const;
    int GetShort(const char* fieldName) const;
    int GetInt(int i) const;
    int GetInt(const char* fieldName) const;
    CQuoteNumber GetQuoteNumber(int i) const;
    CQuoteNumber GetQuoteNumber(const char* fieldName) const;
    // Any field as 8-bit text; the text stays valid until the next GetAsText on this set.
    const char* GetAsText(int i);
    const char* GetAsText(const char* fieldName);
    // The same, with the text's length in *textLength (when not null), so that a caller need not measure it.
    const char* GetAsText(int i, int* textLength);
    int GetAsInt(int i) const;
    int GetAsInt(const char* fieldName) const;

    // The sets of a body in order, until one does not fit (none for a body of more than MAX_REPLY_SETS); with
    // inPlace they read their rows and blobs in that body. What ParseDataSets hands out.
    static void ParseAll(const BYTE* data, DWORD length, PtrArray<CDataSet>& sets,
                         const std::shared_ptr<CByteBuffer>* inPlace);

    int AddField(const FieldInfo* descriptor, int index);
    int InsertRow(int index);
    int DeleteRow(int index);
    int SetValue(int field, const void* data, int length, int row);
    int SetString(int field, const char* text);
    // Rebuilds the blob without the values no longer referenced; 1 when it did, 0 when there were no gaps.
    int Compact();

private:
    // How GetAsText reads a field: the common types straight from the row, the rest through OtherText.
    enum : int { READ_OTHER, READ_QUOTE, READ_QUOTE_UNIT, READ_INT, READ_TEXT };
    static int ReadOf(const FieldInfo& f);
    // A descriptor and its READ_*, worked out once when the field is read or added.
    struct Field {
        FieldInfo info;
        int read;
    };

    // Parse; with inPlace the rows and the blob stay in that body, which the set then shares.
    int Parse(const BYTE* data, DWORD* remaining, const std::shared_ptr<CByteBuffer>* inPlace);
    // Parse's steps: the n field descriptors at p (their bytes known to be there), adding their sizes to *width;
    // and a block of rows or blob, copied or, with inPlace, viewed where it lies.
    BOOL ReadFields(const BYTE* p, int n, long long* width);
    static bool TakeBlock(CByteBuffer& into, const BYTE* bytes, long long n,
                          const std::shared_ptr<CByteBuffer>* inPlace);
    // Copies rows and blob read in place into blocks of the set's own (before any edit); FALSE without memory.
    BOOL OwnBuffers();
    // Forgets rows and blob read in place, and the body.
    void ReleaseBody();
    // Writes the zeros kept past the rows and the blob into the body, once every set of it is parsed.
    void EndInPlace(const CByteBuffer& whole);
    void Reset();
    // GetAsText of the types and sizes it does not read straight from the row.
    const char* OtherText(int i);
    // GetAsText of the rest: an index or a cursor out of range, and the types OtherText reads.
    const char* SlowText(int i, int* textLength);
    // GetAsText of an 8-bit text field whose reference lies at p; inline for a short text, LongBlobText for the rest.
    const char* BlobText(const BYTE* p, int* textLength) const;
    const char* LongBlobText(const BYTE* p, int* textLength) const;
    BYTE* RowAt(int row) const { return rows.data + (size_t)row * (size_t)rowSize; }
    void RecomputeOffsets(int from);
    int AppendBlobValue(int field, int row, const void* data, int length);

    int fieldCount = 0;
    int rowSize = 0;
    int rowCount = 0;
    int cursor = -1;
    BYTE blobHasGaps = 0;
    // Nothing has a block before it is needed: a parsed set takes blocks of the exact size (or the body's bytes),
    // and a reply of many small sets would otherwise cost kilobytes per set.
    GrowArray<Field> fields{0};
    CByteBuffer rows{0};
    CByteBuffer blob{0};
    char name[NAME_LENGTH + 1] = {};
    char text[64] = {};
    // GetAsText results that do not fit `text`: the 8-bit form of a UTF-16 value, or a very large number.
    std::string longText;
    // The reply body the rows and the blob lie in, when they were read in place; null when they are the set's.
    std::shared_ptr<CByteBuffer> body;
};

namespace DataSetForm {

// Inline: every getter reads through it, and the call cost more than the read.
inline int ReadInt(const BYTE* p)
{
    return (int)((DWORD)p[0] | ((DWORD)p[1] << 8) | ((DWORD)p[2] << 16) | ((DWORD)p[3] << 24));
}

// "%d" without printf: tables print thousands of fields per reply. Returns the length.
inline int FormatInt(char* out, int value)
{
    char* p = out;
    if (value < 0)
        *p++ = '-';
    p = QuoteText::PutDecimal(p, value < 0 ? 0u - (unsigned)value : (unsigned)value);
    *p = '\0';
    return (int)(p - out);
}

// Index of the first zero among the 16 bytes at p (all of them readable), 16 when there is none: names and codes
// are short, and one test of 16 bytes finds their end in a fraction of what a byte-by-byte search costs.
inline int FirstZeroOf16(const char* p)
{
#if defined(__SSE2__)
    __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    unsigned zeros = (unsigned)_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, _mm_setzero_si128()));
    return zeros ? std::countr_zero(zeros) : 16;
#else
    const void* zero = memchr(p, 0, 16);
    return zero ? (int)((const char*)zero - p) : 16;
#endif
}

} // namespace DataSetForm

// Inline, with the common types read straight from the row: a table asks for every field of every row, and the
// call and the checks around it cost as much as the formatting.
inline const char* CDataSet::GetAsText(int i, int* textLength)
{
    // The row and the field are checked once, here.
    if (cursor < 0 || cursor >= rowCount || i < 0 || i >= fieldCount || textLength == nullptr)
        return SlowText(i, textLength);
    const Field& f = fields.data[i];
    const BYTE* p = RowAt(cursor) + f.info.offset;
    switch (f.read) {
    case READ_QUOTE:
    case READ_QUOTE_UNIT:
        *textLength =
            (int)CQuoteNumber::FormatPacked(DataSetForm::ReadInt(p), text, sizeof text, f.read == READ_QUOTE_UNIT);
        return text;
    case READ_INT:
        *textLength = DataSetForm::FormatInt(text, DataSetForm::ReadInt(p));
        return text;
    case READ_TEXT:
        return BlobText(p, textLength);
    default:
        return SlowText(i, textLength);
    }
}

inline const char* CDataSet::BlobText(const BYTE* p, int* textLength) const
{
    int offset = DataSetForm::ReadInt(p), length = DataSetForm::ReadInt(p + 4);
    if (length >= 1 && length <= 16 && offset >= 0 && (long long)offset + 16 <= (long long)blob.count) {
        // The text ends at its first zero; one that has none within its length runs on (LongBlobText).
        const char* value = (const char*)blob.data + offset;
        int k = DataSetForm::FirstZeroOf16(value);
        if (k < length) {
            *textLength = k;
            return value;
        }
    }
    return LongBlobText(p, textLength);
}

// The most record sets one reply or data file may hold; a body of more is refused whole, so what a reply costs
// in memory stays its own bytes plus at most this many small set headers.
constexpr int MAX_REPLY_SETS = 1024;

// Number of whole data sets at the start of data, counting no further than limit + 1; nothing is allocated.
int CountDataSets(const BYTE* data, DWORD length, int limit);

// Splits a reply body into data sets; returns how many were kept, none for a body of more than MAX_REPLY_SETS
// sets. *out receives a new malloc'ed pointer array (the caller frees it with free; left alone when no set was
// parsed); a null out parses nothing. The caller owns every set handed out. A set that does not fit ends the
// parse.
int ParseDataSets(const BYTE* data, DWORD length, CDataSet*** out);
// The same for a body handed over with its block: the sets read their rows and blobs in it (no copy), and the
// block lives as long as any of them. A spare byte past the body's bytes saves copying the last set.
int ParseDataSets(const std::shared_ptr<CByteBuffer>& body, CDataSet*** out);
// The same into the caller's array of capacity places; sets beyond it are dropped.
int ParseDataSets(const BYTE* data, DWORD length, CDataSet** into, DWORD capacity);
