// The real client, headless, against the stand-in server: from the ranked table a user opens the time-share chart,
// moves the cursor over it, goes on to the K-line chart, squeezes more candles in with two fingers and turns it; a
// chart left open over a restart of the server or the change of trading day draws, once refreshed, what a chart
// opened afresh draws.
#include "platform/display/PngCodec.h"
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
    // An hour into a Monday, whatever the clock says, so the time-share chart has minutes; a restart may start
    // the server on another day and minute.
    CServerOptions ServerOptions() override
    {
        CServerOptions options = ClientTest::ServerOptions();
        options.startMinute = startMinute;
        options.today = today;
        return options;
    }

    int today = 20251208, startMinute = 60;
};

// Signs this phone up and opens the time-share chart of the ranked table's first stock; the dump of the chart.
std::string OpenTimeShare(ClientProcess& client)
{
    std::string dump = client.SignUp();
    // 行情, its first entry (the ranked table), its first row: the time-share chart of that stock.
    client.Tap(CentreOf(dump, RectOfId(103)));
    dump = client.WaitForTop("CQXMenuWnd");
    client.Tap(NearTop(dump, RectOfId(170), 30));
    dump = client.WaitForTop("CQXStockTableWnd");
    client.Command("idle 5000");
    dump = client.Dump();
    Point row = NearTop(dump, RectOfId(171), 30); // the stock grid under its header
    client.Tap(row);                              // the first tap selects the row, the second opens it
    client.Tap(row);
    return client.WaitForTop("CFSFrame");
}

// A button of a chart's tool bar of five.
Point ToolButton(const std::string& dump, int index)
{
    return e2e::ToolButton(dump, index, 5);
}

const std::string CHART_RECT = R"re("kind":"chart","id":\d+,"rect":\[(\d+),(\d+),(\d+),(\d+)\])re";

// The chart area of the top window in a shot of the screen.
morwick::display::Surface ChartShot(ClientProcess& client, const std::string& path)
{
    std::string dump = client.Dump();
    std::smatch m;
    Point centre = CentreOf(dump, CHART_RECT);
    morwick::display::Surface screen, area;
    if (centre.x < 0 || !std::regex_search(dump, m, std::regex(CHART_RECT)) ||
        client.Command("shot " + path).rfind("{\"ok\":true", 0) != 0 || !morwick::display::LoadPng(path, screen))
        return area;
    int width = std::stoi(m[3]) - std::stoi(m[1]), height = std::stoi(m[4]) - std::stoi(m[2]);
    int left = centre.x - width / 2, top = centre.y - height / 2;
    area.Resize(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            area.pixels[(size_t)(y * width + x)] = screen.pixels[(size_t)((top + y) * screen.width + left + x)];
    return area;
}

} // namespace

TEST_F(ChartsEndToEndTest, FromTheRankedTableAUserOpensBothChartsMovesTheCursorAndZooms)
{
    auto started = Start("c");
    ClientProcess& client = *started;
    std::string dump = OpenTimeShare(client);
    ASSERT_EQ(TopWindowClass(dump), "CFSFrame") << dump;

    // A finger on the chart shows the values of the minute under it; they stay when it lifts, until the next tap.
    Point chart = CentreOf(dump, CHART_RECT);
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
    EXPECT_FALSE(
        std::regex_search(TopWindow(client.Dump()), std::regex(R"re("kind":"chart".*"text":"\d\d:\d\d 价)re")));

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
    // Turned, the candles keep their width: half as many more in landscape, as many as before back in portrait.
    client.Command("rotate 2");
    client.Command("idle 5000");
    EXPECT_NE(TopWindow(client.Dump()).find("visible=180"), std::string::npos) << client.Dump();
    client.Command("rotate 0");
    client.Command("idle 5000");
    EXPECT_NE(TopWindow(client.Dump()).find("visible=120"), std::string::npos) << client.Dump();
}

TEST_F(ChartsEndToEndTest, AChartLeftOpenOverTheDayChangeOrARestartDrawsWhatAFreshOneDraws)
{
    // Ten minutes before the close of Monday a chart is opened; it stays open while the market closes and Tuesday
    // begins, then while the server starts again later that morning (its market the same day's, further on). Each
    // time the chart kept open, refreshed, draws what the same security's chart opened afresh draws, and that one is
    // kept open for the next change.
    struct Change {
        const char* what;
        int today, startMinute; // a restart on that day and minute, or else
        int minutes;            // the market run on so many minutes
        const char* clock;
    } changes[] = {{"Tuesday", 0, 0, 40, "2025-12-09 10:00:00"}, {"restart", 20251209, 60, 0, "2025-12-09 10:30:00"}};
    server->http.Control("advance?minutes=170"); // the frozen market from 10:30 to 14:50
    auto started = Start("d");
    ClientProcess& client = *started;
    client.Command("clock set 2025-12-08 14:50:00");
    std::string dump = OpenTimeShare(client);
    ASSERT_EQ(TopWindowClass(dump), "CFSFrame") << dump;
    for (const Change& c : changes) {
        client.Command("idle 5000");
        morwick::display::Surface before = ChartShot(client, root.Path() + "/" + c.what + "-before.png");
        if (c.today != 0) {
            today = c.today;
            startMinute = c.startMinute;
            RestartServer();
        } else {
            server->http.Control("advance?minutes=" + std::to_string(c.minutes));
        }
        client.Command(std::string("clock set ") + c.clock);
        ASSERT_TRUE(client.Tap(ToolButton(dump, 3))) << c.what; // refresh
        client.Command("idle 5000");
        morwick::display::Surface kept = ChartShot(client, root.Path() + "/" + c.what + "-kept.png");
        ASSERT_GT(kept.width, 0) << c.what;
        EXPECT_NE(kept.pixels, before.pixels) << c.what;

        // The same security afresh: its K-line chart, and from there its time-share chart.
        ASSERT_TRUE(client.Tap(ToolButton(dump, 2))) << c.what;
        dump = client.WaitForTop("CKXFrame");
        ASSERT_TRUE(client.Tap(ToolButton(dump, 0))) << c.what;
        ASSERT_TRUE(client.Tap(CentreOf(client.Dump(), RectOfText("分时走势")))) << c.what;
        dump = client.WaitForTop("CFSFrame");
        client.Command("idle 5000");
        morwick::display::Surface fresh = ChartShot(client, root.Path() + "/" + c.what + "-fresh.png");
        ASSERT_EQ(fresh.width, kept.width) << c.what;
        ASSERT_EQ(fresh.height, kept.height) << c.what;
        int differing = 0;
        for (size_t i = 0; i < kept.pixels.size(); ++i)
            differing += kept.pixels[i] != fresh.pixels[i];
        EXPECT_EQ(differing, 0) << c.what << ": see " << root.Path();
    }
}

// A five-minute K-line chart opened in Monday's afternoon and left open while Tuesday begins shows, at its next
// refresh, Tuesday's candles alone: what a chart opened afresh shows, pixel for pixel.
TEST_F(ChartsEndToEndTest, AFiveMinuteChartLeftOpenOverTheDayChangeDrawsWhatAFreshOneDraws)
{
    server->http.Control("advance?minutes=140"); // 14:20
    auto started = Start("k");
    ClientProcess& client = *started;
    client.Command("clock set 2025-12-08 14:20:00");
    auto fiveMinutes = [&](std::string dump) {
        EXPECT_TRUE(client.Tap(ToolButton(dump, 2))); // the time-share's K-line
        dump = client.WaitForTop("CKXFrame");
        EXPECT_TRUE(client.Tap(ToolButton(dump, 3))); // its periods and indicators
        dump = client.WaitForTop("CKXParamWnd");
        EXPECT_TRUE(client.Tap(ListRow(dump, 187, 3))); // 5分钟
        Point bar = CentreOf(dump, RectOfId(101));      // 确定: the command bar's left third
        bar.x /= 3;
        EXPECT_TRUE(client.Tap(bar));
        dump = client.WaitForTop("CKXFrame");
        client.Command("idle 5000");
        return dump;
    };
    std::string dump = fiveMinutes(OpenTimeShare(client));
    ASSERT_EQ(TopWindowClass(dump), "CKXFrame") << dump;
    morwick::display::Surface before = ChartShot(client, root.Path() + "/five-before.png");

    // Monday closes and Tuesday trades until 10:05; the chart's refresh tick comes at 10:06.
    server->http.Control("advance?minutes=" + std::to_string(40 + 35));
    client.Command("clock set 2025-12-09 10:06:00");
    client.Command("clock advance 10000");
    client.Command("idle 5000");
    morwick::display::Surface kept = ChartShot(client, root.Path() + "/five-kept.png");
    ASSERT_GT(kept.width, 0);
    EXPECT_NE(kept.pixels, before.pixels);

    // The same security afresh: from the chart's menu its time-share chart, then its five-minute candles.
    ASSERT_TRUE(client.Tap(ToolButton(dump, 0)));
    ASSERT_TRUE(client.Tap(CentreOf(client.Dump(), RectOfText("分时走势"))));
    dump = fiveMinutes(client.WaitForTop("CFSFrame"));
    morwick::display::Surface fresh = ChartShot(client, root.Path() + "/five-fresh.png");
    ASSERT_EQ(fresh.width, kept.width);
    ASSERT_EQ(fresh.height, kept.height);
    int differing = 0;
    for (size_t i = 0; i < kept.pixels.size(); ++i)
        differing += kept.pixels[i] != fresh.pixels[i];
    EXPECT_EQ(differing, 0) << "see " << root.Path();
}
