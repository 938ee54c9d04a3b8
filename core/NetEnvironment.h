// What the transport needs of the application around it: settings, traffic counters, the session key and the
// connection-fallback flag. The application data object provides them; tests install their own.
#pragma once

#include "platform/win/WinTypes.h"

class CNetEnvironment {
public:
    virtual ~CNetEnvironment() = default;
    // A setting's text, or null when it is missing.
    virtual const char* GetConfig(const char* key) = 0;
    virtual void SetConfig(const char* key, const char* value, int save) = 0;
    // Direction 0 = sent, 1 = received.
    virtual void AddTraffic(int bytes, int direction) = 0;
    virtual const char* GetSessionKey() = 0;
    // 1 until the first successful request of the run; while set the worker may switch connection modes.
    virtual int GetConnectFallback() = 0;
    virtual void SetConnectFallback(int value) = 0;
};

// The installed environment, else the application's.
CNetEnvironment* GetNetEnvironment();
// Installs an environment (null goes back to the application's). Not owned.
void SetNetEnvironment(CNetEnvironment* environment);
