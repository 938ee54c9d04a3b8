// The real client, headless, against the stand-in server: from the ranked table a user opens the time-share chart,
// moves the cursor over it, goes on to the K-line chart and squeezes more candles in with two fingers.
#include "tests/support/ClientDriver.h"

#include <regex>
#include <string>

using namespace e2e;

namespace {

// A point of the first control matching the pattern: its middle across, dy below its top.
Point NearTop(const std::string& dump, const std::string& controlPattern, int dy)
{
    std::smatch control;
    Point p = CentreOf(dump, controlPattern);
    if (p.x < 0 || !std::regex_search(dump, control, std::regex(controlPattern)))
        return {};
    return {p.x, p.y - (std::stoi(control[4]) - std::stoi(control[2])) / 2 + dy};
}

class ChartsEndToEndTest : public ClientTest {
protected:
    // An hour into a Monday, whatever the clock says, so the time-share chart has minutes.
    CServerOptions ServerOptions() override
    {
        CServerOptions options = ClientTest::ServerOptions();
        options.startMinute = 60;
        options.today = 20251208;
        return options;
    }
};

} // namespace

TEST_F(ChartsEndToEndTest, FromTheRankedTableAUserOpensBothChartsMovesTheCursorAndZooms)
{
    auto started = Start("c");
    ClientProcess& client = *started;
    // Sign this phone up.
    std::string dump = client.WaitForTop("CRegisterVerifyFrame");
    ASSERT_EQ(TopWindowClass(dump), "CRegisterVerifyFrame") << dump;
    Point number = CentreOf(dump, RectOfId(300));
    client.Command("tap " + std::to_string(number.x) + " " + std::to_string(number.y));
    client.Command("text 13800138001");
    Point bar = CentreOf(dump, RectOfId(101));
    bar.x /= 3;
    ASSERT_TRUE(client.Tap(bar));
    dump = client.WaitForTop("CQXAppFrame");
    ASSERT_EQ(TopWindowClass(dump), "CQXAppFrame") << dump;

    // 行情, its first entry (the ranked table), its first row: the time-share chart of that stock.
    ASSERT_TRUE(client.Tap(CentreOf(dump, RectOfId(103))));
    dump = client.WaitForTop("CQXMenuWnd");
    ASSERT_EQ(TopWindowClass(dump), "CQXMenuWnd") << dump;
    ASSERT_TRUE(client.Tap(NearTop(dump, RectOfId(170), 30)));
    dump = client.WaitForTop("CQXStockTableWnd");
    ASSERT_EQ(TopWindowClass(dump), "CQXStockTableWnd") << dump;
    client.Command("idle 5000");
    dump = client.Dump();
    Point row = NearTop(dump, RectOfId(171), 30); // the stock grid under its header
    ASSERT_GE(row.x, 0) << dump;
    ASSERT_TRUE(client.Tap(row)); // the first tap selects the row, the second opens it
    ASSERT_TRUE(client.Tap(row));
    dump = client.WaitForTop("CFSFrame");
    ASSERT_EQ(TopWindowClass(dump), "CFSFrame") << dump;

    // A finger on the chart shows the values of the minute under it; they stay when it lifts, until the next tap.
    const std::string chartRect = R"re("kind":"chart","id":\d+,"rect":\[(\d+),(\d+),(\d+),(\d+)\])re";
    Point chart = CentreOf(dump, chartRect);
    ASSERT_GE(chart.x, 0) << dump;
    client.Command("idle 5000");
    client.Command("press " + std::to_string(chart.x) + " " + std::to_string(chart.y));
    client.Idle();
    std::string pressed = TopWindow(client.Dump());
    EXPECT_TRUE(std::regex_search(pressed, std::regex(R"re("kind":"chart".*"text":"\d\d:\d\d 价)re"))) << pressed;
    client.Command("release " + std::to_string(chart.x) + " " + std::to_string(chart.y));
    client.Idle();
    EXPECT_TRUE(std::regex_search(TopWindow(client.Dump()), std::regex(R"re("kind":"chart".*"text":"\d\d:\d\d 价)re")));
    ASSERT_TRUE(client.Tap(chart));
    EXPECT_FALSE(std::regex_search(TopWindow(client.Dump()), std::regex(R"re("kind":"chart".*"text":"\d\d:\d\d 价)re")));

    // The K-line chart from its tool bar (the middle button), then two fingers squeeze more candles in.
    ASSERT_TRUE(client.Tap(CentreOf(dump, RectOfId(101))));
    dump = client.WaitForTop("CKXFrame");
    ASSERT_EQ(TopWindowClass(dump), "CKXFrame") << dump;
    client.Command("idle 5000");
    EXPECT_NE(TopWindow(client.Dump()).find("visible=60"), std::string::npos) << client.Dump();
    EXPECT_EQ(client.Command("pinch in"), "{\"ok\":true}");
    client.Idle();
    dump = client.Dump();
    EXPECT_NE(TopWindow(dump).find("visible=120"), std::string::npos) << dump;
    EXPECT_NE(TopWindow(dump).find("MA5:"), std::string::npos) << dump;
}
