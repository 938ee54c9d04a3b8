// Drawing speed: full-screen repaints per second of a 480 x 720 window holding a 20-row table of Chinese text,
// and glyphs per second of text layout and drawing (DrawTextW with cached glyphs) against FreeType rendering
// the same glyphs directly, measured in the same run.
#include "platform/display/Desktop.h"
#include "platform/display/FontEngine.h"
#include "platform/ui/MzWnd.h"
#include "platform/win/Gdi.h"

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

using namespace morwick::display;

namespace {

const char16_t* names[] = {u"招商银行", u"中国平安", u"贵州茅台", u"万科Ａ", u"浦发银行", u"工商银行",
                           u"中国石化", u"五粮液", u"格力电器", u"宝钢股份"};

std::vector<std::u16string> RowTexts(int row)
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

double Seconds(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

} // namespace

int main()
{
    AttachGuiThread();
    TableWnd w;
    if (!w.Create(0, 0, 480, 720)) {
        std::printf("cannot create the window\n");
        return 1;
    }
    w.Show();
    w.Update();
    ComposeScreen(true);

    // Full-screen repaints: invalidate, paint and compose the screen frame.
    int frames = 0;
    auto start = std::chrono::steady_clock::now();
    double elapsed = 0;
    do {
        w.Invalidate();
        w.Update();
        ComposeScreen(true);
        ++frames;
        elapsed = Seconds(start);
    } while (elapsed < 2.0);
    std::printf("full-screen repaints (480x720, 20-row CJK table): %.1f per second\n", frames / elapsed);

    // Text layout and drawing of the table's text, glyphs per second, against FreeType rendering.
    std::u16string all;
    for (int r = 0; r < 20; ++r)
        for (const std::u16string& s : RowTexts(r))
            all += s;
    HDC mem = CreateCompatibleDC(nullptr);
    HBITMAP bmp = CreateCompatibleBitmap(mem, 480, 720);
    SelectObject(mem, bmp);
    SelectObject(mem, CreateMzFont(22));
    SetBkMode(mem, TRANSPARENT);
    long long glyphs = 0;
    start = std::chrono::steady_clock::now();
    do {
        for (int r = 0; r < 20; ++r)
            for (const std::u16string& s : RowTexts(r)) {
                RECT cell{0, r * 34, 120, r * 34 + 34};
                DrawTextW(mem, s.c_str(), (int)s.size(), &cell, 0x8025);
                glyphs += (long long)s.size();
            }
        elapsed = Seconds(start);
    } while (elapsed < 2.0);
    double ours = glyphs / elapsed;
    double raw = RawFreeTypeGlyphsPerSecond(all.c_str(), (int)all.size(), 22, 2.0);
    std::printf("text layout and drawing (DrawTextW, cached glyphs): %.0f glyphs per second\n", ours);
    std::printf("FreeType load and render of the same glyphs:        %.0f glyphs per second\n", raw);
    if (raw > 0)
        std::printf("ratio: %.1fx\n", ours / raw);
    DeleteDC(mem);
    DeleteObject(bmp);
    return 0;
}
