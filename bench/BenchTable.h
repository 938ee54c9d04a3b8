// The reference window of the drawing benchmarks: a 480 x 720 window holding a 20-row table of Chinese text in
// five columns, the densest of the quote screens.
#pragma once

#include "platform/ui/MzWnd.h"
#include "platform/win/Gdi.h"

#include <string>
#include <vector>

#include "platform/win/Desktop.h"

#include <chrono>

inline const char16_t* const names[] = {u"招商银行", u"中国平安", u"贵州茅台", u"万科Ａ",   u"浦发银行",
                                        u"工商银行", u"中国石化", u"五粮液",   u"格力电器", u"宝钢股份"};

inline std::vector<std::u16string> RowTexts(int row)
{
    char16_t code[8], price[16], change[16];
    std::string c = std::to_string(600000 + row * 17);
    std::string p = std::to_string(10 + row) + "." + std::to_string(10 + row * 3 % 90);
    std::string ch = (row % 2 ? "-" : "+") + std::to_string(row % 7) + ".2" + std::to_string(row % 10) + "%";
    std::u16string cs(c.begin(), c.end()), ps(p.begin(), p.end()), chs(ch.begin(), ch.end());
    (void)code;
    (void)price;
    (void)change;
    return {names[row % 10], cs, ps, chs, u"成交" + cs.substr(2)};
}

class TableWnd : public CMzWnd {
public:
    LPCWSTR GetMzClassName() override { return u"BenchTableWnd"; }
    void PaintWin(HDC dc, RECT* win, RECT* update) override
    {
        CMzWnd::PaintWin(dc, win, update);
        SetBkMode(dc, TRANSPARENT);
        HPEN line = CreatePen(PS_SOLID, 1, RGB(100, 100, 100));
        HGDIOBJ oldPen = SelectObject(dc, line);
        HGDIOBJ oldFont = SelectObject(dc, CreateMzFont(22));
        int rowHeight = 34, widths[5] = {120, 90, 80, 90, 100};
        for (int r = 0; r < 20; ++r) {
            int x = 0, y = 30 + r * rowHeight;
            std::vector<std::u16string> cells = RowTexts(r);
            SetTextColor(dc, r % 2 ? RGB(0, 160, 0) : RGB(220, 0, 0));
            for (int c = 0; c < 5; ++c) {
                RECT cell{x, y, x + widths[c], y + rowHeight};
                glyphs += (long long)cells[(size_t)c].size();
                DrawTextW(dc, cells[(size_t)c].c_str(), -1, &cell, 0x8025);
                x += widths[c];
            }
            MoveToEx(dc, 0, y + rowHeight - 1, nullptr);
            LineTo(dc, 480, y + rowHeight - 1);
        }
        SelectObject(dc, oldFont);
        SelectObject(dc, oldPen);
        DeleteObject(line);
    }
    long long glyphs = 0;
};

inline double SecondsSince(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// Full-screen repaints per second of a shown window: invalidate, paint and compose the screen frame, for about
// the given time.
inline double RepaintsPerSecond(CMzWnd& w, double seconds)
{
    int frames = 0;
    auto start = std::chrono::steady_clock::now();
    double elapsed = 0;
    do {
        w.Invalidate();
        w.Update();
        morwick::display::ComposeScreen(true);
        ++frames;
        elapsed = SecondsSince(start);
    } while (elapsed < seconds);
    return frames / elapsed;
}
