// The configuration store: named 8-bit settings kept in "DefParam.dat" as 64-byte records {key[32]; value[32]},
// matched to the built-in defaults by position, and the named data files "<name>.dat" beside it.
// Files are replaced whole and atomically, so a crash or a full disk leaves the old file or the new one.
// Records are guarded by a lock: the request worker reads settings while the GUI thread changes them.
#pragma once

#include "core/AString.h"
#include "core/GrowArray.h"
#include "core/WString.h"
#include "platform/win/Sync.h"
#include "platform/win/WinTypes.h"

struct ConfigRecord {
    char key[32];
    char value[32];
};

constexpr int CONFIG_RECORD_SIZE = 64;
constexpr int CONFIG_DEFAULT_COUNT = 23;
// The own stock list a first start begins with.
constexpr char DEFAULT_MY_QUOTES[] = "000001.02,399001.01,100100.03,101400.03";

class CConfigStore {
public:
    // directory: where "DefParam.dat" and the data files live, ending in a separator; null for the
    // program directory.
    explicit CConfigStore(const WCHAR* directory = nullptr);
    ~CConfigStore();
    CConfigStore(const CConfigStore&) = delete;
    CConfigStore& operator=(const CConfigStore&) = delete;

    // Reads "DefParam.dat" (or starts from the defaults and writes them, and on a first start the default
    // "MyQuotes" file). When the file was read, version receives its "System_Version" and the version
    // is rewritten and saved (FixVersion); otherwise version is left as it is.
    void Load(CAString* version);
    // The records from the bytes of a "DefParam.dat" (any bytes; a short tail is ignored), then the defaults
    // the bytes did not cover. Replaces what the store held.
    void LoadFromBytes(const BYTE* data, UINT size);

    // "Server_Port" reads as MORWICK_PORT when that names a port (a local run's own server); the file keeps the
    // stored value.
    // The value text inside the record, or null for a key no record has (keys compare without ASCII case,
    // same length). The pointer stays valid for the store's life; for use on the GUI thread, which is the
    // only writer. Other threads use CopyConfig or GetConfigInt.
    const char* GetConfig(const char* key) const;
    // Copies the value (cut to fit, terminated) under the lock; FALSE with out emptied when the key is missing.
    BOOL CopyConfig(const char* key, char* out, UINT size) const;
    // The value as a decimal number, or defaultValue when the key is missing or its value is empty.
    int GetConfigInt(const char* key, int defaultValue) const;

    // Sets the value of an existing key (cut to 31 characters) and, when save is non-zero, rewrites
    // "DefParam.dat". Unknown keys change nothing and save nothing. TRUE when the key exists and, when asked,
    // the file was written.
    BOOL SetConfig(const char* key, const char* value, int save);
    // Rewrites "DefParam.dat" with every record.
    BOOL Save();
    // "System_Version" = the build's own version ("3.2", GetProgramVersion) followed by version from its second "."
    // on (the build's version alone when it has fewer dots), saved.
    BOOL FixVersion(const char* version);

    // Replaces the data file "<name>.dat" with the bytes. FALSE when it could not be written (old file kept).
    BOOL WriteDataFile(const char* name, const void* data, UINT size);
    // The data file's bytes in a new malloc'ed buffer (whole 8-byte blocks, at least 8 zero bytes after the
    // data) and their count; -1 with the buffer untouched when the file cannot be read.
    int ReadDataFile(const char* name, BYTE** buffer) const;

    // directory + name.
    CWString GetFullPath(const WCHAR* name) const;
    const CWString& GetDirectory() const { return directory; }
    UINT GetRecordCount() const;
    // The bytes "DefParam.dat" would get now: every record, 64 bytes each.
    void Serialize(CByteBuffer* out) const;

    static const char* DefaultKey(int index);
    static const char* DefaultValue(int index);

private:
    const ConfigRecord* FindRecord(const char* key) const;
    CWString DataFilePath(const char* name) const;
    void AppendDefaults(int from);
    void ApplyPortOverride();
    // The port MORWICK_PORT names when key is "Server_Port", else null.
    const char* PortOverrideFor(const char* key) const;

    CWString directory;
    GrowArray<ConfigRecord> config{64};
    char portOverride[32] = {}; // empty: the stored port holds
    mutable CRITICAL_SECTION recordLock;
    // Held across snapshot and write, so two saves cannot land in the wrong order.
    CRITICAL_SECTION saveLock;
    // A save of "DefParam.dat" failed since the last that succeeded (under saveLock): the file may hold what is not
    // on disk, so an unchanged save is written all the same.
    bool saveFailed = false;
};
