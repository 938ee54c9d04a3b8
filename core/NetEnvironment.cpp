// The transport's view of the application, replaceable for tests.
#include "core/NetEnvironment.h"

#include <atomic>

namespace {

// Until the application data object is wired in: no settings, no key, fallback allowed.
class CBareEnvironment : public CNetEnvironment {
public:
    const char* GetConfig(const char*) override { return nullptr; }
    void SetConfig(const char*, const char*, int) override {}
    void AddTraffic(int, int) override {}
    const char* GetSessionKey() override { return nullptr; }
    int GetConnectFallback() override { return fallback; }
    void SetConnectFallback(int value) override { fallback = value; }

private:
    int fallback = 1;
};

std::atomic<CNetEnvironment*> installed{nullptr};

} // namespace

CNetEnvironment* GetNetEnvironment()
{
    CNetEnvironment* environment = installed.load();
    if (environment)
        return environment;
    static CBareEnvironment bare;
    return &bare;
}

void SetNetEnvironment(CNetEnvironment* environment)
{
    installed.store(environment);
}
