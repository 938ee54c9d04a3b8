// CKXFrame: the K-line chart window ("kxchart"): one security's candles of the chosen period with the server's
// moving averages, volume and chosen indicator. The user pages back to earlier candles (fetched with "direct"
// and "count" when none are held), picks period and indicator in CKXParamWnd, zooms with a pinch of two fingers
// (the touch driver's gesture message 0xFFF20006, registered by this window) and opens the detailed quote. Candles
// are as wide in landscape as in portrait: the wider screen shows more of them.
#pragma once

#include "charts/ChartData.h"
#include "charts/ChartWnd.h"
#include "charts/KXView.h"

#include <string>

class CKXFrame : public CChartWnd {
public:
    static constexpr int PAGE_COUNT = 120; // candles asked for at a time
    // Popup action menu commands.
    static constexpr int CMD_HOME = 120;
    static constexpr int CMD_CANCEL = 121;
    static constexpr int CMD_DETAIL = 132;
    static constexpr int CMD_TIME_SHARE = 133;
    static constexpr int CMD_PARAMS = 134;

    CKXFrame(LPCWSTR title, HWND owner);
    ~CKXFrame() override;

    LPCWSTR GetMzClassName() override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    BOOL OnInitDialog() override;
    void OnScreenModeChanged(int orientation) override;
    void OnMzCommand(WPARAM wParam, LPARAM lParam) override;
    int BuildRequest(char* part, int capacity, const char* whole) override;
    CChartView* GetView() override { return &view; }
    virtual void OnMenuCommand(int command);

    // A multi-touch gesture of the driver: a pinch zooms the number of candles shown.
    void OnGesture(WPARAM wParam, LPARAM lParam);
    // Earlier candles: those held but not shown, else the page before the first one held, from the server.
    void PageEarlier();
    void PageLater();
    // Runs the parameter picker over the chart.
    void OpenParams();
    // Takes a period and indicator (a new chart is asked for when either changed).
    void ApplyParams(int newPeriod, const char* newTech);
    void OpenDetailQuote();

    int GetPeriod() const { return period; }
    const char* GetTechName() const { return techName.c_str(); }
    const CKXData& GetData() const { return data; }
    CKXView& GetKXView() { return view; }

protected:
    std::string ChartKey() const override;
    void OnChartReply(CReplyRecordSet& reply, bool fresh) override;
    bool KeepShownChart() override;
    void ClearChart() override { data.Clear(); }
    bool ChartIsEmpty() override { return data.IsEmpty(); }

private:
    // EARLIER_BARS: the page before the candles held, then shown; MORE_BARS: those before them, to fill a chart
    // squeezed to more candles than are held, keeping the latest shown where it is.
    enum RequestKind { LATEST_BARS, EARLIER_BARS, MORE_BARS };
    void AskEarlier(RequestKind kind);
    // Replaces the chart with the reply's, showing its latest candles.
    void StartAfresh(CReplyRecordSet& reply);

    CKXData data;
    CKXView view;
    int period = 0;
    std::string techName;
    RequestKind nextKind = LATEST_BARS;
    RequestKind sentKind = LATEST_BARS;
    // The server had nothing before the first candle held.
    bool earliestReached = false;
    // What the candles held are of.
    std::string shownCode;
    int shownPeriod = 0;
    std::string shownTech;
};
