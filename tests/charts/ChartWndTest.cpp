// The time-share and K-line chart windows against the stand-in server: their exact requests, what they show,
// asking again for another security, periods, indicators, paging back, the cursor, the pinch, the windows they
// open, and the turn to landscape.
#include "ChartTestSupport.h"

#include "charts/ChartWindowMakers.h"
#include "charts/FSFrame.h"
#include "charts/KXFrame.h"
#include "charts/KXParamWnd.h"
#include "platform/automation/Automation.h"
#include "platform/device/TouchDriver.h"
#include "platform/win/WinUser.h"
#include "quotes/InfoMineTxtWnd.h"
#include "quotes/StockDealDetailWnd.h"
#include "shell/WindowFactory.h"
#include "tests/support/PaintedWindow.h"

#include <filesystem>

namespace {

using FS = Probe<CFSFrame>;
using KX = Probe<CKXFrame>;

bool Contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}
bool Contains(const std::u16string& text, const std::u16string& part)
{
    return text.find(part) != std::u16string::npos;
}

std::u16string Wide(const char* text)
{
    WCHAR* wide = nullptr;
    AnsiToWide(text, &wide);
    std::u16string s = wide != nullptr ? wide : u"";
    free(wide);
    return s;
}

std::string Narrow(const std::u16string& text)
{
    char* narrow = nullptr;
    WideToAnsi(text.c_str(), &narrow);
    std::string s = narrow != nullptr ? narrow : "";
    free(narrow);
    return s;
}

bool PeriodIsMinutes(int period)
{
    return period >= 3;
}

class ChartWndTest : public ChartWindowTest {};

} // namespace

TEST_F(ChartWndTest, FactoryMakesBothChartsUnderTheirKeys)
{
    InstallChartWindowMakers();
    struct Case {
        const char* key;
        const char* className;
    } cases[] = {{"fschart", "CFSFrame"}, {"FSChart", "CFSFrame"}, {"kxchart", "CKXFrame"}};
    for (const Case& c : cases) {
        const WindowKey* key = CWindowFactory::FindKey(c.key);
        ASSERT_NE(key, nullptr) << c.key;
        WindowMaker maker = CWindowFactory::GetMaker(key->className);
        ASSERT_NE(maker, nullptr) << c.key;
        std::unique_ptr<CBaseWnd> w(maker(u"t", nullptr, 0));
        EXPECT_EQ(std::u16string(w->GetMzClassName()), Wide(c.className)) << c.key;
        EXPECT_NE(dynamic_cast<CChartWnd*>(w.get()), nullptr);
    }
}

TEST_F(ChartWndTest, TimeShareAsksExactlyAndShowsTheDayWithIndexAndMarkers)
{
    FS* w = Make<FS>("date=&code={600010}");
    EXPECT_EQ(Part(w),
              M("tc_mfuncno=31000&tc_sfuncno=1&code={600010}&addup=0&time=&date=&maxvol=&freq=1&close_xxld=0"));
    ASSERT_TRUE(Activate(w));
    const CFSData& d = w->GetData();
    EXPECT_EQ(d.security.code, "600010");
    ASSERT_EQ(d.points.size(), 60u);
    EXPECT_EQ(d.points.front().tm, 930);
    EXPECT_EQ(d.index.size(), 60u);
    int marked = 0;
    for (const FSPoint& p : d.points)
        marked += p.infoId != 0;
    EXPECT_GT(marked, 0);
    // The scale is symmetric around the previous close.
    UpdateWindow(w->m_hWnd);
    CFSView& view = w->GetFSView();
    EXPECT_NEAR(view.GetScaleTop() - d.security.prevClose, d.security.prevClose - view.GetScaleBottom(), 1e-9);
    EXPECT_GT(view.GetScaleTop(), d.security.prevClose);
    // The refresh asks only for the minutes from the last one shown.
    EXPECT_EQ(Part(w),
              M("tc_mfuncno=31000&tc_sfuncno=1&code={600010}&addup=1&time=1029&date=&maxvol=&freq=1&close_xxld=0"));
    ASSERT_TRUE(Ask(w));
    EXPECT_EQ(w->GetData().points.size(), 60u);
}

TEST_F(ChartWndTest, KLineAsksExactlyAndDrawsCandlesAveragesVolumeAndIndicator)
{
    KX* w = Make<KX>("code={600010:2}");
    EXPECT_EQ(w->GetTechName(), std::string("MACD")); // the first of the server's "tech" list
    EXPECT_EQ(Part(w),
              M("tc_mfuncno=31000&tc_sfuncno=2&code={600010:2}&date=&time=&type=0&direct=0&count=120&techname=MACD"));
    ASSERT_TRUE(Activate(w));
    const CKXData& d = w->GetData();
    ASSERT_EQ(d.bars.size(), 120u);
    EXPECT_EQ(d.bars.back().date, 20251208);
    EXPECT_EQ(d.techLines, (std::vector<std::string>{"DIF", "DEA", "MACD"}));
    UpdateWindow(w->m_hWnd);
    const std::vector<std::u16string>& legends = w->GetKXView().GetLegends();
    ASSERT_EQ(legends.size(), 3u);
    EXPECT_TRUE(Contains(legends[0], u"MA5:") && Contains(legends[0], u"MA10:") && Contains(legends[0], u"MA20:"));
    EXPECT_TRUE(Contains(legends[1], u"VOL:"));
    EXPECT_TRUE(Contains(legends[2], u"DIF:") && Contains(legends[2], u"MACD:"));
    EXPECT_EQ(w->GetKXView().GetVisibleCount(), CKXView::DEFAULT_VISIBLE);
    EXPECT_EQ(w->GetKXView().GetFirstVisible(), 60);
}

TEST_F(ChartWndTest, AnotherSecurityOrDayIsAskedForAtTheNextActivation)
{
    struct Case {
        std::string params;
        bool asks;
        const char* code;
    } cases[] = {{M("date=&code={600010:2}"), false, "600010"}, // the same security in two-digit form
                 {M("date=&code={600027}"), true, "600027"},
                 {M("date=20251208&code={600027}"), true, "600027"},
                 {"", false, "600027"}};
    FS* w = Make<FS>("date=&code={600010}");
    ASSERT_TRUE(Activate(w));
    for (const Case& c : cases) {
        w->OnInactive();
        w->OnInitParam(-1, "", c.params.c_str());
        int before = w->replies;
        w->OnActive();
        PumpUntil([&] { return !c.asks || w->replies > before; });
        EXPECT_EQ(w->replies > before, c.asks) << c.params;
        EXPECT_EQ(w->GetData().security.code, c.code) << c.params;
    }
    // A security the server does not know: its message, and no bars of the one shown before.
    w->OnInitParam(-1, "", "date=&code=999999.1");
    ASSERT_TRUE(Activate(w));
    EXPECT_TRUE(w->GetData().IsEmpty());
    EXPECT_EQ(w->GetView()->GetMessage(), u"暂无数据");
    EXPECT_EQ(LastMessage(), u"没有该证券的分时数据");
}

TEST_F(ChartWndTest, PeriodAndIndicatorSwitchesSendTypeAndTechname)
{
    struct Case {
        int period;
        const char* tech;
        const char* firstLine;
        size_t bars;
        int sentPeriod;
    } cases[] = {{1, "KDJ", "K", 0, 1},   {2, "RSI", "RSI6", 0, 2}, {3, "BOLL", "MID", 12, 3},
                 {6, "VOL", "VOL", 1, 6}, {0, "MA", "MA5", 120, 0}, {42, "KDJ", "K", 120, 0}};
    KX* w = Make<KX>("code={600010}");
    ASSERT_TRUE(Activate(w));
    for (const Case& c : cases) {
        auto* record = new KXParamRecord();
        record->period = c.period;
        snprintf(record->techName, sizeof record->techName, "%s", c.tech);
        int before = w->replies;
        w->PostMessage(WM_PARAMS_CHOSEN, 0, (LPARAM)record);
        ASSERT_TRUE(PumpUntil([&] { return w->replies > before; })) << c.tech;
        std::string part = Part(w);
        EXPECT_TRUE(Contains(part, "&type=" + std::to_string(c.sentPeriod) + "&")) << part;
        EXPECT_TRUE(Contains(part, std::string("&techname=") + c.tech)) << part;
        const CKXData& d = w->GetData();
        ASSERT_FALSE(d.techLines.empty()) << c.tech;
        EXPECT_EQ(d.techLines[0], c.firstLine);
        if (c.bars > 0) {
            EXPECT_EQ(d.bars.size(), c.bars) << c.tech;
        }
        EXPECT_EQ(d.bars.back().time > 0, PeriodIsMinutes(c.sentPeriod)) << c.tech;
    }
}

// A refresh that comes while an earlier page is under way, or a new period chosen while a refresh is, must not
// have the reply drawn as the answer to the other request.
TEST_F(ChartWndTest, ARequestUnderWayIsAnsweredForTheChartItAskedFor)
{
    struct Case {
        const char* what;
        bool pageBack; // under way: the page before the first candle held, else a refresh
        std::function<void(KX*)> meanwhile;
        std::function<bool(const CKXData&)> shown;
    } cases[] = {
        {"a refresh while paging back", true, [](KX* w) { w->Request(); },
         [](const CKXData& d) { return d.bars.size() == 121u && d.bars.back().date == 20251208; }},
        {"a period and indicator chosen while refreshing", false, [](KX* w) { w->ApplyParams(1, "KDJ"); },
         [](const CKXData& d) { return d.techLines.size() == 3u && d.techLines[0] == "K" && d.bars.size() < 30u; }},
    };
    for (const Case& c : cases) {
        KX* w = Make<KX>("code={600010}");
        ASSERT_TRUE(Activate(w)) << c.what;
        w->GetKXView().ScrollPages(-1); // the held candles shown: the next page back asks the server
        server->http.Faults().Arm(FAULT_DELAY, 1, 300);
        if (c.pageBack)
            w->PageEarlier();
        else
            w->Request();
        PumpMessages(); // the request goes out and waits at the server
        ASSERT_FALSE(w->IsWorkerIdle(0)) << c.what;
        c.meanwhile(w);
        EXPECT_TRUE(PumpUntil([&] { return c.shown(w->GetData()); })) << c.what;
    }
}

TEST_F(ChartWndTest, ThePickerOffersTheServersIndicatorsAndPostsTheChoice)
{
    KX* w = Make<KX>("code={600010}");
    ASSERT_TRUE(Activate(w));
    int before = w->replies;
    std::vector<std::u16string> techs;
    w->whileChildOpen = [&](CBaseWnd* child) {
        auto* picker = dynamic_cast<CKXParamWnd*>(child);
        if (picker == nullptr)
            return true;
        for (int i = 0; i < picker->GetTechList().GetItemCount(); ++i)
            techs.push_back(picker->GetTechList().GetItem(i)->Text.C_Str());
        // Both lists stand inside the panel in either orientation, so no choice is out of reach: in landscape the
        // seven periods scroll, opening on the current one (the last, 60分钟).
        picker->GetPeriodList().SetSelectedIndex(6);
        for (int mode : {2, 0}) {
            picker->SetScreenMode(mode);
            RECT panel = picker->GetContentPanel().GetRect();
            for (CCheckList* list : {&picker->GetPeriodList(), &picker->GetTechList()}) {
                RECT r = list->GetRect();
                EXPECT_TRUE(r.left >= panel.left && r.right <= panel.right && r.top >= panel.top &&
                            r.bottom <= panel.bottom)
                    << "mode " << mode << ": " << r.top << "-" << r.bottom << " in " << panel.top << "-"
                    << panel.bottom;
            }
            CCheckList& periods = picker->GetPeriodList();
            EXPECT_EQ(periods.ScrollsItself(), mode == 2);
            RECT row = periods.GetItemRect(6), list = periods.GetRect();
            EXPECT_TRUE(row.top >= list.top && row.bottom <= list.bottom) << "mode " << mode;
        }
        {
            // Each list stands in a framed rounded box: the background is painted before the boxes.
            PaintedWindow shown(*picker);
            EXPECT_GT(shown.Count(0x646464), 2 * 400);
        }
        picker->GetPeriodList().SetSelectedIndex(1); // 周线
        picker->GetTechList().SetSelectedIndex(2);   // RSI
        picker->Confirm();
        return true;
    };
    w->OpenParams();
    ASSERT_TRUE(PumpUntil([&] { return w->replies > before; }));
    EXPECT_EQ(w->children, (std::vector<std::u16string>{u"CKXParamWnd"}));
    EXPECT_EQ(techs, (std::vector<std::u16string>{u"MACD", u"KDJ", u"RSI", u"成交量", u"布林线", u"均线"}));
    EXPECT_EQ(w->GetPeriod(), 1);
    EXPECT_EQ(w->GetTechName(), std::string("RSI"));
}

TEST_F(ChartWndTest, PagingBackShowsHeldCandlesThenAsksForEarlierOnes)
{
    KX* w = Make<KX>("code={600010}");
    ASSERT_TRUE(Activate(w));
    CKXView& view = w->GetKXView();
    int first = w->GetData().bars.front().date;
    // The held candles first: no request.
    w->PageEarlier();
    EXPECT_EQ(view.GetFirstVisible(), 0);
    EXPECT_EQ(w->replies, 1);
    // Then the page before the first candle held.
    int before = w->replies;
    w->PageEarlier();
    ASSERT_TRUE(PumpUntil([&] { return w->replies > before; }));
    EXPECT_EQ(w->GetData().bars.size(), 121u); // the server has 120 days of history and today
    EXPECT_LT(w->GetData().bars.front().date, first);
    EXPECT_EQ(view.GetFirstVisible(), 0);
    // Nothing earlier: a hint, and no more requests.
    before = w->replies;
    w->PageEarlier();
    ASSERT_TRUE(PumpUntil([&] { return w->replies > before; }));
    EXPECT_EQ(LastMessage(), u"没有更早的数据");
    // Asked again, it says so again without asking the server.
    size_t shown = messages.shown.size();
    w->PageEarlier();
    PumpMessages();
    EXPECT_EQ(w->replies, before + 1);
    EXPECT_EQ(messages.shown.size(), shown + 1);
    EXPECT_EQ(LastMessage(), u"没有更早的数据");
    w->PageLater();
    EXPECT_EQ(view.GetFirstVisible(), 60);
}

TEST_F(ChartWndTest, TheCursorShowsTheValuesOfTheBarUnderTheFingerUntilTheNextTap)
{
    FS* fs = Make<FS>("date=&code={600010}");
    KX* kx = Make<KX>("code={600010}");
    ASSERT_TRUE(Activate(fs));
    ASSERT_TRUE(Activate(kx));
    UpdateWindow(fs->m_hWnd);
    UpdateWindow(kx->m_hWnd);
    RECT area = kx->GetView()->GetRect();
    int y = (area.top + area.bottom) / 2;

    // The time-share minute 10:00 (slot 30) and the K-line's last shown candle.
    int x = fs->GetFSView().XOfSlot(30);
    Press(fs, WM_LBUTTONDOWN, x, y);
    const FSPoint& minute = fs->GetData().points[30];
    std::u16string text = fs->GetView()->GetCursorText();
    EXPECT_TRUE(Contains(text, u"10:00")) << Narrow(text);
    EXPECT_TRUE(Contains(text, u"价" + CChartView::Number(minute.price, 2)));
    EXPECT_TRUE(Contains(text, u"均" + CChartView::Number(minute.average, 2)));
    Press(fs, WM_LBUTTONUP, x, y);
    EXPECT_TRUE(fs->GetView()->IsCursorShown()); // it stays for the user to read
    {
        // Its level hair at the minute's price, wherever the finger was; the price tagged in the left column.
        Canvas canvas(fs->GetView());
        RECT price = fs->GetFSView().GetPricePane();
        int level = fs->GetFSView().YOfPrice(minute.price);
        ASSERT_GT(std::abs(level - y), 3);
        EXPECT_GT(canvas.Count(Scheme(COLOR_CHART_AUXILIARY), RECT{price.left + 1, level, price.right - 1, level + 1}),
                  (price.right - price.left) * 3 / 4);
        // The tag's box ends at the pane, across the level (its text, in the background colour, stays inside).
        EXPECT_EQ(canvas.Count(Scheme(COLOR_CHART_AUXILIARY), RECT{price.left - 2, level - 2, price.left, level + 3}),
                  10);
    }
    Press(fs, WM_LBUTTONDOWN, x + 40, y); // until the next tap
    Press(fs, WM_LBUTTONUP, x + 40, y);
    EXPECT_FALSE(fs->GetView()->IsCursorShown());

    const std::vector<KXBar>& bars = kx->GetData().bars;
    for (int index : {60, 100, 119}) {
        Press(kx, WM_LBUTTONDOWN, kx->GetKXView().XOfBar(60), y);
        Press(kx, WM_MOUSEMOVE, kx->GetKXView().XOfBar(index), y);
        EXPECT_EQ(kx->GetView()->GetCursorIndex(), index);
        std::u16string line = kx->GetView()->GetCursorText();
        EXPECT_TRUE(Contains(line, u"收" + CChartView::Number(bars[(size_t)index].close, 2))) << index;
        EXPECT_TRUE(Contains(line, u"开" + CChartView::Number(bars[(size_t)index].open, 2))) << index;
        UpdateWindow(kx->m_hWnd); // the legends follow the cursor
        EXPECT_TRUE(Contains(kx->GetKXView().GetLegends()[0],
                             u"MA5:" + CChartView::Number(bars[(size_t)index].averages[0], 2)));
        Press(kx, WM_LBUTTONUP, kx->GetKXView().XOfBar(index), y);
        EXPECT_EQ(kx->GetView()->GetCursorIndex(), index); // dragged there, it stays there
        Press(kx, WM_LBUTTONDOWN, 0, y);
        Press(kx, WM_LBUTTONUP, 0, y);
        EXPECT_FALSE(kx->GetView()->IsCursorShown());
    }
}

TEST_F(ChartWndTest, APinchOfTwoFingersZoomsTheCandles)
{
    KX* w = Make<KX>("code={600010}");
    ASSERT_TRUE(Activate(w));
    // Squeezed to more candles than are held, the chart asks for those before them (the server has 121 days).
    struct Case {
        const char* command;
        int visible;
        size_t held;
    } cases[] = {{"pinch in", 120, 120}, {"pinch in", 240, 121}, {"pinch in", 250, 121}, {"pinch out", 125, 121},
                 {"pinch out", 62, 121}, {"pinch out", 31, 121}, {"pinch out", 15, 121}, {"pinch out", 10, 121}};
    for (const Case& c : cases) {
        EXPECT_EQ(morwick::automation::RunCommand(c.command), "{\"ok\":true}");
        ASSERT_TRUE(PumpUntil([] { return true; }));
        EXPECT_EQ(w->GetKXView().GetVisibleCount(), c.visible) << c.command;
        EXPECT_EQ(w->GetData().bars.size(), c.held) << c.command;
        // The right edge stays on the latest candle.
        EXPECT_EQ(w->GetKXView().GetFirstVisible(), std::max(0, (int)c.held - c.visible)) << c.command;
    }
    EXPECT_TRUE(messages.shown.empty()); // filling is no page back: no hint that nothing is earlier
    // Other gestures and a garbled pinch change nothing.
    w->SendMessage(WM_MULTITOUCH_GESTURE, 7, MAKELONG(100, 200));
    w->SendMessage(WM_MULTITOUCH_GESTURE, MZ_GESTURE_PINCH, MAKELONG(0, 200));
    EXPECT_EQ(w->GetKXView().GetVisibleCount(), 10);
    // Only the chart in front zooms: one under another window keeps its candles.
    KX* front = Make<KX>("code={600010}");
    ASSERT_TRUE(Activate(front));
    SetActiveWindow(front->m_hWnd);
    EXPECT_EQ(morwick::automation::RunCommand("pinch in"), "{\"ok\":true}");
    ASSERT_TRUE(PumpUntil([] { return true; }));
    EXPECT_EQ(front->GetKXView().GetVisibleCount(), 120);
    EXPECT_EQ(w->GetKXView().GetVisibleCount(), 10);
    SetActiveWindow(w->m_hWnd);
    // Without a window that takes gestures the driver has nowhere to send a pinch.
    ASSERT_TRUE(UnregisterTouchNotify(w->m_hWnd));
    EXPECT_EQ(morwick::automation::RunCommand("pinch in"), "{\"ok\":false,\"error\":\"no window takes gestures\"}");
}

TEST_F(ChartWndTest, TheTimeShareChartOpensDealsAndRadarOfItsSecurity)
{
    FS* w = Make<FS>("date=&code={600010}");
    ASSERT_TRUE(Activate(w));
    std::u16string dealsCaption;
    int dealRows = 0;
    std::string radarCode, radarId;
    std::u16string radarText;
    w->whileChildOpen = [&](CBaseWnd* child) {
        if (auto* deals = dynamic_cast<CStockDealDetailWnd*>(child)) {
            dealsCaption = deals->GetCaption();
            dealRows = deals->GetGrid().GetRowCount();
            return dealRows > 0;
        }
        if (auto* radar = dynamic_cast<CInfoMineTxtWnd*>(child)) {
            radarCode = radar->GetCode();
            radarId = radar->GetId();
            radarText = radar->GetText() != nullptr ? radar->GetText() : u"";
            return !radarText.empty();
        }
        return true;
    };
    w->OnMzCommand(MAKEWPARAM(ID_TOOL_BAR, 0), 1);
    EXPECT_EQ(dealRows, CStockDealDetailWnd::ROW_LIMIT);
    EXPECT_TRUE(Contains(dealsCaption, u"600010 成交明细")) << Narrow(dealsCaption);

    // The radar of the marked minute the cursor stood on last.
    const std::vector<FSPoint>& points = w->GetData().points;
    size_t marked = 0;
    while (marked < points.size() && points[marked].infoId == 0)
        ++marked;
    ASSERT_LT(marked, points.size());
    UpdateWindow(w->m_hWnd);
    // A finger at the edge of the marker's drawn size still hits it, and the cursor says the minute has notes.
    int x = w->GetFSView().XOfSlot(CFSData::SlotOf(points[marked].tm)) - CFSView::MARKER_HALF;
    RECT area = w->GetView()->GetRect();
    Press(w, WM_LBUTTONDOWN, x, (area.top + area.bottom) / 2);
    Press(w, WM_LBUTTONUP, x, (area.top + area.bottom) / 2);
    EXPECT_TRUE(Contains(w->GetView()->GetCursorText(), u"有信息"));
    w->OnMenuCommand(CFSFrame::CMD_RADAR);
    EXPECT_EQ(radarCode, M("{600010}"));
    EXPECT_EQ(radarId, std::to_string(points[marked].tm));
    char prefix[16];
    snprintf(prefix, sizeof prefix, "%02d:%02d", points[marked].tm / 100 % 100, points[marked].tm % 100);
    EXPECT_EQ(radarText.substr(0, 5), Wide(prefix));
    EXPECT_EQ(w->children, (std::vector<std::u16string>{u"CStockDealDetailWnd", u"CInfoMineTxtWnd"}));
}

TEST_F(ChartWndTest, TheKLineChartOpensTheDetailedQuoteAndTheTimeShareChart)
{
    KX* w = Make<KX>("code={600010}");
    w->OnMenuCommand(CKXFrame::CMD_DETAIL);
    w->OnMenuCommand(CKXFrame::CMD_TIME_SHARE);
    ASSERT_EQ(OpenedWindows().size(), 2u);
    EXPECT_EQ(OpenedWindows()[0].key, "xxhq");
    EXPECT_EQ(OpenedWindows()[0].title, Gb(u"详细报价"));
    EXPECT_EQ(OpenedWindows()[0].info, M("code={600010}"));
    EXPECT_EQ(OpenedWindows()[0].params, "tc_mfuncno=31000&tc_sfuncno=4");
    EXPECT_EQ(OpenedWindows()[1].key, "fschart");
    EXPECT_EQ(OpenedWindows()[1].params, M("date=&code={600010}"));
}

TEST_F(ChartWndTest, BothChartsRedrawToTheLandscapeWorkArea)
{
    FS* fs = Make<FS>("date=&code={600010}");
    KX* kx = Make<KX>("code={600010}");
    ASSERT_TRUE(Activate(fs));
    ASSERT_TRUE(Activate(kx));
    // The screens of the README come from here when MORWICK_SCREENS names a folder.
    const char* folder = getenv("MORWICK_SCREENS");
    std::string shots = folder != nullptr && folder[0] != 0 ? std::string(folder) + "/" : home.Path() + "/";
    auto shoot = [&](CBaseWnd* w, const std::string& name, int mode) {
        w->SetScreenMode(mode);
        BringWindowToTop(w->m_hWnd);
        UpdateWindow(w->m_hWnd);
        std::string path = shots + name + (mode == 2 ? "-landscape.png" : "-portrait.png");
        EXPECT_EQ(morwick::automation::RunCommand("shot " + path).rfind("{\"ok\":true", 0), 0u) << path;
    };
    fs->SetCaption(u"分时走势");
    kx->SetCaption(u"K线分析");
    for (int mode : {0, 2}) {
        for (CChartWnd* w : {(CChartWnd*)fs, (CChartWnd*)kx}) {
            shoot(w, w == fs ? "fschart" : "kxchart", mode);
            bool landscape = mode == 2;
            EXPECT_EQ(w->GetWidth(), landscape ? 720 : 480);
            RECT view = w->GetView()->GetRect();
            EXPECT_EQ(view.right - view.left, landscape ? 720 : 480);
            EXPECT_EQ(view.top, CBaseWnd::CAPTION_HEIGHT);
            EXPECT_EQ(view.bottom, w->GetHeight() - w->GetToolBar().GetHeight());
        }
        EXPECT_EQ(kx->GetKXView().GetVisibleCount(), mode == 2 ? 90 : 60); // candles as wide as in portrait
    }
    // Each other period with one of the other indicators, turn by turn; the picker; the cursor.
    struct Case {
        int period;
        const char* tech;
        const char* name;
    } cases[] = {{1, "KDJ", "kxchart-week-kdj"},    {2, "RSI", "kxchart-month-rsi"}, {3, "VOL", "kxchart-5min-vol"},
                 {4, "BOLL", "kxchart-15min-boll"}, {5, "MA", "kxchart-30min-ma"},   {6, "MACD", "kxchart-60min-macd"}};
    for (const Case& c : cases) {
        int before = kx->replies;
        kx->ApplyParams(c.period, c.tech);
        ASSERT_TRUE(PumpUntil([&] { return kx->replies > before && !CNetThread::AnyRequestUnderWay(); })) << c.name;
        shoot(kx, c.name, c.period % 2 == 1 ? 2 : 0);
    }
    kx->whileChildOpen = [&](CBaseWnd* child) { return shoot(child, "kxparams", 2), true; };
    kx->OpenParams();
    shoot(fs, "fschart-cursor", 0);
    int x = fs->GetFSView().XOfSlot(40), y = fs->GetFSView().GetPricePane().bottom - 10;
    Press(fs, WM_LBUTTONDOWN, x, y);
    Press(fs, WM_LBUTTONUP, x, y);
    shoot(fs, "fschart-cursor", 0);
}

TEST_F(ChartWndTest, BothChartsRefreshInTradingHoursWhenTheSettingAsks)
{
    CAppData::Instance()->SetConfig("Quote_IsRefresh", "1", 0);
    FS* fs = Make<FS>("date=&code={600010}");
    KX* kx = Make<KX>("code={600010}");
    ASSERT_TRUE(Activate(fs));
    ASSERT_TRUE(Activate(kx));
    EXPECT_TRUE(fs->IsRefreshTimerOn());
    EXPECT_TRUE(kx->IsRefreshTimerOn());
    struct Case {
        const char* clock;
        bool asks;
    } cases[] = {{"clock set 2025-12-08 10:30:00", true}, {"clock set 2025-12-06 10:30:00", false}};
    struct RealClockAfter {
        ~RealClockAfter() { morwick::automation::RunCommand("clock real"); }
    } realClockAfter;
    for (const Case& c : cases) {
        ASSERT_EQ(morwick::automation::RunCommand(c.clock).rfind("{\"ok\":true", 0), 0u);
        for (CChartWnd* w : {(CChartWnd*)fs, (CChartWnd*)kx}) {
            int before = w == fs ? fs->replies : kx->replies;
            w->OnAutoRefresh(CNetWnd::REFRESH_TIMER, 0);
            PumpUntil([&] { return !c.asks || (w == fs ? fs->replies : kx->replies) > before; });
            EXPECT_EQ((w == fs ? fs->replies : kx->replies) > before, c.asks) << c.clock;
        }
    }
    // The refreshes kept what was shown: the day's minutes and the candles, the latest in view.
    EXPECT_EQ(fs->GetData().points.size(), 60u);
    EXPECT_EQ(kx->GetData().bars.size(), 120u);
    EXPECT_EQ(kx->GetKXView().GetFirstVisible(), 60);
    EXPECT_FALSE(fs->IsRefreshTimerOn());
}

// A load that fails (an unreadable reply) keeps the chart shown with its own period, or says that the load failed
// (not that there is no data); the same choice, or 刷新, asks again.
TEST_F(ChartWndTest, AFailedLoadKeepsTheChartShownOrSaysSoAndTheSameChoiceAsksAgain)
{
    KX* kx = Make<KX>("code={600010}");
    ASSERT_TRUE(Activate(kx));
    for (int attempt = 0; attempt < 2; ++attempt) {
        server->http.Faults().Arm(attempt == 0 ? FAULT_GARBAGE : FAULT_NONE, 1);
        int before = kx->replies;
        kx->ApplyParams(3, "MACD"); // five-minute candles
        ASSERT_TRUE(PumpUntil([&] { return kx->replies > before; })) << attempt;
        EXPECT_EQ(kx->GetPeriod(), attempt == 0 ? 0 : 3) << attempt;
        ASSERT_FALSE(kx->GetData().IsEmpty()) << attempt;
        EXPECT_EQ(kx->GetData().bars.back().time > 0, attempt == 1) << attempt;
        EXPECT_EQ(kx->GetView()->GetMessage(), u"") << attempt;
    }

    FS* fs = Make<FS>("date=&code={600010}");
    server->http.Faults().Arm(FAULT_GARBAGE, 1);
    ASSERT_TRUE(Activate(fs));
    EXPECT_TRUE(fs->GetData().IsEmpty());
    EXPECT_EQ(fs->GetView()->GetMessage(), u"数据加载失败");
    int before = fs->replies;
    fs->Refresh(0, 0);
    ASSERT_TRUE(PumpUntil([&] { return fs->replies > before; }));
    EXPECT_EQ(fs->GetData().points.size(), 60u);
    EXPECT_EQ(fs->GetView()->GetMessage(), u"");
}

// Brought back to the front, a chart whose data is older than one refresh period asks again (in trading hours);
// one refreshed within the period does not.
TEST_F(ChartWndTest, BackAtTheFrontAChartOlderThanARefreshPeriodAsksAgain)
{
    CAppData::Instance()->SetConfig("Quote_IsRefresh", "1", 0);
    CAppData::Instance()->SetConfig("Quote_RefeWait", "10", 0);
    struct RealClockAfter {
        ~RealClockAfter() { morwick::automation::RunCommand("clock real"); }
    } realClockAfter;
    ASSERT_EQ(morwick::automation::RunCommand("clock set 2025-12-08 10:30:00").rfind("{\"ok\":true", 0), 0u);
    FS* fs = Make<FS>("date=&code={600010}");
    ASSERT_TRUE(Activate(fs));
    for (int seconds : {5, 11}) {
        fs->OnInactive();
        morwick::automation::RunCommand("clock advance " + std::to_string(seconds * 1000));
        long long requests = server->http.GetRequestCount();
        fs->OnActive();
        PumpUntil([&] { return seconds < 10 || server->http.GetRequestCount() > requests; });
        EXPECT_EQ(server->http.GetRequestCount() > requests, seconds >= 10) << seconds;
    }
}
