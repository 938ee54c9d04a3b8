// The brokerage's account files: one text file per trade account in the data folder, one record a line, fields
// separated by tabs, texts in hexadecimal (so no name can break a line). Written to a temporary file and renamed,
// so a crash leaves either the old file or the new one. Also the number texts of the replies.
#include "server/Brokerage.h"

#include "server/ServerText.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
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

template <typename... T>
void Line(std::ostream& out, const char* tag, const T&... values)
{
    out << tag;
    ((out << '\t' << values), ...);
    out << '\n';
}

} // namespace

std::string CBrokerage::Serialize(const CTradeAccount& a)
{
    std::ostringstream out;
    Line(out, "A", Hex(a.fundId), Hex(a.branch), Hex(a.holder), Hex(a.passwordHash), a.wrongPasswords, a.lockedUntil,
         a.cash, a.frozen, a.nextId);
    for (const CStockOrder& o : a.orders)
        Line(out, "O", o.id, o.date, o.time, o.fromMinute, o.market, Hex(o.code), Hex(o.name), o.side, o.price,
             o.quantity, o.filled, o.cancelled, o.frozen, o.kind);
    for (const CStockDeal& d : a.deals)
        Line(out, "D", d.id, d.date, d.time, d.orderId, d.market, Hex(d.code), Hex(d.name), d.side, d.price, d.quantity);
    for (const CHolding& h : a.holdings)
        Line(out, "H", h.market, Hex(h.code), Hex(h.name), h.shares, h.frozen, h.boughtDate, h.boughtShares, h.cost);
    for (const CBankAccount& b : a.banks)
        Line(out, "B", Hex(b.code), Hex(b.name), Hex(b.number), Hex(b.passwordHash), b.balance, b.wrongPasswords,
             b.lockedUntil);
    for (const CBankTransfer& t : a.transfers)
        Line(out, "T", t.id, t.date, t.time, Hex(t.bank), t.direction, t.amount);
    for (const auto& w : a.warrants)
        Line(out, "W", Hex(w.first), w.second);
    for (const auto& f : a.fundAccounts)
        Line(out, "FA", Hex(f.first), Hex(f.second));
    for (const CFundOrder& o : a.fundOrders)
        Line(out, "FO", o.id, o.date, o.time, o.tradeDate, o.kind, Hex(o.code), Hex(o.toCode), o.amount, o.shares,
             o.dividend, o.state, o.nav, o.confirmedShares, o.confirmedAmount);
    for (const CFundHolding& h : a.fundHoldings)
        Line(out, "FH", Hex(h.code), h.shares, h.frozen, h.cost, h.dividend);
    for (const CCashHolding& h : a.cashHoldings)
        Line(out, "C", h.id, Hex(h.code), h.amount, h.start, h.maturity, h.state, h.paid);
    out << "END\n";
    return out.str();
}

bool CBrokerage::Save(const CTradeAccount& a)
{
    if (dataDir.empty())
        return true;
    std::filesystem::path path = std::filesystem::path(dataDir) / (a.fundId + ".txt");
    std::filesystem::path temp = path;
    temp += ".tmp";
    {
        std::ofstream file(temp, std::ios::binary | std::ios::trunc);
        file << Serialize(a);
        file.flush();
        if (!file) {
            std::fprintf(stderr, "morwick-server: cannot write %s\n", temp.string().c_str());
            return false;
        }
    }
    std::error_code ec;
    std::filesystem::rename(temp, path, ec);
    if (ec) {
        std::fprintf(stderr, "morwick-server: cannot replace %s\n", path.string().c_str());
        return false;
    }
    return true;
}

bool CBrokerage::Parse(const std::string& text, CTradeAccount* a)
{
    std::istringstream file(text);
    std::string line;
    bool head = false, end = false;
    while (std::getline(file, line)) {
        if (line == "END") {
            end = true;
            break;
        }
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
            head = true;
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
        if (!r.Ok())
            return false;
    }
    // A file cut short (no END) is not taken.
    return head && end;
}

bool CBrokerage::Load(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return false;
    std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    auto a = std::make_unique<CTradeAccount>();
    // Nor is one of another account, or of an account this server does not have.
    if (!Parse(text, a.get()) || std::filesystem::path(path).stem().string() != a->fundId)
        return false;
    auto it = accounts.find(a->fundId);
    if (it == accounts.end())
        return false;
    it->second = std::move(a);
    return true;
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
    std::snprintf(buffer, sizeof buffer, "%lld.%03lld", static_cast<long long>(li / 1000), static_cast<long long>(li % 1000));
    return buffer;
}

std::string Shares2(int64_t hundredths) { return Money(hundredths); }

std::string Nav4(int64_t v)
{
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%lld.%04lld", static_cast<long long>(v / 10000), static_cast<long long>(v % 10000));
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
