// Arbitrary bytes as the server configuration file ("config", a saved reply of {key, value} rows) loaded the way
// the quote screens load it: every value looked up must be a terminated text, and its "key^name#" pairs must
// split without reading past it.
#include "core/ConfigStore.h"
#include "core/KeyValueMap.h"
#include "core/ServerConfig.h"
#include "fuzz/FuzzHome.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

void Shown(const char*, DWORD) {}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > (1u << 20))
        return 0;
    static CConfigStore* store = [] {
        std::string home = FuzzHomePath();
        std::u16string dir(home.begin(), home.end()); // an ASCII temporary path
        return new CConfigStore(dir.c_str());
    }();
    // The same bytes through the file and straight from memory.
    store->WriteDataFile("config", data, (UINT)size);
    CServerConfig fromFile(store, Shown);
    fromFile.Load(0);
    CServerConfig fromBytes(store, Shown);
    fromBytes.LoadFromBytes(data, (DWORD)size);
    for (CServerConfig* config : {&fromFile, &fromBytes})
        for (const char* key : {"market", "type", "sort", "tech", "MARKET", "", "x"}) {
            const char* value = config->Get(key);
            if (value == nullptr)
                continue;
            size_t length = strlen(value);
            KeyValueMap pairs(value);
            for (int i = 0; i < pairs.GetCount(); ++i) {
                const char* k = pairs.GetKey(i);
                const char* v = pairs.GetValue(i);
                if ((k != nullptr && strlen(k) > length) || (v != nullptr && strlen(v) > length))
                    abort();
            }
        }
    return 0;
}
