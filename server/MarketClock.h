// The market's date and trading minute, kept across restarts in a small file of the server's data folder, so
// that the market never goes back: orders keep their order in time, and shares bought on a later day stay that
// day's.
#pragma once

#include <string>

class CMarketClock {
public:
    // folder empty: nothing is kept.
    explicit CMarketClock(std::string folder);

    // The kept date (YYYYMMDD) and trading minute (0..240); false when none is kept or the file is damaged.
    bool Read(int* date, int* minute) const;
    // Keeps them (a temporary file, flushed to the disk, renamed over the old one); false when the disk refused.
    bool Write(int date, int minute);
    // The later of the configured start and the kept clock: the market starts there.
    void StartNoEarlier(int* date, int* minute) const;

    static constexpr const char* FILE_NAME = "market.clock";

private:
    std::string path;
    int lastDate = 0, lastMinute = -1;
};
