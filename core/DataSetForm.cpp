// Value reads and writes of the record set's binary form.
#include "core/DataSetForm.h"

#include <cstring>

namespace DataSetForm {

void WriteInt(BYTE* p, int value)
{
    DWORD v = (DWORD)value;
    p[0] = BYTE(v);
    p[1] = BYTE(v >> 8);
    p[2] = BYTE(v >> 16);
    p[3] = BYTE(v >> 24);
}

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

int WideTextUnits(const BYTE* p, int length)
{
    for (int i = 0; i + 1 < length; i += 2) {
        if (p[i] == 0 && p[i + 1] == 0)
            return i / 2;
    }
    return -1;
}

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

} // namespace DataSetForm
