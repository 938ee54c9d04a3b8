// Drawing speed: a full repaint of an empty window against a memset of the screen frame (the floor of any
// repaint), full-screen repaints per second of a 480 x 720 window holding a 20-row table of Chinese text,
// and glyphs per second of text layout and drawing (DrawTextW with cached glyphs) against FreeType rendering
// the same glyphs directly, measured in the same run.
#include "BenchTable.h"
#include "platform/win/Desktop.h"
#include "platform/win/FontEngine.h"
#include "platform/win/Gdi.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

using namespace morwick::display;

namespace {

class EmptyWnd : public CMzWnd {
public:
    LPCWSTR GetMzClassName() override { return u"BenchEmptyWnd"; }
};

// Milliseconds of one memset of a frame of the screen's size, the least any full repaint must cost.
double FrameMemsetMs(double seconds)
{
    std::vector<uint32_t> frame((size_t)480 * 720);
    volatile unsigned sink = 0;
    long long rounds = 0;
    auto start = std::chrono::steady_clock::now();
    double elapsed = 0;
    do {
        for (int i = 0; i < 100; ++i, ++rounds) {
            std::memset(frame.data(), (int)(rounds & 0x7F), frame.size() * sizeof frame[0]);
            sink = sink + frame[(size_t)rounds % frame.size()];
        }
        elapsed = SecondsSince(start);
    } while (elapsed < seconds);
    return elapsed * 1000 / (double)rounds;
}

} // namespace

int main()
{
    AttachGuiThread();
    {
        EmptyWnd empty;
        if (!empty.Create(0, 0, 480, 720)) {
            std::printf("cannot create the window\n");
            return 1;
        }
        empty.Show();
        empty.Update();
        ComposeScreen(true);
        double repaint = 1000 / RepaintsPerSecond(empty, 1.0);
        double memset = FrameMemsetMs(1.0);
        std::printf("empty window repaint: %.3f ms, frame memset: %.3f ms, ratio: %.1f\n", repaint, memset,
                    repaint / memset);
        empty.Destroy();
    }

    TableWnd w;
    if (!w.Create(0, 0, 480, 720)) {
        std::printf("cannot create the window\n");
        return 1;
    }
    w.Show();
    w.Update();
    ComposeScreen(true);

    std::printf("full-screen repaints (480x720, 20-row CJK table): %.1f per second\n", RepaintsPerSecond(w, 2.0));

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
    double elapsed = 0;
    auto start = std::chrono::steady_clock::now();
    do {
        for (int r = 0; r < 20; ++r)
            for (const std::u16string& s : RowTexts(r)) {
                RECT cell{0, r * 34, 120, r * 34 + 34};
                DrawTextW(mem, s.c_str(), (int)s.size(), &cell, 0x8025);
                glyphs += (long long)s.size();
            }
        elapsed = SecondsSince(start);
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
