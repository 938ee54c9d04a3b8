// The brokerage's account files: one file per trade account in the data folder, a journal of checked records (the
// full text first, then what each save changed), lines of fields separated by tabs, texts in hexadecimal (so no
// name can break a line). Each save appends one record and flushes it to disk; the file is written anew (temporary
// file, flush, rename, flush of the folder) at start and when it has grown, so a crash leaves a whole file that
// ends in whole records, or one torn last record that is ignored. Also the number texts of the replies.
#include "server/Brokerage.h"

#include "platform/win/FileIo.h"
#include "server/BrokerageJournal.h"
#include "server/ServerText.h"

#include <algorithm>
#include <functional>
#include <map>
#include <cassert>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <sstream>

namespace {

std::string Hex(const std::string& s)
{
    return "x" + HexLower(reinterpret_cast<const unsigned char*>(s.data()), s.size());
}

// The fields of one line, read in order; any malformed field marks the whole file as bad.
class CFieldReader {
public:
    explicit CFieldReader(const std::string& line) : fields(Split(line, '\t')) {}
    std::string Tag() const { return fields.empty() ? std::string() : fields[0]; }
    bool Ok() const { return ok && next == fields.size(); }
    // Fields added to a line later are missing from older files.
    bool More() const { return next < fields.size(); }

    int64_t Int()
    {
        int64_t v = 0;
        if (next >= fields.size()) {
            ok = false;
            return 0;
        }
        const std::string& f = fields[next++];
        auto r = std::from_chars(f.data(), f.data() + f.size(), v);
        if (r.ec != std::errc() || r.ptr != f.data() + f.size())
            ok = false;
        return v;
    }
    int Int32()
    {
        int64_t v = Int();
        if (v < INT32_MIN || v > INT32_MAX)
            ok = false;
        return static_cast<int>(v);
    }
    std::string Text()
    {
        std::vector<unsigned char> bytes;
        if (next >= fields.size() || fields[next].empty() || fields[next][0] != 'x' ||
            !HexDecode(fields[next].substr(1), bytes)) {
            ok = false;
            ++next;
            return std::string();
        }
        ++next;
        return std::string(bytes.begin(), bytes.end());
    }

private:
    std::vector<std::string> fields;
    size_t next = 1;
    bool ok = true;
};

template <typename... T> void Line(std::ostream& out, const char* tag, const T&... values)
{
    out << tag;
    ((out << '\t' << values), ...);
    out << '\n';
}

// One writer per line of the account file, shared by the full text and the journal's records.
void Write(std::ostream& out, const CStockOrder& o)
{
    Line(out, "O", o.id, o.date, o.time, o.fromMinute, o.market, Hex(o.code), Hex(o.name), o.side, o.price, o.quantity,
         o.filled, o.cancelled, o.frozen, o.kind);
}
void Write(std::ostream& out, const CStockDeal& d)
{
    Line(out, "D", d.id, d.date, d.time, d.orderId, d.market, Hex(d.code), Hex(d.name), d.side, d.price, d.quantity);
}
void Write(std::ostream& out, const CHolding& h)
{
    Line(out, "H", h.market, Hex(h.code), Hex(h.name), h.shares, h.frozen, h.boughtDate, h.boughtShares, h.cost);
}
void Write(std::ostream& out, const CBankAccount& b)
{
    Line(out, "B", Hex(b.code), Hex(b.name), Hex(b.number), Hex(b.passwordHash), b.balance, b.wrongPasswords,
         b.lockedUntil);
}
void Write(std::ostream& out, const CBankTransfer& t)
{
    Line(out, "T", t.id, t.date, t.time, Hex(t.bank), t.direction, t.amount);
}
void Write(std::ostream& out, const std::pair<const std::string, int>& w)
{
    Line(out, "W", Hex(w.first), w.second);
}
void Write(std::ostream& out, const std::pair<const std::string, std::string>& f)
{
    Line(out, "FA", Hex(f.first), Hex(f.second));
}
void Write(std::ostream& out, const CFundOrder& o)
{
    Line(out, "FO", o.id, o.date, o.time, o.tradeDate, o.kind, Hex(o.code), Hex(o.toCode), o.amount, o.shares,
         o.dividend, o.state, o.nav, o.confirmedShares, o.confirmedAmount);
}
void Write(std::ostream& out, const CFundHolding& h)
{
    Line(out, "FH", Hex(h.code), h.shares, h.frozen, h.cost, h.dividend);
}
void Write(std::ostream& out, const CCashHolding& h)
{
    Line(out, "C", h.id, Hex(h.code), h.amount, h.start, h.maturity, h.state, h.paid);
}
void WriteHead(std::ostream& out, const CTradeAccount& a)
{
    Line(out, "A", Hex(a.fundId), Hex(a.branch), Hex(a.holder), Hex(a.passwordHash), a.wrongPasswords, a.lockedUntil,
         a.cash, a.frozen, a.nextId);
}

// Reads one line into the account: the head's fields, or one item appended. "" when it is read, else why not.
bool ReadLine(const std::string& line, CTradeAccount* a)
{
    CFieldReader r(line);
    std::string tag = r.Tag();
    if (tag == "A") {
        a->fundId = r.Text();
        a->branch = r.Text();
        a->holder = r.Text();
        a->passwordHash = r.Text();
        a->wrongPasswords = r.Int32();
        a->lockedUntil = r.Int();
        a->cash = r.Int();
        a->frozen = r.Int();
        a->nextId = r.Int32();
    } else if (tag == "O") {
        CStockOrder o;
        o.id = r.Int32(), o.date = r.Int32(), o.time = r.Int32(), o.fromMinute = r.Int32(), o.market = r.Int32();
        o.code = r.Text(), o.name = r.Text();
        o.side = r.Int32(), o.price = r.Int(), o.quantity = r.Int32(), o.filled = r.Int32();
        o.cancelled = r.Int32(), o.frozen = r.Int(), o.kind = r.Int32();
        a->orders.push_back(o);
    } else if (tag == "D") {
        CStockDeal d;
        d.id = r.Int32(), d.date = r.Int32(), d.time = r.Int32(), d.orderId = r.Int32(), d.market = r.Int32();
        d.code = r.Text(), d.name = r.Text();
        d.side = r.Int32(), d.price = r.Int(), d.quantity = r.Int32();
        a->deals.push_back(d);
    } else if (tag == "H") {
        CHolding h;
        h.market = r.Int32(), h.code = r.Text(), h.name = r.Text(), h.shares = r.Int32(), h.frozen = r.Int32();
        h.boughtDate = r.Int32(), h.boughtShares = r.Int32(), h.cost = r.Int();
        a->holdings.push_back(h);
    } else if (tag == "B") {
        CBankAccount b;
        b.code = r.Text(), b.name = r.Text(), b.number = r.Text(), b.passwordHash = r.Text(), b.balance = r.Int();
        if (r.More())
            b.wrongPasswords = r.Int32(), b.lockedUntil = r.Int();
        a->banks.push_back(b);
    } else if (tag == "T") {
        CBankTransfer t;
        t.id = r.Int32(), t.date = r.Int32(), t.time = r.Int32(), t.bank = r.Text(), t.direction = r.Int32();
        t.amount = r.Int();
        a->transfers.push_back(t);
    } else if (tag == "W") {
        std::string code = r.Text();
        a->warrants[code] = r.Int32();
    } else if (tag == "FA") {
        std::string tacode = r.Text();
        a->fundAccounts[tacode] = r.Text();
    } else if (tag == "FO") {
        CFundOrder o;
        o.id = r.Int32(), o.date = r.Int32(), o.time = r.Int32(), o.tradeDate = r.Int32(), o.kind = r.Int32();
        o.code = r.Text(), o.toCode = r.Text();
        o.amount = r.Int(), o.shares = r.Int(), o.dividend = r.Int32(), o.state = r.Int32(), o.nav = r.Int();
        o.confirmedShares = r.Int(), o.confirmedAmount = r.Int();
        a->fundOrders.push_back(o);
    } else if (tag == "FH") {
        CFundHolding h;
        h.code = r.Text(), h.shares = r.Int(), h.frozen = r.Int(), h.cost = r.Int(), h.dividend = r.Int32();
        a->fundHoldings.push_back(h);
    } else if (tag == "C") {
        CCashHolding h;
        h.id = r.Int32(), h.code = r.Text(), h.amount = r.Int(), h.start = r.Int32(), h.maturity = r.Int32();
        h.state = r.Int32(), h.paid = r.Int();
        a->cashHoldings.push_back(h);
    } else {
        return false;
    }
    return r.Ok();
}

template <typename T> std::string LineOf(const T& item)
{
    std::ostringstream out;
    Write(out, item);
    return out.str();
}

// The items of the account that the journal matches by key: the list, the key of an item, and its tag. Where the
// brokerage never changes an item again once it has ended (an order filled or cancelled, a deal, a transfer), ended
// tells so, and a save then compares only the items not ended and the new ones, so that its cost does not grow with
// the day's orders.
template <typename T, typename K> struct CItems {
    const char* tag;
    std::vector<T> CTradeAccount::*list;
    K (*key)(const T&);
    bool (*ended)(const T&) = nullptr;
};

template <typename K, typename T>
CItems<T, K> Items(const char* tag, std::vector<T> CTradeAccount::*list, K (*key)(const T&),
                   bool (*ended)(const T&) = nullptr)
{
    return {tag, list, key, ended};
}

int IdOf(const CStockOrder& x)
{
    return x.id;
}
int IdOfDeal(const CStockDeal& x)
{
    return x.id;
}
std::pair<int, std::string> KeyOfHolding(const CHolding& x)
{
    return {x.market, x.code};
}
std::string CodeOfBank(const CBankAccount& x)
{
    return x.code;
}
int IdOfTransfer(const CBankTransfer& x)
{
    return x.id;
}
int IdOfFundOrder(const CFundOrder& x)
{
    return x.id;
}
std::string CodeOfFund(const CFundHolding& x)
{
    return x.code;
}
int IdOfCash(const CCashHolding& x)
{
    return x.id;
}
bool OrderEnded(const CStockOrder& x)
{
    return !x.IsOpen();
}
template <typename T> bool Always(const T&)
{
    return true;
}

// Every keyed list of the account; the journal walks them all.
template <typename F> void ForEachList(F f)
{
    f(Items("O", &CTradeAccount::orders, IdOf, OrderEnded));
    f(Items("D", &CTradeAccount::deals, IdOfDeal, Always<CStockDeal>));
    f(Items("H", &CTradeAccount::holdings, KeyOfHolding));
    f(Items("B", &CTradeAccount::banks, CodeOfBank));
    f(Items("T", &CTradeAccount::transfers, IdOfTransfer, Always<CBankTransfer>));
    f(Items("FO", &CTradeAccount::fundOrders, IdOfFundOrder));
    f(Items("FH", &CTradeAccount::fundHoldings, CodeOfFund));
    f(Items("C", &CTradeAccount::cashHoldings, IdOfCash));
}

template <typename F> void ForEachMap(F f)
{
    f("W", &CTradeAccount::warrants);
    f("FA", &CTradeAccount::fundAccounts);
}

// The positions of the saved items of a list that have not ended, by the list's tag; a list missing here is
// compared whole at the next save.
using CUnended = std::map<std::string, std::vector<size_t>>;

template <typename T, typename K>
void KeepUnended(const CItems<T, K>& items, const std::vector<T>& before, size_t from, std::vector<size_t>& unended)
{
    for (size_t i = from; i < before.size(); ++i)
        if (!items.ended(before[i]))
            unended.push_back(i);
}

// Appends to out the changes from saved to now of one list, and to commit what makes saved equal to now. Lists
// mostly grow at their end and change in place, so items are compared position by position first.
template <typename T, typename K>
void DiffList(const CItems<T, K>& items, CTradeAccount& saved, const CTradeAccount& now, CUnended& unended,
              std::string& out, std::vector<std::function<void()>>& commit)
{
    std::vector<T>& before = saved.*items.list;
    const std::vector<T>& after = now.*items.list;
    auto known = items.ended ? unended.find(items.tag) : unended.end();
    size_t n = before.size();
    if (known != unended.end() && after.size() >= n &&
        (n == 0 || items.key(before[n - 1]) == items.key(after[n - 1]))) {
        const std::vector<size_t>& open = known->second;
        bool inPlace = std::all_of(open.begin(), open.end(),
                                   [&](size_t i) { return items.key(before[i]) == items.key(after[i]); });
#ifndef NDEBUG
        // Ended items are not compared: a change to one would never reach the disk. Debug builds make sure.
        std::vector<bool> watched(n);
        for (size_t i : open)
            watched[i] = true;
        for (size_t i = 0; inPlace && i < n; ++i)
            assert(watched[i] || before[i] == after[i]);
#endif
        if (inPlace) {
            for (size_t i : open)
                if (!(before[i] == after[i])) {
                    out += "+\t" + LineOf(after[i]);
                    commit.push_back([&before, &after, i] { before[i] = after[i]; });
                }
            for (size_t j = n; j < after.size(); ++j)
                out += "+\t" + LineOf(after[j]);
            commit.push_back([&before, &after, n, items, &unended] {
                before.insert(before.end(), after.begin() + static_cast<std::ptrdiff_t>(n), after.end());
                std::vector<size_t>& list = unended[items.tag];
                list.erase(std::remove_if(list.begin(), list.end(), [&](size_t i) { return items.ended(before[i]); }),
                           list.end());
                KeepUnended(items, before, n, list);
            });
            return;
        }
    }
    size_t common = std::min(before.size(), after.size()), i = 0;
    for (; i < common && items.key(before[i]) == items.key(after[i]); ++i)
        if (!(before[i] == after[i])) {
            out += "+\t" + LineOf(after[i]);
            commit.push_back([&before, &after, i] { before[i] = after[i]; });
        }
    if (i == before.size()) {
        for (size_t j = i; j < after.size(); ++j)
            out += "+\t" + LineOf(after[j]);
        if (i < after.size())
            commit.push_back([&before, &after, i] { before.insert(before.end(), after.begin() + i, after.end()); });
    } else {
        // Something was removed or reordered: match the rest by key.
        std::map<K, const T*> was, is;
        for (size_t j = i; j < before.size(); ++j)
            was[items.key(before[j])] = &before[j];
        for (size_t j = i; j < after.size(); ++j)
            is[items.key(after[j])] = &after[j];
        for (const auto& pair : was)
            if (!is.count(pair.first))
                out += "-\t" + LineOf(*pair.second);
        for (size_t j = i; j < after.size(); ++j) {
            auto old = was.find(items.key(after[j]));
            if (old == was.end() || !(*old->second == after[j]))
                out += "+\t" + LineOf(after[j]);
        }
        commit.push_back([&before, &after] { before = after; });
    }
    if (items.ended)
        commit.push_back([&before, items, &unended] {
            std::vector<size_t>& list = unended[items.tag];
            list.clear();
            KeepUnended(items, before, 0, list);
        });
}

template <typename M>
void DiffMap(M CTradeAccount::*member, CTradeAccount& saved, const CTradeAccount& now, std::string& out,
             std::vector<std::function<void()>>& commit)
{
    M& before = saved.*member;
    const M& after = now.*member;
    if (before == after)
        return;
    for (const auto& pair : before)
        if (!after.count(pair.first))
            out += "-\t" + LineOf(pair);
    for (const auto& pair : after) {
        auto old = before.find(pair.first);
        if (old == before.end() || old->second != pair.second)
            out += "+\t" + LineOf(pair);
    }
    commit.push_back([&before, &after] { before = after; });
}

// Applies one journal line to the account: the head's fields, or an item written, replaced or removed by key.
bool ApplyLine(const std::string& line, CTradeAccount* a)
{
    if (line.size() < 2 || (line[0] != '+' && line[0] != '-') || line[1] != '\t')
        return false;
    bool remove = line[0] == '-';
    std::string body = line.substr(2);
    CTradeAccount one;
    if (!ReadLine(body, &one))
        return false;
    std::string tag = CFieldReader(body).Tag();
    if (tag == "A") {
        if (remove)
            return false;
        CTradeAccount head = one; // the head's fields, then the lists kept
        ForEachList([&](const auto& items) { (head.*items.list).swap(a->*items.list); });
        ForEachMap([&](const char*, auto member) { (head.*member).swap(a->*member); });
        *a = std::move(head);
        return true;
    }
    bool found = false;
    ForEachList([&](const auto& items) {
        if (found || tag != items.tag)
            return;
        found = true;
        auto& list = a->*items.list;
        const auto& item = (one.*items.list).front();
        // Recent items are at the end: search from there.
        auto at =
            std::find_if(list.rbegin(), list.rend(), [&](const auto& x) { return items.key(x) == items.key(item); });
        if (remove) {
            if (at != list.rend())
                list.erase(std::next(at).base());
        } else if (at != list.rend()) {
            *at = item;
        } else {
            list.push_back(item);
        }
    });
    ForEachMap([&](const char* mapTag, auto member) {
        if (found || tag != mapTag)
            return;
        found = true;
        const auto& item = *(one.*member).begin();
        if (remove)
            (a->*member).erase(item.first);
        else
            (a->*member)[item.first] = item.second;
    });
    return found;
}

// The thread's market read lock that saves let go of during their write (CBrokerage::LetMarketGoWhileSaving).
thread_local std::shared_lock<std::shared_mutex>* marketRead = nullptr;

} // namespace

std::string CBrokerage::Serialize(const CTradeAccount& a)
{
    std::ostringstream out;
    WriteHead(out, a);
    for (const CStockOrder& o : a.orders)
        Write(out, o);
    for (const CStockDeal& d : a.deals)
        Write(out, d);
    for (const CHolding& h : a.holdings)
        Write(out, h);
    for (const CBankAccount& b : a.banks)
        Write(out, b);
    for (const CBankTransfer& t : a.transfers)
        Write(out, t);
    for (const auto& w : a.warrants)
        Write(out, w);
    for (const auto& f : a.fundAccounts)
        Write(out, f);
    for (const CFundOrder& o : a.fundOrders)
        Write(out, o);
    for (const CFundHolding& h : a.fundHoldings)
        Write(out, h);
    for (const CCashHolding& h : a.cashHoldings)
        Write(out, h);
    out << "END\n";
    return out.str();
}

std::string CBrokerage::Journal(const CTradeAccount& a)
{
    return JOURNAL_MAGIC + JournalRecord(Serialize(a));
}

namespace {

bool ParseText(const std::string& text, CTradeAccount* a)
{
    std::istringstream file(text);
    std::string line;
    bool head = false, end = false;
    while (std::getline(file, line)) {
        if (line == "END") {
            end = true;
            break;
        }
        if (!ReadLine(line, a))
            return false;
        head = head || line.rfind("A\t", 0) == 0;
    }
    // A text cut short (no END) is not taken.
    return head && end;
}

} // namespace

bool CBrokerage::Parse(const std::string& text, CTradeAccount* a, std::string* why, std::string* torn)
{
    std::string reason;
    why = why ? why : &reason;
    if (text.rfind(JOURNAL_MAGIC, 0) != 0) {
        // An older account file: the full text alone.
        if (ParseText(text, a))
            return true;
        *why = "neither a journal nor an account's full text";
        return false;
    }
    std::vector<std::string> records;
    if (!ReadJournalRecords(text, &records, why, torn))
        return false;
    if (records.empty() || !ParseText(records[0], a)) {
        *why = "its first record is not the account's full text";
        return false;
    }
    for (size_t i = 1; i < records.size(); ++i) {
        std::istringstream body(records[i]);
        std::string line;
        for (int n = 1; std::getline(body, line); ++n)
            if (!ApplyLine(line, a)) {
                *why = "record " + std::to_string(i + 1) + ", line " + std::to_string(n) + ": not a change";
                return false;
            }
    }
    return true;
}

void CBrokerage::LetMarketGoWhileSaving(std::shared_lock<std::shared_mutex>* held)
{
    marketRead = held;
}

bool CBrokerage::Save(CTradeAccount& a)
{
    if (dataDir.empty())
        return true;
    CAccountFile& file = *files.at(a.fundId);
    if (!file.damage.empty())
        return false; // its file is left as it is
    std::string changes;
    std::vector<std::function<void()>> commit;
    std::ostringstream headText;
    WriteHead(headText, a);
    std::ostringstream savedHead;
    WriteHead(savedHead, file.saved);
    if (headText.str() != savedHead.str())
        changes += "+\t" + headText.str();
    ForEachList([&](const auto& items) { DiffList(items, file.saved, a, file.unended, changes, commit); });
    ForEachMap([&](const char*, auto member) { DiffMap(member, file.saved, a, changes, commit); });
    if (changes.empty() && !file.rewrite)
        return true;

    // The file is written anew at start, after a failed write, and when the journal has grown past its full text
    // (and 256 KB), so that reading it stays quick.
    std::string record = JournalRecord(changes);
    bool whole = file.rewrite ||
                 file.bytes + static_cast<int64_t>(record.size()) > std::max<int64_t>(2 * file.imageBytes, 256 * 1024);
    std::string path = (std::filesystem::path(dataDir) / (a.fundId + ".txt")).string();
    std::string text = whole ? Journal(a) : record;
    std::shared_lock<std::shared_mutex>* market = marketRead && marketRead->owns_lock() ? marketRead : nullptr;
    if (market)
        market->unlock();
    bool failing = savesFail;
    bool ok = !failing && (whole ? WriteFileAtomicallyNative(path, text.data(), text.size())
                                 : AppendFileDurablyNative(path, text.data(), text.size()));
    // What failed may have reached the file (a rename whose folder could not be flushed, an append that could not
    // be cut back): it is put back to what was last saved, or written whole at the next save.
    std::string image = ok || failing ? std::string() : Journal(file.saved);
    bool restored = !image.empty() && WriteFileAtomicallyNative(path, image.data(), image.size());
    if (market)
        market->lock();
    if (!ok) {
        std::fprintf(stderr, "morwick-server: cannot write %s; the change is undone\n", path.c_str());
        Undo(a, file, restored ? static_cast<int64_t>(image.size()) : -1);
        return false;
    }
    if (whole) {
        file.saved = a;
        file.unended.clear();
        file.bytes = file.imageBytes = static_cast<int64_t>(text.size());
        file.rewrite = false;
        return true;
    }
    if (headText.str() != savedHead.str())
        ReadLine(headText.str().substr(0, headText.str().size() - 1), &file.saved);
    for (auto& step : commit)
        step();
    file.bytes += static_cast<int64_t>(text.size());
    return true;
}

void CBrokerage::Undo(CTradeAccount& a, CAccountFile& file, int64_t restoredBytes)
{
    // A password's count of wrong tries and its lock are never undone: a full disk must not lift a lock-out.
    CTradeAccount counts;
    counts.wrongPasswords = a.wrongPasswords, counts.lockedUntil = a.lockedUntil, counts.banks = a.banks;
    a = file.saved; // copied over: a caller's reference to a bank account stays good
    a.wrongPasswords = counts.wrongPasswords, a.lockedUntil = counts.lockedUntil;
    for (CBankAccount& b : a.banks)
        if (const CBankAccount* now = Bank(counts, b.code)) {
            b.wrongPasswords = now->wrongPasswords;
            b.lockedUntil = now->lockedUntil;
        }
    file.index.Reset(); // an order ended in memory may be open again as saved
    file.rewrite = restoredBytes < 0;
    if (restoredBytes >= 0) {
        file.unended.clear();
        file.bytes = file.imageBytes = restoredBytes;
    }
}

bool CBrokerage::Load(const std::string& path, std::string* why, std::string* torn)
{
    std::string text;
    if (!ReadFileNative(path, &text)) {
        *why = std::string("it cannot be read: ") + std::strerror(errno);
        return false;
    }
    auto a = std::make_unique<CTradeAccount>();
    if (!Parse(text, a.get(), why, torn))
        return false;
    // Nor is one of another account, or of an account this server does not have.
    auto it = accounts.find(a->fundId);
    if (std::filesystem::path(path).stem().string() != a->fundId || it == accounts.end()) {
        *why = "it holds another account";
        return false;
    }
    it->second = std::move(a);
    return true;
}

std::string NotAccepted(const std::string& what)
{
    return what + "未受理：系统暂时无法保存，请稍后再试";
}

std::string Money(int64_t fen)
{
    char buffer[32];
    uint64_t v = static_cast<uint64_t>(fen < 0 ? -fen : fen);
    std::snprintf(buffer, sizeof buffer, "%s%llu.%02llu", fen < 0 ? "-" : "", static_cast<unsigned long long>(v / 100),
                  static_cast<unsigned long long>(v % 100));
    return buffer;
}

std::string Price3(int64_t li)
{
    char buffer[32];
    if (li % 10 == 0)
        return Money(li / 10);
    std::snprintf(buffer, sizeof buffer, "%lld.%03lld", static_cast<long long>(li / 1000),
                  static_cast<long long>(li % 1000));
    return buffer;
}

std::string Shares2(int64_t hundredths)
{
    return Money(hundredths);
}

std::string Nav4(int64_t v)
{
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%lld.%04lld", static_cast<long long>(v / 10000),
                  static_cast<long long>(v % 10000));
    return buffer;
}

std::string TimeText(int t)
{
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%02d:%02d:%02d", t / 10000 % 100, t / 100 % 100, t % 100);
    return buffer;
}

int64_t ParseScaled(const std::string& text, int decimals)
{
    if (text.empty() || text.size() > 15)
        return -1;
    int64_t whole = 0, fraction = 0;
    int after = -1;
    for (char c : text) {
        if (c == '.') {
            if (after >= 0 || decimals == 0)
                return -1;
            after = 0;
        } else if (c >= '0' && c <= '9') {
            if (after >= 0) {
                if (++after > decimals)
                    return -1;
                fraction = fraction * 10 + (c - '0');
            } else {
                whole = whole * 10 + (c - '0');
            }
        } else {
            return -1;
        }
    }
    if (after == 0 || text[0] == '.')
        return -1;
    for (int i = std::max(after, 0); i < decimals; ++i)
        fraction *= 10;
    int64_t scale = 1;
    for (int i = 0; i < decimals; ++i)
        scale *= 10;
    return whole * scale + fraction;
}

int AddDays(int yyyymmdd, int days)
{
    using namespace std::chrono;
    year_month_day ymd{year(yyyymmdd / 10000), month(static_cast<unsigned>(yyyymmdd / 100 % 100)),
                       day(static_cast<unsigned>(yyyymmdd % 100))};
    year_month_day shifted{sys_days(ymd) + std::chrono::days(days)};
    return static_cast<int>(shifted.year()) * 10000 + static_cast<int>(static_cast<unsigned>(shifted.month())) * 100 +
           static_cast<int>(static_cast<unsigned>(shifted.day()));
}
