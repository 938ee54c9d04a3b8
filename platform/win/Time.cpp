// Tick counts from the monotonic clock; calendar time from the wall-clock source, split in local or UTC fields.
#include "platform/win/Time.h"

#include <atomic>
#include <ctime>
#include <time.h>

namespace {

std::atomic<WallClockSource> wallClockSource{nullptr};

LONGLONG SystemWallClock()
{
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    return (LONGLONG)now.tv_sec * 1000 + now.tv_nsec / 1000000;
}

void FillSystemTime(const struct tm& fields, int milliseconds, LPSYSTEMTIME time)
{
    time->wYear = (WORD)(fields.tm_year + 1900);
    time->wMonth = (WORD)(fields.tm_mon + 1);
    time->wDayOfWeek = (WORD)fields.tm_wday;
    time->wDay = (WORD)fields.tm_mday;
    time->wHour = (WORD)fields.tm_hour;
    time->wMinute = (WORD)fields.tm_min;
    time->wSecond = (WORD)(fields.tm_sec > 59 ? 59 : fields.tm_sec); // a leap second reads as :59
    time->wMilliseconds = (WORD)milliseconds;
}

void SplitWallClock(bool local, LPSYSTEMTIME time)
{
    if (time == nullptr)
        return;
    LONGLONG ms = GetWallClockMilliseconds();
    LONGLONG seconds = ms / 1000;
    int rest = (int)(ms % 1000);
    if (rest < 0) {
        rest += 1000;
        seconds -= 1;
    }
    time_t t = (time_t)seconds;
    struct tm fields {};
    if (local)
        localtime_r(&t, &fields);
    else
        gmtime_r(&t, &fields);
    FillSystemTime(fields, rest, time);
}

} // namespace

DWORD GetTickCount()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return (DWORD)((ULONGLONG)now.tv_sec * 1000 + (ULONGLONG)now.tv_nsec / 1000000);
}

void Sleep(DWORD milliseconds)
{
    timespec wait{(time_t)(milliseconds / 1000), (long)(milliseconds % 1000) * 1000000L};
    while (nanosleep(&wait, &wait) != 0) {
        // interrupted by a signal: sleep the rest
    }
}

LONGLONG GetWallClockMilliseconds()
{
    WallClockSource source = wallClockSource.load();
    return source != nullptr ? source() : SystemWallClock();
}

void SetWallClockSource(WallClockSource source)
{
    wallClockSource.store(source);
}

void GetLocalTime(LPSYSTEMTIME time)
{
    SplitWallClock(true, time);
}

void GetSystemTime(LPSYSTEMTIME time)
{
    SplitWallClock(false, time);
}
