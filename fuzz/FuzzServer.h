// The stand-in server as the fuzz targets use it: a market frozen at 10:00 of a fixed day, sessions that never
// expire, and the common fields of a logged-in client.
#pragma once

#include "server/ServerFunctions.h"

#include <string>

inline CServerOptions FrozenServerOptions()
{
    CServerOptions o;
    o.startMinute = 30;
    o.today = 20251208;
    o.marketMinutesPerSecond = 0;
    o.idleSeconds = 0;
    return o;
}

// Opens a session and returns the fields that put a request into it.
inline std::string LoggedInPrefix(CServerFunctions& functions)
{
    std::string id = functions.Sessions().Open("AbCdEfGh01234567", "13800138000", true);
    return "hwID=1,2&softName=RuvAv&TC_SESSION={" + id + "}&";
}
