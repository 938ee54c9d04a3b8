// The colour scheme: 45 colours with market meaning (rise, fall, unchanged, chart lines, list signs),
// read by the entry's name; the default scheme is the one the client ships.
#pragma once

#include "core/QuoteNumber.h"
#include "platform/win/WinTypes.h"

constexpr int COLOR_COUNT = 45;
// The entries the windows draw with.
constexpr int COLOR_CHART_FRAME = 12; // the charts' frame and grid
constexpr int COLOR_CHART_BACKGROUND = 13;
constexpr int COLOR_NAME = 14; // a security's name, and figures without a sign
constexpr int COLOR_RISE = 15;
constexpr int COLOR_FALL = 16;
constexpr int COLOR_UNCHANGED = 17;       // also the charts' plain figures
constexpr int COLOR_CHART_AUXILIARY = 20; // the cursor's cross-hair and the index laid over a stock
constexpr int COLOR_AXIS_TEXT = 21;
constexpr int COLOR_PRICE_LINE = 26;
constexpr int COLOR_AVERAGE_LINE = 27;
constexpr int COLOR_VOLUME = 28;     // volumes and amounts
constexpr int COLOR_MA_FIRST = 33;   // 33-35 the charts' three moving averages
constexpr int COLOR_TECH_FIRST = 36; // 36-38 an indicator's lines
constexpr int COLOR_SIGN_PLUS = 41;  // a query list's row that adds (buys, pays in)
constexpr int COLOR_SIGN_MINUS = 42; // and one that takes away

class CColorScheme {
public:
    // Every colour black.
    CColorScheme();
    virtual ~CColorScheme();
    CColorScheme(const CColorScheme&) = delete;
    CColorScheme& operator=(const CColorScheme&) = delete;

    // Entry i, 0 outside 0..44.
    COLORREF GetColor(int i) const;
    // The rise colour when value is above reference, the fall colour when below, else the unchanged colour.
    // Values compare as they are: the caller deals with "no value" first.
    COLORREF ChartPriceColor(const CQuoteNumber& reference, const CQuoteNumber& value) const;

protected:
    void SetColor(int i, COLORREF color);

private:
    COLORREF colors[COLOR_COUNT];
};

class CDefaultColorScheme : public CColorScheme {
public:
    CDefaultColorScheme();
};

// Entry i of the default scheme, whatever scheme the application holds: lets a window recognise a shipped
// colour it draws differently on its own grounds.
COLORREF DefaultSchemeColor(int i);

// 1, 0 or -1 for a figure or a buy/sell word of a query list: "-..." is -1; a figure is 0 when it has only
// "0" and "." and 1 otherwise; other texts are 1 with "买", -1 with "卖", else 0 (8-bit text).
int GetSignOfText(const char* text);
