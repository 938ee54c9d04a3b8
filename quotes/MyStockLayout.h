// How the own stock list window orders a reply: rows follow the stored items, whatever order the server answers
// in, and a header tap sorts them by one column.
#pragma once

#include <string>
#include <vector>

// One reply row's "code" and "exchid".
struct MyStockKey {
    std::string code;
    int market = 0;
};

// The reply rows to show, in stored order: per stored item its first exact match ("code.MM", or "code.M"
// for an item written with one digit), or every row whose "code.MM" begins with a bare code. Returns 1 when
// the stored list should be rewritten from the rows shown (an item found nothing, or a bare code was
// widened) and at least one item was answered; never 1 for a reply that answers none of the stored items.
int LayOutMyStocks(const char* stored, const std::vector<MyStockKey>& rows, std::vector<int>* order);

// The row order after sorting by column (1 name as text; 2, 3, 4 the latest, change and percent as numbers,
// "-" reading as 0) in direction 1 ascending or 0 descending; anything else keeps the order.
std::vector<int> SortMyStocks(const std::vector<std::u16string>& texts, int column, int direction);
