// Arbitrary account files, of the older form or journals: reading never crashes, whatever is read writes back to a
// text that reads the same, and a journal of it reads back to the same account.
#include "server/Brokerage.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string text(reinterpret_cast<const char*>(data), size);
    CTradeAccount account;
    if (!CBrokerage::Parse(text, &account))
        return 0;
    std::string written = CBrokerage::Serialize(account);
    CTradeAccount again, journal;
    if (!CBrokerage::Parse(written, &again) || CBrokerage::Serialize(again) != written)
        abort();
    if (!CBrokerage::Parse(CBrokerage::Journal(account), &journal) || CBrokerage::Serialize(journal) != written)
        abort();
    return 0;
}
