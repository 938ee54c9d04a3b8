// Request bodies of any shape into the stand-in server's functions: parsing, deciphering, dispatch and
// reply packing must never crash or read out of bounds, whatever the pairs say.
#include "server/ServerFunctions.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace {

struct Fixture {
    CServerFunctions functions;
    std::string prefix;
    Fixture() : functions(Options(), nullptr)
    {
        std::string id = functions.Sessions().Open("AbCdEfGh01234567", "13800138000", true);
        prefix = "hwID=1,2&softName=RuvAv&TC_SESSION={" + id + "}&";
    }
    static CServerOptions Options()
    {
        CServerOptions o;
        o.startMinute = 30;
        o.today = 20251208;
        o.marketMinutesPerSecond = 0;
        o.idleSeconds = 0;
        return o;
    }
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
