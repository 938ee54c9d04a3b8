// Reply sets of text columns, as the account screens show them: one field per column with its caption, and for the
// paged queries a last "poststr" column that carries each row's position for the next page.
#pragma once

#include "server/RequestParams.h"

#include <string>
#include <vector>

struct CTextColumn {
    const char* name;
    const char* caption; // UTF-8; sent as GB2312
};

using CTextRows = std::vector<std::vector<std::string>>; // GB2312 cells, one per column

// One set with all rows.
std::string TextTable(const std::string& setName, const std::vector<CTextColumn>& columns, const CTextRows& rows);
// One page of the rows after the request's "poststr" (a row number; empty or absent: the first page), at most
// "count" rows (1..200, default 20), with the position column "poststr" last.
std::string PagedTextTable(const CRequestParams& request, const std::string& setName,
                           const std::vector<CTextColumn>& columns, const CTextRows& rows);
