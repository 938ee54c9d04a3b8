// Chart drawing speed: full repaints per second of a 480 x 720 window holding a K-line chart of 250 candles with
// its three moving averages, volume and an indicator pane (MACD: two lines and bars), and of a full-day
// time-share chart with the index laid over it, against the 20-row table window of bench_gfx measured in the
// same run.
#include "BenchTable.h"
#include "KLineBenchData.h"
#include "charts/FSView.h"
#include "charts/KXView.h"
#include "core/AppData.h"
#include "platform/ui/MzHostWnd.h"

#include <cmath>
#include <cstdio>

namespace {

// A window whose whole area below a caption-high strip is one chart view.
class ChartHost : public CMzHostWnd {
public:
    explicit ChartHost(CChartView& chart) : view(chart) {}
    LPCWSTR GetMzClassName() override { return u"BenchChartWnd"; }
    BOOL OnInitDialog() override
    {
        view.SetPos(0, 42, 480, 720 - 42 - 65);
        AddUiWin(&view);
        return TRUE;
    }
    CChartView& view;
};

CFSData TimeShareData()
{
    CFSData d;
    d.security.name = "\xB6\xAB\xBA\xA3\xD2\xF8\xD0\xD0";
    d.security.prevClose = 10;
    d.indexPrevClose = 3000;
    for (int slot = 0; slot < CFSData::DAY_MINUTES; ++slot) {
        FSPoint p;
        p.tm = CFSData::TimeOfSlot(slot);
        p.price = 10 * (1 + 0.03 * std::sin(slot * 0.05));
        p.average = 10 * (1 + 0.015 * std::sin(slot * 0.05));
        p.volume = 500 + 400 * std::sin(slot * 0.3);
        p.infoId = slot % 30 == 7 ? p.tm : 0;
        d.points.push_back(p);
        d.index.push_back({p.tm, 3000 * (1 + 0.01 * std::cos(slot * 0.04))});
    }
    return d;
}

bool Show(CMzWnd& w)
{
    if (!w.Create(0, 0, 480, 720))
        return false;
    w.Show();
    w.Update();
    return true;
}

} // namespace

int main()
{
    morwick::display::AttachGuiThread();
    CAppData::Instance(); // the colour scheme

    TableWnd table;
    CKXData kline = KLineData(250);
    CKXView kview;
    kview.SetData(&kline);
    kview.SetVisibleCount(250);
    ChartHost kwnd(kview);
    CFSData day = TimeShareData();
    CFSView fview;
    fview.SetData(&day);
    ChartHost fwnd(fview);
    if (!Show(table) || !Show(kwnd) || !Show(fwnd)) {
        std::printf("cannot create the windows\n");
        return 1;
    }
    double tableRate = 0, klineRate = 0, dayRate = 0;
    // Each window on top in turn, so the composed screen shows the one being painted.
    BringWindowToTop(table.m_hWnd);
    tableRate = RepaintsPerSecond(table, 2.0);
    BringWindowToTop(kwnd.m_hWnd);
    klineRate = RepaintsPerSecond(kwnd, 2.0);
    BringWindowToTop(fwnd.m_hWnd);
    dayRate = RepaintsPerSecond(fwnd, 2.0);
    std::printf("full repaints (480x720), 20-row CJK table (reference):          %.1f per second\n", tableRate);
    std::printf("full repaints, K-line chart of 250 candles, 3 averages, MACD:   %.1f per second (%.2fx)\n", klineRate,
                klineRate / tableRate);
    std::printf("full repaints, full-day time-share chart with index overlay:    %.1f per second (%.2fx)\n", dayRate,
                dayRate / tableRate);
    CAppData::Destroy();
    return 0;
}
