// morwick-server: the stand-in for the firm's server on loopback, with a synthetic market.
#include "platform/device/RsaKeyPair.h"
#include "platform/win/FileIo.h"
#include "server/Brokerage.h"
#include "server/HttpServer.h"
#include "server/ServerFunctions.h"
#include "server/ServerText.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>

namespace {

std::atomic<bool> quit{false};

void OnSignal(int)
{
    quit = true;
}

void Usage()
{
    std::printf(
        "usage: morwick-server [--port 8002] [--control-port N] [--data DIR] [--seed N] [--export-pubkey PATH]\n"
        "                      [--chunked] [--compress auto|off|lzss|zlib] [--cipher auto|off|on] [--idle SECONDS]\n"
        "                      [--fault KIND[:COUNT[:ARG]]] [--version TEXT] [--speed MINUTES_PER_SECOND]\n"
        "                      [--minute N] [--verbose] [--package PATH] [--notes TEXT]\n"
        "data: DIR (default morwick-server-data beside the program) holds the key pair server-key.pem, pubkey.bin and\n"
        "      brokerage/; what the server creates there is 0700 (folders) and 0600 (files) whatever the umask\n"
        "compress: auto packs replies of 2 KB or more (zlib, its fastest level up to 64 KB, when supportCompress\n"
        "        names 18, else LZSS) and sends smaller ones plain\n"
        "faults: delay, silence, close, length, garbage, error, split, empty (COUNT -1 = every reply; FUNC M/S: only\n"
        "        the replies of that function, e.g. --fault close:1:0:800/3)\n"
        "control (for tests only; open only with --control-port N, 0 any free port; it answers any local user):\n"
        "         GET http://127.0.0.1:CONTROL/fault?kind=close&count=1[&func=800/3], /expire, /set?compress=off,\n"
        "         /set?package=corrupt (damage one byte of the package, keep its announced digest), "
        "/advance?minutes=N,\n"
        "         /set?saves=fail|ok (every save of an account fails, as on a full disk, or works again),\n"
        "         /status (requests, sessions, connections, and \"damaged ACCOUNT WHY\" for each account out of "
        "service)\n"
        "update: with --package PATH (a newer build of the client) and --version newer than a client's \"sysVer\",\n"
        "        the log-in reply announces the version (\"prd_soft_versn\", release notes --notes in\n"
        "        \"prd_updateinfo\") and the client downloads the package:\n"
        "  800/2 announcement -> set \"update\": version, size (int), md5 (32 hex), notes\n"
        "        (error \"已是最新版本，不需要升级！\" without a package or a newer version)\n"
        "  800/3 offset=N&length=M (M <= 1048576) -> the package's raw bytes from N (never packed)\n"
        "customer service:\n"
        "  800/1 -> set \"kfjl\" (account manager): name, phone, mobile, branch; set \"kfdh\" (service numbers):\n"
        "        name, number\n"
        "sessions: 100/1 hands out \"MW\" + 32 hex digits and 600/1 the trade token \"T\" + 32 hex digits (128\n"
        "        random bits each, never the same after a restart); a request naming an unknown or expired session\n"
        "        -> result 100 (the client logs in again silently); a request whose trdtoken is not its session's\n"
        "        trade log-in -> result 101 \"交易登录已失效，请重新登录\" (the client opens the trade log-in); one\n"
        "        whose fundid, inputid or secuid (holder code) is not its trade log-in's account -> the error\n"
        "        \"账号与当前交易登录不符，未予受理\", nothing done\n"
        "limits: a request (header and body) must arrive within 10 s of its first byte; at most 1024\n"
        "        connections, 256 from one address; when full, the one waiting longest for its peer is closed\n"
        "markets: 1 Shenzhen, 2 Shanghai, 3 Hong Kong (indices 00HSI0, 100100, 101400), 9 world indices; each day\n"
        "        (its prices, minutes and the 120 days of history before it) follows from --seed and the date alone,\n"
        "        so a restart never changes what was given out; the day's first deal trades at the open (jrkp); the\n"
        "        world table's 5日%%, 20日%% and 年初%% are the change since those closes\n"
        "charts: 31000/1 time-share (code, addup=1 with time: minutes from that HHMM on, date: empty or today,\n"
        "        close_xxld=0: mark the minutes with radar notes in column xxld; maxvol and freq are ignored, one\n"
        "        point a minute) -> stkinfo, hq.minute (date: the trading day), and for a stock hq.overlay (the\n"
        "        first index of its market); 504/11 with id: the radar notes of that minute only;\n"
        "        31000/2 K-line (code, type, date/time anchor,\n"
        "        direct=1 the count bars before it, 0 from it on, techname MA|VOL|MACD|KDJ|RSI|BOLL) -> stkinfo,\n"
        "        hq.kline (date, time, open, high, low, close, cjsl, cjje, MA5, MA10, MA20), hq.tech (date, time,\n"
        "        the indicator's lines; caption \"stick\" = bars); 999999999 = no value yet.\n"
        "        type: 0 day, 1 week, 2 month, 3 5-minute, 4 15-minute, 5 30-minute, 6 60-minute (minute bars are\n"
        "        today's, named by their end, e.g. 0935); a past day's volume is 240 minutes of what a minute "
        "trades\n");
    std::fputs(CBrokerage::Help().c_str(), stdout);
}

int ModeOf(const std::string& v, bool cipher)
{
    if (cipher)
        return v == "off" ? 0 : v == "on" ? 1 : -1;
    return v == "off" ? 0 : v == "lzss" ? 17 : v == "zlib" ? 18 : -1;
}

// The command line's settings.
struct Arguments {
    CServerOptions options;
    int port = 8002;
    int controlPort = -1; // no control port unless asked for: it is for tests, and any local user could use it
    std::string dataDir;
    std::string exportPath;
    bool chunked = false;
    bool verbose = false;
    std::string fault;
    std::string packagePath;
};

// Reads the options into args; -1 to go on, else the exit code (help asked, or an option unknown).
int ParseArguments(int argc, char** argv, Arguments& args)
{
    CServerOptions& options = args.options;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        auto next = [&]() -> std::string {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "morwick-server: %s needs a value\n", a.c_str());
                std::exit(2);
            }
            return argv[++i];
        };
        if (a == "--port")
            args.port = std::atoi(next().c_str());
        else if (a == "--control-port")
            args.controlPort = std::atoi(next().c_str());
        else if (a == "--data")
            args.dataDir = next();
        else if (a == "--seed")
            options.seed = std::strtoull(next().c_str(), nullptr, 10);
        else if (a == "--export-pubkey")
            args.exportPath = next();
        else if (a == "--chunked")
            args.chunked = true;
        else if (a == "--verbose" || a == "-v")
            args.verbose = true;
        else if (a == "--compress")
            options.compressMode = ModeOf(next(), false);
        else if (a == "--cipher")
            options.cipherMode = ModeOf(next(), true);
        else if (a == "--idle")
            options.idleSeconds = std::atoi(next().c_str());
        else if (a == "--fault")
            args.fault = next();
        else if (a == "--version")
            options.version = next();
        else if (a == "--speed")
            options.marketMinutesPerSecond = std::atof(next().c_str());
        else if (a == "--minute")
            options.startMinute = std::atoi(next().c_str());
        else if (a == "--package")
            args.packagePath = next();
        else if (a == "--notes")
            options.updateInfo = next();
        else if (a == "--help" || a == "-h") {
            Usage();
            return 0;
        } else {
            std::fprintf(stderr, "morwick-server: unknown option %s\n", a.c_str());
            Usage();
            return 2;
        }
    }
    return -1;
}

// Loads or makes the key pair in dataDir, writes its public key beside it and, when asked, to exportPath (a file, or
// a client's program directory). False when a key cannot be read, made or exported where asked.
bool PrepareKeys(const std::string& dataDir, std::string exportPath, CRsaKeyPair& keys)
{
    std::error_code ec;
    // The server's folders are its user's alone whatever the umask (a folder that exists keeps its mode), and a
    // new one must last: the accounts kept in it are acknowledged as saved.
    if (!CreatePrivateFolderNative(dataDir)) {
        std::fprintf(stderr, "morwick-server: cannot make the data folder %s: %s\n", dataDir.c_str(),
                     std::strerror(errno));
        return false;
    }
    std::string keyPath = (std::filesystem::path(dataDir) / "server-key.pem").string();
    if (!keys.LoadOrCreate(keyPath)) {
        std::fprintf(stderr, "morwick-server: cannot read or make the key pair %s\n", keyPath.c_str());
        return false;
    }
    std::string ownPublicKey = (std::filesystem::path(dataDir) / "pubkey.bin").string();
    if (keys.ExportPublicKey(ownPublicKey))
        std::filesystem::permissions(ownPublicKey,
                                     std::filesystem::perms::owner_read | std::filesystem::perms::owner_write, ec);
    if (!exportPath.empty()) {
        if (std::filesystem::is_directory(exportPath, ec)) // a client's program directory
            exportPath = (std::filesystem::path(exportPath) / "pubkey.bin").string();
        if (!keys.ExportPublicKey(exportPath)) {
            std::fprintf(stderr, "morwick-server: cannot write %s\n", exportPath.c_str());
            return false;
        }
        std::printf("morwick-server: public key written to %s\n", exportPath.c_str());
    }
    return true;
}

// Arms the fault KIND[:COUNT[:ARG[:M/S]]]; false (said on stderr) when it cannot be read.
bool ArmFault(CHttpServer& http, const std::string& fault)
{
    std::vector<std::string> parts = Split(fault, ':');
    int kind = ParseFaultKind(parts[0]);
    if (kind < 0) {
        std::fprintf(stderr, "morwick-server: unknown fault %s\n", parts[0].c_str());
        return false;
    }
    int count = parts.size() > 1 ? std::atoi(parts[1].c_str()) : -1;
    int arg = parts.size() > 2 ? std::atoi(parts[2].c_str())
                               : (kind == FAULT_DELAY          ? 3000
                                  : kind == FAULT_WRONG_LENGTH ? 16
                                  : kind == FAULT_ERROR        ? 5
                                                               : 0);
    int mfunc = -1, sfunc = -1;
    if (parts.size() > 3 && !ParseFaultFunction(parts[3], &mfunc, &sfunc)) {
        std::fprintf(stderr, "morwick-server: a fault's function is M/S, not %s\n", parts[3].c_str());
        return false;
    }
    http.Faults().Arm(static_cast<FaultKind>(kind), count, arg, std::string(), mfunc, sfunc);
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    Arguments args;
    // By default the data live beside the program, so a build tree keeps its key pair across runs.
    std::error_code exeError;
    std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", exeError);
    args.dataDir = exeError ? std::string("morwick-server-data") : (exe.parent_path() / "morwick-server-data").string();
    if (int exitCode = ParseArguments(argc, argv, args); exitCode >= 0)
        return exitCode;
    const std::string& dataDir = args.dataDir;
    CRsaKeyPair keys;
    if (!PrepareKeys(dataDir, args.exportPath, keys))
        return 1;

    CServerOptions& options = args.options;
    options.dataDir = (std::filesystem::path(dataDir) / "brokerage").string();
    CServerFunctions functions(options, &keys);
    std::string packageError;
    if (!args.packagePath.empty() && !functions.LoadPackage(args.packagePath, &packageError)) {
        std::fprintf(stderr, "morwick-server: %s\n", packageError.c_str());
        return 1;
    }
    CHttpServer http(functions);
    http.SetChunked(args.chunked);
    http.SetVerbose(args.verbose);
    if (!args.fault.empty() && !ArmFault(http, args.fault))
        return 2;
    if (!http.Start(args.port, args.controlPort)) {
        std::fprintf(stderr, "morwick-server: cannot listen on 127.0.0.1:%d (control %d)\n", args.port,
                     args.controlPort);
        return 1;
    }
    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);
    std::string control = args.controlPort >= 0 ? "control (for tests) on " + std::to_string(http.GetControlPort())
                                                : std::string("no control port");
    std::printf("morwick-server: listening on 127.0.0.1:%d, %s, data in %s\n", http.GetPort(), control.c_str(),
                dataDir.c_str());
    std::fflush(stdout);
    while (!quit)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    http.Stop();
    std::printf("morwick-server: stopped after %lld requests\n", http.GetRequestCount());
    return 0;
}
