// Addresses fixed when the client is built (configure-time settings), as the phone's build fixed them.
#pragma once

// The mobile operator's HTTP gateway used in proxy mode (dotted IPv4); its port is always 80.
const char* GetGatewayAddress();
