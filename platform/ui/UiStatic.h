// Static text: a line (or wrapped lines) of text in a colour, with an optional background.
#pragma once

#include "platform/ui/Style.h"
#include "platform/ui/UiWin.h"

class UiStatic : public UiWin {
public:
    UiStatic();
    // DrawText format of the text (left, vertically centred, one line, ellipsis by default).
    void SetTextFormat(UINT format) { format_ = format; }
    UINT GetTextFormat() const { return format_; }
    void SetBackgroundColor(COLORREF color, bool paint = true) { bgColor_ = color; paintBg_ = paint; }
    // Text styles: 0 left, 1 centred, 2 right, 4 left with a little indent.
    void SetTextStyle(int style);
    void PaintWin(HDC dc, RECT* rcWin, RECT* rcUpdate) override;
    void Describe(UiDescription& out) const override;

protected:
    UINT format_;
    int indent_ = 0;
    bool paintBg_ = false;
    COLORREF bgColor_ = Style::PaperFill;
};

// A label whose text may wrap over several lines and be centred vertically as a block.
class UiCaptionLabel : public UiStatic {
public:
    UiCaptionLabel();
    void SetVCenter(bool on) { vcenter_ = on; }
    void SetWordBreak(bool on) { wordBreak_ = on; }
    void PaintWin(HDC dc, RECT* rcWin, RECT* rcUpdate) override;
    void Describe(UiDescription& out) const override;

private:
    bool vcenter_ = true;
    bool wordBreak_ = true;
};
