#include "quotes/MyStockLayout.h"

#include "quotes/QuoteRequest.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <numeric>

namespace {

double Number(const std::u16string& text)
{
    // Quote texts are ASCII digits, sign and point; anything else ends the number.
    std::string ascii;
    for (char16_t c : text) {
        if (c > 0x7F)
            break;
        ascii += (char)c;
    }
    return strtod(ascii.c_str(), nullptr);
}

} // namespace

int LayOutMyStocks(const char* stored, const std::vector<MyStockKey>& rows, std::vector<int>* order)
{
    order->clear();
    if (stored == nullptr || rows.empty())
        return 0;
    int changed = 0;
    std::string text = stored;
    size_t start = 0;
    while (start <= text.size()) {
        size_t comma = text.find(',', start);
        std::string item = text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        int added = 0;
        if (!item.empty()) {
            for (size_t r = 0; r < rows.size(); ++r) {
                int match = MatchesCodeMarket(item.c_str(), rows[r].code.c_str(), rows[r].market);
                if (match == MATCH_NONE)
                    continue;
                order->push_back((int)r);
                ++added;
                if (match == MATCH_EXACT)
                    break;
                changed = 1; // a bare code widened to the rows it names
            }
        }
        if (added == 0)
            changed = 1;
        if (comma == std::string::npos)
            break;
        start = comma + 1;
    }
    return changed;
}

std::vector<int> SortMyStocks(const std::vector<std::u16string>& texts, int column, int direction)
{
    std::vector<int> order(texts.size());
    std::iota(order.begin(), order.end(), 0);
    if (texts.size() < 2 || column < 1 || column > 4 || (direction != 0 && direction != 1))
        return order;
    auto less = [&](int a, int b) {
        if (column == 1)
            return texts[(size_t)a] < texts[(size_t)b];
        return Number(texts[(size_t)a]) < Number(texts[(size_t)b]);
    };
    if (direction == 1)
        std::stable_sort(order.begin(), order.end(), less);
    else
        std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return less(b, a); });
    return order;
}
