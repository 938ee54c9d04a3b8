// CServerConfig: the server's configuration table, saved as the data file "config" (a serialised reply whose
// record 0 holds rows {key, value} of 8-bit texts), with look-up by key without regard to case.
#pragma once

#include "core/ReplyRecordSet.h"
#include "platform/win/WinTypes.h"

class CConfigStore;

// Shows a text to the user for that many milliseconds over the main frame.
typedef void (*ServerConfigMessageFn)(const char* text, DWORD milliseconds);

class CServerConfig {
public:
    // Where every configuration made with the plain constructor reads "config" and shows its error:
    // the application data object sets this up once at start.
    static void SetServices(CConfigStore* store, ServerConfigMessageFn showMessage);

    CServerConfig();
    CServerConfig(CConfigStore* store, ServerConfigMessageFn showMessage);
    virtual ~CServerConfig();
    CServerConfig(const CServerConfig&) = delete;
    CServerConfig& operator=(const CServerConfig&) = delete;

    // Drops the table held; with flag 0 reads "config" again. A reply that is an error (a missing file reads
    // as one) is shown for 5000 ms and dropped.
    void Load(int flag);
    // The same from the bytes of a saved reply.
    void LoadFromBytes(const BYTE* data, DWORD length);
    // The value of the first row whose key equals key without regard to ASCII case; null for a null or empty
    // key, without a table, or when nothing matches. The text lives until the next Load.
    const char* Get(const char* key);

private:
    CConfigStore* store;
    ServerConfigMessageFn showMessage;
    CReplyRecordSet* reply = nullptr;
};
