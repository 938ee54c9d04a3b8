// CFSFrame: the time-share chart window ("fschart"): one security's day with the market index laid over a stock
// and the minutes that carry information, refreshed with the minutes since the last one shown (the whole day again
// once the server has begun another). From it the user opens the tick-by-tick deals ("成交明细"), the
// information radar ("信息雷达") and the K-line chart.
#pragma once

#include "charts/ChartData.h"
#include "charts/ChartWnd.h"
#include "charts/FSView.h"

class CFSFrame : public CChartWnd {
public:
    // Popup action menu commands.
    static constexpr int CMD_HOME = 120;
    static constexpr int CMD_CANCEL = 121;
    static constexpr int CMD_DEALS = 130;
    static constexpr int CMD_RADAR = 131;

    CFSFrame(LPCWSTR title, HWND owner);
    ~CFSFrame() override;

    LPCWSTR GetMzClassName() override;
    BOOL OnInitDialog() override;
    void OnMzCommand(WPARAM wParam, LPARAM lParam) override;
    int BuildRequest(char* part, int capacity, const char* whole) override;
    CChartView* GetView() override { return &view; }
    virtual void OnMenuCommand(int command);

    // The tick-by-tick deals of the security and day.
    void OpenDeals();
    // The information radar: the notes of the marked minute the cursor last stood on, else all of the day's.
    void OpenRadar();
    const CFSData& GetData() const { return data; }
    CFSView& GetFSView() { return view; }

protected:
    void OnChartReply(CReplyRecordSet& reply, bool fresh) override;
    void ClearChart() override { data.Clear(); }
    bool ChartIsEmpty() override { return data.IsEmpty(); }

private:
    CFSData data;
    CFSView view;
    int askedFrom = 0; // the minute the request under way asked from, 0 for the whole day
};
