// Arbitrary account files: reading never crashes, and whatever is read writes back to a text that reads the same.
#include "server/Brokerage.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    CTradeAccount account;
    if (!CBrokerage::Parse(text, &account))
        return 0;
    std::string written = CBrokerage::Serialize(account);
    CTradeAccount again;
    if (!CBrokerage::Parse(written, &again) || CBrokerage::Serialize(again) != written) {
        abort();
    }
    return 0;
}
