// Record-set writer.
#include "server/DataSetWriter.h"

#include <cmath>
#include <cstring>

namespace {

void PutInt(std::string& out, int32_t v)
{
    uint32_t u = static_cast<uint32_t>(v);
    for (int i = 0; i < 4; ++i)
        out += static_cast<char>((u >> (8 * i)) & 0xFF);
}

void PutInt(unsigned char* p, int32_t v)
{
    uint32_t u = static_cast<uint32_t>(v);
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<unsigned char>((u >> (8 * i)) & 0xFF);
}

void PutPadded(std::string& out, const std::string& text, size_t width, size_t keep)
{
    std::string t = text.substr(0, keep);
    out += t;
    out.append(width - t.size(), '\0');
}

int SizeOfType(int type)
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

} // namespace

int32_t PackQuote(double value, int scale)
{
    static const double powers[] = {1, 10, 100, 1000};
    if (scale < 0 || scale > 3)
        scale = 0;
    double scaled = std::llround(value * powers[scale]);
    return static_cast<int32_t>(scaled * 4 + scale);
}

int32_t PackQuoteWithUnit(double value)
{
    if (std::fabs(value) >= 1e8)
        return PackQuote(value / 1e8, 2);
    if (std::fabs(value) >= 1e5)
        return PackQuote(value / 1e4, 1);
    return PackQuote(value, 0);
}

CDataSetWriter::CDataSetWriter(const std::string& n) : name(n.substr(0, 16)) {}

int CDataSetWriter::AddField(const std::string& fieldName, int type, const std::string& caption)
{
    Field f{fieldName.substr(0, 15), type, SizeOfType(type), rowSize, caption};
    fields.push_back(f);
    int oldSize = rowSize;
    rowSize += f.size;
    if (rowCount > 0) { // widen existing rows with zero bytes
        std::vector<unsigned char> widened;
        widened.reserve(static_cast<size_t>(rowCount) * rowSize);
        for (int r = 0; r < rowCount; ++r) {
            widened.insert(widened.end(), rows.begin() + r * oldSize, rows.begin() + (r + 1) * oldSize);
            widened.insert(widened.end(), static_cast<size_t>(f.size), 0);
        }
        rows.swap(widened);
    }
    return static_cast<int>(fields.size()) - 1;
}

void CDataSetWriter::AddRow()
{
    rows.insert(rows.end(), static_cast<size_t>(rowSize), 0);
    ++rowCount;
}

unsigned char* CDataSetWriter::Cell(int field)
{
    if (rowCount == 0 || field < 0 || field >= static_cast<int>(fields.size()))
        return nullptr;
    return rows.data() + static_cast<size_t>(rowCount - 1) * rowSize + fields[field].offset;
}

void CDataSetWriter::SetInt(int field, int32_t value)
{
    unsigned char* p = Cell(field);
    if (!p)
        return;
    switch (fields[field].size) {
    case 1:
        p[0] = static_cast<unsigned char>(value);
        break;
    case 2:
        p[0] = static_cast<unsigned char>(value & 0xFF);
        p[1] = static_cast<unsigned char>((value >> 8) & 0xFF);
        break;
    case 4:
        PutInt(p, value);
        break;
    case 8:
        PutInt(p, value);
        PutInt(p + 4, value < 0 ? -1 : 0);
        break;
    default:
        break;
    }
}

void CDataSetWriter::SetText(int field, const std::string& text)
{
    unsigned char* p = Cell(field);
    if (!p || fields[field].type != FIELD_TEXT)
        return;
    PutInt(p, static_cast<int32_t>(blob.size()));
    PutInt(p + 4, static_cast<int32_t>(text.size() + 1));
    blob += text;
    blob += '\0';
}

void CDataSetWriter::AppendTo(std::string& out) const
{
    PutPadded(out, name, 16, 16);
    PutInt(out, static_cast<int32_t>(fields.size()));
    for (const Field& f : fields) {
        PutPadded(out, f.name, 16, 15);
        PutInt(out, f.type);
        PutInt(out, f.size);
        PutInt(out, f.offset);
        PutPadded(out, f.caption, 32, 30);
    }
    PutInt(out, rowCount);
    out.append(reinterpret_cast<const char*>(rows.data()), rows.size());
    PutInt(out, static_cast<int32_t>(blob.size()));
    out += blob;
}

std::string CDataSetWriter::ToBytes() const
{
    std::string out;
    AppendTo(out);
    return out;
}

std::string ErrorSet(const std::string& gbText)
{
    CDataSetWriter set("error");
    set.AddField("ER_String", FIELD_TEXT);
    set.AddRow();
    set.SetText(0, gbText);
    return set.ToBytes();
}
