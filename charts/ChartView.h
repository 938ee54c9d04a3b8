// CChartView: the drawing base of the two charts: a control that fills the chart area of its window, scales values
// into panes without ever dividing by zero, draws lines that skip missing values, grids and texts in the colour
// scheme's chart colours, and runs the cross-hair cursor: pressing and dragging shows it on the bar under the
// finger with that bar's values, its price and time tagged at the axes; it stays when the finger lifts, and the
// next tap that does not drag it hides it.
#pragma once

#include "core/ColorScheme.h"
#include "platform/ui/Style.h"
#include "platform/ui/UiWin.h"

#include <string>
#include <vector>

// One run of text of a legend or the cursor's line, in its colour.
struct ChartText {
    std::u16string text;
    int color; // colour scheme entry (COLOR_...)
};

// Maps values between lo and hi onto the pixel rows from bottom to top. A flat range is widened first.
struct ChartScale {
    double lo = 0, hi = 1;
    int top = 0, bottom = 1;
    // Takes a range that may be empty (lo > hi: nothing to show) or flat (lo == hi).
    void Set(double low, double high, int topPixel, int bottomPixel);
    int Y(double value) const;
};

class CChartView : public UiWin {
public:
    static constexpr int TEXT_SIZE = Style::ChartTextSize;
    static constexpr int STRIP_HEIGHT = 24;

    CChartView();

    void PaintWin(HDC dc, RECT* rcWin, RECT* rcUpdate) override;
    int OnLButtonDown(UINT flags, int x, int y) override;
    int OnMouseMove(UINT flags, int x, int y) override;
    int OnLButtonUp(UINT flags, int x, int y) override;
    void Describe(UiDescription& out) const override;

    // The text shown over an empty chart (a reply without data); empty to show none.
    void SetMessage(const std::u16string& text) { message = text; }
    const std::u16string& GetMessage() const { return message; }
    bool IsCursorShown() const { return cursorShown; }
    int GetCursorIndex() const { return cursorIndex; }
    // Where the cursor stood when it was last lifted (-1 before any).
    int GetLastCursorIndex() const { return lastCursorIndex; }
    // Another chart is shown: where the cursor stood names none of its bars.
    void ForgetCursor()
    {
        cursorShown = false;
        cursorIndex = lastCursorIndex = -1;
    }
    // The values of the bar under the cursor as the top line shows them ("" without a cursor).
    std::u16string GetCursorText() const;
    // The legend lines drawn last (moving averages, indicator), for the tests and the automation.
    const std::vector<std::u16string>& GetLegends() const { return legends; }

    // Text helpers for the views and their windows.
    static std::u16string Number(double value, int decimals);
    static std::u16string Signed(double value, int decimals);
    static std::u16string Percent(double change, double reference);
    static std::u16string Volume(double lots);
    static std::u16string Wide(const std::string& ansi);
    static int RiseColor(double value, double reference);
    // A run of a legend or the cursor's line: the label and the value's text, in the colour given, or in the plain
    // colour when there is no value (its text then "--").
    static ChartText ValueRun(const std::u16string& label, double value, const std::u16string& text, int color);

protected:
    // What a view draws: the chart in the rectangle, and the bar index under an x (-1 for none).
    virtual void PaintChart(HDC dc, const RECT& area) = 0;
    virtual int IndexAt(int x) const = 0;
    // The x of a bar's middle, for the vertical hair.
    virtual int XOfIndex(int index) const = 0;
    // The cursor's line for a bar index.
    virtual std::vector<ChartText> CursorLine(int index) const = 0;
    // The height of a bar's price (its close) for the horizontal hair; -1 when it has none.
    virtual int CursorY(int index) const = 0;
    // The tags of the cursor at the axes: the price at y and the time at x.
    virtual void PaintCursorTags(HDC dc, int index, int x, int y) = 0;
    virtual bool HasData() const = 0;
    // The panes the cursor's hairs run in, the one of the prices first: the upright hair in each, the level one
    // in the first; neither crosses a legend, an axis or a label column.
    virtual std::vector<RECT> CursorPanes() const = 0;

    static COLORREF Color(int index);
    // A polyline through the points that have values; a missing value breaks the line.
    static void DrawLine(HDC dc, const std::vector<POINT>& points, const std::vector<bool>& present, int color);
    static void DrawGridLine(HDC dc, int x0, int y0, int x1, int y1, bool dashed);
    static void DrawFrame(HDC dc, const RECT& pane);
    static void DrawTextAt(HDC dc, const std::u16string& text, int x, int y, int color, UINT align);
    // An axis label: drawn as DrawTextAt, and kept so that a cursor tag over it clears it whole.
    void DrawAxisLabel(HDC dc, const std::u16string& text, int x, int y, int color, UINT align);
    // Draws the runs one after the other from x; returns the x after the last one.
    static int DrawRuns(HDC dc, const std::vector<ChartText>& runs, int x, int y);
    static int TextWidth(HDC dc, const std::u16string& text);
    // A cursor's tag at an axis: the text on the auxiliary colour, its box aligned on x (DT_LEFT, DT_RIGHT or
    // DT_CENTER) and centred on y, kept inside the bounds. An axis label it would cover is cleared whole first,
    // so that no piece of one shows beside it.
    void DrawTag(HDC dc, const std::u16string& text, int x, int y, UINT align, const RECT& bounds);
    // A value's label at the axis beside its line: centred on y but kept inside the pane, so that it never
    // reaches into the pane above or below.
    void DrawScaleLabel(HDC dc, const std::u16string& text, int x, int y, int color, UINT align, const RECT& pane);
    static std::u16string Joined(const std::vector<ChartText>& runs);
    void RecordLegend(const std::vector<ChartText>& runs) { legends.push_back(Joined(runs)); }

    RECT chartArea{0, 0, 0, 0}; // window coordinates of the last paint

private:
    void MoveCursor(int x);
    void PaintCursor(HDC dc);

    std::u16string message;
    std::vector<RECT> labels; // the axis labels of the last paint
    bool cursorShown = false;
    int cursorIndex = -1;
    int lastCursorIndex = -1;
    // The press under way found the cursor shown, and has not moved it since: lifting then hides it.
    bool tapHides = false;
    std::vector<std::u16string> legends;
};
