// CKXView: the K-line chart: candles with the three moving averages and their legend, the volume pane and the
// indicator pane (its zero line, and the usual guides of a bounded indicator), over a window of the bars held that
// the user pages and zooms. Each pane's scale stands in a column on the right, where no candle or line reaches.
#pragma once

#include "charts/ChartData.h"
#include "charts/ChartView.h"

class CKXView : public CChartView {
public:
    static constexpr int MIN_VISIBLE = 10;
    static constexpr int MAX_VISIBLE = 250;
    static constexpr int DEFAULT_VISIBLE = 60; // on the portrait screen's width; a wider chart shows more
    static constexpr int PORTRAIT_WIDTH = 480;

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
    // The bars were put in front. Paging back, the window then moves one page earlier; otherwise the last bar
    // shown stays the last, and the added ones fill the chart before it.
    void BarsAddedInFront(int added, bool pageBack);
    // The candle pane's price range last drawn.
    double GetPriceTop() const { return priceRange.hi; }
    double GetPriceBottom() const { return priceRange.lo; }
    // The indicator pane's scale last drawn, and the panes.
    const ChartScale& GetTechScale() const { return techScale; }
    const RECT& GetCandlePane() const { return candlePane; }
    const RECT& GetVolumePane() const { return volumePane; }
    const RECT& GetTechPane() const { return techPane; }
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
    int CursorY(int index) const override;
    void PaintCursorTags(HDC dc, int index, int x, int y) override;
    bool HasData() const override { return data != nullptr && !data->IsEmpty(); }
    std::vector<RECT> CursorPanes() const override { return {candlePane, volumePane, techPane}; }

private:
    int LastVisible() const; // one past the last index shown
    double BarWidth() const;
    // The panes between the title strip and the date axis, with the label column of the given width.
    void Layout(const RECT& area, int column);
    void PaintCandles(HDC dc, int from, int to);
    void PaintVolumes(HDC dc, int from, int to, double most);
    void PaintIndicator(HDC dc, int from, int to);
    // An indicator line drawn as bars from zero, coloured by sign or, for volumes, by their bar.
    void PaintSticks(HDC dc, int from, int to, size_t line, bool byBar);
    void PaintDates(HDC dc, int from, int to);
    // Where a date label of that width starts under its candle.
    int DateLeft(int index, int width) const;
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
    ChartScale techScale;
};
