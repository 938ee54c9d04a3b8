// What the benchmarks of the stand-in server share: a request posted as the client posts it, and the reading of
// one Content-Length reply from a keep-alive connection.
#pragma once

#include "platform/net/TcpServer.h"

#include <cstdlib>
#include <string>

inline std::string Message(const std::string& text)
{
    std::string body = "tc_service=300&tc_isunicode=0&" + text;
    return "POST / HTTP/1.1\r\nUser-Agent: ZRQ,WinMobile\r\nAccept: image/png\r\nContent-Length: " +
           std::to_string(body.size()) + "\r\n\r\n" + body;
}

// Reads one reply into body, keeping what follows in pending; false on failure.
inline bool ReadReply(CTcpConnection& c, std::string& pending, std::string& body, int timeoutMs = 5000)
{
    char buffer[16384];
    size_t end;
    while ((end = pending.find("\r\n\r\n")) == std::string::npos) {
        int n = c.Read(buffer, sizeof buffer, timeoutMs);
        if (n <= 0)
            return false;
        pending.append(buffer, static_cast<size_t>(n));
    }
    size_t l = pending.find("Content-Length: ");
    if (l == std::string::npos || l > end)
        return false;
    size_t length = std::strtoul(pending.c_str() + l + 16, nullptr, 10);
    while (pending.size() < end + 4 + length) {
        int n = c.Read(buffer, sizeof buffer, timeoutMs);
        if (n <= 0)
            return false;
        pending.append(buffer, static_cast<size_t>(n));
    }
    body = pending.substr(end + 4, length);
    pending.erase(0, end + 4 + length);
    return true;
}
