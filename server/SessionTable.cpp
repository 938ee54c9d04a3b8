// Session table.
#include "server/SessionTable.h"

#include <cstdio>

std::string CSessionTable::Open(const std::string& key, const std::string& mobile, bool identified)
{
    std::lock_guard<std::mutex> guard(lock);
    // Clients that log in and never come back would otherwise pile up.
    if (++opensSinceSweep >= 256 || sessions.size() >= MAX_SESSIONS) {
        opensSinceSweep = 0;
        SweepLocked();
    }
    char id[32];
    ++counter;
    std::snprintf(id, sizeof id, "MW%08llX", static_cast<unsigned long long>(counter * 2654435761ULL & 0xFFFFFFFFULL));
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
