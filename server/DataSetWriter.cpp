// Reply record-set builder over CDataSet.
#include "server/DataSetWriter.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

int32_t PackQuote(double value, int scale)
{
    static const double powers[] = {1, 10, 100, 1000};
    if (scale < 0 || scale > 3)
        scale = 0;
    double scaled = static_cast<double>(std::llround(value * powers[scale]));
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

CDataSetWriter::CDataSetWriter(const std::string& name)
{
    set.SetName(name.substr(0, 16).c_str());
}

int CDataSetWriter::AddField(const std::string& name, int type, const std::string& caption)
{
    FieldInfo info;
    std::memset(&info, 0, sizeof info);
    std::strncpy(info.name, name.c_str(), 15);
    info.type = type;
    std::memcpy(info.caption, caption.data(), caption.size() < 30 ? caption.size() : 30);
    set.AddField(&info, -1);
    return set.GetFieldCount() - 1;
}

void CDataSetWriter::AddRow()
{
    set.InsertRow(-1);
}

void CDataSetWriter::SetInt(int field, int32_t value)
{
    const FieldInfo* info = set.GetFieldInfo(field);
    if (!info || set.GetRowCount() == 0)
        return;
    unsigned char bytes[8] = {};
    uint32_t u = static_cast<uint32_t>(value);
    for (int i = 0; i < 4; ++i)
        bytes[i] = static_cast<unsigned char>((u >> (8 * i)) & 0xFF);
    if (value < 0)
        std::memset(bytes + 4, 0xFF, 4);
    if (info->size >= 1 && info->size <= 8)
        set.SetValue(field, bytes, info->size, set.GetRowCount() - 1);
}

void CDataSetWriter::SetText(int field, const std::string& text)
{
    if (set.GetRowCount() == 0)
        return;
    set.MoveLast();
    set.SetString(field, text.c_str());
}

void CDataSetWriter::AppendTo(std::string& out)
{
    BYTE* buffer = nullptr;
    DWORD size = set.Serialize(&buffer);
    if (buffer)
        out.append(reinterpret_cast<const char*>(buffer), size);
    std::free(buffer);
}

std::string CDataSetWriter::ToBytes()
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
