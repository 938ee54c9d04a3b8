// Tick counts, sleeping and the calendar time of day in the phone's shapes.
// The time of day comes from one settable source so that automation can run the client at a chosen moment.
#pragma once

#include "platform/win/WinTypes.h"

struct SYSTEMTIME {
    WORD wYear;
    WORD wMonth;
    WORD wDayOfWeek; // 0 = Sunday
    WORD wDay;
    WORD wHour;
    WORD wMinute;
    WORD wSecond;
    WORD wMilliseconds;
};
typedef SYSTEMTIME* LPSYSTEMTIME;

// Milliseconds since an arbitrary start; wraps after about 49.7 days, as on the phone.
DWORD GetTickCount();
void Sleep(DWORD milliseconds);

// Local and UTC calendar time, both from the wall-clock source below.
void GetLocalTime(LPSYSTEMTIME time);
void GetSystemTime(LPSYSTEMTIME time);

// The wall clock: milliseconds since 1970-01-01 00:00 UTC. By default the system clock; a replacement
// (for instance an automation clock that a script sets) can be installed and removed (null) at any time.
typedef LONGLONG (*WallClockSource)();
LONGLONG GetWallClockMilliseconds();
void SetWallClockSource(WallClockSource source);
