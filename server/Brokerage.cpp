// Trade accounts of the stand-in server: demo accounts, log-in with lock-out, stock orders matched minute by minute
// against the synthetic market, cancels, new shares, warrants and bank transfers.
#include "server/Brokerage.h"

#include "server/Market.h"
#include "platform/win/FileIo.h"
#include "platform/device/ServerCipher.h"
#include "server/ServerText.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace {

int64_t WallSeconds()
{
    return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch())
        .count();
}

bool IsSixDigits(const std::string& s)
{
    return s.size() == 6 && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Cost of a quantity at a price in 1/1000 yuan, rounded up to the fen (what is frozen must cover what is paid).
int64_t CostUp(int64_t li, int64_t quantity) { return (li * quantity + 9) / 10; }
int64_t CostNear(int64_t li, int64_t quantity) { return (li * quantity + 5) / 10; }

uint64_t Mix(uint64_t x)
{
    x ^= x >> 33;
    x *= 0xff51afd7ed558ccdULL;
    x ^= x >> 33;
    x *= 0xc4ceb9fe1a85ec53ULL;
    return x ^ (x >> 33);
}

std::vector<const CSecurity*> Stocks(CMarket& market)
{
    std::vector<const CSecurity*> list;
    for (const CSecurity& s : market.Securities())
        if (s.type == KIND_STOCK && s.market != 3 && s.market != 9)
            list.push_back(&s);
    return list;
}

} // namespace

CHolding* CTradeAccount::Holding(int m, const std::string& code)
{
    for (CHolding& h : holdings)
        if (h.market == m && h.code == code)
            return &h;
    return nullptr;
}

CFundHolding* CTradeAccount::FundHolding(const std::string& code)
{
    for (CFundHolding& h : fundHoldings)
        if (h.code == code)
            return &h;
    return nullptr;
}

int CTradeAccount::Sellable(const CHolding& h, int today) const
{
    int locked = h.boughtDate >= today ? h.boughtShares : 0;
    return std::max(0, h.shares - h.frozen - locked);
}

const std::vector<CBranchOffice>& CBrokerage::Branches()
{
    static const std::vector<CBranchOffice> list = {
        {"0101", "北京金融街营业部", "北京市西城区金融大街8号", "010-66001234"},
        {"0102", "北京中关村营业部", "北京市海淀区中关村大街27号", "010-82005678"},
        {"0201", "上海浦东营业部", "上海市浦东新区世纪大道100号", "021-58001234"},
        {"0301", "深圳福田营业部", "深圳市福田区深南大道6008号", "0755-83001234"},
        {"0401", "广州天河营业部", "广州市天河区天河路385号", "020-38001234"},
    };
    return list;
}

CBrokerage::CBrokerage(uint64_t s, const std::string& dir, CMarket& m)
    : seed(s), dataDir(dir), market(m), funds(s), clock(WallSeconds)
{
    BuildDemoAccounts();
    for (auto& pair : accounts)
        files[pair.first] = std::make_unique<CAccountFile>();
    if (dataDir.empty())
        return;
    // The accounts hold password digests and money: the folder and its files are the server's user's alone.
    std::error_code ec;
    CreatePrivateFolderNative(dataDir);
    std::filesystem::permissions(dataDir, std::filesystem::perms::owner_all, ec);
    for (auto& pair : accounts) {
        std::string path = (std::filesystem::path(dataDir) / (pair.first + ".txt")).string();
        if (std::filesystem::exists(path, ec)) {
            if (!Load(path)) {
                // A damaged file is kept aside rather than overwritten, and the account starts afresh.
                std::filesystem::rename(path, path + ".damaged", ec);
                std::fprintf(stderr, "morwick-server: %s is damaged; kept as .damaged\n", path.c_str());
            }
        }
        // Written anew: the journal starts from the full text (older files take the journal's form here).
        files[pair.first]->saved = *pair.second;
        Save(*pair.second);
    }
}

CBrokerage::~CBrokerage() = default;

std::unique_lock<std::mutex> CBrokerage::Hold(const CTradeAccount& a)
{
    return std::unique_lock<std::mutex>(files.at(a.fundId)->lock);
}

std::vector<CTradeAccount*> CBrokerage::Accounts()
{
    std::vector<CTradeAccount*> list;
    for (auto& pair : accounts)
        list.push_back(pair.second.get());
    return list;
}

std::string CBrokerage::PasswordHash(const std::string& fundId, const std::string& password)
{
    // A fresh salt each time; the account number is mixed in so that equal passwords never share a digest.
    std::string salt = ServerRandomHex(16);
    std::string digest = ServerPbkdf2Sha256Hex(password, fundId + "-" + salt, PASSWORD_ITERATIONS);
    if (salt.empty() || digest.empty())
        return std::string(); // matches nothing
    return "pbkdf2-sha256$" + std::to_string(PASSWORD_ITERATIONS) + "$" + salt + "$" + digest;
}

bool CBrokerage::PasswordMatches(const std::string& fundId, const std::string& password, const std::string& stored)
{
    std::string computed;
    std::vector<std::string> parts = Split(stored, '$');
    if (parts.size() == 4 && parts[0] == "pbkdf2-sha256") {
        int iterations = std::atoi(parts[1].c_str());
        if (iterations < 1 || iterations > 10000000 || parts[1] != std::to_string(iterations))
            return false;
        computed = ServerPbkdf2Sha256Hex(password, fundId + "-" + parts[2], iterations);
        computed = parts[0] + "$" + parts[1] + "$" + parts[2] + "$" + computed;
    } else if (stored.size() == 32) {
        computed = ServerMd5Hex("morwick-trade-" + fundId + "-" + password); // the digest of older files
    } else {
        return false;
    }
    if (computed.size() != stored.size())
        return false;
    unsigned char difference = 0;
    for (size_t i = 0; i < stored.size(); ++i)
        difference |= static_cast<unsigned char>(computed[i] ^ stored[i]);
    return difference == 0;
}

bool CBrokerage::IsOldPasswordHash(const std::string& stored) { return stored.rfind("pbkdf2-sha256$", 0) != 0; }

const std::string& CBrokerage::DemoPasswordHash(const std::string& id, const std::string& password)
{
    // Made once a process: every brokerage starts from the same demo accounts, and the slow digest is the point.
    static std::mutex guard;
    static std::map<std::string, std::string> made;
    std::lock_guard<std::mutex> hold(guard);
    std::string& hash = made[id + "\n" + password];
    if (hash.empty())
        hash = PasswordHash(id, password);
    return hash;
}

const std::vector<CDemoAccount>& CBrokerage::DemoAccounts()
{
    static const std::vector<CDemoAccount> list = {
        {"880012345", "123456", "0101", "张明", 200000, {0, 5, 10, 15}, {0}},
        {"880012346", "123456", "0101", "李华", 50000, {2, 7}, {1}},
        {"880012347", "654321", "0102", "王芳", 1000000, {}, {0, 2}},
        {"880023456", "111111", "0201", "赵强", 0, {3, 8, 12}, {3}},
        {"880034567", "123456", "0301", "陈静", 0, {}, {0}},
    };
    return list;
}

void CBrokerage::BuildDemoAccounts()
{
    struct Bank {
        const char* code;
        const char* name;
    };
    static const Bank banks[] = {{"01", "中国工商银行"}, {"02", "中国建设银行"}, {"03", "招商银行"}, {"04", "中国银行"}};
    std::vector<const CSecurity*> stocks = Stocks(market);
    int today = market.GetDate();
    for (const CDemoAccount& d : DemoAccounts()) {
        auto a = std::make_unique<CTradeAccount>();
        a->fundId = d.fundId;
        a->branch = d.branch;
        a->holder = d.holder;
        a->passwordHash = DemoPasswordHash(d.fundId, d.password);
        a->cash = d.cashYuan * 100;
        int n = 0;
        for (int index : d.stocks) {
            if (stocks.empty())
                break;
            const CSecurity& s = *stocks[static_cast<size_t>(index) % stocks.size()];
            CHolding h;
            h.market = s.market;
            h.code = s.code;
            h.name = s.name;
            h.shares = 100 * (3 + 5 * (n++ % 4));
            h.cost = CostNear(PriceOf(s, s.prevClose) * (90 + 5 * (index % 4)) / 100, h.shares);
            a->holdings.push_back(h);
        }
        for (int b : d.banks) {
            CBankAccount bank;
            bank.code = banks[b].code;
            bank.name = banks[b].name;
            bank.number = std::string("6222") + d.fundId + banks[b].code + "17";
            bank.passwordHash = DemoPasswordHash(bank.number, "888888");
            bank.balance = 10000000; // 100000 yuan
            a->banks.push_back(bank);
        }
        if (a->fundId == "880012345") {
            a->warrants["580011"] = 5000;
            a->fundAccounts["11"] = "F11" + a->fundId;
            CFundHolding f;
            f.code = funds.Funds().front().code;
            f.shares = 1000000; // 10000.00 shares
            f.cost = static_cast<int64_t>(funds.Funds().front().baseNav * 1000000);
            a->fundHoldings.push_back(f);
            // Past deals, one a trading day, for the history query.
            int date = today;
            for (int i = 0; i < 27 && !stocks.empty(); ++i) {
                date = PreviousTradingDate(date);
                const CSecurity& s = *stocks[static_cast<size_t>(i * 3) % stocks.size()];
                CStockOrder o;
                o.id = a->nextId++;
                o.date = date;
                o.time = CMarket::MinuteToHHMM(i * 37 % 240) * 100;
                o.market = s.market;
                o.code = s.code;
                o.name = s.name;
                o.side = i % 3 == 1 ? 1 : 0;
                o.price = PriceOf(s, s.prevClose);
                o.quantity = o.filled = 100 * (1 + i % 5);
                a->orders.push_back(o);
                a->deals.push_back({a->nextId++, o.date, o.time + 5, o.id, o.market, o.code, o.name, o.side, o.price,
                                    o.quantity});
            }
        }
        accounts[a->fundId] = std::move(a);
    }
}

int CBrokerage::Today() const { return market.GetDate(); }

int CBrokerage::OrderDay() const
{
    return market.GetMinuteOfDay() >= 240 ? NextTradingDate(market.GetDate()) : market.GetDate();
}

int CBrokerage::NowHHMMSS() const { return market.GetTimeHHMM() * 100; }

CTradeAccount* CBrokerage::Find(const std::string& fundId)
{
    auto it = accounts.find(fundId);
    return it == accounts.end() ? nullptr : it->second.get();
}

CTradeAccount* CBrokerage::Lookup(const std::string& account, int accountType)
{
    // By the map's keys: an account is read here without its lock, and a failed save writes all of it back.
    CTradeAccount* a = nullptr;
    for (auto& pair : accounts) {
        const std::string& id = pair.first;
        if (accountType == 0 ? id == account : (HolderCode(id, 1) == account || HolderCode(id, 2) == account))
            a = pair.second.get();
    }
    return a;
}

CTradeAccount* CBrokerage::ForSession(const CSession& session, const CRequestParams& request)
{
    if (session.tradeToken.empty() || request.Get("trdtoken") != session.tradeToken)
        return nullptr;
    return Find(session.fundId);
}

int CBrokerage::ExchangeMarket(bool shanghai) const
{
    // Market numbers are the quote market's; the exchange shows in the codes ("60" Shanghai, "00" Shenzhen).
    for (const CSecurity& s : market.Securities())
        if (s.type == KIND_STOCK && s.market != 3 && s.code.rfind(shanghai ? "60" : "00", 0) == 0)
            return s.market;
    return shanghai ? 1 : 2;
}

std::string CBrokerage::HolderCode(const std::string& fundId, int m) const
{
    std::string tail = fundId.substr(fundId.size() > 9 ? fundId.size() - 9 : 0);
    return std::string(1, m == ExchangeMarket(true) ? 'A' : '0') + tail;
}

CTradeAccount* CBrokerage::LogIn(const std::string& account, int accountType, const std::string& branch,
                                 const std::string& password, std::string* error)
{
    if (account.empty()) {
        *error = "请输入资金账号";
        return nullptr;
    }
    CTradeAccount* a = Lookup(account, accountType);
    if (a == nullptr) {
        *error = accountType == 0 ? "资金账号不存在" : "股东账号不存在";
        return nullptr;
    }
    if (!branch.empty() && branch != a->branch) {
        *error = "该账号不属于所选营业部";
        return nullptr;
    }
    if (!CheckPassword(*a, password, "交易密码错误", error))
        return nullptr;
    Settle(*a);
    return a;
}

bool CBrokerage::CheckPassword(CTradeAccount& a, const std::string& password, const char* wrongText,
                               std::string* error)
{
    bool right = PasswordMatches(a.fundId, password, a.passwordHash);
    bool old = right && IsOldPasswordHash(a.passwordHash);
    if (old)
        a.passwordHash = PasswordHash(a.fundId, password); // the digest of an older file is replaced
    return CountPasswordTry(a, a.wrongPasswords, a.lockedUntil, right, wrongText, "账户", error, old);
}

bool CBrokerage::CountPasswordTry(CTradeAccount& a, int& wrong, int64_t& lockedUntil, bool right,
                                  const char* wrongText, const char* locked, std::string* error, bool changed)
{
    int64_t now = Now();
    if (lockedUntil > now) {
        *error = locked + std::string("已锁定，请") + std::to_string((lockedUntil - now + 59) / 60) + "分钟后再试";
        return false;
    }
    if (right) {
        if (wrong != 0 || changed) {
            wrong = 0;
            Save(a);
        }
        return true;
    }
    if (++wrong >= LOCK_AFTER) {
        wrong = 0;
        lockedUntil = now + LOCK_MINUTES * 60;
        *error = "密码连续错误" + std::to_string(LOCK_AFTER) + "次，" + locked + "已锁定，请" +
                 std::to_string(LOCK_MINUTES) + "分钟后再试";
    } else {
        *error = wrongText + std::string("，还可尝试") + std::to_string(LOCK_AFTER - wrong) + "次";
    }
    if (!Save(a))
        *error = "系统暂时无法保存，请稍后再试";
    return false;
}

CDone CBrokerage::ChangePassword(CTradeAccount& a, const std::string& oldPassword, const std::string& newPassword)
{
    CDone d;
    if (!CheckPassword(a, oldPassword, "原密码错误", &d.error))
        return d;
    if (!IsSixDigits(newPassword))
        d.error = "新密码必须为6位数字";
    else if (newPassword == oldPassword)
        d.error = "新密码不能与原密码相同";
    if (!d.Ok())
        return d;
    a.passwordHash = PasswordHash(a.fundId, newPassword);
    d.id = NextId(a);
    if (!Save(a))
        d.error = "系统繁忙，密码未修改";
    return d;
}

const CSecurity* CBrokerage::Security(int m, const std::string& code) const
{
    for (const CSecurity& s : market.Securities())
        if ((m == 0 || s.market == m) && s.code == code && s.type != KIND_INDEX && s.market != 3 && s.market != 9)
            return &s;
    return nullptr;
}

int64_t CBrokerage::PriceOf(const CSecurity& s, int units) { return s.decimals == 3 ? units : int64_t(units) * 10; }

int64_t CBrokerage::PriceStep(const CSecurity& s) { return s.decimals == 3 ? 1 : 10; }

void CBrokerage::Limits(const CSecurity& s, int64_t* up, int64_t* down)
{
    *up = PriceOf(s, static_cast<int>((int64_t(s.prevClose) * 110 + 50) / 100));
    *down = PriceOf(s, static_cast<int>((int64_t(s.prevClose) * 90 + 50) / 100));
}

std::vector<CNewShare> CBrokerage::NewShares() const
{
    // Two issues a day, derived from the seed and the date; the Shanghai one has its own subscription code.
    static const char* const names[] = {"华锐新材", "中科微电", "恒信医药", "联创智能", "天润环保", "博远科技",
                                        "海川能源", "瑞丰食品"};
    int day = OrderDay();
    int shanghai = ExchangeMarket(true), shenzhen = ExchangeMarket(false);
    std::vector<CNewShare> list;
    for (int i = 0; i < 2; ++i) {
        uint64_t h = Mix(seed * 1000003 + static_cast<uint64_t>(day) * 2 + static_cast<uint64_t>(i));
        char digits[8];
        std::snprintf(digits, sizeof digits, "%03d", static_cast<int>(h % 900 + 100));
        CNewShare n;
        n.market = i == 0 ? shanghai : shenzhen;
        n.code = (i == 0 ? "603" : "301") + std::string(digits);
        n.applyCode = i == 0 ? "732" + std::string(digits) : n.code;
        n.name = Gb(names[(h >> 16) % 8]);
        n.price = 1000 * 8 + static_cast<int64_t>((h >> 24) % 3000) * 10;
        n.maxShares = i == 0 ? 10000 : 5000;
        list.push_back(n);
    }
    return list;
}

bool CBrokerage::NewShare(const std::string& applyCode, CNewShare* out) const
{
    for (const CNewShare& n : NewShares())
        if (n.applyCode == applyCode) {
            *out = n;
            return true;
        }
    return false;
}

std::vector<CWarrant> CBrokerage::Warrants() const
{
    std::vector<CWarrant> list;
    std::vector<const CSecurity*> stocks = Stocks(market);
    if (stocks.size() < 2)
        return list;
    int today = market.GetDate();
    for (int i = 0; i < 2; ++i) {
        const CSecurity& s = *stocks[static_cast<size_t>(i) * 4 % stocks.size()];
        CWarrant w;
        w.code = i == 0 ? "580011" : "580012";
        w.name = s.name + "CWB" + std::to_string(i + 1);
        w.market = s.market;
        w.underlying = s.code;
        w.underlyingName = s.name;
        w.strike = PriceOf(s, s.prevClose) * (80 + 10 * i) / 100 / 10 * 10;
        w.ratio = 1;
        // The first is in its exercise period, the second only later.
        w.from = i == 0 ? AddDays(today, -30) : AddDays(today, 60);
        w.to = i == 0 ? AddDays(today, 30) : AddDays(today, 90);
        list.push_back(w);
    }
    return list;
}

int CBrokerage::MaxBuy(const CTradeAccount& a, int64_t price) const
{
    if (price <= 0)
        return 0;
    int64_t lots = (a.cash - a.frozen) * 10 / (price * LOT);
    return static_cast<int>(std::clamp<int64_t>(lots, 0, 10000) * LOT);
}

CDone CBrokerage::PlaceOrder(CTradeAccount& a, int m, const std::string& code, int side, const std::string& priceText,
                             const std::string& quantityText)
{
    Settle(a);
    CDone d;
    CNewShare newShare;
    const CNewShare* issue = side == 0 && NewShare(code, &newShare) ? &newShare : nullptr;
    const CSecurity* s = issue ? nullptr : Security(m, code);
    if (issue == nullptr && s == nullptr)
        return {"证券代码不存在"};
    if (s && s->suspended)
        return {"该证券停牌，不能交易"};
    int64_t price = ParseScaled(priceText, 3);
    if (price <= 0 || (s && price % PriceStep(*s) != 0))
        return {"委托价格无效"};
    int64_t quantity = ParseScaled(quantityText, 0);
    if (quantity <= 0 || quantity > 1000000)
        return {"委托数量无效"};
    int today = OrderDay();
    CStockOrder o;
    if (issue) {
        if (price != issue->price)
            return {"申购价格须为发行价" + Price3(issue->price)};
        if (quantity % NEW_SHARE_LOT != 0)
            return {"申购数量必须为" + std::to_string(NEW_SHARE_LOT) + "股的整数倍"};
        if (quantity > issue->maxShares)
            return {"申购数量超过上限" + std::to_string(issue->maxShares) + "股"};
        for (const CStockOrder& x : a.orders)
            if (x.kind == ORDER_NEW_SHARE && x.date == today && x.code == issue->applyCode)
                return {"该新股今日已申购"};
        o.kind = ORDER_NEW_SHARE;
        o.market = issue->market;
        o.code = issue->applyCode;
        o.name = issue->name;
    } else {
        int64_t up, down;
        Limits(*s, &up, &down);
        if (price > up || price < down)
            return {"委托价格超出涨跌停限制(" + Price3(down) + "-" + Price3(up) + ")"};
        o.market = s->market;
        o.code = s->code;
        o.name = s->name;
    }
    if (side == 0) {
        if (quantity % LOT != 0)
            return {"买入数量必须为100股的整数倍"};
        int64_t cost = CostUp(price, quantity);
        if (cost > a.cash - a.frozen)
            return {"可用资金不足"};
        o.frozen = cost;
        a.frozen += cost;
    } else {
        CHolding* h = a.Holding(s->market, s->code);
        int sellable = h ? a.Sellable(*h, Today()) : 0;
        if (quantity > sellable)
            return {"可卖数量不足（可卖" + std::to_string(sellable) + "股）"};
        if (quantity % LOT != 0 && quantity != sellable)
            return {"卖出零股须一次性卖出"};
        h->frozen += static_cast<int>(quantity);
    }
    o.id = NextId(a);
    o.date = today;
    o.time = NowHHMMSS();
    o.fromMinute = today == Today() ? market.GetMinuteOfDay() : 0;
    o.side = side;
    o.price = price;
    o.quantity = static_cast<int>(quantity);
    a.orders.push_back(o);
    d.id = o.id;
    if (!Save(a))
        return {NotAccepted("委托")};
    return d;
}

void CBrokerage::Fill(CTradeAccount& a, CStockOrder& o, int64_t price, int quantity)
{
    int remaining = o.quantity - o.filled - o.cancelled;
    quantity = std::min(quantity, remaining);
    if (quantity <= 0)
        return;
    a.deals.push_back({NextId(a), o.date, NowHHMMSS(), o.id, o.market, o.code, o.name, o.side, price, quantity});
    o.filled += quantity;
    int64_t amount = CostNear(price, quantity);
    if (o.side == 0) {
        int64_t release = o.IsOpen() ? std::min(o.frozen, CostUp(o.price, quantity)) : o.frozen;
        o.frozen -= release;
        a.frozen -= release;
        a.cash -= amount;
        CHolding* h = a.Holding(o.market, o.code);
        if (h == nullptr) {
            a.holdings.push_back({o.market, o.code, o.name});
            h = &a.holdings.back();
        }
        if (h->boughtDate != o.date)
            h->boughtShares = 0;
        h->boughtDate = o.date;
        h->boughtShares += quantity;
        h->shares += quantity;
        h->cost += amount;
    } else {
        CHolding* h = a.Holding(o.market, o.code);
        if (h == nullptr)
            return;
        h->cost -= h->shares > 0 ? h->cost * quantity / h->shares : 0;
        h->shares -= quantity;
        h->frozen -= quantity;
        a.cash += amount;
        if (h->shares <= 0)
            a.holdings.erase(a.holdings.begin() + (h - a.holdings.data()));
    }
}

int CBrokerage::CancelRest(CTradeAccount& a, CStockOrder& o)
{
    int rest = o.quantity - o.filled - o.cancelled;
    o.cancelled += rest;
    if (o.side == 0) {
        a.frozen -= o.frozen;
        o.frozen = 0;
    } else if (CHolding* h = a.Holding(o.market, o.code)) {
        h->frozen -= rest;
    }
    return rest;
}

CDone CBrokerage::Cancel(CTradeAccount& a, int orderId, int* cancelled)
{
    Settle(a);
    for (auto it = a.orders.rbegin(); it != a.orders.rend(); ++it) { // recent orders are at the end
        CStockOrder& o = *it;
        if (o.id != orderId)
            continue;
        if (o.kind == ORDER_NEW_SHARE)
            return {"新股申购不能撤单"};
        if (!o.IsOpen())
            return {o.filled == o.quantity ? "该委托已全部成交，不能撤单" : "该委托已撤单"};
        *cancelled = CancelRest(a, o);
        CDone d;
        d.id = o.id;
        if (!Save(a))
            return {NotAccepted("撤单")};
        return d;
    }
    return {"委托不存在"};
}

CDone CBrokerage::Exercise(CTradeAccount& a, const std::string& code, const std::string& quantityText, int64_t* paid)
{
    Settle(a);
    std::vector<CWarrant> list = Warrants();
    auto w = std::find_if(list.begin(), list.end(), [&](const CWarrant& x) { return x.code == code; });
    if (w == list.end())
        return {"权证代码不存在"};
    int today = Today();
    if (today < w->from || today > w->to)
        return {"不在行权期内"};
    int64_t quantity = ParseScaled(quantityText, 0);
    if (quantity <= 0)
        return {"行权数量无效"};
    int held = a.warrants.count(code) ? a.warrants[code] : 0;
    if (quantity > held)
        return {"可行权数量不足"};
    int64_t cost = CostUp(w->strike, quantity * w->ratio);
    if (cost > a.cash - a.frozen)
        return {"可用资金不足"};
    a.cash -= cost;
    a.warrants[code] = held - static_cast<int>(quantity);
    CHolding* h = a.Holding(w->market, w->underlying);
    if (h == nullptr) {
        a.holdings.push_back({w->market, w->underlying, w->underlyingName});
        h = &a.holdings.back();
    }
    if (h->boughtDate != today)
        h->boughtShares = 0;
    h->boughtDate = today;
    h->boughtShares += static_cast<int>(quantity * w->ratio);
    h->shares += static_cast<int>(quantity * w->ratio);
    h->cost += cost;
    *paid = cost;
    CDone d;
    d.id = NextId(a);
    if (!Save(a))
        return {NotAccepted("行权")};
    return d;
}

CBankAccount* CBrokerage::Bank(CTradeAccount& a, const std::string& code)
{
    for (CBankAccount& b : a.banks)
        if (b.code == code)
            return &b;
    return nullptr;
}

bool CBrokerage::CheckBankPassword(CTradeAccount& a, CBankAccount& b, const std::string& password, std::string* error)
{
    bool right = PasswordMatches(b.number, password, b.passwordHash);
    bool old = right && IsOldPasswordHash(b.passwordHash);
    if (old)
        b.passwordHash = PasswordHash(b.number, password); // the digest of an older file is replaced
    return CountPasswordTry(a, b.wrongPasswords, b.lockedUntil, right, "银行密码错误", "该银行账户", error, old);
}

CDone CBrokerage::Transfer(CTradeAccount& a, const std::string& bankCode, int direction, const std::string& amountText,
                           const std::string& bankPassword, const std::string& fundPassword)
{
    Settle(a);
    CBankAccount* b = Bank(a, bankCode);
    if (b == nullptr)
        return {"银行代码无效"};
    if (direction != 1 && direction != 2)
        return {"转账方向无效"};
    int64_t amount = ParseScaled(amountText, 2);
    if (amount <= 0 || amount > 500000000)
        return {"转账金额无效"};
    CDone d;
    if (direction == 1) {
        if (!CheckBankPassword(a, *b, bankPassword, &d.error))
            return d;
        if (amount > b->balance)
            return {"银行余额不足"};
        b->balance -= amount;
        a.cash += amount;
    } else {
        if (!CheckPassword(a, fundPassword, "资金密码错误", &d.error))
            return d;
        if (amount > a.cash - a.frozen)
            return {"可取资金不足"};
        a.cash -= amount;
        b->balance += amount;
    }
    d.id = NextId(a);
    a.transfers.push_back({d.id, Today(), NowHHMMSS(), b->code, direction, amount});
    if (!Save(a))
        return {NotAccepted("转账")};
    return d;
}

bool CBrokerage::OnMinute(CTradeAccount& a)
{
    int done = market.GetMinuteOfDay() - 1; // the minute that has just been traded
    int today = market.GetDate();
    bool changed = false;
    for (size_t i = 0; i < a.orders.size(); ++i) {
        CStockOrder& o = a.orders[i];
        if (o.kind != ORDER_STOCK || !o.IsOpen() || o.date != today || done < o.fromMinute)
            continue;
        const CSecurity* s = Security(o.market, o.code);
        if (s == nullptr || s->minutes.empty())
            continue;
        const CMarketMinute& m = s->minutes.back();
        int64_t price = PriceOf(*s, m.price);
        if ((o.side == 0 && price > o.price) || (o.side == 1 && price < o.price))
            continue;
        // A quarter of the minute's volume at most, in whole lots, so large orders fill in parts.
        int lot = std::max(LOT, m.volume / 4 / LOT * LOT);
        Fill(a, a.orders[i], price, lot);
        changed = true;
    }
    if (market.GetMinuteOfDay() >= 240 || market.GetMinuteOfDay() <= 1)
        changed = SettleLocked(a) || changed;
    return changed;
}

void CBrokerage::Settle(CTradeAccount& a)
{
    if (SettleLocked(a))
        Save(a);
}

bool CBrokerage::SettleLocked(CTradeAccount& a)
{
    int today = Today();
    bool closed = market.GetMinuteOfDay() >= 240;
    bool changed = false;
    // Orders before this one have all ended (an order never opens again): only the rest are looked at.
    size_t& ended = files.at(a.fundId)->endedOrders;
    ended = std::min(ended, a.orders.size());
    for (size_t i = ended; i < a.orders.size(); ++i) {
        CStockOrder& o = a.orders[i];
        if (!o.IsOpen())
            continue;
        if (o.kind == ORDER_STOCK && (o.date < today || (o.date == today && closed))) {
            // The day is over: the rest of the order lapses as a cancel would end it.
            CancelRest(a, o);
            changed = true;
        } else if (o.kind == ORDER_NEW_SHARE && o.date < today) {
            // Allotment: one lot for some subscriptions, decided by the seed; the rest of the money returns.
            int allotted = Mix(seed ^ (static_cast<uint64_t>(o.id) * 7919 + static_cast<uint64_t>(o.date))) % 2 == 0
                               ? NEW_SHARE_LOT
                               : 0;
            int64_t paid = CostUp(o.price, allotted);
            a.frozen -= o.frozen;
            a.cash -= paid;
            o.frozen = 0;
            o.filled = allotted;
            o.cancelled = o.quantity - allotted;
            if (allotted > 0) {
                std::string code = o.code.rfind("732", 0) == 0 ? "603" + o.code.substr(3) : o.code;
                a.deals.push_back({NextId(a), o.date, 150000, o.id, o.market, code, o.name, 0, o.price, allotted});
                CHolding* h = a.Holding(o.market, code);
                if (h == nullptr) {
                    a.holdings.push_back({o.market, code, o.name});
                    h = &a.holdings.back();
                }
                h->shares += allotted;
                h->cost += paid;
            }
            changed = true;
        }
    }
    while (ended < a.orders.size() && !a.orders[ended].IsOpen())
        ++ended;
    for (CFundOrder& o : a.fundOrders)
        if (o.state == FUND_ORDER_REPORTED && (o.tradeDate < today || (o.tradeDate == today && closed))) {
            ConfirmFundOrder(a, o);
            changed = true;
        }
    for (CCashHolding& h : a.cashHoldings)
        if (h.state == 0 && h.maturity < today) {
            const CCashProduct* p = funds.Product(h.code);
            h.paid = p ? static_cast<int64_t>(h.amount * p->yieldPercent / 100.0 * p->days / 365.0) : 0;
            a.cash += h.amount + h.paid;
            h.state = 2;
            changed = true;
        }
    return changed;
}
