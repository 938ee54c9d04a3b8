// Drawing on memory DCs: shapes, clipping, blits, and the text layout the windows rely on.
#include "platform/win/DeviceContext.h"
#include "platform/win/Gdi.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <random>
#include <string>
#include <vector>

namespace {

struct MemoryDc {
    HDC dc;
    HBITMAP bitmap;
    HGDIOBJ old;
    MemoryDc(int w, int h)
    {
        dc = CreateCompatibleDC(nullptr);
        bitmap = CreateCompatibleBitmap(dc, w, h);
        old = SelectObject(dc, bitmap);
        RECT all{0, 0, w, h};
        FillRect(dc, &all, (HBRUSH)GetStockObject(WHITE_BRUSH));
    }
    ~MemoryDc()
    {
        SelectObject(dc, old);
        DeleteDC(dc);
        DeleteObject(bitmap);
    }
    int Count(COLORREF c, RECT r) const
    {
        int n = 0;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x)
                n += GetPixel(dc, x, y) == c;
        return n;
    }
    int Inked(RECT r) const
    {
        int n = 0;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x)
                n += GetPixel(dc, x, y) != RGB(255, 255, 255);
        return n;
    }
};

} // namespace

TEST(Gdi, RectangleFramesWithThePenAndFillsWithTheBrush)
{
    MemoryDc m(40, 40);
    HPEN pen = CreatePen(PS_SOLID, 1, RGB(255, 0, 0));
    HBRUSH brush = CreateSolidBrush(RGB(0, 0, 255));
    HGDIOBJ oldPen = SelectObject(m.dc, pen);
    HGDIOBJ oldBrush = SelectObject(m.dc, brush);
    Rectangle(m.dc, 10, 10, 20, 20);
    EXPECT_EQ(GetPixel(m.dc, 10, 10), RGB(255, 0, 0));
    EXPECT_EQ(GetPixel(m.dc, 19, 19), RGB(255, 0, 0));
    EXPECT_EQ(GetPixel(m.dc, 15, 15), RGB(0, 0, 255));
    EXPECT_EQ(GetPixel(m.dc, 20, 20), RGB(255, 255, 255)); // right and bottom edges are exclusive
    SelectObject(m.dc, oldPen);
    SelectObject(m.dc, oldBrush);
    EXPECT_TRUE(DeleteObject(pen));
    EXPECT_TRUE(DeleteObject(brush));
    EXPECT_FALSE(DeleteObject(pen)); // a stale handle is refused, not followed
}

TEST(Gdi, ClippingAndViewportLimitWhereShapesLand)
{
    MemoryDc m(50, 50);
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    IntersectClipRect(m.dc, 10, 10, 20, 20);
    RECT all{0, 0, 50, 50};
    FillRect(m.dc, &all, red);
    EXPECT_EQ(m.Count(RGB(255, 0, 0), all), 100);
    SelectClipRgn(m.dc, nullptr);
    SetViewportOrgEx(m.dc, 30, 30, nullptr);
    RECT small{0, 0, 5, 5};
    FillRect(m.dc, &small, red);
    EXPECT_EQ(GetPixel(m.dc, 0, 0), RGB(255, 0, 0)); // logical (0,0) is at device (30,30)
    SetViewportOrgEx(m.dc, 0, 0, nullptr);
    EXPECT_EQ(GetPixel(m.dc, 32, 32), RGB(255, 0, 0));
    EXPECT_EQ(m.Count(RGB(255, 0, 0), all), 125);
    DeleteObject(red);
}

TEST(Gdi, ShapesStayOnTheBitmapWhenARestoredClipIsWiderThanIt)
{
    // A clip saved over a large bitmap comes back over the small one selected since: every shape and line drawn
    // still lands on the small one only (the address checker sees any write past it).
    MemoryDc m(480, 720);
    HBITMAP small = CreateCompatibleBitmap(m.dc, 10, 10);
    int saved = SaveDC(m.dc);
    HGDIOBJ large = SelectObject(m.dc, small);
    RestoreDC(m.dc, saved);
    HPEN pen = CreatePen(PS_SOLID, 1, RGB(255, 0, 0));
    HBRUSH brush = CreateSolidBrush(RGB(0, 0, 255));
    HGDIOBJ oldPen = SelectObject(m.dc, pen);
    HGDIOBJ oldBrush = SelectObject(m.dc, brush);
    RoundRect(m.dc, 0, 0, 100, 100, 10, 10);
    Ellipse(m.dc, -100, -100, 120, 120);
    MoveToEx(m.dc, 0, 9, nullptr);
    LineTo(m.dc, 300, 600);
    SetPixel(m.dc, 50, 50, RGB(0, 255, 0));
    MemoryDc source(480, 720);
    BitBlt(m.dc, 0, 0, 480, 720, source.dc, 0, 0, SRCAND);
    EXPECT_EQ(GetPixel(m.dc, 5, 5), RGB(0, 0, 255)); // inside both shapes, and'ed with white
    EXPECT_EQ(GetPixel(m.dc, 0, 9), RGB(255, 0, 0));
    SelectObject(m.dc, oldPen);
    SelectObject(m.dc, oldBrush);
    DeleteObject(pen);
    DeleteObject(brush);
    SelectObject(m.dc, large);
    DeleteObject(small);
}

TEST(Gdi, LinesDashesEllipsesAndPolygonsDrawInsideTheirBounds)
{
    MemoryDc m(60, 60);
    HPEN dash = CreatePen(PS_DASH, 1, RGB(0, 0, 0));
    HGDIOBJ old = SelectObject(m.dc, dash);
    MoveToEx(m.dc, 0, 5, nullptr);
    LineTo(m.dc, 60, 5);
    int black = m.Count(RGB(0, 0, 0), RECT{0, 5, 60, 6});
    EXPECT_GT(black, 20);
    EXPECT_LT(black, 60); // gaps exist
    SelectObject(m.dc, old);
    DeleteObject(dash);

    HBRUSH green = CreateSolidBrush(RGB(0, 255, 0));
    old = SelectObject(m.dc, green);
    Ellipse(m.dc, 10, 10, 30, 30);
    EXPECT_EQ(GetPixel(m.dc, 20, 20), RGB(0, 255, 0));
    EXPECT_EQ(GetPixel(m.dc, 10, 10), RGB(255, 255, 255)); // the corner of the box is outside the ellipse
    POINT tri[3] = {{40, 40}, {59, 40}, {40, 59}};
    Polygon(m.dc, tri, 3);
    EXPECT_EQ(GetPixel(m.dc, 44, 44), RGB(0, 255, 0));
    EXPECT_EQ(GetPixel(m.dc, 57, 57), RGB(255, 255, 255));
    RoundRect(m.dc, 0, 35, 30, 58, 20, 20);
    EXPECT_EQ(GetPixel(m.dc, 15, 46), RGB(0, 255, 0));
    EXPECT_EQ(GetPixel(m.dc, 0, 35), RGB(255, 255, 255)); // rounded corner left out
    SelectObject(m.dc, old);
    DeleteObject(green);
}

TEST(Gdi, BitBltCopiesAndStretchBltScales)
{
    MemoryDc src(4, 4), dst(20, 20);
    HBRUSH blue = CreateSolidBrush(RGB(0, 0, 255));
    RECT left{0, 0, 2, 4};
    FillRect(src.dc, &left, blue);
    BitBlt(dst.dc, 1, 1, 4, 4, src.dc, 0, 0, SRCCOPY);
    EXPECT_EQ(GetPixel(dst.dc, 1, 1), RGB(0, 0, 255));
    EXPECT_EQ(GetPixel(dst.dc, 3, 1), RGB(255, 255, 255));
    StretchBlt(dst.dc, 10, 10, 8, 8, src.dc, 0, 0, 4, 4, SRCCOPY);
    EXPECT_EQ(dst.Count(RGB(0, 0, 255), RECT{10, 10, 18, 18}), 32);
    DeleteObject(blue);
}

TEST(Gdi, CachedFontsAreSharedAndSurviveDeletion)
{
    HFONT a = CreateMzFont(22, FW_NORMAL, FALSE);
    EXPECT_EQ(a, CreateMzFont(22, FW_NORMAL, FALSE));
    EXPECT_NE(a, CreateMzFont(22, FW_BOLD, FALSE));
    DeleteObject(a);
    MemoryDc m(10, 10);
    EXPECT_NE(SelectObject(m.dc, a), nullptr);
    TEXTMETRICW tm;
    ASSERT_TRUE(GetTextMetricsW(m.dc, &tm));
    EXPECT_EQ(tm.tmHeight, 22);
}

TEST(GdiText, ExtentsOfChineseAndLatinText)
{
    MemoryDc m(10, 10);
    SelectObject(m.dc, CreateMzFont(24));
    SIZE guo{}, ab{};
    ASSERT_TRUE(GetTextExtentPoint32W(m.dc, u"国", 1, &guo));
    ASSERT_TRUE(GetTextExtentPoint32W(m.dc, u"ab", 2, &ab));
    EXPECT_EQ(guo.cy, 24);
    EXPECT_GE(guo.cx, 20); // a full-width character
    EXPECT_LT(ab.cx, 2 * guo.cx);
    SIZE bold{};
    SelectObject(m.dc, CreateMzFont(24, FW_BOLD));
    GetTextExtentPoint32W(m.dc, u"国", 1, &bold);
    EXPECT_GE(bold.cx, guo.cx);

    SelectObject(m.dc, CreateMzFont(24));
    int fit = -1, dx[4] = {};
    SIZE all{};
    ASSERT_TRUE(GetTextExtentExPointW(m.dc, u"国国国国", 4, guo.cx * 2 + 1, &fit, dx, &all));
    EXPECT_EQ(fit, 2);
    EXPECT_EQ(dx[3], all.cx);
    EXPECT_EQ(dx[0], guo.cx);
}

TEST(GdiText, WordBreakHeightsOnChineseLatinAndMixedText)
{
    MemoryDc m(10, 10);
    SelectObject(m.dc, CreateMzFont(20));
    SIZE guo{};
    GetTextExtentPoint32W(m.dc, u"国", 1, &guo);
    // Ten Chinese characters in a box five wide: two lines, broken between any two characters.
    RECT r{0, 0, guo.cx * 5, 1000};
    EXPECT_EQ(DrawTextW(m.dc, u"中华人民共和国股票", -1, &r, DT_WORDBREAK | DT_CALCRECT), 40);
    r = RECT{0, 0, guo.cx * 5, 1000};
    EXPECT_EQ(DrawTextW(m.dc, u"中华人民共和国股票市场", -1, &r, DT_WORDBREAK | DT_CALCRECT), 60);

    // Latin text breaks at spaces only: words stay whole.
    SIZE word{};
    GetTextExtentPoint32W(m.dc, u"alpha beta", 10, &word);
    r = RECT{0, 0, word.cx, 1000};
    EXPECT_EQ(DrawTextW(m.dc, u"alpha beta alpha beta", -1, &r, DT_WORDBREAK | DT_CALCRECT), 40);
    EXPECT_LE(r.right, word.cx);
    // A word wider than the box is cut rather than spilling out.
    r = RECT{0, 0, guo.cx * 2, 1000};
    EXPECT_EQ(DrawTextW(m.dc, u"abcdefghijklmnop", -1, &r, DT_WORDBREAK | DT_CALCRECT) % 20, 0);
    EXPECT_GT(r.bottom, 20);

    // Mixed: a Latin word between Chinese characters moves to the next line whole.
    SIZE mixed{};
    GetTextExtentPoint32W(m.dc, u"股票代码", 4, &mixed);
    r = RECT{0, 0, mixed.cx + guo.cx / 2, 1000};
    EXPECT_EQ(DrawTextW(m.dc, u"股票代码600036招商银行", -1, &r, DT_WORDBREAK | DT_CALCRECT), 60);

    // CR LF starts a new line; an empty paragraph still takes a line.
    r = RECT{0, 0, 400, 1000};
    EXPECT_EQ(DrawTextW(m.dc, u"第一行\r\n\r\n第三行", -1, &r, DT_WORDBREAK | DT_CALCRECT), 60);
    // Single line ignores breaks.
    r = RECT{0, 0, 400, 1000};
    EXPECT_EQ(DrawTextW(m.dc, u"第一行\r\n第二行", -1, &r, DT_SINGLELINE | DT_CALCRECT), 20);
}

TEST(GdiText, DrawnTextLandsWhereTheFormatPutsItAndStaysInsideTheRectangle)
{
    MemoryDc m(200, 60);
    SelectObject(m.dc, CreateMzFont(20));
    SetBkMode(m.dc, TRANSPARENT);
    SetTextColor(m.dc, RGB(0, 0, 0));
    RECT r{0, 0, 200, 60};
    EXPECT_EQ(DrawTextW(m.dc, u"中", 1, &r, DT_RIGHT | DT_VCENTER | DT_SINGLELINE), 40);
    EXPECT_EQ(m.Inked(RECT{0, 0, 170, 60}), 0);
    EXPECT_GT(m.Inked(RECT{170, 20, 200, 40}), 10);

    MemoryDc e(200, 30);
    SelectObject(e.dc, CreateMzFont(20));
    SetBkMode(e.dc, TRANSPARENT);
    RECT box{10, 0, 80, 30};
    DrawTextW(e.dc, u"这是一个很长很长的标题文字", -1, &box, 0x8024);
    EXPECT_EQ(e.Inked(RECT{80, 0, 200, 30}), 0); // clipped to the box and shortened with an ellipsis
    EXPECT_GT(e.Inked(RECT{60, 0, 80, 30}), 0);
    RECT calc{0, 0, 70, 30};
    DrawTextW(e.dc, u"这是一个很长很长的标题文字", -1, &calc, 0x8024 | DT_CALCRECT);
    EXPECT_LE(calc.right, 70);
}

#include "platform/display/PngCodec.h"
#include "platform/ui/MzImage.h"
#include "platform/win/Surface.h"

#include <cstdlib>
#include <filesystem>

TEST(MzImage, LoadsProgramFilesAndResourcesAndDrawsWithAlpha)
{
    namespace fs = std::filesystem;
    fs::path home = fs::temp_directory_path() / ("morwick-image-" + std::to_string(getpid()));
    fs::create_directories(home / "res");
    morwick::display::Surface png(4, 2, 0xFFFF0000u); // red, opaque left half
    for (int y = 0; y < 2; ++y)
        for (int x = 2; x < 4; ++x)
            png.Row(y)[x] = 0x000000FFu; // fully transparent blue
    ASSERT_TRUE(morwick::display::SavePng((home / "pic.png").string(), png));
    ASSERT_TRUE(morwick::display::SavePng((home / "res" / "102.png").string(), png, true));
    setenv("MORWICK_HOME", home.c_str(), 1);

    CMzImage image;
    ASSERT_TRUE(image.LoadImage(u"pic.png"));
    EXPECT_EQ(image.GetImageWidth(), 4);
    EXPECT_EQ(image.GetImageHeight(), 2);
    CMzImage res;
    ASSERT_TRUE(res.LoadImageFromRes(nullptr, RT_RCDATA, 102));
    MemoryDc a(4, 2);
    RECT ar{0, 0, 4, 2};
    res.Draw(a.dc, &ar, TRUE);
    EXPECT_EQ(GetPixel(a.dc, 0, 0), RGB(255, 0, 0));
    EXPECT_EQ(GetPixel(a.dc, 3, 1), RGB(255, 255, 255)); // the transparent half leaves the background
    EXPECT_FALSE(res.LoadImageFromRes(nullptr, RT_RCDATA, 9999));
    EXPECT_FALSE(res.IsLoaded());
    CMzImage missing;
    EXPECT_FALSE(missing.LoadImage(u"nothing-here.png"));

    MemoryDc m(20, 10);
    RECT r{0, 0, 8, 4};
    EXPECT_TRUE(image.Draw(m.dc, &r, TRUE));
    EXPECT_EQ(GetPixel(m.dc, 1, 1), RGB(255, 0, 0));
    EXPECT_EQ(GetPixel(m.dc, 7, 3), RGB(0, 0, 255)); // stretched twice as wide
    EXPECT_EQ(GetPixel(m.dc, 8, 1), RGB(255, 255, 255));

    CMzImage check; // the built-in frame stands in when no artwork is installed
    ASSERT_TRUE(check.LoadPlatformImage(519));
    EXPECT_GT(check.GetImageWidth(), 0);
    EXPECT_TRUE(check.DrawAt(m.dc, 10, 0));
    unsetenv("MORWICK_HOME");
    fs::remove_all(home);
}

TEST(GdiText, ExtTextOutAlignsFillsAndClips)
{
    MemoryDc m(200, 40);
    SelectObject(m.dc, CreateMzFont(20));
    SetBkColor(m.dc, RGB(0, 0, 255));
    SetTextColor(m.dc, RGB(0, 0, 0));
    RECT box{10, 5, 60, 35};
    // The opaque rectangle is filled, and clipping keeps a long text inside it.
    ExtTextOutW(m.dc, 10, 10, ETO_OPAQUE | ETO_CLIPPED, &box, u"中文中文中文中文", 8, nullptr);
    EXPECT_EQ(GetPixel(m.dc, 11, 6), RGB(0, 0, 255));
    EXPECT_EQ(m.Inked(RECT{60, 0, 200, 40}), 0);
    // Centred on x: ink on both sides of it.
    MemoryDc c(200, 40);
    SelectObject(c.dc, CreateMzFont(20));
    SetBkMode(c.dc, TRANSPARENT);
    SetTextAlign(c.dc, TA_CENTER);
    TextOutW(c.dc, 100, 10, u"国国国", 3);
    EXPECT_GT(c.Inked(RECT{60, 0, 100, 40}), 0);
    EXPECT_GT(c.Inked(RECT{100, 0, 140, 40}), 0);
    EXPECT_EQ(c.Inked(RECT{0, 0, 60, 40}), 0);
    // Opaque background mode paints behind the text; transparent does not.
    MemoryDc o(100, 30);
    SelectObject(o.dc, CreateMzFont(20));
    SetBkColor(o.dc, RGB(255, 255, 0));
    RECT r{0, 0, 100, 30};
    DrawTextW(o.dc, u"ab", 2, &r, DT_LEFT | DT_TOP);
    EXPECT_EQ(GetPixel(o.dc, 1, 1), RGB(255, 255, 0));
    EXPECT_EQ(GetPixel(o.dc, 1, 25), RGB(255, 255, 255)); // only the line's height is painted
}

namespace {

using morwick::display::Surface;

// The straightforward copy: every destination pixel looks up its source pixel. Row copies must match it exactly.
void PixelByPixelBlit(Surface& dst, RECT clip, RECT d, const Surface& src, RECT s, bool alpha)
{
    int dw = d.right - d.left, dh = d.bottom - d.top, sw = s.right - s.left, sh = s.bottom - s.top;
    if (dw <= 0 || dh <= 0 || sw <= 0 || sh <= 0)
        return;
    for (int y = std::max<int>(d.top, std::max<int>(clip.top, 0));
         y < std::min<int>(d.bottom, std::min<int>(clip.bottom, dst.height)); ++y)
        for (int x = std::max<int>(d.left, std::max<int>(clip.left, 0));
             x < std::min<int>(d.right, std::min<int>(clip.right, dst.width)); ++x) {
            int sx = s.left + (int)((int64_t)(x - d.left) * sw / dw),
                sy = s.top + (int)((int64_t)(y - d.top) * sh / dh);
            if (!src.Contains(sx, sy))
                continue;
            uint32_t p = src.Row(sy)[sx];
            uint32_t& out = dst.Row(y)[x];
            out = alpha ? morwick::display::Blend(out, p | 0xFF000000u, p >> 24) : (p | 0xFF000000u);
        }
}

// A screen's worth of a table (text and rules), a chart (lines and candles) and a form (framed boxes, labels), with
// the alpha bytes an image carries.
Surface DrawScene(int which)
{
    MemoryDc m(480, 720);
    SetBkMode(m.dc, TRANSPARENT);
    SelectObject(m.dc, CreateMzFont(22));
    HPEN pen = CreatePen(PS_SOLID, 1, RGB(100, 100, 100));
    HGDIOBJ oldPen = SelectObject(m.dc, pen);
    for (int i = 0; i < 20; ++i) {
        int y = 30 + i * 34;
        RECT cell{10, y, 470, y + 34};
        if (which == 0) {
            SetTextColor(m.dc, i % 2 ? RGB(0, 160, 0) : RGB(220, 0, 0));
            DrawTextW(m.dc, u"招商银行 600036 12.34 +1.25%", -1, &cell, 0x8025);
            MoveToEx(m.dc, 0, y + 33, nullptr);
            LineTo(m.dc, 480, y + 33);
        } else if (which == 1) {
            HBRUSH candle = CreateSolidBrush(i % 3 ? RGB(220, 0, 0) : RGB(0, 160, 0));
            RECT body{20 + i * 22, 300 - (i * 37) % 120, 36 + i * 22, 380 - (i * 13) % 50};
            FillRect(m.dc, &body, candle);
            DeleteObject(candle);
            LineTo(m.dc, 20 + i * 22, 200 + (i * 53) % 90);
        } else {
            RoundRect(m.dc, 20, y, 460, y + 30, 8, 8);
            DrawTextW(m.dc, u"委托数量", -1, &cell, 0x8025);
        }
    }
    SelectObject(m.dc, oldPen);
    DeleteObject(pen);
    Surface s = *morwick::display::DcFromHandle(m.dc)->surface;
    // Alpha as a picture has it: runs of opaque and of clear pixels of every length between blended ones.
    for (size_t i = 0; i < s.pixels.size(); ++i) {
        size_t run = i / (1 + i / 4096 % 29);
        uint32_t alpha = run % 3 == 0 ? 255u : run % 3 == 1 ? 0u : (uint32_t)((i * 7919) % 256);
        s.pixels[i] = (s.pixels[i] & 0xFFFFFFu) | alpha << 24;
    }
    return s;
}

} // namespace

TEST(Gdi, BlitsOfATableAChartAndAFormGiveThePixelsOfAPixelByPixelCopy)
{
    // Whole-window copies as the screen is composed, and every kind of partial, clipped, blended and scaled copy.
    std::mt19937 random(20231);
    auto Pick = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
    for (int scene = 0; scene < 3; ++scene) {
        SCOPED_TRACE(scene);
        Surface src = DrawScene(scene);
        for (int round = 0; round < 100; ++round) {
            Surface fast(480, 720, 0xFF336699u), slow = fast;
            bool whole = round == 0, alpha = round % 2 == 1;
            RECT d = whole ? RECT{0, 0, 480, 720} : RECT{Pick(-100, 400), Pick(-100, 600), 0, 0};
            RECT s = whole ? d : RECT{Pick(-50, 470), Pick(-50, 700), 0, 0};
            int w = Pick(1, 500), h = Pick(1, 750);
            bool scaled = round % 5 == 4;
            if (!whole) {
                d.right = d.left + w, d.bottom = d.top + h;
                s.right = s.left + (scaled ? Pick(1, 500) : w), s.bottom = s.top + (scaled ? Pick(1, 750) : h);
            }
            RECT clip =
                round % 3 ? RECT{0, 0, 480, 720} : RECT{Pick(0, 240), Pick(0, 360), Pick(240, 480), Pick(360, 720)};
            morwick::display::BlitSurface(fast, clip, d, src, s, alpha);
            PixelByPixelBlit(slow, clip, d, src, s, alpha);
            ASSERT_TRUE(fast.pixels == slow.pixels) << "round " << round;
        }
    }
}

namespace {

// Rounded shapes as they were drawn pixel by pixel: every pixel centre of the clipped box tested, a pixel the pen's
// when one a pen width away on its row or column is outside, else the brush's. The span drawing must match it.
template <class Inside>
void PerPixelShape(Surface& s, RECT clip, RECT box, int penWidth, const uint32_t* penPixel, const uint32_t* fillPixel,
                   const Inside& inside)
{
    RECT area = morwick::display::IntersectRects(box, clip);
    int w = penPixel ? penWidth : 0;
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x) {
            double cx = x + 0.5, cy = y + 0.5;
            if (!inside(cx, cy))
                continue;
            if (penPixel && (!inside(cx - w, cy) || !inside(cx + w, cy) || !inside(cx, cy - w) || !inside(cx, cy + w)))
                s.Row(y)[x] = *penPixel;
            else if (fillPixel)
                s.Row(y)[x] = *fillPixel;
        }
}

void PerPixelRoundRect(Surface& s, RECT clip, RECT r, int ew, int eh, int penWidth, const uint32_t* pen,
                       const uint32_t* fill)
{
    double rx = std::min(std::abs((double)ew) / 2, ((double)r.right - r.left) / 2);
    double ry = std::min(std::abs((double)eh) / 2, ((double)r.bottom - r.top) / 2);
    PerPixelShape(s, clip, r, penWidth, pen, fill, [r, rx, ry](double x, double y) {
        if (x < r.left || x >= r.right || y < r.top || y >= r.bottom)
            return false;
        if (rx <= 0 || ry <= 0)
            return true;
        double cx = x < r.left + rx ? r.left + rx : x > r.right - rx ? r.right - rx : x;
        double cy = y < r.top + ry ? r.top + ry : y > r.bottom - ry ? r.bottom - ry : y;
        double nx = (x - cx) / rx, ny = (y - cy) / ry;
        return nx * nx + ny * ny <= 1.0;
    });
}

void PerPixelEllipse(Surface& s, RECT clip, RECT r, int penWidth, const uint32_t* pen, const uint32_t* fill)
{
    double cx = ((double)r.left + r.right) / 2, cy = ((double)r.top + r.bottom) / 2;
    double rx = ((double)r.right - r.left) / 2, ry = ((double)r.bottom - r.top) / 2;
    if (rx <= 0 || ry <= 0)
        return;
    PerPixelShape(s, clip, r, penWidth, pen, fill, [=](double x, double y) {
        double nx = (x - cx) / rx, ny = (y - cy) / ry;
        return nx * nx + ny * ny <= 1.0;
    });
}

} // namespace

TEST(Gdi, RoundRectsAndEllipsesGiveThePixelsOfThePerPixelRule)
{
    // The boxes of the screens (buttons, edits, panels, the message box), then every size from a pixel to the
    // screen with radii from none to past the box, pens of every width and none, hollow and solid brushes,
    // clipped, off the surface's edges and moved by a viewport.
    struct Case {
        RECT box;
        int ew, eh;
        int pen = -1; // a pen width of its own, else one of penWidths in turn
        bool ellipse = false;
    };
    std::vector<Case> cases = {{{20, 20, 440, 228}, 20, 20}, {{0, 0, 480, 720}, 20, 20}, {{10, 5, 130, 60}, 16, 16},
                               {{3, 3, 100, 40}, 12, 12},    {{0, 0, 6, 200}, 6, 6},     {{30, 40, 31, 41}, 4, 4},
                               {{5, 5, 5, 40}, 8, 8},        {{50, 60, 40, 30}, -9, 7},  {{-30, -20, 60, 50}, 40, 30}};
    std::mt19937 random(31);
    auto Pick = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
    for (int i = 0; i < 600; ++i) {
        bool large = i % 20 == 0;
        int w = Pick(0, large ? 500 : 60), h = Pick(0, large ? 740 : 60), x = Pick(-40, 200), y = Pick(-40, 300);
        cases.push_back({{x, y, x + w, y + h}, Pick(-3, i % 3 ? 30 : 600), Pick(-3, i % 3 ? 30 : 600)});
    }
    // Pens wider than the rows drawn, than the box and than any coordinate, on boxes far past the surface and
    // wider than an int reaches.
    const RECT huge{-1000000000, -1000000000, 1000000000, 1000000000};
    const RECT wider{-2000000000, -2000000000, 2000000000, 2000000000};
    for (bool ellipse : {false, true})
        for (Case c : {Case{{20, 20, 440, 228}, 20, 20, INT_MAX}, Case{{0, 0, 480, 720}, 40, 40, 300},
                       Case{{10, 10, 300, 50}, 30, 30, 25}, Case{huge, 2000000000, 2000000000, 100000000},
                       Case{huge, 8, 8, 3}, Case{wider, INT_MIN, INT_MIN, 2}}) {
            c.ellipse = ellipse;
            cases.push_back(c);
        }
    const int penWidths[] = {0, 1, 1, 2, 3, 5};
    Surface ground(480, 720);
    for (size_t p = 0; p < ground.pixels.size(); ++p)
        ground.pixels[p] = 0xFF000000u | (uint32_t)(p * 2654435761u >> 8);
    for (size_t i = 0; i < cases.size(); ++i) {
        const Case& c = cases[i];
        MemoryDc m(480, 720);
        Surface& fast = *morwick::display::DcFromHandle(m.dc)->surface;
        fast.pixels = ground.pixels;
        int penWidth = c.pen >= 0 ? c.pen : penWidths[i % 6];
        bool hollow = i % 5 == 3, ellipse = c.ellipse || i % 7 == 2;
        POINT viewport{i % 4 == 1 ? Pick(-30, 30) : 0, i % 4 == 1 ? Pick(-30, 30) : 0};
        SetViewportOrgEx(m.dc, viewport.x, viewport.y, nullptr);
        if (i % 3 == 1)
            IntersectClipRect(m.dc, Pick(-10, 200), Pick(-10, 300), Pick(100, 490), Pick(200, 730));
        HPEN pen = CreatePen(i % 8 == 5 ? PS_DASH : PS_SOLID, penWidth, RGB(200, 20, 40));
        HBRUSH brush = CreateSolidBrush(RGB(10, 120, 230));
        SelectObject(m.dc, penWidth ? pen : GetStockObject(NULL_PEN));
        SelectObject(m.dc, hollow ? GetStockObject(NULL_BRUSH) : brush);
        Surface slow = fast;
        RECT clip = morwick::display::DcFromHandle(m.dc)->state.clip;
        RECT box{std::min(c.box.left, c.box.right) + viewport.x, std::min(c.box.top, c.box.bottom) + viewport.y,
                 std::max(c.box.left, c.box.right) + viewport.x, std::max(c.box.top, c.box.bottom) + viewport.y};
        uint32_t penPixel = morwick::display::PixelFromColor(RGB(200, 20, 40));
        uint32_t fillPixel = morwick::display::PixelFromColor(RGB(10, 120, 230));
        const uint32_t* penOrNone = penWidth ? &penPixel : nullptr;
        const uint32_t* fillOrNone = hollow ? nullptr : &fillPixel;
        if (ellipse) {
            Ellipse(m.dc, c.box.left, c.box.top, c.box.right, c.box.bottom);
            PerPixelEllipse(slow, clip, box, penWidth, penOrNone, fillOrNone);
        } else {
            RoundRect(m.dc, c.box.left, c.box.top, c.box.right, c.box.bottom, c.ew, c.eh);
            PerPixelRoundRect(slow, clip, box, c.ew, c.eh, penWidth, penOrNone, fillOrNone);
        }
        SelectObject(m.dc, GetStockObject(BLACK_PEN));
        SelectObject(m.dc, GetStockObject(WHITE_BRUSH));
        DeleteObject(pen);
        DeleteObject(brush);
        ASSERT_TRUE(fast.pixels == slow.pixels)
            << "case " << i << (ellipse ? " ellipse " : " round rect ") << c.box.left << "," << c.box.top << ","
            << c.box.right << "," << c.box.bottom << " radii " << c.ew << "x" << c.eh << " pen " << penWidth;
    }
}
