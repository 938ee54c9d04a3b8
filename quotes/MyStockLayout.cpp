#include "quotes/MyStockLayout.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <numeric>

namespace {

bool EqualNoCase(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z')
            x = (char)(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z')
            y = (char)(y - 'A' + 'a');
        if (x != y)
            return false;
    }
    return true;
}

std::string Key(const MyStockKey& row, bool twoDigits)
{
    char market[16];
    snprintf(market, sizeof market, twoDigits ? "%02d" : "%d", row.market);
    return row.code + "." + market;
}

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
            bool dotted = item.find('.') != std::string::npos;
            for (size_t r = 0; r < rows.size(); ++r) {
                std::string key = Key(rows[r], true);
                bool exact = EqualNoCase(key, item) || (dotted && EqualNoCase(Key(rows[r], false), item));
                if (exact) {
                    order->push_back((int)r);
                    ++added;
                    break;
                }
                if (!dotted && key.compare(0, item.size(), item) == 0) {
                    order->push_back((int)r);
                    ++added;
                    changed = 1;
                }
            }
        }
        if (added == 0)
            changed = 1;
        if (comma == std::string::npos)
            break;
        start = comma + 1;
    }
    // A reply that answers none of the items (another list, a cut file, a server hiccup) says nothing about them:
    // the list is rewritten only when some items were answered, so it never shrinks to nothing at one reply.
    return order->empty() ? 0 : changed;
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
