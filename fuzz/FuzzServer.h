// The stand-in server as the fuzz targets use it: a market frozen at 10:00 of a fixed day, sessions that never
// expire, and the common fields of a logged-in client.
#pragma once

#include "server/ServerFunctions.h"

#include <cstddef>
#include <cstdint>
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

// A real reply with input written over it: pairs of a position and a byte, or a cut where the byte is 0xFF, so
// that mutations start from replies the client understands.
inline std::string OverlaidReply(std::string reply, const uint8_t* edits, size_t size)
{
    for (size_t i = 0; i + 2 < size && !reply.empty(); i += 3) {
        size_t at = ((size_t)edits[i] << 8 | edits[i + 1]) % reply.size();
        if (edits[i + 2] == 0xFF)
            reply.resize(at); // a cut
        else
            reply[at] = (char)edits[i + 2];
    }
    return reply;
}
