// Text on device contexts: metrics, extents, ExtTextOutW and DrawTextW with word breaks for CJK and Latin text.
#include "platform/win/Gdi.h"

#include "platform/win/DeviceContext.h"
#include "platform/win/FontEngine.h"

#include <algorithm>
#include <string>
#include <vector>

using namespace morwick::display;

namespace {

struct TextFont {
    FontFace* face;
    bool underline;
};

TextFont FontOf(const DeviceContext* dc)
{
    const FontObject* f = dc->state.font;
    if (f && f->face)
        return TextFont{f->face, f->logFont.lfUnderline != 0};
    return TextFont{FontEngine::Instance().Face(24, FW_NORMAL), false};
}

int TextLength(LPCWSTR text, int count)
{
    if (!text)
        return 0;
    if (count >= 0)
        return count;
    int n = 0;
    while (text[n])
        ++n;
    return n;
}

bool IsCjk(uint32_t cp)
{
    return (cp >= 0x2E80 && cp <= 0x9FFF) || (cp >= 0xAC00 && cp <= 0xD7AF) || (cp >= 0xF900 && cp <= 0xFAFF) ||
           (cp >= 0xFE30 && cp <= 0xFE4F) || (cp >= 0xFF00 && cp <= 0xFFEF) || cp >= 0x20000;
}

int TabWidth(FontFace* face)
{
    return 8 * std::max(1, face->Advance('x'));
}

// Width of text[from, to), with tabs expanded relative to the start when asked.
int RunWidth(FontFace* face, const char16_t* text, int from, int to, bool tabs)
{
    int w = 0;
    for (int i = from; i < to;) {
        uint32_t cp = NextCodePoint(text, to, i);
        if (cp == '\t' && tabs) {
            int t = TabWidth(face);
            w = (w / t + 1) * t;
        } else {
            w += face->Advance(cp);
        }
    }
    return w;
}

// Draws text[from, to) with its top-left at surface (x, top); returns the width drawn.
int DrawRun(DeviceContext* dc, const TextFont& font, int x, int top, const char16_t* text, int from, int to, bool tabs,
            const INT* dx, const RECT& clip)
{
    FontFace* face = font.face;
    uint32_t pixel = PixelFromColor(dc->state.textColor);
    int baseline = top + face->Ascent();
    int pen = x;
    for (int i = from; i < to;) {
        int at = i;
        uint32_t cp = NextCodePoint(text, to, i);
        if (cp == '\t' && tabs) {
            int t = TabWidth(face);
            pen = x + ((pen - x) / t + 1) * t;
            continue;
        }
        const Glyph& g = face->GetGlyph(cp);
        if (!g.coverage.empty())
            BlendCoverage(*dc->surface, clip, pen + g.left, baseline - g.top, g.coverage.data(), g.width, g.height,
                          g.width, pixel);
        pen += dx ? dx[at] : g.advance;
    }
    if (font.underline && pen > x) {
        int thick = std::max(1, face->Height() / 20);
        int y = baseline + std::max(1, face->Descent() / 3);
        FillSurfaceRect(*dc->surface, IntersectRects(RECT{x, y, pen, y + thick}, clip), pixel);
    }
    return pen - x;
}

struct Line {
    int from;
    int to;
    int width;
};

// Breaks the paragraph text[start, end) into lines no wider than width (see LayOut).
void WrapParagraph(std::vector<Line>& lines, FontFace* face, const char16_t* text, int start, int end, int width,
                   bool tabs)
{
    do {
        int w = 0, lastBreak = -1, breakEnd = -1, i = start;
        bool prevCjk = false;
        int cut = end;
        while (i < end) {
            int at = i;
            uint32_t cp = NextCodePoint(text, end, i);
            bool cjk = IsCjk(cp);
            if (at > start && (cjk || prevCjk) && cp != ' ') {
                lastBreak = at;
                breakEnd = at;
            }
            int adv;
            if (cp == '\t' && tabs) {
                int t = TabWidth(face);
                adv = (w / t + 1) * t - w;
            } else {
                adv = face->Advance(cp);
            }
            if (cp == ' ') {
                // a break after spaces: the line ends before them
                int spaceStart = at;
                while (spaceStart > start && text[spaceStart - 1] == ' ')
                    --spaceStart;
                lastBreak = i;
                breakEnd = spaceStart;
                w += adv;
                prevCjk = false;
                continue;
            }
            if (w + adv > width && at > start) {
                cut = at;
                break;
            }
            w += adv;
            prevCjk = cjk;
        }
        if (cut == end) {
            int e = end;
            lines.push_back(Line{start, e, RunWidth(face, text, start, e, tabs)});
            start = end;
        } else if (lastBreak > start) {
            lines.push_back(Line{start, breakEnd, RunWidth(face, text, start, breakEnd, tabs)});
            start = lastBreak;
            while (start < end && text[start] == ' ')
                ++start;
        } else {
            lines.push_back(Line{start, cut, RunWidth(face, text, start, cut, tabs)});
            start = cut;
        }
    } while (start < end);
}

// Splits text into lines: paragraphs at CR LF, LF or CR; with wrap, lines no wider than width, breaking at
// spaces (which are dropped at the break), between CJK characters, or anywhere when one word is too wide.
std::vector<Line> LayOut(FontFace* face, const char16_t* text, int n, bool single, bool wrap, int width, bool tabs)
{
    std::vector<Line> lines;
    int p = 0;
    while (true) {
        int end = p;
        if (single) {
            end = n;
        } else {
            while (end < n && text[end] != '\r' && text[end] != '\n')
                ++end;
        }
        if (!wrap || single) {
            lines.push_back(Line{p, end, RunWidth(face, text, p, end, tabs)});
        } else {
            WrapParagraph(lines, face, text, p, end, width, tabs);
        }
        if (single || end >= n)
            break;
        p = end + 1;
        if (text[end] == '\r' && p < n && text[p] == '\n')
            ++p;
        if (p >= n) {
            lines.push_back(Line{p, p, 0}); // a text ending in a line break has an empty last line
            break;
        }
    }
    if (lines.empty())
        lines.push_back(Line{0, 0, 0});
    return lines;
}

} // namespace

BOOL GetTextMetricsW(HDC handle, TEXTMETRICW* out)
{
    DeviceContext* dc = DcFromHandle(handle);
    if (!dc || !out)
        return FALSE;
    TextFont font = FontOf(dc);
    FontFace* f = font.face;
    *out = TEXTMETRICW{};
    out->tmHeight = f->Height();
    out->tmAscent = f->Ascent();
    out->tmDescent = f->Descent();
    out->tmAveCharWidth = f->Advance('x');
    out->tmMaxCharWidth = f->Advance(0x56FD); // a full-width character
    out->tmWeight = f->Weight();
    return TRUE;
}

BOOL GetTextExtentPoint32W(HDC handle, LPCWSTR text, int count, LPSIZE size)
{
    DeviceContext* dc = DcFromHandle(handle);
    if (!dc || !size || count < 0 || (!text && count > 0))
        return FALSE;
    FontFace* f = FontOf(dc).face;
    size->cx = RunWidth(f, text, 0, count, false);
    size->cy = f->Height();
    return TRUE;
}

BOOL GetTextExtentExPointW(HDC handle, LPCWSTR text, int count, int maxExtent, int* fit, int* dx, LPSIZE size)
{
    DeviceContext* dc = DcFromHandle(handle);
    if (!dc || count < 0 || (!text && count > 0))
        return FALSE;
    FontFace* f = FontOf(dc).face;
    int w = 0, fitted = 0;
    bool stillFits = true;
    for (int i = 0; i < count;) {
        int at = i;
        uint32_t cp = NextCodePoint(text, count, i);
        w += f->Advance(cp);
        for (int k = at; k < i; ++k) {
            if (dx)
                dx[k] = w;
        }
        if (stillFits && w <= maxExtent)
            fitted = i;
        else
            stillFits = false;
    }
    if (fit)
        *fit = fitted;
    if (size) {
        size->cx = w;
        size->cy = f->Height();
    }
    return TRUE;
}

BOOL ExtTextOutW(HDC handle, int x, int y, UINT options, const RECT* rect, LPCWSTR text, UINT count, const INT* dx)
{
    DeviceContext* dc = DcFromHandle(handle);
    if (!dc || !dc->surface)
        return FALSE;
    RECT clip = dc->state.clip;
    if (rect) {
        RECT r{dc->X(rect->left), dc->Y(rect->top), dc->X(rect->right), dc->Y(rect->bottom)};
        if (options & ETO_OPAQUE)
            FillSurfaceRect(*dc->surface, IntersectRects(r, clip), PixelFromColor(dc->state.bkColor));
        if (options & ETO_CLIPPED)
            clip = IntersectRects(clip, r);
    }
    if (!text || count == 0)
        return TRUE;
    TextFont font = FontOf(dc);
    int n = (int)count;
    int width = 0;
    if (dx) {
        for (int i = 0; i < n; ++i)
            width += dx[i];
    } else {
        width = RunWidth(font.face, text, 0, n, false);
    }
    int sx = dc->X(x), sy = dc->Y(y);
    UINT align = dc->state.textAlign;
    if ((align & TA_CENTER) == TA_CENTER)
        sx -= width / 2;
    else if (align & TA_RIGHT)
        sx -= width;
    if ((align & TA_BASELINE) == TA_BASELINE)
        sy -= font.face->Ascent();
    else if (align & TA_BOTTOM)
        sy -= font.face->Height();
    if (dc->state.bkMode == OPAQUE && !(options & ETO_OPAQUE))
        FillSurfaceRect(*dc->surface, IntersectRects(RECT{sx, sy, sx + width, sy + font.face->Height()}, clip),
                        PixelFromColor(dc->state.bkColor));
    DrawRun(dc, font, sx, sy, text, 0, n, false, dx, clip);
    return TRUE;
}

BOOL TextOutW(HDC handle, int x, int y, LPCWSTR text, int count)
{
    return ExtTextOutW(handle, x, y, 0, nullptr, text, count < 0 ? 0u : (UINT)count, nullptr);
}

// Ends each line wider than width with "..." where it fits: its text in ellipsized, marked in useEllipsis.
static void Ellipsize(FontFace* face, const char16_t* text, int width, std::vector<Line>& lines,
                      std::vector<std::u16string>& ellipsized, std::vector<bool>& useEllipsis)
{
    const int dots = face->Advance('.') * 3;
    for (size_t k = 0; k < lines.size(); ++k) {
        Line& ln = lines[k];
        if (ln.width <= width)
            continue;
        int w = 0, cut = ln.from;
        for (int i = ln.from; i < ln.to;) {
            int at = i;
            uint32_t cp = NextCodePoint(text, ln.to, i);
            int a = face->Advance(cp);
            if (w + a + dots > width) {
                cut = at;
                break;
            }
            w += a;
            cut = i;
        }
        ellipsized[k] = std::u16string(text + ln.from, text + cut) + u"...";
        useEllipsis[k] = true;
        ln.width = w + dots;
    }
}

int DrawTextW(HDC handle, LPCWSTR text, int count, LPRECT rect, UINT format)
{
    DeviceContext* dc = DcFromHandle(handle);
    if (!dc || !rect || (!text && count != 0))
        return 0;
    int n = TextLength(text, count);
    TextFont font = FontOf(dc);
    FontFace* face = font.face;
    bool single = (format & DT_SINGLELINE) != 0;
    bool wrap = (format & DT_WORDBREAK) != 0;
    bool tabs = (format & DT_EXPANDTABS) != 0;
    int width = rect->right - rect->left;
    std::vector<Line> lines = LayOut(face, text ? text : u"", n, single, wrap, width, tabs);

    // End ellipsis on lines that do not fit (not on wrapped text, which has room below).
    std::vector<std::u16string> ellipsized(lines.size());
    std::vector<bool> useEllipsis(lines.size(), false);
    if ((format & DT_END_ELLIPSIS) && !wrap)
        Ellipsize(face, text, width, lines, ellipsized, useEllipsis);

    int lineHeight = face->Height();
    int height = lineHeight * (int)lines.size();
    int maxWidth = 0;
    for (const Line& ln : lines)
        maxWidth = std::max(maxWidth, ln.width);
    if (format & DT_CALCRECT) {
        if (!single && !wrap)
            rect->right = rect->left + maxWidth;
        else if (single || maxWidth > 0)
            rect->right = rect->left + maxWidth;
        rect->bottom = rect->top + height;
        return height;
    }
    if (!dc->surface)
        return height;

    int top = rect->top;
    if (single && (format & DT_VCENTER))
        top = rect->top + (rect->bottom - rect->top - height) / 2;
    else if (single && (format & DT_BOTTOM))
        top = rect->bottom - height;
    RECT clip = dc->state.clip;
    if (!(format & DT_NOCLIP))
        clip = IntersectRects(clip, RECT{dc->X(rect->left), dc->Y(rect->top), dc->X(rect->right), dc->Y(rect->bottom)});
    for (size_t k = 0; k < lines.size(); ++k) {
        const Line& ln = lines[k];
        int x = rect->left;
        if (format & DT_CENTER)
            x = rect->left + (width - ln.width) / 2;
        else if (format & DT_RIGHT)
            x = rect->right - ln.width;
        int y = top + (int)k * lineHeight;
        int sx = dc->X(x), sy = dc->Y(y);
        if (dc->state.bkMode == OPAQUE)
            FillSurfaceRect(*dc->surface, IntersectRects(RECT{sx, sy, sx + ln.width, sy + lineHeight}, clip),
                            PixelFromColor(dc->state.bkColor));
        if (useEllipsis[k])
            DrawRun(dc, font, sx, sy, ellipsized[k].data(), 0, (int)ellipsized[k].size(), tabs, nullptr, clip);
        else
            DrawRun(dc, font, sx, sy, text, ln.from, ln.to, tabs, nullptr, clip);
    }
    if (single && (format & (DT_VCENTER | DT_BOTTOM)))
        return top - rect->top + height;
    return height;
}
