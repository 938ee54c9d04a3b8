// What the brokerage finds in an account's order and deal lists without walking them: the orders still open, and
// the orders and deals of a range of dates, page by page.
#pragma once

#include <cstddef>
#include <map>
#include <vector>

struct CStockOrder;
struct CStockDeal;

// Kept in step lazily: each look first takes in the items appended since the last one (the lists grow at their
// end, and an item's date never changes) and drops the orders that have ended. A list found shorter than before
// is indexed anew; after Reset (the account put back as it was last saved, where an ended order may be open again)
// everything is. Nothing of it is saved: a loaded account is indexed at its first look.
class CAccountIndex {
public:
    // The positions of the open orders, ascending.
    const std::vector<size_t>& OpenOrders(const std::vector<CStockOrder>& orders);
    // The positions, in list order, of the items dated from..to that are the first-th to the (first + count - 1)-th
    // of them; fewer or none past the end.
    std::vector<size_t> OrdersDated(const std::vector<CStockOrder>& orders, int from, int to, size_t first,
                                    size_t count);
    std::vector<size_t> DealsDated(const std::vector<CStockDeal>& deals, int from, int to, size_t first,
                                   size_t count);
    void Reset();

private:
    // The positions of a list's items by date, each date's ascending.
    struct CDates {
        std::map<int, std::vector<size_t>> positions;
        size_t seen = 0;
        template <typename T> void TakeIn(const std::vector<T>& items);
        std::vector<size_t> Page(int from, int to, size_t first, size_t count) const;
    };
    CDates orderDates, dealDates;
    std::vector<size_t> open;
    size_t ordersSeen = 0;
};
