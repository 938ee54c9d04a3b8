// Build-time addresses.
#include "platform/device/BuildSettings.h"

#ifndef MORWICK_GATEWAY_ADDR
#define MORWICK_GATEWAY_ADDR "127.0.0.1"
#endif

const char* GetGatewayAddress()
{
    return MORWICK_GATEWAY_ADDR;
}
