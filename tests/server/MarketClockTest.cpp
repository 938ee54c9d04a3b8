// The market's clock across restarts: the server starts at the later of its configured day and minute and the
// clock it kept, so the market never goes back.
#include "server/MarketClock.h"
#include "tests/server/ServerTestClient.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <fstream>

TEST(MarketClock, TheMarketStartsAtTheLaterOfItsConfiguredStartAndTheKeptClock)
{
    struct Case {
        const char* kept; // the file's text; null for none
        int today, minute;
        int date, startMinute;
    } cases[] = {
        {nullptr, 20251208, 60, 20251208, 60},
        {"20251210 30\n", 20251208, 60, 20251210, 30},
        {"20251208 90\n", 20251208, 60, 20251208, 90},
        {"20251208 30\n", 20251208, 60, 20251208, 60},
        {"20251205 200\n", 20251208, 60, 20251208, 60},
        {"20251212 10\n", 20251213, 60, 20251212, 60}, // a Saturday is the Friday's market
        {"20251210 3", 20251208, 60, 20251208, 60},    // cut short
        {"20251210 241\n", 20251208, 60, 20251208, 60},
        {"garbage\n", 20251208, 60, 20251208, 60},
    };
    for (const Case& c : cases) {
        TempFolder folder;
        if (c.kept != nullptr)
            std::ofstream(folder.Path() + CMarketClock::FILE_NAME) << c.kept;
        CServerOptions options = CServerUnderTest::Options();
        options.dataDir = folder.Path();
        options.today = c.today;
        options.startMinute = c.minute;
        CServerFunctions server(options, &CServerUnderTest::Keys());
        EXPECT_EQ(server.Market().GetDate(), c.date) << (c.kept ? c.kept : "none");
        EXPECT_EQ(server.Market().GetMinuteOfDay(), c.startMinute) << (c.kept ? c.kept : "none");
    }
}

TEST(MarketClock, ARestartGoesOnFromWhereTheMarketWasNotFromTheConfiguredStart)
{
    TempFolder folder;
    CServerOptions options = CServerUnderTest::Options();
    options.dataDir = folder.Path();
    int date = 0, minute = 0;
    {
        CServerFunctions server(options, &CServerUnderTest::Keys());
        server.AdvanceMinutes(240 + 30); // into the next trading day
        date = server.Market().GetDate();
        minute = server.Market().GetMinuteOfDay();
    }
    ASSERT_EQ(date, 20251209);
    CServerFunctions again(options, &CServerUnderTest::Keys());
    EXPECT_EQ(again.Market().GetDate(), date);
    EXPECT_EQ(again.Market().GetMinuteOfDay(), minute);
}
