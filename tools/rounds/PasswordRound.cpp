// The checks of the password rounds (see PasswordRound.h).
#include "tools/rounds/PasswordRound.h"

#include <array>

namespace {

constexpr int LOCK = CBrokerage::LOCK_AFTER;

// The counts and locks a round passes through: bank count and lock, trading count and lock.
using LockOut = std::array<int, 4>;

LockOut LockOutOf(const CTradeAccount& a)
{
    const CBankAccount& b = a.banks.at(0);
    return {b.wrongPasswords, b.lockedUntil > 0, a.wrongPasswords, a.lockedUntil > 0};
}

// The step after each wrong try, from clear counts: the bank's count goes to its lock, then the trading password's.
std::vector<LockOut> Steps()
{
    std::vector<LockOut> steps = {{0, 0, 0, 0}};
    for (int which : {0, 2})
        for (int n = 1; n <= LOCK; ++n) {
            LockOut next = steps.back();
            next[which] = n < LOCK ? n : 0;
            next[which + 1] = n == LOCK;
            steps.push_back(next);
        }
    return steps;
}

std::string Text(const LockOut& s)
{
    return "bank " + std::to_string(s[0]) + (s[1] ? " locked" : "") + ", trading " + std::to_string(s[2]) +
           (s[3] ? " locked" : "");
}

} // namespace

void SendPasswordTries(RoundsClient& client, const MarketFacts& facts, std::vector<Change>* tries)
{
    for (ChangeKind kind : {ChangeKind::BankPassword, ChangeKind::TradingPassword})
        for (int n = 1; n <= LOCK + 1; ++n) {
            tries->push_back(client.TryPassword(kind, n > LOCK, facts));
            if (tries->back().outcome == Outcome::Unknown)
                return;
        }
}

std::vector<std::string> CheckPasswordAnswers(const std::vector<Change>& tries)
{
    std::vector<std::string> found;
    int wrong[2] = {0, 0};
    for (const Change& c : tries) {
        if (c.outcome == Outcome::Unknown)
            break;
        bool bank = c.kind == ChangeKind::BankPassword;
        int n = c.right ? LOCK + 1 : ++wrong[bank];
        std::string expected =
            std::string(bank ? "银行密码错误" : "交易密码错误") + "，还可尝试" + std::to_string(LOCK - n) + "次";
        const char* locked = bank ? "该银行账户已锁定" : "账户已锁定";
        bool ok = n < LOCK ? c.reason == expected
                           : c.outcome == Outcome::Refused && c.reason.find(locked) != std::string::npos;
        if (!ok)
            found.push_back(std::string(bank ? "bank" : "trading") + " password, " +
                            (c.right ? "the right one" : "wrong try " + std::to_string(n)) + ", answered \"" +
                            (c.outcome == Outcome::Taken ? "went through" : c.reason) + "\"");
    }
    return found;
}

std::vector<std::string> CheckPasswordFile(const CTradeAccount& after, const std::vector<Change>& tries,
                                           int failedSaves, int* step)
{
    int answered = 0, sent = 0;
    for (const Change& c : tries)
        if (!c.right) {
            ++sent;
            answered += c.outcome != Outcome::Unknown;
        }
    std::vector<LockOut> steps = Steps();
    LockOut now = LockOutOf(after);
    *step = -1;
    for (size_t i = 0; i < steps.size(); ++i)
        if (steps[i] == now)
            *step = static_cast<int>(i);
    if (*step < 0)
        return {"the file holds a lock-out no try led to: " + Text(now)};
    if (*step > sent)
        return {"the file holds a lock-out beyond the tries sent: " + Text(now)};
    if (*step < answered - failedSaves)
        return {"the file lost wrong tries that were saved: " + Text(now) + " after " + std::to_string(answered) +
                " answered, " + std::to_string(failedSaves) + " saves failed"};
    return {};
}
