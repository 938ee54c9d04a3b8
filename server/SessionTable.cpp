// Session table.
#include "server/SessionTable.h"

#include "platform/device/Random.h"

#include <cstdio>

std::string CSessionTable::NewSecret(const char* prefix)
{
    BYTE bytes[16];
    if (!CeGenRandom(sizeof bytes, bytes))
        return std::string();
    std::string text = prefix;
    char hex[3];
    for (BYTE b : bytes) {
        std::snprintf(hex, sizeof hex, "%02X", b);
        text += hex;
    }
    return text;
}

std::string CSessionTable::Open(const std::string& key, const std::string& mobile, bool identified)
{
    std::lock_guard<std::mutex> guard(lock);
    // Clients that log in and never come back would otherwise pile up.
    if (++opensSinceSweep >= 256 || sessions.size() >= MAX_SESSIONS) {
        opensSinceSweep = 0;
        SweepLocked();
    }
    std::string id = NewSecret("MW");
    if (id.empty() || sessions.count(id) != 0)
        return std::string();
    CSession s;
    s.id = id;
    s.key = key;
    s.mobile = mobile;
    s.identified = identified;
    s.lastUse = std::chrono::steady_clock::now();
    sessions[s.id] = s;
    return s.id;
}

bool CSessionTable::Use(const std::string& id, CSession* out)
{
    std::lock_guard<std::mutex> guard(lock);
    auto it = sessions.find(id);
    if (it == sessions.end())
        return false;
    auto now = std::chrono::steady_clock::now();
    if (idleSeconds > 0 && now - it->second.lastUse > std::chrono::seconds(idleSeconds)) {
        sessions.erase(it);
        return false;
    }
    it->second.lastUse = now;
    if (out)
        *out = it->second;
    return true;
}

void CSessionTable::Update(const CSession& session)
{
    std::lock_guard<std::mutex> guard(lock);
    auto it = sessions.find(session.id);
    if (it != sessions.end())
        it->second = session;
}

void CSessionTable::Close(const std::string& id)
{
    std::lock_guard<std::mutex> guard(lock);
    sessions.erase(id);
}

void CSessionTable::ExpireAll()
{
    std::lock_guard<std::mutex> guard(lock);
    sessions.clear();
}

int CSessionTable::Count()
{
    std::lock_guard<std::mutex> guard(lock);
    return static_cast<int>(sessions.size());
}

void CSessionTable::Sweep()
{
    std::lock_guard<std::mutex> guard(lock);
    SweepLocked();
}

void CSessionTable::SweepLocked()
{
    auto now = std::chrono::steady_clock::now();
    for (auto it = sessions.begin(); it != sessions.end();) {
        if (idleSeconds > 0 && now - it->second.lastUse > std::chrono::seconds(idleSeconds))
            it = sessions.erase(it);
        else
            ++it;
    }
    while (sessions.size() >= MAX_SESSIONS) {
        auto oldest = sessions.begin();
        for (auto it = sessions.begin(); it != sessions.end(); ++it)
            if (it->second.lastUse < oldest->second.lastUse)
                oldest = it;
        sessions.erase(oldest);
    }
}
