// Builds the record sets of replies over the client's CDataSet, so that the bytes on the wire come from the
// same binary form the client reads: typed fields, rows filled one at a time, texts in GB2312.
#pragma once

#include "core/DataSet.h"

#include <cstdint>
#include <string>

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
    int GetFieldCount() const { return set.GetFieldCount(); }
    int GetRowCount() const { return set.GetRowCount(); }
    // Starts a new zero-filled row at the end; the setters below write into it.
    void AddRow();
    void SetInt(int field, int32_t value);
    void SetText(int field, const std::string& text);
    // Appends the set in binary form.
    void AppendTo(std::string& out);
    std::string ToBytes();

private:
    CDataSet set;
};

// A one-row set named "error" whose field 0 holds the message.
std::string ErrorSet(const std::string& gbText);
