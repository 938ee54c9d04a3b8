// Text-column reply sets and their paging.
#include "server/TextTable.h"

#include "core/DataSet.h"
#include "server/DataSetWriter.h"
#include "server/ServerText.h"

#include <algorithm>

namespace {

// Rows cells(0) .. cells(rows - 1); with a page, numbered in its "poststr" column from the page's first row on.
std::string Write(const std::string& setName, const std::vector<CTextColumn>& columns, size_t rows,
                  const CTextRowSource& cells, const CPage* page)
{
    CDataSetWriter set(setName);
    for (const CTextColumn& c : columns)
        set.AddField(c.name, FIELD_TEXT, Gb(c.caption));
    int position = page ? set.AddField("poststr", FIELD_TEXT) : -1;
    for (size_t i = 0; i < rows; ++i) {
        set.AddRow();
        std::vector<std::string> row = cells(i);
        for (size_t k = 0; k < row.size() && k < columns.size(); ++k)
            set.SetText(static_cast<int>(k), row[k]);
        if (page)
            set.SetText(position, std::to_string(page->first + i + 1));
    }
    return set.ToBytes();
}

} // namespace

std::string TextTable(const std::string& setName, const std::vector<CTextColumn>& columns, const CTextRows& rows)
{
    return Write(setName, columns, rows.size(), [&](size_t i) { return rows[i]; }, nullptr);
}

CPage RequestedPage(const CRequestParams& request)
{
    int count = std::clamp(request.GetInt("count", 20), 1, 200);
    int after = std::max(0, request.GetInt("poststr", 0));
    return {static_cast<size_t>(after), static_cast<size_t>(count)};
}

std::string PageTextTable(const std::string& setName, const std::vector<CTextColumn>& columns, const CPage& page,
                          size_t rows, const CTextRowSource& cells)
{
    return Write(setName, columns, std::min(rows, page.count), cells, &page);
}

std::string PagedTextTable(const CRequestParams& request, const std::string& setName,
                           const std::vector<CTextColumn>& columns, const CTextRows& rows)
{
    CPage page = RequestedPage(request);
    size_t shown = page.first < rows.size() ? rows.size() - page.first : 0;
    return PageTextTable(setName, columns, page, shown, [&](size_t i) { return rows[page.first + i]; });
}
