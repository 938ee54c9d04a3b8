// Addresses and the version fixed when the client is built (configure-time settings), as the phone's build fixed
// them.
#pragma once

// The mobile operator's HTTP gateway used in proxy mode (dotted IPv4); its port is always 80.
const char* GetGatewayAddress();

// The program's own version, its first two components ("3.2"): the stored version text always starts with it.
// The executable sets it at start from its build; "3.2" until then.
const char* GetProgramVersion();
// Keeps at most 15 characters; null or empty restores "3.2".
void SetProgramVersion(const char* version);
