// The checks of one journal round (see RoundsCheck.h).
#include "tools/rounds/RoundsCheck.h"

#include "platform/win/FileIo.h"

#include <algorithm>
#include <initializer_list>
#include <set>

namespace {

// The numbers of a list's items.
template <typename T> std::set<int> Ids(const std::vector<T>& items)
{
    std::set<int> ids;
    for (const T& x : items)
        ids.insert(x.id);
    return ids;
}

// What the round's changes of one kind were answered: the numbers of those taken, the targets of those taken,
// and whether the one left unanswered is of this kind (and its target).
struct Answers {
    std::set<int> taken, takenTargets;
    bool unknown = false;
    int unknownTarget = 0;
};

Answers AnswersOf(const std::vector<Change>& changes, std::initializer_list<ChangeKind> kinds)
{
    Answers a;
    for (const Change& c : changes) {
        if (std::find(kinds.begin(), kinds.end(), c.kind) == kinds.end())
            continue;
        if (c.outcome == Outcome::Taken) {
            a.taken.insert(c.id);
            a.takenTargets.insert(c.target);
        } else if (c.outcome == Outcome::Unknown) {
            a.unknown = true;
            a.unknownTarget = c.target;
        }
    }
    return a;
}

// New items of a list: each taken one there, no other than the unanswered one.
template <typename T>
void CheckNew(const char* what, const std::vector<T>& before, const std::vector<T>& after, const Answers& answers,
              std::vector<std::string>& found)
{
    std::set<int> was = Ids(before), now = Ids(after);
    int extra = 0;
    for (int id : answers.taken)
        if (!now.count(id))
            found.push_back(std::string("acknowledged ") + what + " " + std::to_string(id) + " lost");
    for (int id : now)
        if (!was.count(id) && !answers.taken.count(id) && ++extra > (answers.unknown ? 1 : 0))
            found.push_back(std::string(what) + " " + std::to_string(id) + " kept, never acknowledged");
    if (now.size() != after.size())
        found.push_back(std::string("a ") + what + " number twice");
}

// Orders ended since: each by an acknowledged cancel (or the unanswered one); each acknowledged cancel ended its.
void CheckCancels(const CTradeAccount& before, const CTradeAccount& after, const Answers& cancels,
                  std::vector<std::string>& found)
{
    std::map<int, bool> wasOpen;
    for (const CStockOrder& o : before.orders)
        wasOpen[o.id] = o.IsOpen();
    for (const CStockOrder& o : after.orders) {
        bool open = !wasOpen.count(o.id) || wasOpen[o.id];
        if (cancels.takenTargets.count(o.id) && o.IsOpen())
            found.push_back("acknowledged cancel of order " + std::to_string(o.id) + " undone");
        if (open && !o.IsOpen() && !cancels.takenTargets.count(o.id) &&
            !(cancels.unknown && cancels.unknownTarget == o.id))
            found.push_back("order " + std::to_string(o.id) + " ended without an acknowledged cancel");
    }
}

void CheckFundCancels(const CTradeAccount& before, const CTradeAccount& after, const Answers& cancels,
                      std::vector<std::string>& found)
{
    std::map<int, int> was;
    for (const CFundOrder& o : before.fundOrders)
        was[o.id] = o.state;
    for (const CFundOrder& o : after.fundOrders) {
        bool cancelled = o.state == FUND_ORDER_CANCELLED;
        if (cancels.takenTargets.count(o.id) && !cancelled)
            found.push_back("acknowledged cancel of fund order " + std::to_string(o.id) + " undone");
        bool wasCancelled = was.count(o.id) && was[o.id] == FUND_ORDER_CANCELLED;
        if (cancelled && !wasCancelled && !cancels.takenTargets.count(o.id) &&
            !(cancels.unknown && cancels.unknownTarget == o.id))
            found.push_back("fund order " + std::to_string(o.id) + " cancelled without an acknowledged cancel");
    }
}

// Cash and bank balances: transfers move money between them, nothing else in a round moves any.
int64_t Total(const CTradeAccount& a)
{
    int64_t total = a.cash;
    for (const CBankAccount& b : a.banks)
        total += b.balance;
    return total;
}

// What the open orders hold frozen.
int64_t Held(const CTradeAccount& a)
{
    int64_t held = 0;
    for (const CStockOrder& o : a.orders)
        held += o.frozen;
    for (const CFundOrder& o : a.fundOrders)
        if (o.state == FUND_ORDER_REPORTED && (o.kind == FUND_PURCHASE || o.kind == FUND_SUBSCRIBE))
            held += o.amount;
    return held;
}

} // namespace

Snapshot ReadSnapshot(const std::string& folder)
{
    Snapshot s;
    for (const CDemoAccount& d : CBrokerage::DemoAccounts()) {
        std::string path = folder + "/" + d.fundId + ".txt", text, why;
        CTradeAccount a;
        if (!ReadFileNative(path, &text))
            s.damaged[d.fundId] = "cannot be read";
        else if (!CBrokerage::Parse(text, &a, &why) || a.fundId != d.fundId)
            s.damaged[d.fundId] = why.empty() ? "another account's" : why;
        else
            s.accounts[d.fundId] = a;
    }
    return s;
}

std::vector<std::string> CheckAccount(const CTradeAccount& before, const CTradeAccount& after,
                                      const std::vector<Change>& changes)
{
    std::vector<std::string> found;
    CheckNew("order", before.orders, after.orders, AnswersOf(changes, {ChangeKind::Order}), found);
    CheckNew("transfer", before.transfers, after.transfers,
             AnswersOf(changes, {ChangeKind::TransferIn, ChangeKind::TransferOut}), found);
    CheckNew("fund order", before.fundOrders, after.fundOrders, AnswersOf(changes, {ChangeKind::FundPurchase}), found);
    CheckCancels(before, after, AnswersOf(changes, {ChangeKind::Cancel}), found);
    CheckFundCancels(before, after, AnswersOf(changes, {ChangeKind::FundCancel}), found);
    Answers opened = AnswersOf(changes, {ChangeKind::FundAccount});
    if (!opened.taken.empty() && !after.fundAccounts.count("11"))
        found.push_back("acknowledged fund account lost");
    if (opened.taken.empty() && !opened.unknown && !before.fundAccounts.count("11") && after.fundAccounts.count("11"))
        found.push_back("fund account kept, never acknowledged");
    if (Total(after) != Total(before))
        found.push_back("money not conserved: cash and banks " + Money(Total(before)) + " -> " + Money(Total(after)));
    if (after.frozen != Held(after))
        found.push_back("frozen " + Money(after.frozen) + " but the open orders hold " + Money(Held(after)));
    return found;
}
