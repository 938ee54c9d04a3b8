// The simulated brokerage of the stand-in server: trade accounts with cash, positions, orders matched against the
// synthetic market, deals, bank accounts, new shares, warrants, fund accounts, fund orders and cash products, each
// account kept in a file of the data folder. Money is held in fen, stock prices in 1/1000 yuan, fund shares in
// 1/100 share and net values in 1/10000 yuan, so that no rounding drifts across saves.
#pragma once

#include "server/AccountIndex.h"
#include "server/FundCatalog.h"
#include "server/RequestParams.h"
#include "server/SessionTable.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <shared_mutex>
#include <string>
#include <vector>

class CMarket;
struct CSecurity;

enum OrderKind { ORDER_STOCK = 0, ORDER_NEW_SHARE = 1 };
enum FundOrderKind { FUND_SUBSCRIBE = 1, FUND_PURCHASE = 2, FUND_REDEEM = 3, FUND_CONVERT = 4, FUND_DIVIDEND = 5 };
enum FundOrderState { FUND_ORDER_REPORTED = 0, FUND_ORDER_CONFIRMED = 1, FUND_ORDER_CANCELLED = 2 };

// The items of an account compare field by field (operator== = default): a save writes the items that changed, so a
// field added to an item and to its line of the account file is saved with no more ado.
struct CStockOrder {
    int id = 0;
    int date = 0;       // the trading day the order belongs to
    int time = 0;       // HHMMSS when entered
    int fromMinute = 0; // first minute of that day it may fill in
    int market = 0;
    std::string code;
    std::string name;  // GB2312
    int side = 0;      // 0 buy, 1 sell
    int64_t price = 0; // 1/1000 yuan
    int quantity = 0;
    int filled = 0;
    int cancelled = 0;
    int64_t frozen = 0; // fen still frozen for a buy
    int kind = ORDER_STOCK;
    bool IsOpen() const { return filled + cancelled < quantity; }
    bool operator==(const CStockOrder&) const = default;
};

struct CStockDeal {
    int id = 0;
    int date = 0;
    int time = 0;
    int orderId = 0;
    int market = 0;
    std::string code;
    std::string name;
    int side = 0;
    int64_t price = 0;
    int quantity = 0;
    bool operator==(const CStockDeal&) const = default;
};

struct CHolding {
    int market = 0;
    std::string code;
    std::string name;
    int shares = 0;
    int frozen = 0;     // under open sell orders
    int boughtDate = 0; // shares bought on that day are not sellable before the next one
    int boughtShares = 0;
    int64_t cost = 0; // fen, for all shares held
    bool operator==(const CHolding&) const = default;
};

struct CBankAccount {
    std::string code;
    std::string name; // UTF-8
    std::string number;
    std::string passwordHash;
    int64_t balance = 0;
    // The bank password's own lock-out: it is the bank's secret, not the trading password.
    int wrongPasswords = 0;
    int64_t lockedUntil = 0; // wall-clock seconds
    bool operator==(const CBankAccount&) const = default;
};

struct CBankTransfer {
    int id = 0;
    int date = 0;
    int time = 0;
    std::string bank;
    int direction = 1; // 1 bank to securities, 2 securities to bank
    int64_t amount = 0;
    bool operator==(const CBankTransfer&) const = default;
};

struct CFundOrder {
    int id = 0;
    int date = 0;
    int time = 0;
    int tradeDate = 0; // the day whose net value confirms it
    int kind = FUND_PURCHASE;
    std::string code;
    std::string toCode;
    int64_t amount = 0; // fen (subscription, purchase)
    int64_t shares = 0; // 1/100 (redemption, conversion)
    int dividend = 0;   // dividend setting: 0 cash, 1 reinvest
    int state = FUND_ORDER_REPORTED;
    int64_t nav = 0; // 1/10000 at confirmation
    int64_t confirmedShares = 0;
    int64_t confirmedAmount = 0;
    bool operator==(const CFundOrder&) const = default;
};

struct CFundHolding {
    std::string code;
    int64_t shares = 0; // 1/100
    int64_t frozen = 0; // under open redemptions and conversions
    int64_t cost = 0;   // fen
    int dividend = 0;   // 0 cash, 1 reinvest
    bool operator==(const CFundHolding&) const = default;
};

struct CCashHolding {
    int id = 0;
    std::string code;
    int64_t amount = 0;
    int start = 0;
    int maturity = 0;
    int state = 0;    // 0 held, 1 terminated, 2 matured
    int64_t paid = 0; // income paid at the end
    bool operator==(const CCashHolding&) const = default;
};

struct CTradeAccount {
    std::string fundId;
    std::string branch;
    std::string holder; // UTF-8
    std::string passwordHash;
    int wrongPasswords = 0;
    int64_t lockedUntil = 0; // wall-clock seconds
    int64_t cash = 0;
    int64_t frozen = 0;
    int nextId = 1;
    std::vector<CStockOrder> orders;
    std::vector<CStockDeal> deals;
    std::vector<CHolding> holdings;
    std::vector<CBankAccount> banks;
    std::vector<CBankTransfer> transfers;
    std::map<std::string, int> warrants;             // code -> quantity
    std::map<std::string, std::string> fundAccounts; // tacode -> fund account number
    std::vector<CFundOrder> fundOrders;
    std::vector<CFundHolding> fundHoldings;
    std::vector<CCashHolding> cashHoldings;

    CHolding* Holding(int market, const std::string& code);
    CFundHolding* FundHolding(const std::string& code);
    int Sellable(const CHolding& h, int today) const;
    bool operator==(const CTradeAccount&) const = default;
};

struct CBranchOffice {
    const char* code;
    const char* name; // UTF-8
    const char* address;
    const char* phone;
};

struct CDemoAccount {
    const char* fundId;
    const char* password;
    const char* branch;
    const char* holder; // UTF-8
    int64_t cashYuan;
    std::vector<int> stocks; // indices into the market's stock list
    std::vector<int> banks;  // indices into the bank list
};

struct CNewShare {
    std::string applyCode;
    std::string code;
    std::string name; // GB2312
    int market = 0;
    int64_t price = 0; // 1/1000
    int maxShares = 0;
};

struct CWarrant {
    std::string code;
    std::string name; // GB2312
    int market = 0;
    std::string underlying;
    std::string underlyingName;
    int64_t strike = 0;   // 1/1000
    int ratio = 1;        // shares per warrant
    int from = 0, to = 0; // exercise period
};

// The outcome of a rule: an error text (UTF-8) or success with the order number.
struct CDone {
    std::string error;
    int id = 0;
    bool Ok() const { return error.empty(); }
};

class CBrokerage {
public:
    static constexpr int LOCK_AFTER = 3;
    static constexpr int LOCK_MINUTES = 15;
    static constexpr int LOT = 100;
    static constexpr int NEW_SHARE_LOT = 500;
    // The log-in's refusal for an account whose file is damaged.
    static constexpr const char* DAMAGED_ACCOUNT = "账户数据异常，暂停服务，请联系营业部";

    // dataDir empty: nothing is kept on disk. The market must outlive the brokerage.
    CBrokerage(uint64_t seed, const std::string& dataDir, CMarket& market);
    ~CBrokerage();

    // Everything below that takes an account runs with that account's lock held, taken before the market's read
    // lock; one account's work (and its disk write) never holds up another's.
    std::unique_lock<std::mutex> Hold(const CTradeAccount& a);
    // The accounts in service (not those whose file is damaged).
    std::vector<CTradeAccount*> Accounts();
    // The account's open orders and its orders and deals by date, found without walking its lists.
    CAccountIndex& Index(const CTradeAccount& a) { return files.at(a.fundId)->index; }
    // While set, a save on this thread lets go of the market's read lock for its disk write and takes it back, so
    // that the market's clock never waits for a disk. Null clears it.
    static void LetMarketGoWhileSaving(std::shared_lock<std::shared_mutex>* marketRead);

    static const std::vector<CBranchOffice>& Branches();
    static const std::vector<CDemoAccount>& DemoAccounts();
    // The functions, fields, demo accounts and branch offices, for --help.
    static std::string Help();
    const CFundCatalog& Funds() const { return funds; }
    CMarket& Market() { return market; }
    void SetClock(std::function<int64_t()> wallSeconds) { clock = std::move(wallSeconds); }

    // Trading day and time as the market stands: after 15:00 new orders belong to the next trading day.
    int Today() const;
    int OrderDay() const;
    int NowHHMMSS() const;

    // Log-in by fund account or holder code; returns the account or null with the error.
    CTradeAccount* LogIn(const std::string& account, int accountType, const std::string& branch,
                         const std::string& password, std::string* error);
    CTradeAccount* Find(const std::string& fundId);
    // The account a log-in names (fund account, or holder code with accountType 1); null when there is none.
    CTradeAccount* Lookup(const std::string& account, int accountType);
    // The account a request may act on: the session's, when the request carries the session's trade token.
    CTradeAccount* ForSession(const CSession& session, const CRequestParams& request);
    // Counts a wrong password towards the lock; wrongText leads the refusal ("交易密码错误"). The fund password of
    // the transfers is the trading password, so both share one count: three wrong ones in a row lock the account.
    bool CheckPassword(CTradeAccount& a, const std::string& password, const char* wrongText, std::string* error);
    CDone ChangePassword(CTradeAccount& a, const std::string& oldPassword, const std::string& newPassword);
    std::string HolderCode(const std::string& fundId, int market) const;
    int ExchangeMarket(bool shanghai) const;

    // Stocks.
    const CSecurity* Security(int market, const std::string& code) const;
    static void Limits(const CSecurity& s, int64_t* up, int64_t* down);
    // The smallest price step in 1/1000 yuan: 0.01 for prices with two decimals, 0.001 for three.
    static int64_t PriceStep(const CSecurity& s);
    static int64_t PriceOf(const CSecurity& s, int units);
    bool NewShare(const std::string& applyCode, CNewShare* out) const;
    std::vector<CNewShare> NewShares() const;
    int MaxBuy(const CTradeAccount& a, int64_t price) const;
    CDone PlaceOrder(CTradeAccount& a, int market, const std::string& code, int side, const std::string& priceText,
                     const std::string& quantityText);
    CDone Cancel(CTradeAccount& a, int orderId, int* cancelled);
    std::vector<CWarrant> Warrants() const;
    CDone Exercise(CTradeAccount& a, const std::string& code, const std::string& quantityText, int64_t* paid);

    // Banks.
    CBankAccount* Bank(CTradeAccount& a, const std::string& code);
    CDone Transfer(CTradeAccount& a, const std::string& bank, int direction, const std::string& amountText,
                   const std::string& bankPassword, const std::string& fundPassword);
    // A bank password has a count of its own: three wrong ones in a row lock that bank account's transfers and
    // balance for 15 minutes, not the trade log-in.
    bool CheckBankPassword(CTradeAccount& a, CBankAccount& b, const std::string& password, std::string* error);

    // Funds and cash products.
    CDone OpenFundAccount(CTradeAccount& a, const std::string& tacode, const std::string& name,
                          const std::string& idType, const std::string& idNumber, const std::string& phone);
    CDone FundOrder(CTradeAccount& a, int kind, const std::string& code, const std::string& amountText,
                    const std::string& toCode);
    CDone SetDividend(CTradeAccount& a, const std::string& code, int method);
    CDone CancelFundOrder(CTradeAccount& a, int orderId);
    CDone BuyCashProduct(CTradeAccount& a, const std::string& code, const std::string& amountText);
    CDone TerminateCashProduct(CTradeAccount& a, int id, int64_t* principal, int64_t* income);
    int64_t FundNav(const CFundInfo& f, int date) const; // 1/10000

    // Applies what the clock has brought since the account was last seen (expiry, confirmation, allotment,
    // maturity) and saves it when anything changed.
    void Settle(CTradeAccount& a);
    // Called for each account after every market minute, with the market's read lock held: fills orders and
    // settles at the close; true when the account changed (the caller saves it).
    bool OnMinute(CTradeAccount& a);
    // Writes what changed since the last save to the account's journal and flushes it to disk. False when the disk
    // refused it: the account is then put back as it was last saved, so that nothing unsaved is shown or built on.
    bool Save(CTradeAccount& a);
    // For tests: every save fails (as on a full disk) until cleared.
    void SetSavesFail(bool fail) { savesFail = fail; }

    // Password digests: PBKDF2-HMAC-SHA256 with a random salt and PASSWORD_ITERATIONS rounds, kept as
    // "pbkdf2-sha256$ROUNDS$SALT$DIGEST"; the unsalted MD5 digest of older files still matches, and a good check of
    // that password (trading or bank) replaces it.
    static constexpr int PASSWORD_ITERATIONS = 50000;
    static std::string PasswordHash(const std::string& fundId, const std::string& password);
    static bool PasswordMatches(const std::string& fundId, const std::string& password, const std::string& stored);
    static bool IsOldPasswordHash(const std::string& stored);
    // The account's full text (one line per item), and the reading of an account file: that text (older files)
    // or a journal (below); false for a damaged or cut-short one, with why (where, and what is wrong there). torn
    // says where a torn last record was that the reading left out, empty when there was none.
    static std::string Serialize(const CTradeAccount& a);
    static bool Parse(const std::string& text, CTradeAccount* a, std::string* why = nullptr,
                      std::string* torn = nullptr);
    // The account file: "MORWICK-JOURNAL 1", then records "R LENGTH CRC32\n" + LENGTH bytes, each checked by its
    // CRC-32. The first holds the full text; each later one, one save: "+\tLINE" (an item, or the head line "A",
    // written or replaced, matched by its key: an order by its number, a holding by market and code...) or
    // "-\tLINE" (removed). A torn last record (cut short, or with zeros a power cut left) is ignored; any other
    // record that fails its check is damage, and so is a last one whole in length.
    // Journal: a file holding the full text alone.
    static std::string Journal(const CTradeAccount& a);
    // The accounts whose file exists but cannot be read as theirs, each with why. Such an account is refused
    // service (its log-in says so) and its file is never written: it stays as it was found, for the operator.
    std::vector<std::pair<std::string, std::string>> Damaged() const;

private:
    struct CAccountFile {
        std::mutex lock;
        CTradeAccount saved;    // the account as its file holds it
        int64_t bytes = 0;      // the file's length
        int64_t imageBytes = 0; // of which the full text at its start
        bool rewrite = true;    // the next save writes the file anew (at start, after a failed write)
        std::map<std::string, std::vector<size_t>> unended; // by list: where saved items have not ended
        CAccountIndex index;
        std::string damage; // why the file that exists cannot be read: the account is out of service
    };
    void BuildDemoAccounts();
    // The market's stocks, the ones demo holdings and warrants are drawn from.
    std::vector<const CSecurity*> Stocks() const;
    // Cost of a quantity at a price in 1/1000 yuan, in fen: rounded up (what is frozen must cover what is paid) or
    // to the nearest fen (what is paid).
    static int64_t CostUp(int64_t li, int64_t quantity) { return (li * quantity + 9) / 10; }
    static int64_t CostNear(int64_t li, int64_t quantity) { return (li * quantity + 5) / 10; }
    static const std::string& DemoPasswordHash(const std::string& id, const std::string& password);
    // Reads the account's file into its account; false, with why, for a file that cannot be read as its own.
    // torn: where the torn last record was that was left out, if any.
    bool Load(const std::string& path, std::string* why, std::string* torn);
    // Opens the account's file at start: read when it exists, written anew from the account (the demo state)
    // only when there is none; a file that exists and cannot be read marks the account damaged, untouched.
    void OpenFile(const std::string& fundId);
    // After a failed save: the account as last saved, but with its passwords' counts and locks as they are now.
    // restoredBytes: the file's length when it was written back to that, else -1 (written whole next time).
    void Undo(CTradeAccount& a, CAccountFile& file, int64_t restoredBytes);
    void Fill(CTradeAccount& a, CStockOrder& o, int64_t price, int quantity);
    // Ends what is left of an order, releasing its frozen money or shares; returns the quantity ended.
    int CancelRest(CTradeAccount& a, CStockOrder& o);
    bool SettleLocked(CTradeAccount& a);
    // A password's count of wrong tries and its lock: the account's own, or those of its bank account bank.
    struct CLockOut {
        int* wrong;
        int64_t* lockedUntil;
    };
    CLockOut LockOutOf(CTradeAccount& a, const std::string& bank);
    // The lock-out for a password already compared (bank empty: the trading password), saved with account a;
    // locked names what the lock closes ("账户"); changed saves a right password's account even without a count
    // to clear (its digest was replaced). A right password whose earlier wrong tries cannot be cleared on disk is
    // refused.
    bool CountPasswordTry(CTradeAccount& a, const std::string& bank, bool right, const char* wrongText,
                          const char* locked, std::string* error, bool changed = false);
    void ConfirmFundOrder(CTradeAccount& a, CFundOrder& o);
    int64_t Now() const { return clock(); }
    int NextId(CTradeAccount& a) { return a.nextId++; }

    uint64_t seed;
    std::string dataDir;
    CMarket& market;
    CFundCatalog funds;
    std::function<int64_t()> clock;
    std::map<std::string, std::unique_ptr<CTradeAccount>> accounts; // fixed after construction
    std::map<std::string, std::unique_ptr<CAccountFile>> files;     // the same keys
    std::atomic<bool> savesFail{false};
};

// While alive, the brokerage's saves on this thread let go of this market read lock during their disk write.
class CMarketGoesWhileSaving {
public:
    explicit CMarketGoesWhileSaving(std::shared_lock<std::shared_mutex>& read)
    {
        CBrokerage::LetMarketGoWhileSaving(&read);
    }
    ~CMarketGoesWhileSaving() { CBrokerage::LetMarketGoWhileSaving(nullptr); }
    CMarketGoesWhileSaving(const CMarketGoesWhileSaving&) = delete;
    CMarketGoesWhileSaving& operator=(const CMarketGoesWhileSaving&) = delete;
};

// Money and number texts of the replies and requests.
std::string Money(int64_t fen);           // "1234.50"
std::string Price3(int64_t li);           // 1/1000 yuan as "12.34" (three decimals when needed)
std::string Shares2(int64_t hundredths);  // "1000.00"
std::string Nav4(int64_t tenThousandths); // "1.2345"
std::string TimeText(int hhmmss);         // "09:31:00"
// A positive decimal with at most the given decimals, scaled (e.g. "12.34" with 2 -> 1234); -1 when invalid.
int64_t ParseScaled(const std::string& text, int decimals);
// value x times / by rounded half away from zero (by > 0): fund figures are rounded, never cut.
int64_t MulDivRound(int64_t value, int64_t times, int64_t by);
// What a cash product pays on amount (fen) held to maturity, rounded to the fen.
int64_t CashProductIncome(int64_t amount, const CCashProduct& product);
int AddDays(int yyyymmdd, int days);
// The refusal of a change that could not be saved: "委托未受理：系统暂时无法保存，请稍后再试" for "委托".
std::string NotAccepted(const std::string& what);
