// Editing record sets: adding fields, inserting and deleting rows, setting values and compacting the blob.
#include "core/DataSet.h"

#include <cstring>

#include "core/DataSetForm.h"
#include "platform/win/CodePage.h"

using namespace DataSetForm;

void CDataSet::RecomputeOffsets(int from)
{
    int offset = from > 0 ? fields.data[from - 1].info.offset + fields.data[from - 1].info.size : 0;
    for (int k = from; k < fieldCount; ++k) {
        fields.data[k].info.offset = offset;
        offset += fields.data[k].info.size;
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
    Field added = {f, ReadOf(f)};
    long long newWidth = (long long)rowSize + f.size;
    if (newWidth * (rowCount > 0 ? rowCount : 1) > MAX_BYTES)
        return DS_SIZE_MISMATCH;

    int insertAt = index < fieldCount ? fields.data[index].info.offset : rowSize;
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
        if (!fields.Append(&added, 1))
            return DS_SIZE_MISMATCH;
        rows = std::move(rebuilt);
    } else if (!fields.Append(&added, 1)) {
        return DS_SIZE_MISMATCH;
    }
    memmove(&fields.data[index + 1], &fields.data[index], sizeof(Field) * (fieldCount - index));
    fields.data[index] = added;
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
            if (HoldsReference(fields.data[k].info) && ReadInt(RowAt(index) + fields.data[k].info.offset + 4) > 0)
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
    if (!HoldsReference(fields.data[field].info))
        return DS_SIZE_MISMATCH;
    if (length < 0 || (length > 0 && data == nullptr) || (long long)blob.count + length > MAX_BYTES)
        return DS_SIZE_MISMATCH;
    BYTE* ref = RowAt(row) + fields.data[field].info.offset;
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
    if (field < 0 || field >= fieldCount || fields.data[field].info.type == 0)
        return DS_NO_SUCH_FIELD;
    const FieldInfo& f = fields.data[field].info;
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
    int type = fields.data[field].info.type;
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
        if (!HoldsReference(fields.data[k].info))
            continue;
        for (int r = 0; r < rowCount; ++r) {
            const BYTE* ref = RowAt(r) + fields.data[k].info.offset;
            int bytes = ValueBytes(blob, fields.data[k].info.type, ReadInt(ref), ReadInt(ref + 4));
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
        if (!HoldsReference(fields.data[k].info))
            continue;
        for (int r = 0; r < rowCount; ++r) {
            BYTE* ref = RowAt(r) + fields.data[k].info.offset;
            int offset = ReadInt(ref), length = ReadInt(ref + 4);
            if (length < 1)
                continue;
            int bytes = ValueBytes(blob, fields.data[k].info.type, offset, length);
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
