// The default colours and the sign of a list text.
#include "core/ColorScheme.h"

#include <cstring>

namespace {

struct DefaultColor {
    int index;
    COLORREF color;
};

const DefaultColor DEFAULT_COLORS[] = {
    {0, RGB(85, 85, 85)},
    {1, RGB(255, 255, 255)},
    {2, RGB(255, 255, 255)},
    {3, RGB(185, 185, 185)},
    {7, RGB(128, 128, 128)},
    {COLOR_CHART_FRAME, RGB(151, 0, 0)},
    {COLOR_NAME, RGB(255, 255, 255)},
    {COLOR_RISE, RGB(255, 38, 38)},
    {COLOR_FALL, RGB(23, 255, 23)},
    {COLOR_UNCHANGED, RGB(255, 255, 255)},
    {COLOR_CHART_AUXILIARY, RGB(160, 160, 160)},
    {COLOR_AXIS_TEXT, RGB(255, 255, 255)},
    {22, RGB(15, 15, 15)},
    {23, RGB(255, 255, 255)},
    {COLOR_PRICE_LINE, RGB(255, 255, 0)},
    {COLOR_AVERAGE_LINE, RGB(255, 255, 255)},
    {COLOR_VOLUME, RGB(221, 221, 0)},
    {31, RGB(228, 27, 32)},
    {32, RGB(0, 219, 219)},
    {COLOR_MA_FIRST, RGB(255, 255, 255)},
    {COLOR_MA_FIRST + 1, RGB(255, 255, 0)},
    {COLOR_MA_FIRST + 2, RGB(123, 0, 247)},
    {COLOR_TECH_FIRST, RGB(255, 255, 255)},
    {COLOR_TECH_FIRST + 1, RGB(255, 255, 11)},
    {COLOR_TECH_FIRST + 2, RGB(136, 17, 255)},
    {COLOR_SIGN_PLUS, RGB(255, 38, 38)},
    {COLOR_SIGN_MINUS, RGB(23, 23, 255)},
};

// "买" and "卖" in code page 936.
const char BUY[] = "\xc2\xf2";
const char SELL[] = "\xc2\xf4";

// Looks for a two-byte character on character boundaries, so the trail byte of one character and the lead
// byte of the next never make a false match.
bool ContainsDoubleByte(const char* text, const char* character)
{
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p != 0;) {
        if (*p >= 0x81 && *p <= 0xFE && p[1] != 0) {
            if (p[0] == (unsigned char)character[0] && p[1] == (unsigned char)character[1]) {
                return true;
            }
            p += 2;
        } else {
            ++p;
        }
    }
    return false;
}

} // namespace

CColorScheme::CColorScheme()
{
    memset(colors, 0, sizeof colors);
}

CColorScheme::~CColorScheme() = default;

COLORREF CColorScheme::GetColor(int i) const
{
    return i >= 0 && i < COLOR_COUNT ? colors[i] : 0;
}

void CColorScheme::SetColor(int i, COLORREF color)
{
    if (i >= 0 && i < COLOR_COUNT) {
        colors[i] = color;
    }
}

COLORREF CColorScheme::ChartPriceColor(const CQuoteNumber& reference, const CQuoteNumber& value) const
{
    if (reference < value) {
        return GetColor(COLOR_RISE);
    }
    if (reference > value) {
        return GetColor(COLOR_FALL);
    }
    return GetColor(COLOR_UNCHANGED);
}

CDefaultColorScheme::CDefaultColorScheme()
{
    for (const DefaultColor& entry : DEFAULT_COLORS) {
        SetColor(entry.index, entry.color);
    }
}

COLORREF DefaultSchemeColor(int i)
{
    static const CDefaultColorScheme scheme;
    return scheme.GetColor(i);
}

int GetSignOfText(const char* text)
{
    if (text == nullptr || text[0] == 0) {
        return 0;
    }
    if (text[0] == '-') {
        return -1;
    }
    if (text[0] >= '0' && text[0] <= '9') {
        for (const char* p = text; *p != 0; ++p) {
            if (*p != '0' && *p != '.') {
                return 1;
            }
        }
        return 0;
    }
    if (ContainsDoubleByte(text, BUY)) {
        return 1;
    }
    if (ContainsDoubleByte(text, SELL)) {
        return -1;
    }
    return 0;
}
