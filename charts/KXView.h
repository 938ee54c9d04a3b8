// CKXView: the K-line chart: candles with the three moving averages and their legend, the volume pane and the
// indicator pane, over a window of the bars held that the user pages and zooms.
#pragma once

#include "charts/ChartData.h"
#include "charts/ChartView.h"

class CKXView : public CChartView {
public:
    static constexpr int MIN_VISIBLE = 10;
    static constexpr int MAX_VISIBLE = 250;
    static constexpr int DEFAULT_VISIBLE = 60;

    void SetData(const CKXData* chartData) { data = chartData; }
    // The window of bars shown: from the first index, so many bars.
    int GetFirstVisible() const { return first; }
    int GetVisibleCount() const { return visible; }
    // Zooms to n bars (kept within 10-250), keeping the right edge where it is.
    void SetVisibleCount(int n);
    // Shows the latest bars.
    void ShowLatest();
    // Moves the window by whole pages (negative: earlier); false when it is already at that end.
    bool ScrollPages(int pages);
    // The bars were put in front: the window keeps showing the same bars, then moves one page earlier.
    void BarsAddedInFront(int added);
    // The candle pane's price range last drawn.
    double GetPriceTop() const { return priceRange.hi; }
    double GetPriceBottom() const { return priceRange.lo; }
    // The x of a candle's middle in the last paint.
    int XOfBar(int index) const { return XOfIndex(index); }
    // The period's name shown in the title strip.
    void SetPeriodName(const std::u16string& name) { periodName = name; }
    void Describe(UiDescription& out) const override;

protected:
    void PaintChart(HDC dc, const RECT& area) override;
    int IndexAt(int x) const override;
    int XOfIndex(int index) const override;
    std::vector<ChartText> CursorLine(int index) const override;
    bool HasData() const override { return data != nullptr && !data->IsEmpty(); }

private:
    int LastVisible() const; // one past the last index shown
    double BarWidth() const;
    void PaintCandles(HDC dc, int from, int to);
    void PaintVolumes(HDC dc, int from, int to);
    void PaintIndicator(HDC dc, int from, int to);
    // The legend of a pane at the cursor's bar or the last bar shown.
    int LegendIndex(int to) const;

    const CKXData* data = nullptr;
    int first = 0;
    int visible = DEFAULT_VISIBLE;
    std::u16string periodName;
    RECT candlePane{0, 0, 0, 0};
    RECT volumePane{0, 0, 0, 0};
    RECT techPane{0, 0, 0, 0};
    ChartScale priceRange;
};
