// The binary form of a record set: its sizes and limits, and the reads and writes of values inside its rows and its
// blob that parsing, the getters and the editing operations share.
#pragma once

#include "core/DataSet.h"

namespace DataSetForm {

// Largest block the byte buffers hand out; sizes and offsets are stored as int32.
constexpr long long MAX_BYTES = 0x7FFFFFFF;
constexpr DWORD HEADER_BYTES = 16 + 4;
constexpr DWORD DESCRIPTOR_BYTES = 60;
// Rows of width 0 cost no bytes, so nothing in the input bounds their count; they carry nothing but that count.
// A set keeps at most this many of them, so a window walking the rows is never sent round billions of empty
// rows by a few bytes, while the set itself (its name, say "error") and the sets after it still count.
constexpr int MAX_EMPTY_ROWS = 65536;

void WriteInt(BYTE* p, int value);
// Bytes a value of the type occupies in a row; 0 for codes without a meaning.
int TypeSize(int type);
inline bool IsBlobType(int type)
{
    return type == FIELD_TEXT || type == FIELD_BYTES || type == FIELD_WIDE_TEXT;
}
// A blob field sent shorter than its 8 bytes has no room for a reference: it never holds a value.
inline bool HoldsReference(const FieldInfo& f)
{
    return IsBlobType(f.type) && f.size >= 8;
}
// Keeps a zero byte just past the used bytes of b (growing it when full). GetString hands out any field's bytes
// as text, and a number, a byte array or a text cut short is not terminated: read as text, it then ends inside
// the block instead of running past it.
BOOL ZeroAfterEnd(CByteBuffer& b);
// Number of UTF-16 units before the first zero unit within length bytes; -1 when there is none.
int WideTextUnits(const BYTE* p, int length);
// The bytes of the blob value {offset, length}, terminator included: its stated length, except that a text
// counted without its terminator (as some servers count) runs on to the terminator further in the blob, an 8-bit
// text at the latest to the zero kept just past the blob (then counted too). -1: no value (a reference outside
// the blob, or a wide text never terminated).
int ValueBytes(const CByteBuffer& blob, int type, int offset, int length);

} // namespace DataSetForm
