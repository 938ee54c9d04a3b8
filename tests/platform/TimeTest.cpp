// Ticks, sleeping and the calendar time from the settable wall clock.
#include "platform/win/Time.h"

#include <gtest/gtest.h>

namespace {

// 2026-03-02 09:16:05.250 UTC, a Monday.
LONGLONG FixedClock()
{
    return 1772442965250LL;
}

} // namespace

TEST(Time, SleepAdvancesTickCount)
{
    DWORD start = GetTickCount();
    Sleep(30);
    DWORD elapsed = GetTickCount() - start;
    EXPECT_GE(elapsed, 30u);
    EXPECT_LT(elapsed, 10000u); // a busy machine may wake the sleeper late
}

TEST(Time, InstalledClockDrivesSystemAndLocalTime)
{
    SetWallClockSource(FixedClock);
    SYSTEMTIME utc{};
    GetSystemTime(&utc);
    EXPECT_EQ(utc.wYear, 2026);
    EXPECT_EQ(utc.wMonth, 3);
    EXPECT_EQ(utc.wDay, 2);
    EXPECT_EQ(utc.wDayOfWeek, 1);
    EXPECT_EQ(utc.wHour, 9);
    EXPECT_EQ(utc.wMinute, 16);
    EXPECT_EQ(utc.wSecond, 5);
    EXPECT_EQ(utc.wMilliseconds, 250);

    setenv("TZ", "CST-8", 1); // UTC+8 without needing the zone files
    tzset();
    SYSTEMTIME local{};
    GetLocalTime(&local);
    EXPECT_EQ(local.wHour, 17);
    EXPECT_EQ(local.wMinute, 16);
    unsetenv("TZ");
    tzset();

    SetWallClockSource(nullptr);
    GetSystemTime(&utc);
    EXPECT_GE(utc.wYear, 2024);
}
