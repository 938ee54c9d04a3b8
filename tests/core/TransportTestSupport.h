// Test support for the transport: a scripted HTTP server on loopback (its own thread, platform sockets) and a
// settings environment held in memory.
#pragma once

#include "core/NetEnvironment.h"
#include "platform/win/Winsock.h"

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// Settings, traffic and the session key of a test; installed for its lifetime.
class TestEnvironment : public CNetEnvironment {
public:
    TestEnvironment() { SetNetEnvironment(this); }
    ~TestEnvironment() override { SetNetEnvironment(nullptr); }

    const char* GetConfig(const char* key) override
    {
        std::lock_guard<std::mutex> hold(mutex);
        auto it = config.find(key);
        return it == config.end() ? nullptr : it->second.data();
    }
    void SetConfig(const char* key, const char* value, int save) override
    {
        std::lock_guard<std::mutex> hold(mutex);
        auto& slot = config[key];
        slot.fill(0);
        strncpy(slot.data(), value ? value : "", slot.size() - 1);
        if (save)
            ++saves;
    }
    void AddTraffic(int bytes, int direction) override { (direction == 0 ? up : down) += bytes; }
    const char* GetSessionKey() override { return key; }
    int GetConnectFallback() override { return fallback; }
    void SetConnectFallback(int value) override { fallback = value; }

    std::string Config(const char* name)
    {
        const char* value = GetConfig(name);
        return value ? value : "<none>";
    }

    const char* key = "Ab3+x/Qz9LmN0pRs";
    std::atomic<int> fallback{1};
    std::atomic<int> up{0}, down{0}, saves{0};

private:
    std::mutex mutex;
    std::map<std::string, std::array<char, 32>> config;
};

// One scripted answer to one request.
struct Exchange {
    std::vector<std::string> pieces; // sent in this order, each with its own send
    int holdMs = 0;                  // pause after reading the request
    int gapMs = 0;                   // pause between pieces
    bool close = false;              // close the connection after the pieces
    bool silent = false;             // send nothing and keep the connection until the client goes
    bool held = false;               // answer only once the test calls Release(): no guessing how long is enough
};

// An HTTP reply as the server writes it.
inline std::string HttpReply(const std::string& body, const std::string& etag = "")
{
    std::string head = "HTTP/1.1 200 OK\r\nContent-Type: application/octet-stream\r\n";
    if (!etag.empty())
        head += "ETag: " + etag + "\r\n";
    return head + "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

class ScriptedServer {
public:
    ScriptedServer()
    {
        WSADATA data;
        WSAStartup(MAKEWORD(1, 1), &data);
        listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in a = {};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = inet_addr("127.0.0.1");
        bind(listener, (sockaddr*)&a, sizeof a);
        listen(listener, 8);
        int length = sizeof a;
        getsockname(listener, (sockaddr*)&a, &length);
        port = ntohs(a.sin_port);
        worker = std::thread([this] { Serve(); });
    }
    ~ScriptedServer()
    {
        stop = true;
        worker.join();
        closesocket(listener);
        WSACleanup();
    }

    int Port() const { return port; }
    void Add(const Exchange& exchange)
    {
        std::lock_guard<std::mutex> hold(mutex);
        script.push_back(exchange);
    }
    void Reply(const std::string& reply) { Add(Exchange{{reply}}); }
    // Lets the next held exchange answer.
    void Release()
    {
        std::lock_guard<std::mutex> hold(mutex);
        ++releases;
        released.notify_all();
    }
    std::vector<std::string> Requests()
    {
        std::lock_guard<std::mutex> hold(mutex);
        return requests;
    }
    std::string LastRequest()
    {
        auto all = Requests();
        return all.empty() ? "" : all.back();
    }
    int Connections() const { return connections; }
    // Waits until `count` requests have come in (or five seconds pass).
    bool WaitRequests(size_t count)
    {
        auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (std::chrono::steady_clock::now() < until) {
            if (Requests().size() >= count)
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return Requests().size() >= count;
    }

private:
    // 1 readable, 0 not yet, -1 stopping.
    int WaitReadable(SOCKET s)
    {
        while (!stop) {
            fd_set set;
            FD_ZERO(&set);
            FD_SET(s, &set);
            timeval wait = {0, 5000};
            if (winsock::select(0, &set, nullptr, nullptr, &wait) > 0)
                return 1;
        }
        return -1;
    }

    void Pause(int ms)
    {
        auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (!stop && std::chrono::steady_clock::now() < until)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }

    // Reads one whole request (header and Content-Length body); false when the peer went away.
    bool ReadRequest(SOCKET s, std::string& pending, std::string& request)
    {
        for (;;) {
            size_t end = pending.find("\r\n\r\n");
            if (end != std::string::npos) {
                size_t length = 0;
                std::string head = pending.substr(0, end);
                size_t at = head.find("Content-Length: ");
                if (at != std::string::npos)
                    length = (size_t)atoi(head.c_str() + at + 16);
                if (pending.size() >= end + 4 + length) {
                    request = pending.substr(0, end + 4 + length);
                    pending.erase(0, end + 4 + length);
                    return true;
                }
            }
            if (WaitReadable(s) != 1)
                return false;
            char buffer[4096];
            int n = recv(s, buffer, sizeof buffer, 0);
            if (n <= 0)
                return false;
            pending.append(buffer, (size_t)n);
        }
    }

    void Serve()
    {
        while (!stop) {
            if (WaitReadable(listener) != 1)
                break;
            SOCKET s = accept(listener, nullptr, nullptr);
            if (s == INVALID_SOCKET)
                continue;
            ++connections;
            std::string pending, request;
            while (ReadRequest(s, pending, request)) {
                Exchange exchange;
                bool scripted = false;
                {
                    std::lock_guard<std::mutex> hold(mutex);
                    requests.push_back(request);
                    if (!script.empty()) {
                        exchange = script.front();
                        script.pop_front();
                        scripted = true;
                    }
                }
                if (!scripted)
                    break;
                if (exchange.silent) {
                    char sink[4096];
                    while (WaitReadable(s) == 1 && recv(s, sink, sizeof sink, 0) > 0) {
                    }
                    break;
                }
                Pause(exchange.holdMs);
                if (exchange.held) {
                    std::unique_lock<std::mutex> hold(mutex);
                    while (!stop && releases == 0)
                        released.wait_for(hold, std::chrono::milliseconds(5));
                    if (releases > 0)
                        --releases;
                }
                for (size_t i = 0; i < exchange.pieces.size(); ++i) {
                    if (i > 0)
                        Pause(exchange.gapMs);
                    const std::string& piece = exchange.pieces[i];
                    send(s, piece.data(), (int)piece.size(), 0);
                }
                if (exchange.close)
                    break;
            }
            closesocket(s);
        }
    }

    SOCKET listener = INVALID_SOCKET;
    int port = 0;
    std::atomic<bool> stop{false};
    std::atomic<int> connections{0};
    std::mutex mutex;
    std::deque<Exchange> script;
    std::condition_variable released;
    int releases = 0;
    std::vector<std::string> requests;
    std::thread worker;
};
