// The candles of the drawing benchmarks: a day chart of a bank's stock whose price swings, with three moving
// averages, volume and MACD.
#pragma once

#include "charts/ChartData.h"

#include <algorithm>
#include <cmath>

inline CKXData KLineData(int count)
{
    CKXData d;
    d.security.name = "\xB6\xAB\xBA\xA3\xD2\xF8\xD0\xD0"; // 东海银行
    d.averageNames[0] = "MA5";
    d.averageNames[1] = "MA10";
    d.averageNames[2] = "MA20";
    d.techLines = {"DIF", "DEA", "MACD"};
    d.techSticks = {false, false, true};
    double close = 10;
    for (int i = 0; i < count; ++i) {
        KXBar b;
        b.date = 20250101 + i;
        b.open = close;
        close *= 1 + 0.02 * std::sin(i * 0.37) * std::cos(i * 0.11);
        b.close = close;
        b.high = std::max(b.open, b.close) * 1.01;
        b.low = std::min(b.open, b.close) * 0.99;
        b.volume = 20000 + 15000 * std::sin(i * 0.5);
        for (int k = 0; k < 3; ++k)
            b.averages[k] = i >= 5 * (k + 1) ? close * (1 + 0.01 * k) : CHART_NONE;
        b.lines = {std::sin(i * 0.1), std::sin(i * 0.1 - 0.3), 2 * (std::sin(i * 0.1) - std::sin(i * 0.1 - 0.3))};
        d.bars.push_back(b);
    }
    return d;
}
