// The open orders and the dated orders and deals of an account, kept in step with its lists.
#include "server/AccountIndex.h"

#include "server/Brokerage.h"

#include <algorithm>

template <typename T> void CAccountIndex::CDates::TakeIn(const std::vector<T>& items)
{
    if (items.size() < seen) {
        positions.clear();
        seen = 0;
    }
    std::vector<size_t>* day = nullptr; // the last item's date's list: most items follow one of the same day
    for (; seen < items.size(); ++seen) {
        if (day == nullptr || items[seen].date != items[seen - 1].date)
            day = &positions[items[seen].date];
        day->push_back(seen);
    }
}

std::vector<size_t> CAccountIndex::CDates::Page(int from, int to, size_t first, size_t count) const
{
    // The days of the range mostly follow each other in the list, but an item of an earlier day may come later
    // (a new share's allotment): the page is cut from the days' lists merged, without walking them.
    std::vector<const std::vector<size_t>*> days;
    size_t end = 0; // past the last position of the range
    if (from <= to)
        for (auto day = positions.lower_bound(from); day != positions.end() && day->first <= to; ++day) {
            days.push_back(&day->second);
            end = std::max(end, day->second.back() + 1);
        }
    auto before = [&](size_t p) { // how many of the range's items lie before list position p
        size_t n = 0;
        for (const std::vector<size_t>* list : days)
            n += static_cast<size_t>(std::lower_bound(list->begin(), list->end(), p) - list->begin());
        return n;
    };
    std::vector<size_t> page;
    if (before(end) <= first)
        return page;
    // The smallest position with first items before it is the page's first item.
    size_t low = 0, high = end;
    while (low < high) {
        size_t middle = low + (high - low) / 2;
        if (before(middle) >= first)
            high = middle;
        else
            low = middle + 1;
    }
    std::vector<std::vector<size_t>::const_iterator> next;
    for (const std::vector<size_t>* list : days)
        next.push_back(std::lower_bound(list->begin(), list->end(), low));
    while (page.size() < count) {
        size_t pick = days.size();
        for (size_t d = 0; d < days.size(); ++d)
            if (next[d] != days[d]->end() && (pick == days.size() || *next[d] < *next[pick]))
                pick = d;
        if (pick == days.size())
            break;
        page.push_back(*next[pick]++);
    }
    return page;
}

const std::vector<size_t>& CAccountIndex::OpenOrders(const std::vector<CStockOrder>& orders)
{
    if (orders.size() < ordersSeen) {
        open.clear();
        ordersSeen = 0;
    }
    // An order never opens again once ended (but through Reset), so one that has ended leaves for good.
    open.erase(std::remove_if(open.begin(), open.end(), [&](size_t i) { return !orders[i].IsOpen(); }), open.end());
    for (; ordersSeen < orders.size(); ++ordersSeen)
        if (orders[ordersSeen].IsOpen())
            open.push_back(ordersSeen);
    return open;
}

std::vector<size_t> CAccountIndex::OrdersDated(const std::vector<CStockOrder>& orders, int from, int to,
                                               size_t first, size_t count)
{
    orderDates.TakeIn(orders);
    return orderDates.Page(from, to, first, count);
}

std::vector<size_t> CAccountIndex::DealsDated(const std::vector<CStockDeal>& deals, int from, int to, size_t first,
                                              size_t count)
{
    dealDates.TakeIn(deals);
    return dealDates.Page(from, to, first, count);
}

void CAccountIndex::Reset()
{
    *this = CAccountIndex();
}
