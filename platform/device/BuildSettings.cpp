// Build-time addresses and the program version.
#include "platform/device/BuildSettings.h"

#include <cstring>

#ifndef MORWICK_GATEWAY_ADDR
#define MORWICK_GATEWAY_ADDR "127.0.0.1"
#endif

namespace {

const char DEFAULT_PROGRAM_VERSION[] = "3.2";
char programVersion[16] = "3.2";

} // namespace

const char* GetGatewayAddress()
{
    return MORWICK_GATEWAY_ADDR;
}

const char* GetProgramVersion()
{
    return programVersion;
}

void SetProgramVersion(const char* version)
{
    if (version == nullptr || version[0] == 0)
        version = DEFAULT_PROGRAM_VERSION;
    strncpy(programVersion, version, sizeof programVersion - 1);
    programVersion[sizeof programVersion - 1] = 0;
}
