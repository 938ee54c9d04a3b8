// Builds data sets in their binary form byte by byte, as the server sends them, for the record-set tests.
#pragma once

#include "core/DataSet.h"

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

class DataSetBytes {
public:
    explicit DataSetBytes(const char* name) : name(name) {}

    // A field descriptor; size -1 takes the type's own size, offset is sent as given (readers recompute it).
    DataSetBytes& Field(const char* fieldName, int type, int size = -1, int offset = -1, const char* caption = "")
    {
        Descriptor d;
        memset(&d, 0, sizeof d);
        strncpy(d.name, fieldName, sizeof d.name);
        d.type = type;
        d.size = size >= 0 ? size : TypeSize(type);
        d.offset = offset >= 0 ? offset : (int)nextOffset;
        strncpy(d.caption, caption, sizeof d.caption);
        nextOffset += d.size;
        fields.push_back(d);
        return *this;
    }
    // Raw 60 descriptor bytes, for names and captions without terminators.
    DataSetBytes& RawField(const uint8_t* bytes60)
    {
        Descriptor d;
        memcpy(&d, bytes60, sizeof d);
        fields.push_back(d);
        return *this;
    }

    DataSetBytes& Row()
    {
        ++rowCount;
        return *this;
    }
    DataSetBytes& I8(int v) { return Put(&v, 1); }
    DataSetBytes& I16(int v) { return Put(&v, 2); }
    DataSetBytes& I32(int v) { return Put(&v, 4); }
    DataSetBytes& I64(long long v) { return Put(&v, 8); }
    DataSetBytes& F32(float v) { return Put(&v, 4); }
    DataSetBytes& F64(double v) { return Put(&v, 8); }
    // A blob reference, as it stands in the row.
    DataSetBytes& Ref(int offset, int length) { return I32(offset).I32(length); }
    // A value appended to the blob, and its reference in the row.
    DataSetBytes& Blob(const void* bytes, int length)
    {
        Ref((int)blob.size(), length);
        blob.insert(blob.end(), (const uint8_t*)bytes, (const uint8_t*)bytes + length);
        return *this;
    }
    DataSetBytes& Text(const char* s) { return Blob(s, (int)strlen(s) + 1); }
    DataSetBytes& Wide(const std::u16string& s)
    {
        std::vector<uint8_t> b;
        for (char16_t c : s) {
            b.push_back(uint8_t(c));
            b.push_back(uint8_t(c >> 8));
        }
        b.push_back(0);
        b.push_back(0);
        return Blob(b.data(), (int)b.size());
    }
    // Bytes in the blob that no reference names (to misalign what follows).
    DataSetBytes& BlobPadding(int n)
    {
        blob.insert(blob.end(), n, 0xEE);
        return *this;
    }

    // Counts that lie: sent in place of the true ones.
    DataSetBytes& SendFieldCount(int n)
    {
        fieldCountSent = n, fieldCountSet = true;
        return *this;
    }
    DataSetBytes& SendRowCount(int n)
    {
        rowCountSent = n, rowCountSet = true;
        return *this;
    }
    DataSetBytes& SendBlobLength(int n)
    {
        blobLengthSent = n, blobLengthSet = true;
        return *this;
    }

    std::vector<uint8_t> Build() const
    {
        std::vector<uint8_t> out(16, 0);
        memcpy(out.data(), name.data(), name.size() < 16 ? name.size() : 16);
        Append32(out, fieldCountSet ? fieldCountSent : (int)fields.size());
        for (const Descriptor& d : fields) {
            const uint8_t* p = (const uint8_t*)&d;
            out.insert(out.end(), p, p + sizeof d);
        }
        Append32(out, rowCountSet ? rowCountSent : rowCount);
        out.insert(out.end(), rows.begin(), rows.end());
        Append32(out, blobLengthSet ? blobLengthSent : (int)blob.size());
        out.insert(out.end(), blob.begin(), blob.end());
        return out;
    }

    static int TypeSize(int type)
    {
        switch (type) {
        case 1:
        case 2:
            return 1;
        case 3:
            return 2;
        case 4:
        case 6:
        case 102:
        case 103:
            return 4;
        case 5:
        case 7:
        case 9:
        case 14:
        case 101:
            return 8;
        default:
            return 0;
        }
    }

private:
    struct Descriptor {
        char name[16];
        int32_t type, size, offset;
        char caption[32];
    };
    static_assert(sizeof(Descriptor) == 60);

    DataSetBytes& Put(const void* v, int n)
    {
        // Little-endian host: the low bytes come first, as on the wire.
        rows.insert(rows.end(), (const uint8_t*)v, (const uint8_t*)v + n);
        return *this;
    }
    static void Append32(std::vector<uint8_t>& out, int v)
    {
        for (int k = 0; k < 4; ++k)
            out.push_back(uint8_t((uint32_t)v >> (8 * k)));
    }

    std::string name;
    std::vector<Descriptor> fields;
    std::vector<uint8_t> rows, blob;
    int rowCount = 0;
    long long nextOffset = 0;
    int fieldCountSent = 0, rowCountSent = 0, blobLengthSent = 0;
    bool fieldCountSet = false, rowCountSet = false, blobLengthSet = false;
};

// Concatenates sets into one reply body.
inline std::vector<uint8_t> Body(std::initializer_list<std::vector<uint8_t>> sets)
{
    std::vector<uint8_t> out;
    for (const auto& s : sets)
        out.insert(out.end(), s.begin(), s.end());
    return out;
}

// One set read from bytes that hold exactly it; null when it does not parse or leaves bytes over.
inline std::unique_ptr<CDataSet> ParseOne(const std::vector<uint8_t>& bytes)
{
    auto set = std::make_unique<CDataSet>();
    DWORD remaining = (DWORD)bytes.size();
    if (set->Parse(bytes.data(), &remaining) != 0 || remaining != 0)
        return nullptr;
    return set;
}
