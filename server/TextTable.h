// Reply sets of text columns, as the account screens show them: one field per column with its caption, and for the
// paged queries a last "poststr" column that carries each row's position for the next page.
#pragma once

#include "server/RequestParams.h"

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

struct CTextColumn {
    const char* name;
    const char* caption; // UTF-8; sent as GB2312
};

using CTextRows = std::vector<std::vector<std::string>>; // GB2312 cells, one per column
// The cells of the i-th row of a set or page.
using CTextRowSource = std::function<std::vector<std::string>(size_t i)>;

// The rows a paged request asks for: those after its "poststr" (a row number; empty or absent: the first page), at
// most "count" (1..200, default 20).
struct CPage {
    size_t first;
    size_t count;
};
CPage RequestedPage(const CRequestParams& request);

// One set with all rows.
std::string TextTable(const std::string& setName, const std::vector<CTextColumn>& columns, const CTextRows& rows);
// One page of the rows after the request's "poststr" (a row number; empty or absent: the first page), at most
// "count" rows (1..200, default 20), with the position column "poststr" last.
std::string PagedTextTable(const CRequestParams& request, const std::string& setName,
                           const std::vector<CTextColumn>& columns, const CTextRows& rows);
// The same page, when only its rows are at hand: cells(0) .. cells(rows - 1) are the page's rows, the first-th of
// the whole answer and on (rows beyond the page's count are not asked for).
std::string PageTextTable(const std::string& setName, const std::vector<CTextColumn>& columns, const CPage& page,
                          size_t rows, const CTextRowSource& cells);
