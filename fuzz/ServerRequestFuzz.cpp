// Request bodies of any shape into the stand-in server's functions: parsing, deciphering, dispatch and
// reply packing must never crash or read out of bounds, whatever the pairs say.
#include "fuzz/FuzzServer.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace {

struct Fixture {
    CServerFunctions functions{FrozenServerOptions(), nullptr};
    std::string prefix = LoggedInPrefix(functions);
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Fixture fixture;
    std::string body(reinterpret_cast<const char*>(data), size);
    CServerReply r = fixture.functions.Handle(fixture.prefix + body);
    (void)r;
    fixture.functions.Handle(body); // and without the session and common fields
    return 0;
}
