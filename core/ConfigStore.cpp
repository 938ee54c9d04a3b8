// The configuration store and the named data files.
#include "core/ConfigStore.h"

#include "core/TextHelpers.h"
#include "platform/device/BuildSettings.h"
#include "platform/win/Debug.h"
#include "platform/win/FileIo.h"
#include "platform/win/LastError.h"
#include "platform/win/ModulePath.h"

#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

const char* const DEFAULT_KEYS[CONFIG_DEFAULT_COUNT] = {
    "Server_Addr",    "Server_Port",   "Connect_Type", "Sign_Username",  "Sign_Password",   "Sign_IsAuto",
    "Trade_SCCode",   "Trade_ZHLX",    "Trade_ZJZH",   "Trade_SAVEZJZH", "Quote_IsRefresh", "Quote_RefeWait",
    "System_Version", "System_Notice", "Upload_Bytes", "Download_Bytes", "Menu_Version",    "Font_Size",
    "UI_Style",       "Sip_Korvat",    "Sms_Content",  "Screen_Mode",    "Screen_Lock",
};

// Index 0, the server's address, is a build setting.
const char* const DEFAULT_VALUES[CONFIG_DEFAULT_COUNT] = {
    nullptr,     "8002", "0", "",  "",   "0",  "0001", "Z", "",     "0", "1", "10",
    "3.2.2.0.0", "0",    "0", "0", "60", "26", "0",    "1", "db a", "4", "1",
};

const WCHAR PARAM_FILE[] = u"DefParam.dat";

// Copies at most 31 characters and zero-fills the rest of the 32-byte field.
void SetField(char (&field)[32], const char* text, size_t available)
{
    char copy[32] = {}; // the text may be this very field (a value read back through GetConfig)
    size_t n = 0;
    while (n < 31 && n < available && text[n] != 0) {
        copy[n] = text[n];
        ++n;
    }
    memcpy(field, copy, sizeof field);
}

class Lock {
public:
    explicit Lock(CRITICAL_SECTION* section) : section(section) { EnterCriticalSection(section); }
    ~Lock() { LeaveCriticalSection(section); }
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;

private:
    CRITICAL_SECTION* section;
};

} // namespace

CConfigStore::CConfigStore(const WCHAR* dir)
{
    InitializeCriticalSection(&recordLock);
    InitializeCriticalSection(&saveLock);
    if (dir != nullptr) {
        directory.Assign(dir);
    } else {
        std::u16string programDir = GetProgramDirectory();
        directory.Assign(programDir.c_str());
    }
}

CConfigStore::~CConfigStore()
{
    DeleteCriticalSection(&saveLock);
    DeleteCriticalSection(&recordLock);
}

const char* CConfigStore::DefaultKey(int index)
{
    return index >= 0 && index < CONFIG_DEFAULT_COUNT ? DEFAULT_KEYS[index] : nullptr;
}

const char* CConfigStore::DefaultValue(int index)
{
    if (index == 0) {
        return GetBuildServerAddress();
    }
    return index > 0 && index < CONFIG_DEFAULT_COUNT ? DEFAULT_VALUES[index] : nullptr;
}

void CConfigStore::AppendDefaults(int from)
{
    for (int i = from < 0 ? 0 : from; i < CONFIG_DEFAULT_COUNT; ++i) {
        ConfigRecord record;
        SetField(record.key, DefaultKey(i), 32);
        const char* value = DefaultValue(i);
        SetField(record.value, value != nullptr ? value : "", 32);
        config.Append(&record, 1);
    }
}

void CConfigStore::LoadFromBytes(const BYTE* data, UINT size)
{
    GrowArray<ConfigRecord> records(64);
    UINT n = data != nullptr ? size / CONFIG_RECORD_SIZE : 0;
    for (UINT i = 0; i < n; ++i) {
        const char* raw = reinterpret_cast<const char*>(data) + size_t(i) * CONFIG_RECORD_SIZE;
        ConfigRecord record;
        // A field without its terminator is cut at 31 characters rather than read past.
        SetField(record.key, raw, 32);
        SetField(record.value, raw + 32, 32);
        if (records.Append(&record, 1) == nullptr) {
            break;
        }
    }
    Lock lock(&recordLock);
    config = std::move(records);
    AppendDefaults(int(n < UINT(CONFIG_DEFAULT_COUNT) ? n : UINT(CONFIG_DEFAULT_COUNT)));
}

// A local run names its stand-in server's port in the environment: reads of "Server_Port" give it, while the
// stored value (what the file keeps) stays the user's.
void CConfigStore::ApplyPortOverride()
{
    int port = GetServerPortOverride();
    std::string text = port != 0 ? std::to_string(port) : std::string();
    Lock lock(&recordLock);
    SetField(portOverride, text.c_str(), 32);
}

const char* CConfigStore::PortOverrideFor(const char* key) const
{
    return portOverride[0] != 0 && key != nullptr && StrEqualNoCase(key, "Server_Port") == 0 ? portOverride : nullptr;
}

namespace {

// True only when the file is known to be absent, not when it exists and cannot be read.
bool FileIsMissing(const WCHAR* path)
{
    FILE* f = _wfopen(path, u"rb");
    if (f != nullptr) {
        fclose(f);
        return false;
    }
    DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

} // namespace

void CConfigStore::Load(CAString* version)
{
    ApplyPortOverride();
    CWString path = GetFullPath(PARAM_FILE);
    BYTE* data = nullptr;
    int size = ReadWholeFile(path.GetText(), &data);
    if (size >= 0) {
        LoadFromBytes(data, UINT(size));
        free(data);
        char stored[32];
        CopyConfig("System_Version", stored, sizeof stored);
        if (version != nullptr) {
            version->Assign(stored);
        }
        FixVersion(stored);
        return;
    }
    {
        Lock lock(&recordLock);
        config = GrowArray<ConfigRecord>(64);
        AppendDefaults(0);
    }
    // A file that is there but cannot be read now (a passing read error, a damaged card) still holds the
    // user's settings: run on the defaults without writing them over it.
    if (!FileIsMissing(path.GetText())) {
        OutputDebugStringW(u"DefParam.dat could not be read; running on the defaults without saving\n");
        return;
    }
    Save();
    BYTE* quotes = nullptr;
    // Only a list that is not there gets the default codes; one that cannot be read now is still the user's.
    if (ReadDataFile("MyQuotes", &quotes) < 0 && FileIsMissing(GetFullPath(u"MyQuotes.dat").GetText())) {
        WriteDataFile("MyQuotes", DEFAULT_MY_QUOTES, sizeof DEFAULT_MY_QUOTES); // with its terminator
    } else {
        free(quotes);
    }
}

const ConfigRecord* CConfigStore::FindRecord(const char* key) const
{
    if (key == nullptr || config.data == nullptr) {
        return nullptr;
    }
    for (UINT i = 0; i < config.count; ++i) {
        if (StrEqualNoCase(config.data[i].key, key) == 0) {
            return &config.data[i];
        }
    }
    return nullptr;
}

const char* CConfigStore::GetConfig(const char* key) const
{
    Lock lock(&recordLock);
    if (const char* port = PortOverrideFor(key)) {
        return port;
    }
    const ConfigRecord* record = FindRecord(key);
    return record != nullptr ? record->value : nullptr;
}

BOOL CConfigStore::CopyConfig(const char* key, char* out, UINT size) const
{
    if (out == nullptr || size == 0) {
        return FALSE;
    }
    Lock lock(&recordLock);
    const ConfigRecord* record = FindRecord(key);
    if (record == nullptr) {
        out[0] = 0;
        return FALSE;
    }
    const char* value = PortOverrideFor(key) != nullptr ? portOverride : record->value;
    size_t n = strnlen(value, sizeof record->value);
    if (n > size - 1) {
        n = size - 1;
    }
    memcpy(out, value, n);
    out[n] = 0;
    return TRUE;
}

int CConfigStore::GetConfigInt(const char* key, int defaultValue) const
{
    char value[32];
    if (!CopyConfig(key, value, sizeof value) || value[0] == 0) {
        return defaultValue;
    }
    return atoi(value);
}

BOOL CConfigStore::SetConfig(const char* key, const char* value, int save)
{
    {
        Lock lock(&recordLock);
        ConfigRecord* record = const_cast<ConfigRecord*>(FindRecord(key));
        if (record == nullptr) {
            return FALSE;
        }
        if (value != nullptr) {
            SetField(record->value, value, 32);
        }
    }
    return save != 0 ? Save() : TRUE;
}

void CConfigStore::Serialize(CByteBuffer* out) const
{
    if (out == nullptr) {
        return;
    }
    Lock lock(&recordLock);
    out->SetSize(0);
    if (config.data != nullptr && config.count > 0) {
        out->Append(reinterpret_cast<const BYTE*>(config.data), config.count * CONFIG_RECORD_SIZE);
    }
}

BOOL CConfigStore::Save()
{
    Lock saving(&saveLock);
    CByteBuffer bytes(CONFIG_DEFAULT_COUNT * CONFIG_RECORD_SIZE);
    Serialize(&bytes);
    // Every start's version check saves settings the file holds already: not written and flushed again, as long
    // as the file has them (whoever touched it since) and no save failed since the last that succeeded.
    CWString path = GetFullPath(PARAM_FILE);
    return WriteFileIfChangedNative(NativePath(path.GetText()), bytes.data, bytes.count, &saveFailed);
}

BOOL CConfigStore::FixVersion(const char* version)
{
    // The first two components are the running build's own: a new build that was installed shows as such.
    char result[32] = {};
    strncpy(result, GetProgramVersion(), 15);
    size_t prefix = strlen(result);
    const char* second = nullptr;
    if (version != nullptr) {
        const char* first = strchr(version, '.');
        second = first != nullptr ? strchr(first + 1, '.') : nullptr;
    }
    if (second != nullptr) {
        size_t n = strlen(second);
        if (n > sizeof result - 1 - prefix) {
            n = sizeof result - 1 - prefix; // the stored value holds 31 characters anyway
        }
        memcpy(result + prefix, second, n);
        result[prefix + n] = 0;
    }
    return SetConfig("System_Version", result, 1);
}

CWString CConfigStore::GetFullPath(const WCHAR* name) const
{
    CWString path(directory);
    path.Append(name);
    return path;
}

CWString CConfigStore::DataFilePath(const char* name) const
{
    CWString path(directory);
    path.Append(name);
    path.Append(u".dat");
    return path;
}

BOOL CConfigStore::WriteDataFile(const char* name, const void* data, UINT size)
{
    if (name == nullptr || (data == nullptr && size != 0)) {
        return FALSE;
    }
    CWString path = DataFilePath(name);
    return WriteFileAtomically(path.GetText(), data, size);
}

int CConfigStore::ReadDataFile(const char* name, BYTE** buffer) const
{
    if (name == nullptr || buffer == nullptr) {
        return -1;
    }
    CWString path = DataFilePath(name);
    BYTE* data = nullptr;
    int size = ReadWholeFile(path.GetText(), &data);
    if (size < 0) {
        return -1;
    }
    *buffer = data;
    return size;
}

UINT CConfigStore::GetRecordCount() const
{
    Lock lock(&recordLock);
    return config.count;
}
