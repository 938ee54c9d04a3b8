// The grid list in a real window: table set-up, rows and headings, column shifting by swipes, taps that select,
// open and check rows, drags that do neither, and rows kept safe when the table changes shape.
#include "shell/GridList.h"
#include "platform/ui/MzHostWnd.h"

#include "tests/support/WindowFixture.h"

#include <tuple>

namespace {

class GridHost : public CMzHostWnd {
public:
    LPCWSTR GetMzClassName() override { return u"TestGridHost"; }
    void OnMzCommand(WPARAM w, LPARAM l) override { notes.emplace_back(LOWORD(w), HIWORD(w), l); }
    std::vector<std::tuple<int, int, LPARAM>> notes;
};

std::vector<GridCell> Cells(int n, const char16_t* prefix = u"c")
{
    std::vector<GridCell> cells((size_t)n);
    for (int i = 0; i < n; ++i) {
        std::u16string text = prefix + std::u16string(1, (char16_t)(u'A' + i));
        cells[(size_t)i].text = text.c_str();
        cells[(size_t)i].data = (DWORD)i;
        cells[(size_t)i].checkable = 1; // never taken over by a row
    }
    return cells;
}

std::vector<int> Shown(const CGridList& grid)
{
    std::vector<int> out;
    for (int s = 0; s < grid.GetVisibleColumns(); ++s)
        out.push_back(grid.GetShownColumn(s));
    return out;
}

} // namespace

class GridListTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        RECT work = WorkRect();
        ASSERT_TRUE(host.Create(work.left, work.top, work.right - work.left, work.bottom - work.top));
        host.Show();
        grid.SetID(200);
        grid.SetNotify(true);
        grid.SetItemHeight(70);
        grid.SetPos(0, 0, 480, 600);
        host.AddUiWin(&grid);
    }
    void TearDown() override
    {
        host.RemoveUiWin(&grid);
        host.Destroy();
        WindowTest::TearDown();
    }
    void Stroke(int x0, int y0, int x1, int y1)
    {
        SendMessage(host.m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELONG(x0, y0));
        int steps = 4;
        for (int i = 1; i <= steps; ++i)
            SendMessage(host.m_hWnd, WM_MOUSEMOVE, MK_LBUTTON,
                        MAKELONG(x0 + (x1 - x0) * i / steps, y0 + (y1 - y0) * i / steps));
        SendMessage(host.m_hWnd, WM_LBUTTONUP, 0, MAKELONG(x1, y1));
        PumpMessages();
    }
    void Tap(int x, int y)
    {
        SendMessage(host.m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELONG(x, y));
        SendMessage(host.m_hWnd, WM_LBUTTONUP, 0, MAKELONG(x, y));
        PumpMessages();
    }
    // A table of n columns, three of them visible and two of those shifting, with its headings and one row.
    bool ThreeVisibleOfOneRow(int n)
    {
        auto headings = Cells(n, u"h");
        auto row = Cells(n);
        return grid.SetTable(20, n, 1, 3, 2) && grid.SetTitleCells(headings.data(), n) && grid.AddRow(row.data(), n);
    }
    // Middle of data row r (title row 58 pixels high for 70-pixel rows).
    int RowY(int r) const { return 58 + r * 70 + 35; }

    GridHost host;
    CGridList grid;
};

TEST_F(GridListTest, SetTableLimitsVisibleAndScrollableColumnsAndRefusesNegatives)
{
    EXPECT_FALSE(grid.SetTable(0, -1, 1, 3, 2));
    EXPECT_EQ(grid.GetColumnCount(), 0);
    EXPECT_TRUE(grid.SetTable(0, 0, 1, 3, 2)); // nothing to set up
    EXPECT_EQ(grid.GetItemCount(), 0);
    EXPECT_TRUE(grid.SetTable(0, 5, 1, 9, 7));
    EXPECT_EQ(grid.GetVisibleColumns(), 5);
    EXPECT_EQ(grid.GetScrollableColumns(), 5);
    EXPECT_EQ(grid.GetFixedColumns(), 0);
    EXPECT_EQ(grid.GetColumnWidth(), 96);
    EXPECT_EQ(grid.GetItemHeight(0), 59); // 70 - 70 / 6
    EXPECT_EQ(grid.GetItemHeight(1), 70);
    EXPECT_EQ(grid.GetRowCount(), 0);
}

TEST_F(GridListTest, RowsTakeAtMostOneCellPerColumnAndStopAtTheLimit)
{
    ASSERT_TRUE(grid.SetTable(2, 3, 1, 3, 0));
    auto headings = Cells(3, u"h");
    EXPECT_TRUE(grid.SetTitleCells(headings.data(), 3));
    EXPECT_FALSE(grid.AddTitleCell(headings[0])); // every column has one
    auto two = Cells(2);
    EXPECT_TRUE(grid.AddRow(two.data(), 2));
    auto five = Cells(5);
    EXPECT_TRUE(grid.AddRow(five.data(), 5));
    EXPECT_FALSE(grid.AddRow(two.data(), 2)); // the limit of two rows
    EXPECT_EQ(grid.GetRowCount(), 2);
    EXPECT_EQ(grid.GetCell(0, 2), nullptr); // the third column of the short row draws nothing
    ASSERT_NE(grid.GetCell(1, 2), nullptr);
    EXPECT_EQ(std::u16string(grid.GetCell(1, 2)->text.C_Str()), u"cC");
    EXPECT_EQ(grid.GetCell(1, 3), nullptr);
    EXPECT_EQ(grid.GetCell(-1, 0), nullptr);
    EXPECT_EQ(grid.GetCell(2, 0), nullptr);
    EXPECT_EQ(grid.GetCell(0, 0)->checkable, 0); // check flags are not taken from the caller
    host.Invalidate();
    host.Update(); // draws the short row without touching the missing cell

    grid.MoveRow(1, 0);
    EXPECT_EQ(std::u16string(grid.GetCell(0, 2)->text.C_Str()), u"cC");
    grid.MoveRow(-1, 0); // refused
    grid.Clear();
    EXPECT_EQ(grid.GetRowCount(), 0);
    EXPECT_EQ(grid.GetItemCount(), 1); // the title stays
}

TEST_F(GridListTest, SwipesShiftTheScrollableColumnsOneAtATimeWithinTheTable)
{
    ASSERT_TRUE(ThreeVisibleOfOneRow(13));
    EXPECT_EQ(Shown(grid), (std::vector<int>{0, 1, 2}));
    Stroke(400, RowY(0), 100, RowY(0)); // left
    EXPECT_EQ(Shown(grid), (std::vector<int>{0, 2, 3}));
    for (int i = 0; i < 12; ++i)
        Stroke(400, RowY(0), 300, RowY(0) + 5);
    EXPECT_EQ(Shown(grid), (std::vector<int>{0, 11, 12}));
    Stroke(100, RowY(0), 400, RowY(0)); // right
    EXPECT_EQ(Shown(grid), (std::vector<int>{0, 10, 11}));
    for (int i = 0; i < 12; ++i)
        Stroke(100, RowY(0), 400, RowY(0));
    EXPECT_EQ(Shown(grid), (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(grid.GetCurSel(), -1); // swipes select nothing
    // A tap whose finger wanders a few pixels is a tap: it shifts nothing.
    SendMessage(host.m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELONG(300, RowY(0)));
    SendMessage(host.m_hWnd, WM_LBUTTONUP, 0, MAKELONG(296, RowY(0) + 1));
    PumpMessages();
    EXPECT_EQ(Shown(grid), (std::vector<int>{0, 1, 2}));
    SendMessage(host.m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELONG(200, RowY(0)));
    SendMessage(host.m_hWnd, WM_LBUTTONUP, 0, MAKELONG(204, RowY(0)));
    PumpMessages();
    EXPECT_EQ(Shown(grid), (std::vector<int>{0, 1, 2}));
}

TEST_F(GridListTest, ColumnsFittedToTheWidthRefitAtATurnKeepingHeadingsRowsAndTheColumnSwipedTo)
{
    ASSERT_TRUE(ThreeVisibleOfOneRow(12));
    grid.FitColumnsToWidth(3, 4);
    Stroke(400, RowY(0), 100, RowY(0));
    Stroke(400, RowY(0), 100, RowY(0));
    const struct {
        int width;
        std::vector<int> shown;
        int columnWidth;
    } turns[] = {{720, {0, 3, 4, 5}, 180}, {480, {0, 3, 4}, 160}};
    for (const auto& t : turns) {
        grid.SetPos(0, 0, t.width, 400);
        EXPECT_EQ(Shown(grid), t.shown) << t.width;
        EXPECT_EQ(grid.GetColumnWidth(), t.columnWidth) << t.width;
        EXPECT_EQ(grid.GetRowCount(), 1);
        ASSERT_NE(grid.GetCell(0, 11), nullptr);
        EXPECT_EQ(std::u16string(grid.GetCell(0, 11)->text.C_Str()), u"cL");
    }
    // Swiped to the end, a wider screen shows one column more before it rather than past it.
    for (int i = 0; i < 12; ++i)
        Stroke(400, RowY(0), 100, RowY(0));
    grid.SetPos(0, 0, 720, 400);
    EXPECT_EQ(Shown(grid), (std::vector<int>{0, 9, 10, 11}));
    // A new shape ends the fitting.
    ASSERT_TRUE(grid.SetTable(20, 12, 1, 4, 3));
    grid.SetPos(0, 0, 480, 600);
    EXPECT_EQ(grid.GetVisibleColumns(), 4);
}

TEST_F(GridListTest, AVerticalDragNeitherShiftsNorSelects)
{
    ASSERT_TRUE(grid.SetTable(0, 8, 1, 4, 3));
    auto row = Cells(8);
    for (int i = 0; i < 20; ++i)
        grid.AddRow(row.data(), 8);
    Stroke(200, RowY(5), 210, RowY(1));
    EXPECT_EQ(Shown(grid), (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(grid.GetCurSel(), -1);
    EXPECT_TRUE(host.notes.empty());
}

TEST_F(GridListTest, ASwipeOnTheTitleShiftsThenReportsTheColumnThePressedSlotShows)
{
    ASSERT_TRUE(grid.SetTable(0, 8, 1, 4, 3));
    auto headings = Cells(8, u"h");
    grid.SetTitleCells(headings.data(), 8);
    Tap(130, 20); // slot 1 shows column 1
    ASSERT_EQ(host.notes.size(), 1u);
    EXPECT_EQ(host.notes[0], std::make_tuple(200, 2, LPARAM(1)));
    Stroke(300, 20, 100, 25); // pressed on slot 2, then left: slot 2 shows column 3
    ASSERT_EQ(host.notes.size(), 2u);
    EXPECT_EQ(host.notes[1], std::make_tuple(200, 2, LPARAM(3)));
    EXPECT_EQ(grid.GetHighlightedColumn(), -1);

    // Seven columns of 68 pixels leave 4 pixels at the right that show no column: a press there reports nothing.
    ASSERT_TRUE(grid.SetTable(0, 8, 1, 7, 3));
    grid.SetTitleCells(headings.data(), 8);
    EXPECT_EQ(grid.GetColumnWidth(), 68);
    host.notes.clear();
    Tap(478, 20);
    EXPECT_TRUE(host.notes.empty());
    Tap(470, 20);
    ASSERT_EQ(host.notes.size(), 1u);
    EXPECT_EQ(host.notes[0], std::make_tuple(200, 2, LPARAM(6)));
}

TEST_F(GridListTest, FirstTapSelectsSecondTapOpensAndCheckModeTogglesOrReports)
{
    ASSERT_TRUE(grid.SetTable(0, 4, 1, 4, 0));
    auto headings = Cells(4, u"h");
    grid.SetTitleCells(headings.data(), 4);
    auto row = Cells(4);
    row[0].textColor = 0x17FF17;
    grid.AddRow(row.data(), 4);
    grid.AddRow(row.data(), 4);
    Tap(100, RowY(1));
    EXPECT_EQ(grid.GetCurSel(), 1);
    EXPECT_TRUE(host.notes.empty());
    host.Update(); // the selected row draws its green darker
    Tap(100, RowY(1));
    ASSERT_EQ(host.notes.size(), 1u);
    EXPECT_EQ(host.notes[0], std::make_tuple(200, 1, LPARAM(1)));

    host.notes.clear();
    grid.SetCheckMode(1);
    grid.SetRowCheckable(0, true);
    EXPECT_TRUE(grid.IsRowCheckable(0));
    EXPECT_FALSE(grid.IsRowCheckable(1));
    Tap(100, RowY(0));
    EXPECT_TRUE(grid.IsRowChecked(0));
    Tap(100, RowY(0)); // selected already: opens and unchecks
    EXPECT_FALSE(grid.IsRowChecked(0));
    Tap(100, RowY(1));
    ASSERT_EQ(host.notes.size(), 2u);
    EXPECT_EQ(host.notes[0], std::make_tuple(200, 1, LPARAM(0)));
    EXPECT_EQ(host.notes[1], std::make_tuple(200, 3, LPARAM(1)));
    grid.SetCheckMode(0);
    EXPECT_FALSE(grid.IsRowCheckable(0));
}

TEST_F(GridListTest, RowsAddedBeforeTheTableGrewStaySafeAndTheTitleStaysOnTop)
{
    ASSERT_TRUE(grid.SetTable(0, 2, 0, 2, 0));
    auto row = Cells(2);
    grid.AddRow(row.data(), 2);
    // The table grows and gains a title while the row is there.
    ASSERT_TRUE(grid.SetTable(0, 6, 1, 4, 2));
    auto headings = Cells(6, u"h");
    grid.SetTitleCells(headings.data(), 6);
    EXPECT_EQ(grid.GetRowCount(), 1);
    EXPECT_NE(grid.GetCell(0, 1), nullptr);
    EXPECT_EQ(grid.GetCell(0, 5), nullptr); // beyond what the old row holds
    EXPECT_EQ(std::u16string(grid.GetItem(0)->Text.C_Str()), u"I am undisplay");
    host.Invalidate();
    host.Update();
    Stroke(400, RowY(0), 100, RowY(0));
    host.Update();
    grid.Clear();
    EXPECT_EQ(grid.GetItemCount(), 1);
}
