// One flooding client of the journal rounds: its own connection, session and trade log-in to one account, and
// changes sent one at a time (orders, cancels, transfers both ways, fund purchases and their cancels), each
// written down with what the server answered: taken (with its number), refused (with why), or no answer.
#pragma once

#include "platform/net/TcpServer.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <vector>

enum class ChangeKind {
    Order,
    Cancel,
    TransferIn,
    TransferOut,
    FundPurchase,
    FundCancel,
    FundAccount,
    BankPassword,   // a transfer in with a bank password, for its answer
    TradingPassword // a trade log-in with a trading password, for its answer
};
enum class Outcome { Taken, Refused, Unknown };

struct Change {
    ChangeKind kind = ChangeKind::Order;
    int target = 0; // the order a cancel names
    Outcome outcome = Outcome::Unknown;
    int id = 0;         // the number a taken change was given
    std::string reason; // UTF-8, for a refusal
    bool right = false; // a password try with the right password
};

// What every client of a round needs to know about the market.
struct MarketFacts {
    std::string stockCode;
    std::string lowPrice; // the lowest price allowed: a buy there stays open
    std::string fundCode; // a fund of the fund company "11", open for purchases
    int64_t fundMinimumFen = 100000;
    std::string bank; // the account's first bank
};

class RoundsClient {
public:
    RoundsClient(int port, std::string account, std::string password, std::string branch, uint64_t seed);

    // The session and the trade log-in; false (with why) when the server refused or went away.
    bool LogIn(std::string* why);
    // The stock's lowest price, asked of the server (600/3).
    bool LookUpStock(MarketFacts& facts);
    // Sends random changes until the server goes away; every one sent is in changes. openOrders and openFunds are
    // the account's open stock and fund orders to pick cancels from; hasFundAccount whether 700/11 can be used.
    void Flood(const MarketFacts& facts, std::vector<int> openOrders, std::vector<int> openFunds, bool hasFundAccount);
    // A password try (ChangeKind::BankPassword or TradingPassword) with the right password or a wrong one; taken
    // when it went through.
    Change TryPassword(ChangeKind kind, bool right, const MarketFacts& facts);

    const std::string& Account() const { return account; }
    std::vector<Change> changes;
    // When set, counts the changes taken, for whoever watches the round from another thread.
    std::atomic<int>* taken = nullptr;

private:
    // The trade log-in (600/1) with a password; its refusal, empty when it went through; false without an answer.
    bool TradeLogIn(const std::string& secret, std::string* refusal);
    // One request and the body of its reply; false when no answer came.
    bool Call(const std::string& fields, std::string* body);
    Change Send(ChangeKind kind, const MarketFacts& facts, int target);

    int port;
    std::string account, password, branch;
    std::mt19937_64 random;
    CTcpConnection connection;
    std::string pending, session, trade;
};
