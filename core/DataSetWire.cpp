// Reading and writing a record set's binary form. Every count, size, offset and length in it comes from the network
// or a file, so each is checked before use.
#include "core/DataSet.h"

#include <cstdlib>
#include <cstring>

#include "core/DataSetForm.h"

using namespace DataSetForm;

void CDataSet::EndInPlace(const CByteBuffer& whole)
{
    if (!body)
        return;
    // The zero kept past the rows falls on the first byte of the blob length, already read; the one past the
    // blob on the first name byte of the next set, already copied, or on the spare byte past the body. A body
    // without that byte has its last set copied.
    BYTE* blobEnd = blob.data + blob.count;
    rows.data[rows.count] = 0;
    if (blobEnd < whole.data + whole.capacity) {
        *blobEnd = 0;
    } else if (!OwnBuffers()) {
        // Without memory for a copy the blob has no zero after it: the set keeps no rows to read it through.
        rowCount = 0;
        cursor = -1;
    }
}

int CDataSet::Parse(const BYTE* data, DWORD* remaining)
{
    return Parse(data, remaining, nullptr);
}

// Appends n bytes to into, or, reading in place, makes into a view of them.
bool CDataSet::TakeBlock(CByteBuffer& into, const BYTE* bytes, long long n, const std::shared_ptr<CByteBuffer>* inPlace)
{
    // A copy gets a block of its exact size with the zero kept past the end.
    if (!inPlace)
        return n <= 0 || into.Assign(bytes, (UINT)n, 1);
    into.data = const_cast<BYTE*>(bytes); // the body is the set's to read (see EndInPlace)
    into.capacity = into.count = (UINT)n;
    return true;
}

BOOL CDataSet::ReadFields(const BYTE* p, int n, long long* width)
{
    if (!fields.SetCount((UINT)n))
        return FALSE;
    for (int k = 0; k < n; ++k, p += DESCRIPTOR_BYTES) {
        FieldInfo& f = fields.data[k].info;
        memcpy(f.name, p, sizeof f.name);
        f.type = ReadInt(p + 16);
        f.size = ReadInt(p + 20);
        memcpy(f.caption, p + 28, sizeof f.caption);
        // A size below the type's is taken as sent: the getters read such a field as zero (see Value).
        if (f.size < 0)
            return FALSE;
        // Readers take both texts as terminated.
        f.name[sizeof f.name - 1] = '\0';
        f.caption[30] = f.caption[31] = '\0';
        f.offset = (int)*width;
        fields.data[k].read = ReadOf(f);
        *width += f.size;
        if (*width > MAX_BYTES)
            return FALSE;
    }
    return TRUE;
}

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
    long long width = 0;
    if (!ReadFields(p, n, &width))
        return fail();
    p += (size_t)n * DESCRIPTOR_BYTES;
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
    if (!TakeBlock(rows, p, rowBytes, inPlace))
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
    if (!TakeBlock(blob, p, l, inPlace))
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
        const FieldInfo& f = fields.data[k].info;
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
