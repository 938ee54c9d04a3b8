// The functions of the stand-in server: takes a request body as the client sends it (envelope, common
// fields, optional enciphered business fields), runs the function its numbers name, and returns the reply
// body with its result, compression and cipher, ready for the HTTP layer.
#pragma once

#include "server/Market.h"
#include "server/MarketClock.h"
#include "server/RequestParams.h"
#include "server/SessionTable.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class CRsaKeyPair;
class CDataSetWriter;
class CBrokerage;

struct CServerOptions {
    uint64_t seed = 1;
    std::string version = "3.2.2.0.1"; // the server's client version: a newer fifth component fetches menus
    std::string updateInfo;            // release notes (UTF-8); a default text when empty
    int idleSeconds = 1800;            // session expiry after this much silence (0: never)
    int compressMode = -1;             // -1 large replies, 0 never, 17 LZSS always, 18 zlib always
    int cipherMode = -1;               // -1 account replies, 0 never, 1 every reply that has a session key
    // Smaller replies go plain when packing is automatic: zlib spends more on one than the whole request costs
    // (about 20 us against 15 for a 1.6 KB page), to save under a kilobyte.
    int compressThreshold = 2048;
    int startMinute = -1;                // trading minutes done at start; -1 from the local clock
    int today = 0;                       // YYYYMMDD; 0 from the local clock
    double marketMinutesPerSecond = 0.2; // how fast the market runs; 0 freezes it
    std::string dataDir; // where the trade accounts and the market's clock are kept; empty: in memory only
};

// Results of the reply header beyond 0 (normal) and 1..99 (the body is an error text).
constexpr int RESULT_SESSION_EXPIRED = 100; // unknown or expired session: the client logs in again silently
constexpr int RESULT_TRADE_EXPIRED = 101;   // the request's trade token is not this session's trade log-in

struct CServerReply {
    int result = 0;      // 0 normal; 1..99 the body is an error text; 100, 101 as above
    std::string body;    // after compression and cipher
    int compression = 0; // 0, 17 or 18
    int cipher = 0;      // 0 or 36
    int mfunc = -1;      // for the request log
    int sfunc = -1;
    std::string note; // what was odd about the request, for the request log
};

struct CMenuRow {
    int id;
    int parent;
    std::string title; // UTF-8 in the source, sent as GB2312
    std::string action;
};

class CServerFunctions {
public:
    CServerFunctions(const CServerOptions& options, const CRsaKeyPair* keys);
    ~CServerFunctions();

    CServerReply Handle(const std::string& body);

    CSessionTable& Sessions() { return sessions; }
    // The newer build offered to clients whose version is behind options.version (800/2, 800/3); false with
    // the reason when the file cannot be read.
    bool LoadPackage(const std::string& path, std::string* error);
    // Damages one byte of the package served while its announced digest stays (control "set?package=corrupt").
    void CorruptPackage();
    CMarket& Market() { return market; }
    void SetCompressMode(int mode) { compressMode = mode; }
    void SetCipherMode(int mode) { cipherMode = mode; }
    void SetPopMessage(const std::string& utf8Text);
    // The sign-up code of a mobile number (derived from the seed, so it survives restarts).
    std::string SignUpCode(const std::string& mobile) const;
    const CServerOptions& Options() const { return options; }
    // Runs the market and the brokerage on by whole trading minutes now (the running clock then waits until its
    // own time has caught up).
    void AdvanceMinutes(int minutes);
    // For tests: every save of an account fails, as on a full disk, until cleared (control "set?saves=fail").
    void SetSavesFail(bool fail);
    // The accounts out of service because their file is damaged, each with why (control "status").
    std::vector<std::pair<std::string, std::string>> DamagedAccounts() const;

    static std::vector<CMenuRow> MainMenu();
    static std::vector<std::pair<std::string, std::string>> ConfigPairs();

private:
    struct Context {
        CRequestParams params;
        bool hasSession = false;
        CSession session;
        int mfunc = 0;
        int sfunc = 0;
    };
    // What a function answers before packing.
    struct Answer {
        int result = 0;
        std::string body;
        bool account = false; // enciphered by default
        bool raw = false;     // bytes sent as they are: never compressed or enciphered
    };

    // The market's clock: a thread of its own runs the market on by whole minutes as time passes, so that no
    // request waits for it (nor for a disk).
    void RunClock();
    // One minute: the market on under its write lock (held briefly), then each account's fills, saved with only
    // that account's lock held. With tickLock held.
    void StepMarket();
    Answer Dispatch(Context& c);
    // The request names an account (fund id, holder code, the id of its trade session) other than the one of its
    // session's trade log-in.
    bool NamesAnotherAccount(const Context& c) const;
    CServerReply Pack(const Context& c, Answer answer);
    static Answer Error(const std::string& utf8Text);
    static Answer Failure(int result, const std::string& utf8Text);

    // sign-on and frame
    Answer LogIn(Context& c);
    Answer SignUp(Context& c);
    Answer Configuration(Context& c);
    Answer LogOut(Context& c);
    Answer PopMessage(Context& c);
    Answer SubMenu(Context& c);
    // quotes
    Answer RankedTable(Context& c);
    Answer QuoteList(Context& c);
    Answer DomesticIndices(Context& c);
    Answer WorldIndices(Context& c);
    Answer PinyinSearch(Context& c);
    Answer Deals(Context& c);
    Answer TimeShare(Context& c);
    Answer KLine(Context& c);
    Answer Radar(Context& c);
    Answer StockInfo(Context& c);
    // news
    Answer Headlines(Context& c);
    Answer Article(Context& c);
    // accounts
    Answer TradeLogIn(Context& c);
    // customer service and update
    Answer CustomerService(Context& c);
    Answer UpdateAnnouncement(Context& c);
    Answer PackageBytes(Context& c);
    std::string UpdateNotes() const;
    // trading, funds and cash products (TradeFunctions.cpp, FundFunctions.cpp)
    Answer Trade(Context& c);
    Answer Fund(Context& c);

    void WriteQuoteColumns(CDataSetWriter& set, const std::vector<int>& fields) const;
    void WriteQuoteRow(CDataSetWriter& set, const std::vector<int>& fields, const CSecurity& s) const;
    std::vector<int> ParseFieldList(const std::string& text) const;
    std::string StockInfoSet(const CSecurity& s) const;

    CServerOptions options;
    const CRsaKeyPair* keys;
    CSessionTable sessions;
    CMarketClock marketClock; // before the market, which starts no earlier than it
    CMarket market;
    std::unique_ptr<CBrokerage> brokerage;
    std::chrono::steady_clock::time_point started;
    std::mutex tickLock; // one minute's step at a time
    std::mutex gate;     // held by a step waiting for the market's write lock: new requests wait behind it
    std::mutex clockLock;
    std::condition_variable clockWake;
    bool clockStop = false;
    std::thread clock;
    std::atomic<int> compressMode;
    std::atomic<int> cipherMode;
    std::mutex packageLock;
    std::string package;
    std::string packageMd5;
    std::mutex popLock;
    std::string popMessage;
    int popId = 1;
};
