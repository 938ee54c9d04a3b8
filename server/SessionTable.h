// Sessions handed out by the log-in: the session text, the client's session key, the identity and the
// trade session, with expiry after an idle time or on demand.
#pragma once

#include <chrono>
#include <map>
#include <mutex>
#include <string>

struct CSession {
    std::string id;
    std::string key; // the client's 16-character session key; empty when it did not come through
    std::string mobile;
    bool identified = false;
    std::string tradeToken; // non-empty after a trade log-in
    std::string fundId;
    std::chrono::steady_clock::time_point lastUse;
};

class CSessionTable {
public:
    // Session ids and trade tokens: the prefix and 128 random bits from the system in hexadecimal, so an id
    // held by a client from before a restart is never handed to another. "" when the system gives no random
    // bytes.
    static std::string NewSecret(const char* prefix);

    // The new session's id; "" when no id could be made.
    std::string Open(const std::string& key, const std::string& mobile, bool identified);
    // Copies the live session into *out and refreshes its idle time; false when unknown or expired.
    bool Use(const std::string& id, CSession* out);
    void Update(const CSession& session);
    void Close(const std::string& id);
    void ExpireAll();
    // Drops the sessions idle past the limit; when more than the cap remain, the longest idle go too.
    void Sweep();
    void SetIdleSeconds(int seconds) { idleSeconds = seconds; }
    int Count();

private:
    std::mutex lock;
    std::map<std::string, CSession> sessions;
    int idleSeconds = 1800;
    size_t opensSinceSweep = 0;
    static constexpr size_t MAX_SESSIONS = 50000;
    void SweepLocked();
};
