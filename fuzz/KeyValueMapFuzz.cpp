// Arbitrary pair-list texts: every pair must read back, and every non-empty key must be found.
#include "core/KeyValueMap.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string text(reinterpret_cast<const char*>(data), size); // stops at an embedded zero, as the texts do
    KeyValueMap map(text.c_str());
    size_t total = 0;
    for (int i = 0; i < map.GetCount(); ++i) {
        const char* key = map.GetKey(i);
        const char* value = map.GetValue(i);
        if (key == nullptr || value == nullptr) {
            abort();
        }
        total += strlen(key) + strlen(value);
        if (key[0] != 0 && map.FindValue(key) == nullptr) {
            abort();
        }
    }
    if (total > size || map.GetKey(map.GetCount()) != nullptr) {
        abort();
    }
    map.Assign(text.c_str() + text.size() / 2); // reuse of the arrays' items
    return 0;
}
