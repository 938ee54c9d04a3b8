// Arbitrary "DefParam.dat" bytes: every record must load cut to its fields, the defaults must follow, and the
// store must write back exactly what it read.
#include "core/ConfigStore.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > (1u << 20)) {
        return 0;
    }
    CConfigStore store(u"/nonexistent-morwick-fuzz/"); // nothing here touches the disk
    store.LoadFromBytes(data, UINT(size));
    UINT records = UINT(size / CONFIG_RECORD_SIZE);
    UINT expected = records > UINT(CONFIG_DEFAULT_COUNT) ? records : UINT(CONFIG_DEFAULT_COUNT);
    if (store.GetRecordCount() != expected) {
        abort();
    }
    for (int i = 0; i < CONFIG_DEFAULT_COUNT; ++i) {
        const char* value = store.GetConfig(CConfigStore::DefaultKey(i));
        if (value != nullptr && strlen(value) > 31) {
            abort();
        }
        char copy[8];
        store.CopyConfig(CConfigStore::DefaultKey(i), copy, sizeof copy);
        if (strlen(copy) > 7) {
            abort();
        }
        store.GetConfigInt(CConfigStore::DefaultKey(i), 0);
    }
    if (size >= 32) {
        char key[32];
        memcpy(key, data, 31);
        key[31] = 0;
        std::string value(reinterpret_cast<const char*>(data) + 32, size - 32);
        store.SetConfig(key, value.c_str(), 0);
    }
    CByteBuffer bytes(64);
    store.Serialize(&bytes);
    if (bytes.count != expected * CONFIG_RECORD_SIZE) {
        abort();
    }
    CConfigStore again(u"/nonexistent-morwick-fuzz/");
    again.LoadFromBytes(bytes.data, bytes.count);
    CByteBuffer twice(64);
    again.Serialize(&twice);
    if (twice.count != bytes.count || memcmp(twice.data, bytes.data, bytes.count) != 0) {
        abort();
    }
    return 0;
}
