// What the transport benchmarks share: a settings environment with a fixed session key, and a keep-alive
// loopback server that sends prepared replies straight from memory (no copy of its own to measure).
#pragma once

#include "core/NetEnvironment.h"
#include "platform/win/Winsock.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

inline const char SESSION_KEY[] = "Q2xpZW50S2V5MTY=";

class BenchEnvironment : public CNetEnvironment {
public:
    const char* GetConfig(const char* key) override { return strcmp(key, "Connect_Type") == 0 ? "2" : nullptr; }
    void SetConfig(const char*, const char*, int) override {}
    void AddTraffic(int, int) override {}
    const char* GetSessionKey() override { return SESSION_KEY; }
    int GetConnectFallback() override { return 0; }
    void SetConnectFallback(int) override {}
};

// Keep-alive loopback server: each request names the reply to send back with "case=N".
class LoopbackServer {
public:
    explicit LoopbackServer(const std::vector<std::string>& replies) : replies(replies)
    {
        listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in a = {};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = inet_addr("127.0.0.1");
        bind(listener, (sockaddr*)&a, sizeof a);
        listen(listener, 8);
        int length = sizeof a;
        getsockname(listener, (sockaddr*)&a, &length);
        port = ntohs(a.sin_port);
        acceptor = std::thread([this] { Accept(); });
    }
    ~LoopbackServer()
    {
        stop = true;
        acceptor.join();
        for (auto& t : connections)
            t.join();
        closesocket(listener);
    }
    int port = 0;

private:
    void Accept()
    {
        while (!stop) {
            fd_set set;
            FD_ZERO(&set);
            FD_SET(listener, &set);
            timeval wait = {0, 20000};
            if (winsock::select(0, &set, nullptr, nullptr, &wait) <= 0)
                continue;
            SOCKET s = accept(listener, nullptr, nullptr);
            if (s != INVALID_SOCKET)
                connections.emplace_back([this, s] { Serve(s); });
        }
    }
    void Serve(SOCKET s)
    {
        std::string pending;
        char buffer[8192];
        for (;;) {
            size_t end = pending.find("\r\n\r\n");
            if (end != std::string::npos) {
                size_t at = pending.find("Content-Length: ");
                size_t length = at < end ? (size_t)atoi(pending.c_str() + at + 16) : 0;
                if (pending.size() >= end + 4 + length) {
                    std::string body = pending.substr(end + 4, length);
                    pending.erase(0, end + 4 + length);
                    size_t c = body.find("case=");
                    size_t index = c == std::string::npos ? 0 : (size_t)atoi(body.c_str() + c + 5);
                    const std::string& reply = replies[index < replies.size() ? index : 0];
                    size_t sent = 0;
                    while (sent < reply.size()) {
                        int n = send(s, reply.data() + sent, (int)(reply.size() - sent), 0);
                        if (n <= 0)
                            break;
                        sent += (size_t)n;
                    }
                    continue;
                }
            }
            int n = recv(s, buffer, sizeof buffer, 0);
            if (n <= 0)
                break;
            pending.append(buffer, (size_t)n);
        }
        closesocket(s);
    }

    std::vector<std::string> replies;
    SOCKET listener;
    std::atomic<bool> stop{false};
    std::thread acceptor;
    std::vector<std::thread> connections;
};
