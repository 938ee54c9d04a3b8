// Trade accounts of the stand-in server: demo accounts, log-in with lock-out, password changes and bank transfers.
// The stock orders and the settling of what the clock brings are in BrokerageOrders.cpp.
#include "server/Brokerage.h"

#include "server/Market.h"
#include "platform/win/FileIo.h"
#include "platform/device/ServerCipher.h"
#include "server/ServerText.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
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
    // Saves into a folder that is not there fail on their own; a new one whose entry could not be flushed may
    // not last a power cut, and only this says so.
    if (!CreatePrivateFolderNative(dataDir))
        std::fprintf(stderr, "morwick-server: cannot make %s: %s\n", dataDir.c_str(), std::strerror(errno));
    std::filesystem::permissions(dataDir, std::filesystem::perms::owner_all, ec);
    for (auto& pair : accounts)
        OpenFile(pair.first);
}

void CBrokerage::OpenFile(const std::string& fundId)
{
    std::string path = (std::filesystem::path(dataDir) / (fundId + ".txt")).string();
    CAccountFile& file = *files.at(fundId);
    std::error_code ec;
    std::string torn;
    std::filesystem::file_status status = std::filesystem::symlink_status(path, ec);
    if (ec && status.type() != std::filesystem::file_type::not_found)
        file.damage = "it cannot be looked at: " + ec.message();
    else if (status.type() != std::filesystem::file_type::not_found)
        Load(path, &file.damage, &torn);
    if (!file.damage.empty()) {
        // Never the demo state over a file that exists: the account waits for its file to be mended.
        std::fprintf(stderr,
                     "morwick-server: account %s is out of service: %s is damaged (%s); the file is left as it is\n",
                     fundId.c_str(), path.c_str(), file.damage.c_str());
        return;
    }
    // Written anew: the journal starts from the full text (older files take the journal's form here), and a torn
    // last record goes; the operator learns where it was, since the rewrite leaves no trace of it.
    if (!torn.empty())
        std::fprintf(stderr, "morwick-server: account %s: the torn last record of %s (%s) is dropped\n", fundId.c_str(),
                     path.c_str(), torn.c_str());
    CTradeAccount& a = *accounts.at(fundId);
    file.saved = a;
    Save(a);
}

std::vector<std::pair<std::string, std::string>> CBrokerage::Damaged() const
{
    std::vector<std::pair<std::string, std::string>> list;
    for (const auto& pair : files)
        if (!pair.second->damage.empty())
            list.emplace_back(pair.first, pair.second->damage);
    return list;
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
        if (files.at(pair.first)->damage.empty()) // a damaged account is not run on either
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

bool CBrokerage::IsOldPasswordHash(const std::string& stored)
{
    return stored.rfind("pbkdf2-sha256$", 0) != 0;
}

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
    static const Bank banks[] = {
        {"01", "中国工商银行"}, {"02", "中国建设银行"}, {"03", "招商银行"}, {"04", "中国银行"}};
    std::vector<const CSecurity*> stocks = Stocks();
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
                a->deals.push_back(
                    {a->nextId++, o.date, o.time + 5, o.id, o.market, o.code, o.name, o.side, o.price, o.quantity});
            }
        }
        accounts[a->fundId] = std::move(a);
    }
}

int CBrokerage::Today() const
{
    return market.GetDate();
}

int CBrokerage::OrderDay() const
{
    return market.GetMinuteOfDay() >= 240 ? NextTradingDate(market.GetDate()) : market.GetDate();
}

int CBrokerage::NowHHMMSS() const
{
    return market.GetTimeHHMM() * 100;
}

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
    CTradeAccount* a = Find(session.fundId);
    return a && files.at(a->fundId)->damage.empty() ? a : nullptr;
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
    if (!files.at(a->fundId)->damage.empty()) {
        *error = DAMAGED_ACCOUNT;
        return nullptr;
    }
    if (!CheckPassword(*a, password, "交易密码错误", error))
        return nullptr;
    Settle(*a);
    return a;
}

bool CBrokerage::CheckPassword(CTradeAccount& a, const std::string& password, const char* wrongText, std::string* error)
{
    bool right = PasswordMatches(a.fundId, password, a.passwordHash);
    bool old = right && IsOldPasswordHash(a.passwordHash);
    if (old)
        a.passwordHash = PasswordHash(a.fundId, password); // the digest of an older file is replaced
    return CountPasswordTry(a, std::string(), right, wrongText, "账户", error, old);
}

CBrokerage::CLockOut CBrokerage::LockOutOf(CTradeAccount& a, const std::string& bank)
{
    if (CBankAccount* b = bank.empty() ? nullptr : Bank(a, bank))
        return {&b->wrongPasswords, &b->lockedUntil};
    return {&a.wrongPasswords, &a.lockedUntil};
}

bool CBrokerage::CountPasswordTry(CTradeAccount& a, const std::string& bank, bool right, const char* wrongText,
                                  const char* locked, std::string* error, bool changed)
{
    int64_t now = Now();
    CLockOut count = LockOutOf(a, bank);
    if (*count.lockedUntil > now) {
        *error =
            locked + std::string("已锁定，请") + std::to_string((*count.lockedUntil - now + 59) / 60) + "分钟后再试";
        return false;
    }
    if (right) {
        int wrongBefore = *count.wrong;
        if (wrongBefore == 0 && !changed)
            return true;
        *count.wrong = 0;
        if (Save(a) || wrongBefore == 0)
            return true; // a replaced digest that could not be saved is replaced at a later good check
        // Wrong tries not cleared on disk are not cleared at all, and the log-in waits for the disk.
        *LockOutOf(a, bank).wrong = wrongBefore;
        *error = "系统暂时无法保存，请稍后再试";
        return false;
    }
    if (++*count.wrong >= LOCK_AFTER) {
        *count.wrong = 0;
        *count.lockedUntil = now + LOCK_MINUTES * 60;
        *error = "密码连续错误" + std::to_string(LOCK_AFTER) + "次，" + locked + "已锁定，请" +
                 std::to_string(LOCK_MINUTES) + "分钟后再试";
    } else {
        *error = wrongText + std::string("，还可尝试") + std::to_string(LOCK_AFTER - *count.wrong) + "次";
    }
    // The count and the lock hold whether or not the disk takes them: a failed save keeps them in memory.
    Save(a);
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
    return CountPasswordTry(a, b.code, right, "银行密码错误", "该银行账户", error, old);
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
