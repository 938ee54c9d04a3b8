// journal-rounds: rounds of order, cancel, transfer and fund floods against a real morwick-server, one client an
// account, each round ended by kill -9 of the server, at a random moment or the moment an account file starts to be
// written anew once the round has done some work; every other round with write, fsync, ftruncate and rename failing
// at random on the account folder (FaultShim, preloaded). After each kill the account files are read as the server
// reads them and checked against what every client was answered (RoundsCheck.h); the next round starts the server
// on them again. Every third pair of rounds sends wrong passwords instead (PasswordRound.h), on fresh accounts.
#include "platform/net/TcpServer.h"
#include "platform/win/FileIo.h"
#include "server/FundCatalog.h"
#include "tools/rounds/PasswordRound.h"
#include "tools/rounds/RoundsCheck.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <map>
#include <memory>
#include <poll.h>
#include <set>
#include <random>
#include <spawn.h>
#include <sys/inotify.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

struct Options {
    std::string server, shim, work;
    int rounds = 40;
    double faultRate = 0.02;
    uint64_t seed = 1;
    int killWithinMs = 1500;
    int epoch = 10;          // rounds on one data folder before a fresh one: the day's orders only grow
    int rewriteAfter = 1000; // changes taken before a rewrite may end the round (a failed save makes one at once)
    double passwordFaultRate = 0.2;  // a round of a few dozen saves: many of them meet a fault
    int passwordKillWithinMs = 1000; // about the time the tries take under faults: the kill lands among or after them
};

// A round's kill: at a random moment, or as a temporary file of a rewrite appears; a password round's at random.
enum class KillAt { Random, Rewrite, Passwords };

struct RoundResult {
    KillAt killAt = KillAt::Random;
    bool faults = false;
    bool killedBeforeReady = false;
    bool killedInRewrite = false; // a temporary file of a rewrite was left
    std::map<std::string, int> refusals;
    int taken = 0, unanswered = 0;
    int tries = 0, locksAnswered = 0, locksInFiles = 0; // password rounds
    std::vector<std::string> findings;
};

int FreePort()
{
    CTcpServer probe;
    return probe.Listen(0) ? probe.GetPort() : -1;
}

// The server on port with its data in work/data (or data); with the shim preloaded, failing calls at faultRate,
// when that is not 0.
pid_t Spawn(const Options& o, int port, double faultRate, uint64_t seed, std::string data = std::string())
{
    data = data.empty() ? o.work + "/data" : data;
    // A frozen market: nothing but the clients' changes moves money. Replies unpacked, for the plain client.
    std::vector<std::string> args = {o.server,  "--port", std::to_string(port), "--data", data,         "--seed", "7",
                                     "--speed", "0",      "--minute",           "60",     "--compress", "off"};
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e)
        env.push_back(*e);
    if (faultRate > 0) {
        env.push_back("LD_PRELOAD=" + o.shim);
        env.push_back("MORWICK_FAULT_DIR=" + data + "/brokerage");
        env.push_back("MORWICK_FAULT_RATE=" + std::to_string(faultRate));
        env.push_back("MORWICK_FAULT_SEED=" + std::to_string(seed));
        env.push_back("MORWICK_FAULT_LOG=" + o.work + "/faults.log");
    }
    std::vector<char*> argv, envp;
    for (std::string& a : args)
        argv.push_back(a.data());
    for (std::string& e : env)
        envp.push_back(e.data());
    argv.push_back(nullptr), envp.push_back(nullptr);
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    std::string log = o.work + "/server.log";
    posix_spawn_file_actions_addopen(&files, 1, log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
    posix_spawn_file_actions_adddup2(&files, 1, 2);
    pid_t pid = -1;
    if (posix_spawn(&pid, o.server.c_str(), &files, nullptr, argv.data(), envp.data()) != 0)
        pid = -1;
    posix_spawn_file_actions_destroy(&files);
    return pid;
}

bool Answers(int port)
{
    CTcpConnection c;
    return c.Connect(static_cast<unsigned short>(port), 200) == 1;
}

// The names of the rewrites' temporary files in the folder.
std::set<std::string> Temporaries(const std::string& folder)
{
    std::set<std::string> names;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec))
        if (entry.path().filename().string().find(".tmp-") != std::string::npos)
            names.insert(entry.path().filename().string());
    return names;
}

// Kills the server at `at`, or for KillAt::Rewrite as soon as a temporary file of a rewrite appears in the folder
// once taken has reached armAfter (at the latest at `at`).
void KillServer(pid_t pid, KillAt mode, const std::string& folder, Clock::time_point at, const std::atomic<int>* taken,
                int armAfter)
{
    int watch = mode == KillAt::Rewrite ? inotify_init1(IN_CLOEXEC) : -1;
    if (watch >= 0)
        inotify_add_watch(watch, folder.c_str(), IN_CREATE);
    alignas(inotify_event) char events[4096];
    for (bool rewrite = false; !rewrite && Clock::now() < at;) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(at - Clock::now()).count();
        pollfd p{watch, POLLIN, 0};
        if (watch < 0 || poll(&p, 1, static_cast<int>(std::min<long long>(left + 1, 50))) <= 0) {
            if (watch < 0)
                std::this_thread::sleep_for(std::chrono::milliseconds(std::min<long long>(left + 1, 5)));
            continue;
        }
        ssize_t n = read(watch, events, sizeof events);
        for (ssize_t i = 0; i < n;) {
            const inotify_event* e = reinterpret_cast<const inotify_event*>(events + i);
            rewrite =
                rewrite || (e->len > 0 && std::strstr(e->name, ".tmp-") != nullptr && taken && *taken >= armAfter);
            i += static_cast<ssize_t>(sizeof(inotify_event) + e->len);
        }
    }
    kill(pid, SIGKILL);
    if (watch >= 0)
        close(watch);
}

MarketFacts Facts()
{
    MarketFacts facts;
    facts.stockCode = "600010";
    CFundCatalog catalog(7);
    for (const CFundInfo& f : catalog.Funds())
        if (f.tacode == "11" && f.state == FUND_OPEN) {
            facts.fundCode = f.code;
            facts.fundMinimumFen = f.minimumFen;
            break;
        }
    return facts;
}

// The account's open orders, to pick cancels from.
void OpenOrders(const CTradeAccount& a, std::vector<int>* orders, std::vector<int>* funds)
{
    for (const CStockOrder& o : a.orders)
        if (o.IsOpen())
            orders->push_back(o.id);
    for (const CFundOrder& o : a.fundOrders)
        if (o.state == FUND_ORDER_REPORTED && o.kind == FUND_PURCHASE)
            funds->push_back(o.id);
}

// One client's part of a round: log-in, stock look-up, flood until the server goes away.
void Flood(RoundsClient& client, const Snapshot& before, std::vector<std::string>* findings)
{
    std::string why;
    if (!client.LogIn(&why)) {
        if (why != "no answer")
            findings->push_back(client.Account() + ": log-in refused: " + why);
        return;
    }
    MarketFacts facts = Facts();
    if (!client.LookUpStock(facts))
        return;
    std::vector<int> orders, funds;
    auto it = before.accounts.find(client.Account());
    if (it == before.accounts.end() || it->second.banks.empty())
        return;
    facts.bank = it->second.banks[0].code;
    OpenOrders(it->second, &orders, &funds);
    client.Flood(facts, orders, funds, it->second.fundAccounts.count("11") > 0);
}

// Waits until the server answers on port, or `until`; whether it answered.
bool WaitForServer(int port, Clock::time_point until)
{
    while (Clock::now() < until) {
        if (Answers(port))
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return false;
}

// The clients flood the server on port until it is killed; their changes, by account. taken counts those taken.
std::map<std::string, std::vector<Change>> FloodUntilKilled(int port, const Snapshot& before, uint64_t seed,
                                                            std::atomic<int>& taken, std::vector<std::string>* findings)
{
    std::vector<std::unique_ptr<RoundsClient>> clients;
    std::vector<std::vector<std::string>> found(CBrokerage::DemoAccounts().size());
    std::vector<std::thread> threads;
    for (const CDemoAccount& d : CBrokerage::DemoAccounts()) {
        clients.push_back(std::make_unique<RoundsClient>(port, d.fundId, d.password, d.branch, seed++));
        clients.back()->taken = &taken;
    }
    for (size_t i = 0; i < clients.size(); ++i)
        threads.emplace_back([&, i] { Flood(*clients[i], before, &found[i]); });
    for (std::thread& t : threads)
        t.join();
    std::map<std::string, std::vector<Change>> changes;
    for (size_t i = 0; i < clients.size(); ++i) {
        changes[clients[i]->Account()] = std::move(clients[i]->changes);
        findings->insert(findings->end(), found[i].begin(), found[i].end());
    }
    return changes;
}

// Checks the files the killed server left against the snapshot before and the answers; the snapshot moves on.
void CheckRound(const std::string& folder, Snapshot& snapshot,
                const std::map<std::string, std::vector<Change>>& changes, RoundResult& r)
{
    Snapshot after = ReadSnapshot(folder);
    for (const auto& [account, why] : after.damaged)
        r.findings.push_back(account + ": damaged after the kill: " + why);
    for (const auto& [account, now] : after.accounts) {
        auto was = snapshot.accounts.find(account);
        auto sent = changes.find(account);
        if (was == snapshot.accounts.end())
            continue;
        static const std::vector<Change> none;
        const std::vector<Change>& list = sent == changes.end() ? none : sent->second;
        for (const std::string& f : CheckAccount(was->second, now, list))
            r.findings.push_back(account + ": " + f);
        for (const Change& c : list) {
            r.taken += c.outcome == Outcome::Taken;
            r.unanswered += c.outcome == Outcome::Unknown;
            if (c.outcome == Outcome::Refused)
                ++r.refusals[c.reason];
        }
    }
    snapshot = after;
}

RoundResult RunRound(const Options& o, int round, Snapshot& snapshot, std::mt19937_64& random)
{
    RoundResult r;
    r.faults = round % 2 == 1;
    r.killAt = round / 2 % 3 == 1 ? KillAt::Rewrite : KillAt::Random;
    std::string folder = o.work + "/data/brokerage";
    std::set<std::string> temps = Temporaries(folder);
    int port = FreePort();
    auto start = Clock::now();
    // Rounds with faults run longer, so that many meet a fault before the kill.
    int randomMs = r.faults ? std::uniform_int_distribution<int>(o.killWithinMs, 4 * o.killWithinMs)(random)
                            : std::uniform_int_distribution<int>(5, o.killWithinMs)(random);
    auto killAt = start + std::chrono::milliseconds(r.killAt == KillAt::Random ? randomMs : o.killWithinMs + 10000);
    pid_t pid = Spawn(o, port, r.faults ? o.faultRate : 0, random());
    if (pid <= 0) {
        r.findings.push_back("cannot start " + o.server);
        return r;
    }
    std::thread killer;
    if (r.killAt == KillAt::Random)
        killer = std::thread(KillServer, pid, KillAt::Random, folder, killAt, nullptr, 0);
    bool answered = WaitForServer(port, killAt);
    r.killedBeforeReady = !answered;
    std::map<std::string, std::vector<Change>> changes;
    std::atomic<int> taken{0};
    if (answered) {
        // Started again on the files the last round left: each account as it was read then.
        Snapshot restarted = ReadSnapshot(folder);
        for (const auto& [account, a] : snapshot.accounts)
            if (!restarted.accounts.count(account) ||
                CBrokerage::Serialize(restarted.accounts[account]) != CBrokerage::Serialize(a))
                r.findings.push_back(account + ": not the same after the server's start");
        if (r.killAt == KillAt::Rewrite)
            killer = std::thread(KillServer, pid, KillAt::Rewrite, folder, killAt, &taken, o.rewriteAfter);
        changes = FloodUntilKilled(port, snapshot, random(), taken, &r.findings);
    }
    if (killer.joinable())
        killer.join();
    kill(pid, SIGKILL); // the flood ended without the killer (a client gave up): the round ends all the same
    waitpid(pid, nullptr, 0);
    for (const std::string& name : Temporaries(folder))
        r.killedInRewrite = r.killedInRewrite || !temps.count(name);
    CheckRound(folder, snapshot, changes, r);
    return r;
}

} // namespace

namespace {

int Usage()
{
    std::printf("usage: journal-rounds --server PATH --shim PATH [--work DIR] [--rounds N] [--faults RATE] [--seed N]\n"
                "                      [--kill-within MS] [--epoch ROUNDS] [--rewrite-after CHANGES]\n"
                "                      [--password-faults RATE] [--password-kill-within MS]\n"
                "  rounds against morwick-server in pairs, the second of a pair with write/fsync/ftruncate/rename\n"
                "  failing at RATE on the account folder; each round ended by kill -9. Of every three pairs, the\n"
                "  first floods orders, cancels, transfers and fund orders and kills at a random moment (up to MS\n"
                "  after the start), the second floods and kills as an account file starts to be written anew once\n"
                "  CHANGES were taken, the third sends wrong bank and trading passwords to fresh accounts and kills\n"
                "  among them (up to MS after the server answers; faults at the password RATE). After each kill the\n"
                "  files are checked against the clients' answers (and a password round's lock-outs against a\n"
                "  server started on them); every ROUNDS flood rounds the accounts start afresh. Exit status 1 when\n"
                "  anything was found. DIR/data, DIR/passwords, DIR/server.log and DIR/faults.log are the rounds'\n"
                "  own; when nothing was found they go, and DIR if it is left empty.\n");
    return 2;
}

bool ParseOptions(int argc, char** argv, Options& o)
{
    for (int i = 1; i + 1 < argc; i += 2) {
        std::string a = argv[i], v = argv[i + 1];
        if (a == "--server")
            o.server = v;
        else if (a == "--shim")
            o.shim = v;
        else if (a == "--work")
            o.work = v;
        else if (a == "--rounds")
            o.rounds = std::atoi(v.c_str());
        else if (a == "--faults")
            o.faultRate = std::atof(v.c_str());
        else if (a == "--seed")
            o.seed = std::strtoull(v.c_str(), nullptr, 10);
        else if (a == "--kill-within")
            o.killWithinMs = std::max(10, std::atoi(v.c_str()));
        else if (a == "--epoch")
            o.epoch = std::max(1, std::atoi(v.c_str()));
        else if (a == "--rewrite-after")
            o.rewriteAfter = std::max(0, std::atoi(v.c_str()));
        else if (a == "--password-faults")
            o.passwordFaultRate = std::atof(v.c_str());
        else if (a == "--password-kill-within")
            o.passwordKillWithinMs = std::max(10, std::atoi(v.c_str()));
        else
            return false;
    }
    return argc % 2 == 1 && !o.server.empty() && !o.shim.empty() && o.rounds > 0;
}

// The accounts as the server writes them at its first start on an empty folder (work/data, or data).
bool FirstStart(const Options& o, Snapshot* snapshot, std::string data = std::string())
{
    data = data.empty() ? o.work + "/data" : data;
    std::error_code ec;
    std::filesystem::remove_all(data, ec);
    int port = FreePort();
    pid_t pid = Spawn(o, port, 0, 0, data);
    bool up = pid > 0 && WaitForServer(port, Clock::now() + std::chrono::seconds(30));
    if (pid > 0)
        kill(pid, SIGKILL), waitpid(pid, nullptr, 0);
    *snapshot = ReadSnapshot(data + "/brokerage");
    return up && snapshot->accounts.size() == CBrokerage::DemoAccounts().size();
}

// Each account's client sends its password tries to the server on port until it is killed; the tries by account.
std::map<std::string, std::vector<Change>> SendPasswords(int port, const Snapshot& fresh,
                                                         std::vector<std::string>* found)
{
    std::map<std::string, std::vector<Change>> tries;
    std::vector<std::string> refused(CBrokerage::DemoAccounts().size());
    std::vector<std::thread> threads;
    for (const CDemoAccount& d : CBrokerage::DemoAccounts()) {
        std::vector<Change>* mine = &tries[d.fundId];
        std::string* why = &refused[threads.size()];
        threads.emplace_back([&fresh, port, d, mine, why] {
            RoundsClient client(port, d.fundId, d.password, d.branch, 0);
            MarketFacts facts;
            facts.bank = fresh.accounts.at(d.fundId).banks.at(0).code;
            if (client.LogIn(why))
                SendPasswordTries(client, facts, mine);
            else if (*why != "no answer")
                *why = std::string(d.fundId) + ": log-in refused: " + *why;
        });
    }
    for (std::thread& t : threads)
        t.join();
    for (const std::string& why : refused)
        if (!why.empty() && why != "no answer")
            found->push_back(why);
    return tries;
}

// A server started on the files the kill left keeps the lock-outs they hold: a locked trading password refuses the
// right one, and so does a locked bank account.
void CheckRestartKeepsLockOuts(const Options& o, const std::string& data, const Snapshot& after,
                               std::vector<std::string>* found)
{
    int port = FreePort();
    pid_t pid = Spawn(o, port, 0, 0, data);
    if (pid <= 0 || !WaitForServer(port, Clock::now() + std::chrono::seconds(30)))
        found->push_back("the server does not start on the files the kill left");
    for (const CDemoAccount& d : CBrokerage::DemoAccounts()) {
        auto it = after.accounts.find(d.fundId);
        if (pid <= 0 || it == after.accounts.end())
            continue;
        RoundsClient client(port, d.fundId, d.password, d.branch, 0);
        std::string why;
        bool in = client.LogIn(&why);
        bool refusedAsLocked = !in && why.find("账户已锁定") != std::string::npos;
        if (it->second.lockedUntil > 0 ? !refusedAsLocked : !in)
            found->push_back(std::string(d.fundId) + ": after a restart the right trading password was " +
                             (in ? "let in" : "refused: " + why));
        MarketFacts facts;
        facts.bank = it->second.banks.at(0).code;
        if (in && it->second.banks.at(0).lockedUntil > 0 &&
            client.TryPassword(ChangeKind::BankPassword, true, facts).reason.find("该银行账户已锁定") ==
                std::string::npos)
            found->push_back(std::string(d.fundId) + ": after a restart the bank's lock-out was lifted");
    }
    if (pid > 0)
        kill(pid, SIGKILL), waitpid(pid, nullptr, 0);
}

// Checks the answers, the files the kill left (against the saves the server's log says failed since logFrom) and a
// server started on them.
void CheckPasswordRound(const Options& o, const std::string& data,
                        const std::map<std::string, std::vector<Change>>& tries, size_t logFrom, RoundResult& r)
{
    Snapshot after = ReadSnapshot(data + "/brokerage");
    for (const auto& [account, why] : after.damaged)
        r.findings.push_back(account + ": damaged after the kill: " + why);
    std::string log;
    ReadFileNative(o.work + "/server.log", &log);
    for (const auto& [account, list] : tries) {
        for (const std::string& f : CheckPasswordAnswers(list))
            r.findings.push_back(account + ": " + f);
        for (const Change& c : list) {
            r.tries += c.outcome != Outcome::Unknown;
            r.locksAnswered += c.reason.find("密码连续错误") != std::string::npos;
        }
        auto it = after.accounts.find(account);
        if (it == after.accounts.end())
            continue;
        std::string failed = "cannot write " + data + "/brokerage/" + account + ".txt";
        int failures = 0, step = 0;
        for (size_t at = log.find(failed, logFrom); at != std::string::npos; at = log.find(failed, at + 1))
            ++failures;
        for (const std::string& f : CheckPasswordFile(it->second, list, failures, &step))
            r.findings.push_back(account + ": " + f);
        r.locksInFiles += (it->second.lockedUntil > 0) + (it->second.banks.at(0).lockedUntil > 0);
    }
    CheckRestartKeepsLockOuts(o, data, after, &r.findings);
}

// A password round: fresh accounts sent wrong passwords (while saves fail, in odd rounds), the server killed at a
// random moment, then checked.
RoundResult RunPasswordRound(const Options& o, int round, std::mt19937_64& random)
{
    RoundResult r;
    r.faults = round % 2 == 1;
    r.killAt = KillAt::Passwords;
    std::string data = o.work + "/passwords", log;
    Snapshot fresh;
    if (!FirstStart(o, &fresh, data)) {
        r.findings.push_back("the server did not start on fresh accounts");
        return r;
    }
    ReadFileNative(o.work + "/server.log", &log);
    int port = FreePort();
    pid_t pid = Spawn(o, port, r.faults ? o.passwordFaultRate : 0, random(), data);
    if (pid <= 0) {
        r.findings.push_back("cannot start " + o.server);
        return r;
    }
    r.killedBeforeReady = !WaitForServer(port, Clock::now() + std::chrono::seconds(30));
    auto killAt =
        Clock::now() + std::chrono::milliseconds(std::uniform_int_distribution<int>(5, o.passwordKillWithinMs)(random));
    std::thread killer(KillServer, pid, KillAt::Random, data + "/brokerage", killAt, nullptr, 0);
    std::map<std::string, std::vector<Change>> tries;
    if (!r.killedBeforeReady)
        tries = SendPasswords(port, fresh, &r.findings);
    killer.join();
    waitpid(pid, nullptr, 0);
    CheckPasswordRound(o, data, tries, log.size(), r);
    return r;
}

// After the last kill: the server starts, says nothing is out of service, and every account logs in.
std::vector<std::string> LogInToEveryAccount(const Options& o)
{
    std::vector<std::string> found;
    std::string log = o.work + "/server.log", before, after;
    ReadFileNative(log, &before);
    int port = FreePort();
    pid_t pid = Spawn(o, port, 0, 0);
    if (pid <= 0 || !WaitForServer(port, Clock::now() + std::chrono::seconds(30)))
        found.push_back("the server does not start");
    for (const CDemoAccount& d : CBrokerage::DemoAccounts()) {
        RoundsClient client(port, d.fundId, d.password, d.branch, 0);
        std::string why;
        if (!client.LogIn(&why))
            found.push_back(std::string(d.fundId) + ": log-in refused: " + why);
    }
    if (pid > 0)
        kill(pid, SIGKILL), waitpid(pid, nullptr, 0);
    ReadFileNative(log, &after);
    if (after.find("out of service", before.size()) != std::string::npos)
        found.push_back("the server put an account out of service: " + after.substr(before.size()));
    return found;
}

int CountLines(const std::string& path)
{
    std::string text;
    return ReadFileNative(path, &text) ? static_cast<int>(std::count(text.begin(), text.end(), '\n')) : 0;
}

void PrintRound(int round, const RoundResult& r, int faults)
{
    int refused = 0;
    for (const auto& pair : r.refusals)
        refused += pair.second;
    if (r.killAt == KillAt::Passwords)
        std::printf("round %d (passwords%s): %d tries answered, %d locks answered, %d locks in the files, %d faults%s: "
                    "%s\n",
                    round, r.faults ? ", faults" : "", r.tries, r.locksAnswered, r.locksInFiles, faults,
                    r.killedBeforeReady ? ", killed while starting" : "", r.findings.empty() ? "ok" : "FOUND");
    else
        std::printf("round %d (%s%s): %d taken, %d refused, %d unanswered, %d faults%s%s: %s\n", round,
                    r.killAt == KillAt::Random ? "kill at a random moment" : "kill as a rewrite begins",
                    r.faults ? ", faults" : "", r.taken, refused, r.unanswered, faults,
                    r.killedBeforeReady ? ", killed while starting" : "",
                    r.killedInRewrite ? ", killed mid-rewrite" : "", r.findings.empty() ? "ok" : "FOUND");
    for (const std::string& f : r.findings)
        std::printf("  %s\n", f.c_str());
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv)
{
    Options o;
    if (!ParseOptions(argc, argv, o))
        return Usage();
    o.server = std::filesystem::absolute(o.server).string();
    o.shim = std::filesystem::absolute(o.shim).string();
    // On a disk by default: its flushes take time, so that kills land inside writes and rewrites.
    if (o.work.empty())
        o.work = (std::filesystem::temp_directory_path() / ("morwick-rounds-" + std::to_string(getpid()))).string();
    std::filesystem::create_directories(o.work);
    o.work = std::filesystem::canonical(o.work).string();
    std::mt19937_64 random(o.seed);

    Snapshot snapshot;
    RoundResult total;
    int found = 0, rewrites = 0, starting = 0, faultsBefore = 0, refused = 0, floods = 0;
    for (int round = 0; round < o.rounds; ++round) {
        bool passwords = round / 2 % 3 == 2;
        if (!passwords && floods++ % o.epoch == 0 && !FirstStart(o, &snapshot)) {
            std::printf("the server did not start, or left no accounts (%s)\n", o.work.c_str());
            return 1;
        }
        RoundResult r = passwords ? RunPasswordRound(o, round, random) : RunRound(o, round, snapshot, random);
        int faults = CountLines(o.work + "/faults.log");
        PrintRound(round, r, faults - faultsBefore);
        faultsBefore = faults;
        found += static_cast<int>(r.findings.size());
        rewrites += r.killedInRewrite, starting += r.killedBeforeReady;
        total.taken += r.taken, total.unanswered += r.unanswered;
        total.tries += r.tries, total.locksAnswered += r.locksAnswered, total.locksInFiles += r.locksInFiles;
        for (const auto& [why, n] : r.refusals)
            total.refusals[why] += n, refused += n;
    }
    std::vector<std::string> last = LogInToEveryAccount(o);
    for (const std::string& f : last)
        std::printf("after the last round: %s\n", f.c_str());
    found += static_cast<int>(last.size());
    std::printf("%d rounds: %d changes acknowledged, %d refused, %d unanswered at the kill; %d faults injected; %d "
                "kills mid-rewrite, %d while starting; %d findings\n",
                o.rounds, total.taken, refused, total.unanswered, faultsBefore, rewrites, starting, found);
    for (const auto& [why, n] : total.refusals)
        std::printf("  refused %d: %s\n", n, why.c_str());
    std::printf("password rounds: %d tries answered, %d locks answered, %d locks in the files after the kill\n",
                total.tries, total.locksAnswered, total.locksInFiles);
    if (found == 0) {
        // Only what the rounds wrote goes: a --work folder may hold the user's own files.
        std::error_code ec;
        for (const char* name : {"data", "passwords", "server.log", "faults.log"})
            std::filesystem::remove_all(o.work + "/" + name, ec);
        std::filesystem::remove(o.work, ec); // the folder itself only when nothing else is in it
    } else {
        std::printf("files and the server's log kept in %s\n", o.work.c_str());
    }
    return found == 0 ? 0 : 1;
}
