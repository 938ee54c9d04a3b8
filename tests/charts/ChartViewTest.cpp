// What the chart views paint, read back pixel by pixel: the indicator pane's zero on zero and the guides of the
// bounded indicators, volume sticks in their bar's colour, labels no line or bar reaches, dates under their
// candles.
#include "ChartTestSupport.h"

#include "charts/FSFrame.h"
#include "charts/KXFrame.h"

namespace {

using FS = Probe<CFSFrame>;
using KX = Probe<CKXFrame>;

class ChartViewTest : public ChartWindowTest {
protected:
    // Both charts of 600010, answered and painted.
    void OpenBoth(FS*& fs, KX*& kx)
    {
        fs = Make<FS>("date=&code={600010}");
        ASSERT_TRUE(Activate(fs));
        kx = Make<KX>("code={600010}");
        ASSERT_TRUE(Activate(kx));
        UpdateWindow(fs->m_hWnd);
        UpdateWindow(kx->m_hWnd);
    }
};

} // namespace

TEST_F(ChartViewTest, IndicatorPanesDrawZeroOnZeroGuidesForBoundedOnesAndVolumeInItsBarsColour)
{
    struct Case {
        const char* tech;
        bool zeroLine;     // the lines cross zero
        double guides[2];  // 0: none
        bool wholeNumbers; // the legend of volumes
    } cases[] = {{"KDJ", false, {20, 80}, false},
                 {"RSI", false, {30, 70}, false},
                 {"VOL", false, {0, 0}, true},
                 {"MA", false, {0, 0}, false},
                 {"MACD", true, {0, 0}, false}};
    KX* w = Make<KX>("code={600010}");
    ASSERT_TRUE(Activate(w));
    for (const Case& c : cases) {
        int before = w->replies;
        w->ApplyParams(0, c.tech);
        ASSERT_TRUE(PumpUntil([&] { return w->replies > before; })) << c.tech;
        UpdateWindow(w->m_hWnd);
        Canvas canvas(w->GetView());
        CKXView& view = w->GetKXView();
        const ChartScale& scale = view.GetTechScale();
        RECT pane = view.GetTechPane();
        COLORREF frame = Scheme(COLOR_CHART_FRAME);
        auto rowOfFrame = [&](int y) { return canvas.Count(frame, RECT{pane.left + 1, y, pane.right - 1, y + 1}); };
        int width = pane.right - pane.left;
        if (c.zeroLine) {
            ASSERT_LT(scale.lo, 0) << c.tech;
            ASSERT_GT(scale.hi, 0) << c.tech;
            EXPECT_EQ(canvas.At(pane.left + 1, scale.Y(0)), frame) << c.tech; // solid, where the sticks stand
            EXPECT_GT(rowOfFrame(scale.Y(0)), width / 3) << c.tech;
        }
        if (c.guides[0] > 0) {
            EXPECT_LE(scale.lo, 0) << c.tech;
            EXPECT_GE(scale.hi, 100) << c.tech;
            for (double guide : c.guides)
                EXPECT_GT(rowOfFrame(scale.Y(guide)), width / 4) << c.tech << " " << guide;
        }
        const std::u16string& legend = view.GetLegends()[2];
        EXPECT_EQ(legend.find(u'.') == std::u16string::npos, c.wholeNumbers) << c.tech;
        if (std::string(c.tech) == "MA") { // prices with the security's two decimals
            EXPECT_NE(legend.find(u"MA5:" + CChartView::Number(w->GetData().bars.back().lines[0], 2)),
                      std::u16string::npos);
        }
        if (c.wholeNumbers) { // each volume stick in its bar's rise or fall colour
            const std::vector<KXBar>& bars = w->GetData().bars;
            for (int i = view.GetFirstVisible(); i < (int)bars.size(); ++i) {
                int color = CChartView::RiseColor(bars[(size_t)i].close, bars[(size_t)i].open);
                if (scale.Y(bars[(size_t)i].lines[0]) < pane.bottom - 6) {
                    EXPECT_EQ(canvas.At(view.XOfBar(i), pane.bottom - 4), Scheme(color)) << i;
                }
            }
        }
    }
}

TEST_F(ChartViewTest, NoLineOrBarReachesALabel)
{
    FS* fs = nullptr;
    KX* kx = nullptr;
    ASSERT_NO_FATAL_FAILURE(OpenBoth(fs, kx));
    {
        Canvas canvas(fs->GetView());
        RECT area = fs->GetView()->GetRect();
        RECT price = fs->GetFSView().GetPricePane(), volume = fs->GetFSView().GetVolumePane();
        RECT left{area.left, price.top, price.left, price.bottom},
            right{price.right + 1, price.top, area.right, price.bottom};
        RECT volumeColumn{area.left, volume.top, volume.left, volume.bottom};
        // The labels are there, in their colours: the top price, the previous close, the volume maximum.
        EXPECT_GT(canvas.Count(Scheme(COLOR_RISE), left), 10);
        EXPECT_GT(canvas.Count(Scheme(COLOR_UNCHANGED), left), 3);
        EXPECT_GT(canvas.Count(Scheme(COLOR_VOLUME), volumeColumn), 10);
        // And nothing else: neither the price, average or index lines, the markers nor the volume bars.
        for (const RECT& column : {left, right})
            for (int color : {COLOR_PRICE_LINE, COLOR_CHART_AUXILIARY, COLOR_VOLUME})
                EXPECT_EQ(canvas.Count(Scheme(color), column), 0) << color;
        for (int color : {COLOR_RISE, COLOR_FALL})
            EXPECT_EQ(canvas.Count(Scheme(color), volumeColumn), 0) << color;
    }
    {
        Canvas canvas(kx->GetView());
        RECT area = kx->GetView()->GetRect();
        RECT candles = kx->GetKXView().GetCandlePane(), tech = kx->GetKXView().GetTechPane();
        RECT column{candles.right + 1, candles.top, area.right, tech.bottom};
        EXPECT_GT(canvas.Count(Scheme(COLOR_AXIS_TEXT), column), 10);
        for (int color : {COLOR_RISE, COLOR_FALL, COLOR_MA_FIRST + 1, COLOR_MA_FIRST + 2, COLOR_TECH_FIRST + 1,
                          COLOR_TECH_FIRST + 2})
            EXPECT_EQ(canvas.Count(Scheme(color), column), 0) << color;
    }
    {
        // Weeks fill less than the chart: the last date stands under the last candle, not under empty space.
        int before = kx->replies;
        kx->ApplyParams(1, "MACD");
        ASSERT_TRUE(PumpUntil([&] { return kx->replies > before; }));
        UpdateWindow(kx->m_hWnd);
        Canvas canvas(kx->GetView());
        RECT area = kx->GetView()->GetRect(), tech = kx->GetKXView().GetTechPane();
        int last = kx->GetKXView().XOfBar((int)kx->GetData().bars.size() - 1);
        ASSERT_LT(last, (tech.left + tech.right) / 2);
        RECT under{last - 60, tech.bottom + 1, last + 60, area.bottom},
            beyond{last + 80, tech.bottom + 1, area.right, area.bottom};
        EXPECT_GT(canvas.Count(Scheme(COLOR_AXIS_TEXT), under), 10);
        EXPECT_EQ(canvas.Count(Scheme(COLOR_AXIS_TEXT), beyond), 0);
    }
}

// The cursor's tags clear whole the labels they would cover (no piece of "11:30/13:00" beside a time tag), its
// hairs stay inside the panes (none across a legend), and with a few candles squeezed to the left the last date
// starts under the last candle, not under the first.
TEST_F(ChartViewTest, CursorTagsClearTheLabelsTheyCoverAndTheHairsStayInThePanes)
{
    KX* minutes = Make<KX>("code={600010}");
    ASSERT_TRUE(Activate(minutes));
    int before = minutes->replies;
    minutes->ApplyParams(3, "MACD"); // the morning's twelve five-minute candles, squeezed into the left
    ASSERT_TRUE(PumpUntil([&] { return minutes->replies > before; }));
    minutes->GetKXView().SetVisibleCount(CKXView::MAX_VISIBLE);
    UpdateWindow(minutes->m_hWnd);
    RECT area = minutes->GetView()->GetRect();
    {
        Canvas canvas(minutes->GetView());
        RECT tech = minutes->GetKXView().GetTechPane();
        int lastBar = minutes->GetKXView().XOfBar((int)minutes->GetData().bars.size() - 1);
        RECT before{area.left, tech.bottom + 1, lastBar - 2, area.bottom}, from{lastBar - 2, before.top, area.right,
                                                                                area.bottom};
        ASSERT_LT(lastBar, area.left + 30);
        EXPECT_EQ(canvas.Count(Scheme(COLOR_AXIS_TEXT), before), 0);
        EXPECT_GT(canvas.Count(Scheme(COLOR_AXIS_TEXT), from), 10);
    }

    server->http.Control("advance?minutes=90"); // the afternoon begun
    FS* fs = nullptr;
    KX* kx = nullptr;
    ASSERT_NO_FATAL_FAILURE(OpenBoth(fs, kx));
    RECT price = fs->GetFSView().GetPricePane();
    int y = (price.top + price.bottom) / 2;
    Press(fs, WM_LBUTTONDOWN, fs->GetFSView().XOfSlot(121), y); // 13:01
    Press(fs, WM_LBUTTONUP, fs->GetFSView().XOfSlot(121), y);
    {
        Canvas canvas(fs->GetView());
        RECT middle{price.left + 70, price.bottom + 1, price.right - 70, fs->GetFSView().GetVolumePane().top};
        EXPECT_GT(canvas.Count(Scheme(COLOR_CHART_AUXILIARY), middle), 50);
        EXPECT_EQ(canvas.Count(Scheme(COLOR_AXIS_TEXT), middle), 0);
    }
    const CKXView& view = kx->GetKXView();
    int last = (int)kx->GetData().bars.size() - 1;
    Press(kx, WM_LBUTTONDOWN, view.XOfBar(last), y);
    Press(kx, WM_LBUTTONUP, view.XOfBar(last), y);
    {
        Canvas canvas(kx->GetView());
        RECT candles = view.GetCandlePane(), volume = view.GetVolumePane(), tech = view.GetTechPane();
        RECT axis{(area.left + area.right) / 2, tech.bottom + 1, area.right, area.bottom};
        EXPECT_GT(canvas.Count(Scheme(COLOR_CHART_AUXILIARY), axis), 50);
        EXPECT_EQ(canvas.Count(Scheme(COLOR_AXIS_TEXT), axis), 0);
        for (RECT legend : {RECT{candles.left, candles.bottom + 1, candles.right, volume.top - 1},
                            RECT{candles.left, volume.bottom + 1, candles.right, tech.top - 1}})
            EXPECT_EQ(canvas.Count(Scheme(COLOR_CHART_AUXILIARY), legend), 0);
    }
}
