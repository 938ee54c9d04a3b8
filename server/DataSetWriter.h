// Writes record sets in the client's binary form: name tag, 60-byte field descriptors, fixed-size rows,
// and a blob holding texts (GB2312 with their terminator inside the stored length).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

enum ServerFieldType {
    FIELD_BOOL = 1,
    FIELD_CHAR = 2,
    FIELD_INT16 = 3,
    FIELD_INT32 = 4,
    FIELD_TEXT = 9,
    FIELD_QUOTE = 102,
    FIELD_QUOTE_UNIT = 103,
};

// Packs a value with the given decimals into the quote-number form: value x 10^scale x 4 + scale.
int32_t PackQuote(double value, int scale);
// Packs an amount with a unit: scale 1 in ten thousands, 2 in hundred millions, 0 plain.
int32_t PackQuoteWithUnit(double value);
constexpr int32_t QUOTE_NO_VALUE = 999999999;

class CDataSetWriter {
public:
    explicit CDataSetWriter(const std::string& name);

    // Adds a field; the caption is 8-bit text (at most 30 bytes kept). Returns its index.
    int AddField(const std::string& name, int type, const std::string& caption = std::string());
    int GetFieldCount() const { return static_cast<int>(fields.size()); }
    int GetRowCount() const { return rowCount; }
    // Starts a new zero-filled row; the setters below write into it.
    void AddRow();
    void SetInt(int field, int32_t value);
    void SetText(int field, const std::string& text);
    // Appends the set in binary form.
    void AppendTo(std::string& out) const;
    std::string ToBytes() const;

private:
    struct Field {
        std::string name;
        int type;
        int size;
        int offset;
        std::string caption;
    };
    unsigned char* Cell(int field);

    std::string name;
    std::vector<Field> fields;
    int rowSize = 0;
    int rowCount = 0;
    std::vector<unsigned char> rows;
    std::string blob;
};

// A one-row set named "error" whose field 0 holds the message.
std::string ErrorSet(const std::string& gbText);
