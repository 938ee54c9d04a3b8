// Static text: a line (or wrapped lines) of text in a colour, with an optional background.
#pragma once

#include "platform/ui/Style.h"
#include "platform/ui/UiWin.h"

class UiStatic : public UiWin {
public:
    UiStatic();
    // DrawText format of the text (left, vertically centred, one line, ellipsis by default).
    void SetTextFormat(UINT newFormat) { format = newFormat; }
    UINT GetTextFormat() const { return format; }
    void SetBackgroundColor(COLORREF color, bool paint = true)
    {
        bgColor = color;
        paintBg = paint;
    }
    // Text styles: 0 left, 1 centred, 2 right, 4 left with a little indent.
    void SetTextStyle(int style);
    void PaintWin(HDC dc, RECT* rcWin, RECT* rcUpdate) override;
    void Describe(UiDescription& out) const override;

protected:
    UINT format;
    int indent = 0;
    bool paintBg = false;
    COLORREF bgColor = Style::PaperFill;
};

// A label whose text may wrap over several lines and be centred vertically as a block.
class UiCaptionLabel : public UiStatic {
public:
    UiCaptionLabel();
    void SetVCenter(bool on) { vcenter = on; }
    void SetWordBreak(bool on) { wordBreak = on; }
    void PaintWin(HDC dc, RECT* rcWin, RECT* rcUpdate) override;
    void Describe(UiDescription& out) const override;

private:
    bool vcenter = true;
    bool wordBreak = true;
};
