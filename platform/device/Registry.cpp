// The registry store: read from "registry.dat" for every call and rewritten atomically on every change, under
// one lock. The file is text: a line per key, "[ROOT\path]", then a line per value, "name=type:hex bytes",
// with names percent-escaped.
#include "platform/device/Registry.h"
#include "platform/win/CodePage.h"
#include "platform/win/FileIo.h"
#include "platform/win/LastError.h"
#include "platform/win/ModulePath.h"

#include <cstring>
#include <cerrno>
#include <cstdio>
#include <sstream>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#ifndef ERROR_KEY_DELETED
#define ERROR_KEY_DELETED 1018L
#endif

namespace {

const char* const FILE_HEADER = "MORWICK REGISTRY 1";

struct Value {
    std::string name; // as first written
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
};

struct Key {
    std::string path;                    // "ROOT\sub\key" as first created
    std::map<std::string, Value> values; // by lower-case name
};

// Keys by lower-case full path.
typedef std::map<std::string, Key> Store;

std::mutex registryLock;
std::map<uintptr_t, std::string> openKeys; // handle -> lower-case full path
uintptr_t nextHandle = 0x1000;

std::string Lower(std::string s)
{
    for (char& c : s)
        if (c >= 'A' && c <= 'Z')
            c = (char)(c - 'A' + 'a');
    return s;
}

std::string Utf8(LPCWSTR text)
{
    if (text == nullptr || text[0] == 0)
        return std::string();
    int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (n <= 0)
        return std::string();
    std::string out((size_t)n, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), n, nullptr, nullptr);
    out.resize((size_t)n - 1);
    return out;
}

const char* RootName(HKEY key)
{
    if (key == HKEY_CLASSES_ROOT)
        return "HKEY_CLASSES_ROOT";
    if (key == HKEY_CURRENT_USER)
        return "HKEY_CURRENT_USER";
    if (key == HKEY_LOCAL_MACHINE)
        return "HKEY_LOCAL_MACHINE";
    return nullptr;
}

// The full path of an open or predefined key (lower case is looked up in the store), empty when unknown.
std::string PathOfHandle(HKEY key)
{
    if (const char* root = RootName(key))
        return root;
    auto it = openKeys.find((uintptr_t)key);
    return it == openKeys.end() ? std::string() : it->second;
}

// Joins a sub-key path ("a\b", "a/b", extra separators ignored) to a key path.
std::string Join(const std::string& base, LPCWSTR subKey)
{
    std::string out = base;
    std::string part;
    std::string sub = Utf8(subKey);
    for (size_t i = 0; i <= sub.size(); ++i) {
        if (i == sub.size() || sub[i] == '\\' || sub[i] == '/') {
            if (!part.empty())
                out += "\\" + part;
            part.clear();
        } else {
            part += sub[i];
        }
    }
    return out;
}

bool IsRootPath(const std::string& lowerPath)
{
    return lowerPath.find('\\') == std::string::npos;
}

std::string Escape(const std::string& s)
{
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : s) {
        if (c < 0x20 || c == '%' || c == '=' || c == '[' || c == ']' || c == 0x7F) {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        } else {
            out += (char)c;
        }
    }
    return out;
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool Unescape(const std::string& s, std::string* out)
{
    out->clear();
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '%') {
            *out += s[i];
            continue;
        }
        if (i + 2 >= s.size())
            return false;
        int hi = HexDigit(s[i + 1]), lo = HexDigit(s[i + 2]);
        if (hi < 0 || lo < 0)
            return false;
        *out += (char)(hi * 16 + lo);
        i += 2;
    }
    return true;
}

std::string FilePath()
{
    return GetDeviceDirectoryNative() + "registry.dat";
}

// Set by LoadStore when the file is there but could not be read: the registry then refuses writes, since saving
// what little was read would replace the phone's keys (the sign-up record among them) with an empty set.
bool storeUnreadable = false;

// The whole file, or empty when there is none; storeUnreadable tells a failed read from a missing file.
std::string ReadStoreFile()
{
    storeUnreadable = false;
    std::string text;
    FILE* f = std::fopen(FilePath().c_str(), "rb");
    if (f == nullptr) {
        storeUnreadable = errno != ENOENT && errno != ENOTDIR;
        return text;
    }
    char chunk[4096];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0)
        text.append(chunk, n);
    storeUnreadable = std::ferror(f) != 0;
    std::fclose(f);
    return text;
}

// A damaged line is skipped; everything readable is kept.
Store LoadStore()
{
    Store store;
    std::istringstream in(ReadStoreFile());
    std::string line;
    Key* current = nullptr;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty() || line == FILE_HEADER)
            continue;
        if (line.front() == '[' && line.back() == ']') {
            std::string path;
            current = nullptr;
            if (Unescape(line.substr(1, line.size() - 2), &path) && !path.empty()) {
                current = &store[Lower(path)];
                current->path = path;
            }
            continue;
        }
        size_t eq = line.find('=');
        size_t colon = eq == std::string::npos ? std::string::npos : line.find(':', eq);
        if (current == nullptr || colon == std::string::npos)
            continue;
        Value value;
        if (!Unescape(line.substr(0, eq), &value.name))
            continue;
        value.type = (DWORD)strtoul(line.substr(eq + 1, colon - eq - 1).c_str(), nullptr, 10);
        std::string hex = line.substr(colon + 1);
        if (hex.size() % 2 != 0)
            continue;
        bool ok = true;
        for (size_t i = 0; i < hex.size() && ok; i += 2) {
            int hi = HexDigit(hex[i]), lo = HexDigit(hex[i + 1]);
            ok = hi >= 0 && lo >= 0;
            value.data.push_back((BYTE)(hi * 16 + lo));
        }
        if (ok)
            current->values[Lower(value.name)] = std::move(value);
    }
    return store;
}

// A save failed since the last that succeeded (under the lock): the file may hold what never reached the disk, so
// that neither an unchanged value nor an existing key is taken as saved until a save succeeds.
bool saveFailed = false;

// Writes the store unless the file holds it already and no save failed since.
LONG SaveStore(const Store& store)
{
    if (storeUnreadable)
        return ERROR_ACCESS_DENIED;
    static const char hex[] = "0123456789abcdef";
    std::string text = std::string(FILE_HEADER) + "\n";
    for (const auto& [lowerPath, key] : store) {
        text += '[';
        text += Escape(key.path);
        text += "]\n";
        for (const auto& [lowerName, value] : key.values) {
            text += Escape(value.name);
            text += '=';
            text += std::to_string(value.type);
            text += ':';
            for (BYTE b : value.data) {
                text += hex[b >> 4];
                text += hex[b & 15];
            }
            text += "\n";
        }
    }
    if (!WriteFileIfChangedNative(FilePath(), text.data(), text.size(), &saveFailed)) {
        DWORD error = GetLastError();
        return error != ERROR_SUCCESS ? (LONG)error : (LONG)ERROR_WRITE_FAULT;
    }
    return ERROR_SUCCESS;
}

bool KeyExists(const Store& store, const std::string& path)
{
    return IsRootPath(Lower(path)) || store.count(Lower(path)) != 0;
}

// The path of an open key and the store as it is now (under the lock). ERROR_INVALID_HANDLE for a handle that is
// not open; with mustExist, ERROR_KEY_DELETED for a key deleted since it was opened.
LONG ReadOpenKey(HKEY key, bool mustExist, std::string* path, Store* store)
{
    *path = PathOfHandle(key);
    if (path->empty())
        return ERROR_INVALID_HANDLE;
    *store = LoadStore();
    if (mustExist && !KeyExists(*store, *path))
        return ERROR_KEY_DELETED;
    return ERROR_SUCCESS;
}

HKEY NewHandle(const std::string& path)
{
    uintptr_t handle = nextHandle++;
    openKeys[handle] = Lower(path);
    return (HKEY)handle;
}

} // namespace

LONG RegCreateKeyExW(HKEY key, LPCWSTR subKey, DWORD, LPWSTR, DWORD, REGSAM, void*, PHKEY result, LPDWORD disposition)
{
    if (result == nullptr)
        return ERROR_INVALID_PARAMETER;
    std::lock_guard<std::mutex> hold(registryLock);
    std::string base;
    Store store;
    if (LONG error = ReadOpenKey(key, true, &base, &store))
        return error;
    std::string path = Join(store.count(Lower(base)) ? store[Lower(base)].path : base, subKey);
    bool created = false;
    // Every missing key on the way is created, as the real call does.
    std::string walk;
    for (size_t i = 0; i <= path.size(); ++i) {
        if (i == path.size() || path[i] == '\\') {
            if (!IsRootPath(Lower(walk)) && store.count(Lower(walk)) == 0) {
                store[Lower(walk)].path = walk;
                created = true;
            }
        }
        if (i < path.size())
            walk += path[i];
    }
    if (created || saveFailed) {
        LONG saved = SaveStore(store);
        if (saved != ERROR_SUCCESS)
            return saved;
    }
    if (disposition != nullptr)
        *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    *result = NewHandle(path);
    return ERROR_SUCCESS;
}

LONG RegOpenKeyExW(HKEY key, LPCWSTR subKey, DWORD, REGSAM, PHKEY result)
{
    if (result == nullptr)
        return ERROR_INVALID_PARAMETER;
    std::lock_guard<std::mutex> hold(registryLock);
    std::string base;
    Store store;
    if (LONG error = ReadOpenKey(key, false, &base, &store))
        return error;
    std::string path = Join(base, subKey);
    if (!KeyExists(store, path))
        return ERROR_FILE_NOT_FOUND;
    *result = NewHandle(path);
    return ERROR_SUCCESS;
}

LONG RegQueryValueExW(HKEY key, LPCWSTR valueName, LPDWORD, LPDWORD type, LPBYTE data, LPDWORD dataSize)
{
    if (data != nullptr && dataSize == nullptr)
        return ERROR_INVALID_PARAMETER;
    std::lock_guard<std::mutex> hold(registryLock);
    std::string path;
    Store store;
    if (LONG error = ReadOpenKey(key, true, &path, &store))
        return error;
    auto keyIt = store.find(Lower(path));
    if (keyIt == store.end())
        return ERROR_FILE_NOT_FOUND;
    auto it = keyIt->second.values.find(Lower(Utf8(valueName)));
    if (it == keyIt->second.values.end())
        return ERROR_FILE_NOT_FOUND;
    const Value& value = it->second;
    if (type != nullptr)
        *type = value.type;
    DWORD size = (DWORD)value.data.size();
    if (data == nullptr) {
        if (dataSize != nullptr)
            *dataSize = size;
        return ERROR_SUCCESS;
    }
    if (*dataSize < size) {
        *dataSize = size;
        return ERROR_MORE_DATA;
    }
    if (size > 0)
        memcpy(data, value.data.data(), size);
    *dataSize = size;
    return ERROR_SUCCESS;
}

LONG RegSetValueExW(HKEY key, LPCWSTR valueName, DWORD, DWORD type, const BYTE* data, DWORD dataSize)
{
    if ((data == nullptr && dataSize > 0) || (type == REG_DWORD && dataSize != 4))
        return ERROR_INVALID_PARAMETER;
    std::lock_guard<std::mutex> hold(registryLock);
    std::string path = PathOfHandle(key);
    if (path.empty())
        return ERROR_INVALID_HANDLE;
    if (IsRootPath(Lower(path)))
        return ERROR_ACCESS_DENIED; // values live in keys of their own
    Store store = LoadStore();
    auto keyIt = store.find(Lower(path));
    if (keyIt == store.end())
        return ERROR_KEY_DELETED;
    Value value;
    value.name = Utf8(valueName);
    value.type = type;
    if (dataSize > 0)
        value.data.assign(data, data + dataSize);
    auto existing = keyIt->second.values.find(Lower(value.name));
    if (existing != keyIt->second.values.end())
        value.name = existing->second.name;
    keyIt->second.values[Lower(value.name)] = std::move(value);
    // A value set to what the file holds (every log-on sets the sign-up record again) is not rewritten and flushed.
    return SaveStore(store);
}

LONG RegDeleteValueW(HKEY key, LPCWSTR valueName)
{
    std::lock_guard<std::mutex> hold(registryLock);
    std::string path;
    Store store;
    if (LONG error = ReadOpenKey(key, false, &path, &store))
        return error;
    auto keyIt = store.find(Lower(path));
    if (keyIt == store.end())
        return IsRootPath(Lower(path)) ? (LONG)ERROR_FILE_NOT_FOUND : (LONG)ERROR_KEY_DELETED;
    if (keyIt->second.values.erase(Lower(Utf8(valueName))) == 0)
        return ERROR_FILE_NOT_FOUND;
    return SaveStore(store);
}

LONG RegDeleteKeyW(HKEY key, LPCWSTR subKey)
{
    std::lock_guard<std::mutex> hold(registryLock);
    std::string base = PathOfHandle(key);
    if (base.empty())
        return ERROR_INVALID_HANDLE;
    std::string lower = Lower(Join(base, subKey));
    if (IsRootPath(lower))
        return ERROR_ACCESS_DENIED;
    Store store = LoadStore();
    if (store.count(lower) == 0)
        return ERROR_FILE_NOT_FOUND;
    auto next = store.lower_bound(lower + "\\");
    if (next != store.end() && next->first.compare(0, lower.size() + 1, lower + "\\") == 0)
        return ERROR_ACCESS_DENIED; // has subkeys
    store.erase(lower);
    return SaveStore(store);
}

LONG RegCloseKey(HKEY key)
{
    if (RootName(key) != nullptr)
        return ERROR_SUCCESS;
    std::lock_guard<std::mutex> hold(registryLock);
    return openKeys.erase((uintptr_t)key) != 0 ? (LONG)ERROR_SUCCESS : (LONG)ERROR_INVALID_HANDLE;
}
