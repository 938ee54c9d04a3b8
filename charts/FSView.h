// CFSView: the time-share chart of one day: the price line and the average-price line over a price scale
// symmetric around the previous close, its prices in a column on the left and its percentages in one on the
// right (no line ever runs under a label), the market index laid over a stock, the information markers, the
// volume bars below, and the trading day's time axis (09:30-11:30, 13:00-15:00, the lunch break drawn as no gap).
#pragma once

#include "charts/ChartData.h"
#include "charts/ChartView.h"

class CFSView : public CChartView {
public:
    // Half the width of an information marker: it is drawn and hit within so many pixels of its minute.
    static constexpr int MARKER_HALF = 3;

    void SetData(const CFSData* chartData) { data = chartData; }
    // The price scale last drawn: its top and bottom values (previous close +/- the largest deviation).
    double GetScaleTop() const { return priceScale.hi; }
    double GetScaleBottom() const { return priceScale.lo; }
    // The x of a minute slot, and the height of a price, in the last paint.
    int XOfSlot(int slot) const;
    int YOfPrice(double price) const { return priceScale.Y(price); }
    // The panes of the last paint.
    const RECT& GetPricePane() const { return pricePane; }
    const RECT& GetVolumePane() const { return volumePane; }
    // The information marker drawn at an x, or 0.
    int MarkerAt(int x) const;

protected:
    void PaintChart(HDC dc, const RECT& area) override;
    int IndexAt(int x) const override;
    int XOfIndex(int index) const override;
    std::vector<ChartText> CursorLine(int index) const override;
    int CursorY(int index) const override;
    void PaintCursorTags(HDC dc, int index, int x, int y) override;
    bool HasData() const override { return data != nullptr && !data->IsEmpty(); }
    std::vector<RECT> CursorPanes() const override { return {pricePane, volumePane}; }

private:
    void PaintPrices(HDC dc, double reference);
    void PaintVolumes(HDC dc, double most);
    void PaintAxis(HDC dc);

    const CFSData* data = nullptr;
    RECT pricePane{0, 0, 0, 0};
    RECT volumePane{0, 0, 0, 0};
    ChartScale priceScale;
};
