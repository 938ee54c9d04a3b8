// CFSView: the time-share chart of one day: the price line and the average-price line over a price scale
// symmetric around the previous close with its percentages beside it, the market index laid over a stock, the
// information markers, the volume bars below, and the trading day's time axis (09:30-11:30, 13:00-15:00, the
// lunch break drawn as no gap).
#pragma once

#include "charts/ChartData.h"
#include "charts/ChartView.h"

class CFSView : public CChartView {
public:
    void SetData(const CFSData* chartData) { data = chartData; }
    // The price scale last drawn: its top and bottom values (previous close +/- the largest deviation).
    double GetScaleTop() const { return priceScale.hi; }
    double GetScaleBottom() const { return priceScale.lo; }
    // The x of a minute slot in the last paint.
    int XOfSlot(int slot) const;
    // The information marker near an x (within a few pixels), or 0.
    int MarkerAt(int x) const;

protected:
    void PaintChart(HDC dc, const RECT& area) override;
    int IndexAt(int x) const override;
    int XOfIndex(int index) const override;
    std::vector<ChartText> CursorLine(int index) const override;
    bool HasData() const override { return data != nullptr && !data->IsEmpty(); }

private:
    void PaintPrices(HDC dc);
    void PaintVolumes(HDC dc);
    void PaintAxis(HDC dc);

    const CFSData* data = nullptr;
    RECT pricePane{0, 0, 0, 0};
    RECT volumePane{0, 0, 0, 0};
    ChartScale priceScale;
};
