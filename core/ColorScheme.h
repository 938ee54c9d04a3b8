// The colour scheme: 45 colours with market meaning (rise, fall, unchanged, chart lines, list signs),
// read by index; the default scheme is the one the client ships.
#pragma once

#include "core/QuoteNumber.h"
#include "platform/win/WinTypes.h"

constexpr int COLOR_COUNT = 45;
constexpr int COLOR_RISE = 15;
constexpr int COLOR_FALL = 16;
constexpr int COLOR_UNCHANGED = 17;
constexpr int COLOR_SIGN_PLUS = 41;
constexpr int COLOR_SIGN_MINUS = 42;

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

// 1, 0 or -1 for a figure or a buy/sell word of a query list: "-..." is -1; a figure is 0 when it has only
// "0" and "." and 1 otherwise; other texts are 1 with "买", -1 with "卖", else 0 (8-bit text).
int GetSignOfText(const char* text);
