// The market's clock file: one line "date minute".
#include "server/MarketClock.h"

#include "platform/win/FileIo.h"

#include <cstdio>
#include <filesystem>

CMarketClock::CMarketClock(std::string folder)
{
    if (!folder.empty())
        path = (std::filesystem::path(folder) / FILE_NAME).string();
}

bool CMarketClock::Read(int* date, int* minute) const
{
    if (path.empty())
        return false;
    FILE* file = std::fopen(path.c_str(), "r");
    if (file == nullptr)
        return false;
    int d = 0, m = -1;
    char end = 0;
    int fields = std::fscanf(file, "%8d %3d%c", &d, &m, &end);
    std::fclose(file);
    if (fields != 3 || end != '\n' || d < 19900101 || d > 99991231 || m < 0 || m > 240)
        return false;
    *date = d;
    *minute = m;
    return true;
}

bool CMarketClock::Write(int date, int minute)
{
    if (path.empty() || (date == lastDate && minute == lastMinute))
        return true;
    char text[32];
    int length = std::snprintf(text, sizeof text, "%d %d\n", date, minute);
    if (!WriteFileAtomicallyNative(path, text, (size_t)length)) {
        std::fprintf(stderr, "morwick-server: cannot write %s\n", path.c_str());
        return false;
    }
    lastDate = date;
    lastMinute = minute;
    return true;
}

void CMarketClock::StartNoEarlier(int* date, int* minute) const
{
    int keptDate = 0, keptMinute = 0;
    if (!Read(&keptDate, &keptMinute))
        return;
    if (keptDate > *date || (keptDate == *date && keptMinute > *minute)) {
        *date = keptDate;
        *minute = keptMinute;
    }
}
