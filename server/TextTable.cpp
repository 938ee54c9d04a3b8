// Text-column reply sets and their paging.
#include "server/TextTable.h"

#include "core/DataSet.h"
#include "server/DataSetWriter.h"
#include "server/ServerText.h"

#include <algorithm>

namespace {

std::string Write(const std::string& setName, const std::vector<CTextColumn>& columns, const CTextRows& rows,
                  size_t first, size_t count, bool paged)
{
    CDataSetWriter set(setName);
    for (const CTextColumn& c : columns)
        set.AddField(c.name, FIELD_TEXT, Gb(c.caption));
    int position = paged ? set.AddField("poststr", FIELD_TEXT) : -1;
    for (size_t i = first; i < rows.size() && i - first < count; ++i) {
        set.AddRow();
        for (size_t k = 0; k < rows[i].size() && k < columns.size(); ++k)
            set.SetText(static_cast<int>(k), rows[i][k]);
        if (paged)
            set.SetText(position, std::to_string(i + 1));
    }
    return set.ToBytes();
}

} // namespace

std::string TextTable(const std::string& setName, const std::vector<CTextColumn>& columns, const CTextRows& rows)
{
    return Write(setName, columns, rows, 0, rows.size(), false);
}

std::string PagedTextTable(const CRequestParams& request, const std::string& setName,
                           const std::vector<CTextColumn>& columns, const CTextRows& rows)
{
    int count = std::clamp(request.GetInt("count", 20), 1, 200);
    int after = std::max(0, request.GetInt("poststr", 0));
    return Write(setName, columns, rows, static_cast<size_t>(after), static_cast<size_t>(count), true);
}
