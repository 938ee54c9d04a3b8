// HTTP connections, reply framing, faults and the control port of the stand-in server.
#include "server/HttpServer.h"

#include "server/ServerFunctions.h"
#include "server/ServerText.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <thread>

namespace {

constexpr size_t MAX_HEADER = 16 * 1024;
constexpr size_t MAX_BODY = 256 * 1024;
constexpr int IDLE_MS = 600000; // longer than any pause of the client between requests
using Clock = std::chrono::steady_clock;

// Position of the header value of a field (name compared without regard to case), or npos.
size_t FindHeader(const std::string& header, const std::string& name)
{
    std::string lower = ToLower(header);
    std::string key(1, '\n');
    key.append(ToLower(name)).append(1, ':');
    size_t p = lower.find(key);
    if (p == std::string::npos)
        return p;
    p += key.size();
    while (p < header.size() && (header[p] == ' ' || header[p] == '\t'))
        ++p;
    return p;
}

std::string PercentDecode(const std::string& s)
{
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '%' && i + 2 < s.size()) {
            std::vector<unsigned char> byte;
            if (HexDecode(s.substr(i + 1, 2), byte)) {
                out += static_cast<char>(byte[0]);
                i += 2;
                continue;
            }
        }
        out += s[i] == '+' ? ' ' : s[i];
    }
    return out;
}

} // namespace

int ParseFaultKind(const std::string& name)
{
    static const char* const names[] = {"none",    "delay", "silence", "close", "length",
                                        "garbage", "error", "split",   "empty"};
    for (int i = 0; i < 9; ++i)
        if (EqualNoCase(name, names[i]))
            return i;
    return -1;
}

bool ParseFaultFunction(const std::string& text, int* mfunc, int* sfunc)
{
    std::vector<std::string> parts = Split(text, '/');
    if (parts.size() != 2 || parts[0].empty() || parts[1].empty())
        return false;
    for (const std::string& part : parts)
        if (part.find_first_not_of("0123456789") != std::string::npos)
            return false;
    *mfunc = std::atoi(parts[0].c_str());
    *sfunc = std::atoi(parts[1].c_str());
    return true;
}

void CFaultPlan::Arm(FaultKind kind, int count, int arg, const std::string& text, int mfunc, int sfunc)
{
    std::lock_guard<std::mutex> guard(lock);
    fault.kind = kind;
    fault.arg = arg;
    fault.text = text;
    remaining = kind == FAULT_NONE ? 0 : count;
    onlyMfunc = mfunc;
    onlySfunc = sfunc;
}

void CFaultPlan::Clear()
{
    Arm(FAULT_NONE, 0);
}

CFault CFaultPlan::Take(int mfunc, int sfunc)
{
    std::lock_guard<std::mutex> guard(lock);
    if (remaining == 0)
        return CFault();
    if (onlyMfunc >= 0 && (mfunc != onlyMfunc || sfunc != onlySfunc))
        return CFault();
    if (remaining > 0)
        --remaining;
    return fault;
}

CHttpServer::CHttpServer(CServerFunctions& f) : functions(f) {}

CHttpServer::~CHttpServer()
{
    Stop();
}

int CHttpServer::Start(int port, int controlPort)
{
    stopping = false;
    if (server.Listen(static_cast<unsigned short>(port)) < 0)
        return 0;
    if (controlPort >= 0 && control.Listen(static_cast<unsigned short>(controlPort)) < 0)
        return 0;
    server.Start([this](CTcpConnection& c) { Serve(c); });
    if (controlPort >= 0)
        control.Start([this](CTcpConnection& c) { ServeControl(c); });
    return 1;
}

void CHttpServer::SetLimits(int requestMilliseconds, int connections, int perAddress)
{
    requestTimeLimit = requestMilliseconds;
    server.SetMaxConnections(connections);
    server.SetMaxConnectionsPerAddress(perAddress);
}

void CHttpServer::Stop()
{
    stopping = true;
    server.Stop();
    control.Stop();
}

bool CHttpServer::Sleep(int milliseconds)
{
    auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (!stopping && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(std::min(milliseconds, 20)));
    return !stopping;
}

void CHttpServer::Serve(CTcpConnection& connection)
{
    std::string pending;
    char buffer[8192];
    while (!stopping) {
        connection.MarkWaiting();
        // Between requests a client may pause for long; once a request has begun, all of it (header and body)
        // must arrive in time, so a peer trickling bytes cannot hold the connection for ever.
        Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(requestTimeLimit.load());
        auto read = [&]() {
            int wait = IDLE_MS;
            if (!pending.empty()) {
                auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
                if (left <= 0)
                    return -2;
                wait = static_cast<int>(std::min<long long>(left, IDLE_MS));
            }
            bool first = pending.empty();
            int n = connection.Read(buffer, sizeof buffer, wait);
            if (n > 0 && first)
                deadline = Clock::now() + std::chrono::milliseconds(requestTimeLimit.load());
            if (n > 0)
                pending.append(buffer, static_cast<size_t>(n));
            return n;
        };
        size_t headerEnd;
        while ((headerEnd = pending.find("\r\n\r\n")) == std::string::npos) {
            if (pending.size() > MAX_HEADER)
                return;
            if (read() <= 0)
                return; // closed, failed, idle too long or the request too slow
        }
        std::string header(1, '\n');
        header.append(pending, 0, headerEnd + 2);
        size_t lengthAt = FindHeader(header, "Content-Length");
        long long length = lengthAt == std::string::npos ? 0 : std::atoll(header.c_str() + lengthAt);
        if (length < 0 || static_cast<size_t>(length) > MAX_BODY) {
            std::string text = Gb("请求长度无效");
            WriteReply(connection, 1, text, 0, 0, CFault());
            return;
        }
        size_t need = headerEnd + 4 + static_cast<size_t>(length);
        while (pending.size() < need)
            if (read() <= 0)
                return;
        connection.MarkBusy();
        std::string body = pending.substr(headerEnd + 4, static_cast<size_t>(length));
        pending.erase(0, need);
        ++requests;

        if (!Answer(connection, body))
            return;
    }
}

bool CHttpServer::Answer(CTcpConnection& connection, const std::string& body)
{
    auto started = std::chrono::steady_clock::now();
    CServerReply reply = functions.Handle(body);
    CFault fault = faults.Take(reply.mfunc, reply.sfunc);
    if (verbose) {
        double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started).count();
        std::printf("%d/%d result %d packing %d,%d %zu bytes %.2f ms%s%s%s\n", reply.mfunc, reply.sfunc, reply.result,
                    reply.compression, reply.cipher, reply.body.size(), ms, fault.kind != FAULT_NONE ? " fault" : "",
                    reply.note.empty() ? "" : " ", reply.note.c_str());
        std::fflush(stdout);
    }
    if (fault.kind == FAULT_DELAY && !Sleep(fault.arg))
        return false;
    if (fault.kind == FAULT_SILENCE) {
        // Hold the connection without answering until the peer gives up or the server stops.
        char buffer[8192];
        while (!stopping) {
            int n = connection.Read(buffer, sizeof buffer, 200);
            if (n == 0 || n == -1)
                break;
        }
        return false;
    }
    SpoilReply(reply, fault);
    return WriteReply(connection, reply.result, reply.body, reply.compression, reply.cipher, fault);
}

void CHttpServer::SpoilReply(CServerReply& reply, const CFault& fault)
{
    if (fault.kind == FAULT_ERROR) {
        reply.result = fault.arg > 0 ? fault.arg : 1;
        reply.body = fault.text.empty() ? Gb("服务器繁忙，请稍后再试") : fault.text;
        reply.compression = reply.cipher = 0;
    }
    if (fault.kind == FAULT_EMPTY) {
        reply.body.clear();
        reply.compression = reply.cipher = 0;
        reply.result = 0;
    }
    if (fault.kind == FAULT_GARBAGE) {
        std::mt19937 rng(static_cast<unsigned>(requests));
        for (char& c : reply.body)
            c = static_cast<char>(rng());
        reply.compression = reply.cipher = 0;
        reply.result = 0;
    }
}

bool CHttpServer::WriteReply(CTcpConnection& connection, int result, const std::string& body, int compression,
                             int cipher, const CFault& fault)
{
    bool useChunks = chunked || fault.kind == FAULT_SPLIT;
    char line[160];
    std::string head = "HTTP/1.1 200 OK\r\nContent-Type: application/octet-stream\r\n";
    std::snprintf(line, sizeof line, "ETag: %d,0,%d,%d\r\n", result, compression, cipher);
    head += line;
    if (useChunks) {
        head += "Transfer-Encoding: chunked\r\n";
    } else {
        long long length = static_cast<long long>(body.size());
        if (fault.kind == FAULT_WRONG_LENGTH)
            length += fault.arg;
        std::snprintf(line, sizeof line, "Content-Length: %lld\r\n", length < 0 ? 0 : length);
        head += line;
    }
    head += "Connection: keep-alive\r\n\r\n";

    if (fault.kind == FAULT_CLOSE_MID_BODY) {
        std::string half = head + body.substr(0, body.size() / 2);
        connection.WriteAll(half.data(), static_cast<int>(half.size()));
        return false;
    }
    if (!useChunks) {
        std::string all = head + body;
        if (!connection.WriteAll(all.data(), static_cast<int>(all.size())))
            return false;
        return !(fault.kind == FAULT_WRONG_LENGTH && fault.arg > 0); // the peer waits for bytes that never come
    }
    if (fault.kind != FAULT_SPLIT) {
        std::string all = head;
        if (!body.empty()) {
            std::snprintf(line, sizeof line, "%zx\r\n", body.size());
            all += line;
            all += body;
            all += "\r\n";
        }
        all += "0\r\n\r\n";
        return connection.WriteAll(all.data(), static_cast<int>(all.size())) != 0;
    }
    // Awkward splits: the header in two pieces, then chunks of 1, 2, 3, 5, 7, 11... bytes, every size line and
    // chunk end written on its own so that reads end inside them.
    std::vector<std::string> pieces;
    pieces.push_back(head.substr(0, head.size() / 2));
    pieces.push_back(head.substr(head.size() / 2));
    static const int sizes[] = {1, 2, 3, 5, 7, 11, 13, 64, 300, 1500};
    size_t at = 0;
    for (int k = 0; at < body.size(); ++k) {
        size_t n = std::min(body.size() - at, static_cast<size_t>(sizes[k % 10]));
        std::snprintf(line, sizeof line, "%zx\r\n", n);
        std::string sizeLine = line;
        pieces.push_back(sizeLine.substr(0, 1));
        pieces.push_back(sizeLine.substr(1) + body.substr(at, n / 2));
        pieces.push_back(body.substr(at + n / 2, n - n / 2) + "\r");
        pieces.push_back("\n");
        at += n;
    }
    pieces.push_back("0\r\n");
    pieces.push_back("\r\n");
    for (const std::string& p : pieces) {
        if (p.empty())
            continue;
        if (!connection.WriteAll(p.data(), static_cast<int>(p.size())))
            return false;
        std::this_thread::sleep_for(std::chrono::microseconds(300));
    }
    return true;
}

std::string CHttpServer::Control(const std::string& command)
{
    size_t q = command.find('?');
    std::string verb = ToLower(command.substr(0, q));
    while (!verb.empty() && verb.front() == '/')
        verb.erase(0, 1);
    CRequestParams args;
    if (q != std::string::npos)
        for (const std::string& piece : Split(command.substr(q + 1), '&')) {
            size_t eq = piece.find('=');
            if (eq != std::string::npos)
                args.Set(piece.substr(0, eq), PercentDecode(piece.substr(eq + 1)));
        }
    if (verb == "fault") {
        int kind = ParseFaultKind(args.Get("kind", "none"));
        if (kind < 0)
            return "unknown fault\n";
        int arg = args.GetInt("arg", kind == FAULT_DELAY          ? 3000
                                     : kind == FAULT_WRONG_LENGTH ? 16
                                     : kind == FAULT_ERROR        ? 5
                                                                  : 0);
        int mfunc = -1, sfunc = -1;
        if (args.Has("func") && !ParseFaultFunction(args.Get("func"), &mfunc, &sfunc))
            return "func must be M/S\n";
        faults.Arm(static_cast<FaultKind>(kind), args.GetInt("count", 1), arg, Gb(args.Get("text")), mfunc, sfunc);
        return "ok\n";
    }
    if (verb == "expire") {
        functions.Sessions().ExpireAll();
        return "ok\n";
    }
    if (verb == "advance") {
        functions.AdvanceMinutes(std::clamp(args.GetInt("minutes", 1), 0, 100000));
        return "ok\n";
    }
    if (verb == "pop") {
        functions.SetPopMessage(args.Get("text"));
        return "ok\n";
    }
    if (verb == "set") {
        if (args.Has("compress")) {
            std::string v = args.Get("compress");
            functions.SetCompressMode(v == "off" ? 0 : v == "lzss" ? 17 : v == "zlib" ? 18 : -1);
        }
        if (args.Has("cipher")) {
            std::string v = args.Get("cipher");
            functions.SetCipherMode(v == "off" ? 0 : v == "on" ? 1 : -1);
        }
        if (args.Has("chunked"))
            chunked = args.GetInt("chunked") != 0;
        if (args.Has("idle"))
            functions.Sessions().SetIdleSeconds(args.GetInt("idle"));
        if (args.Get("package") == "corrupt")
            functions.CorruptPackage();
        if (args.Has("saves"))
            functions.SetSavesFail(args.Get("saves") == "fail");
        return "ok\n";
    }
    if (verb == "status") {
        char text[200];
        std::snprintf(text, sizeof text, "requests %lld\nsessions %d\nconnections %d\n",
                      static_cast<long long>(requests), functions.Sessions().Count(), server.GetLiveConnections());
        std::string status = text;
        for (const auto& [account, why] : functions.DamagedAccounts())
            status += "damaged " + account + " " + why + "\n"; // out of service, its file left as it is
        return status;
    }
    return "commands: "
           "fault?kind=delay|silence|close|length|garbage|error|split|empty|none&count=N&arg=N&text=T&func=M/S, "
           "expire, pop?text=T, set?compress=auto|off|lzss|zlib&cipher=auto|off|on&chunked=0|1&idle=S&package=corrupt"
           "&saves=fail|ok, advance?minutes=N, status\n";
}

void CHttpServer::ServeControl(CTcpConnection& connection)
{
    std::string pending;
    char buffer[4096];
    while (pending.find("\r\n\r\n") == std::string::npos && pending.find("\n\n") == std::string::npos) {
        if (pending.size() > MAX_HEADER)
            return;
        int n = connection.Read(buffer, sizeof buffer, 5000);
        if (n <= 0)
            break;
        pending.append(buffer, static_cast<size_t>(n));
    }
    // "GET /fault?kind=close HTTP/1.1" or a bare command line.
    std::string first = pending.substr(0, pending.find_first_of("\r\n"));
    std::vector<std::string> words = Split(first, ' ');
    std::string command = words.size() >= 2 ? words[1] : first;
    std::string answer = Control(command);
    char head[128];
    std::snprintf(head, sizeof head, "HTTP/1.1 200 OK\r\nContent-Length: %zu\r\nConnection: close\r\n\r\n",
                  answer.size());
    std::string all = head + answer;
    connection.WriteAll(all.data(), static_cast<int>(all.size()));
}
