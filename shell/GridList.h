// CGridList: the client's table control: a scrolling list whose every item is a row of text cells, with an
// optional title row of headings, a number of columns shown side by side (the leftmost fixed, the rest shifted a
// column at a time by a horizontal swipe), per-cell colours and data, optional check boxes in the first column,
// and notifications to the window: 1 a tap on the selected row, 2 a heading tapped, 3 a tap on a row that cannot
// be checked (check mode).
#pragma once

#include "platform/ui/MzStr.h"
#include "platform/ui/UiList.h"

#include <vector>

struct GridCell {
    CMzStr text;
    COLORREF textColor = 0;
    DWORD data = 0;
    BYTE checked = 0;
    BYTE checkable = 0;
};

class CGridList : public UiList {
public:
    static constexpr int NOTIFY_ROW_OPENED = 1;
    static constexpr int NOTIFY_HEADING = 2;
    static constexpr int NOTIFY_NOT_CHECKABLE = 3;

    CGridList();
    ~CGridList() override;

    // Configures the table; rows already added stay. False (nothing changed) for a negative count.
    bool SetTable(int rowLimit, int columnCount, BYTE titleOn, int visible, int scrollable);
    bool SetTitleCells(const GridCell* cells, int n);
    bool AddTitleCell(const GridCell& cell);
    // False when the row limit is reached; takes at most one cell per column (check flags cleared).
    bool AddRow(const GridCell* cells, int n);
    void Clear();
    int GetRowCount() const;
    int GetCurSel() const;
    void SetCurSel(int row);
    void MoveRow(int from, int to);
    GridCell* GetCell(int row, int column);
    bool IsRowChecked(int row);
    void SetRowCheckable(int row, bool flag);
    bool IsRowCheckable(int row);

    void SetCheckMode(BYTE on) { checkMode = on; }
    BYTE GetCheckMode() const { return checkMode; }
    void SetBottomLines(BYTE on) { bottomLines = on; }
    // Room left of every cell's text (pixels), on top of the gap right of it: texts of neighbouring cells then never
    // come close enough to read as one, and a text that does not fit ends in "..." inside its cell.
    void SetCellInset(int pixels) { cellInset = pixels; }
    int GetRowLimit() const { return rowLimit; }
    int GetColumnCount() const { return columns; }
    int GetVisibleColumns() const { return visibleColumns; }
    int GetFixedColumns() const { return fixedColumns; }
    int GetScrollableColumns() const { return scrollableColumns; }
    int GetColumnWidth() const { return columnWidth; }
    // The data column shown in a visible slot, -1 for a slot that does not exist.
    int GetShownColumn(int slot) const;
    // Shifts the columns that shift until the data column is in view (nothing when it is, or is fixed).
    void ShowColumn(int column);
    // Until the next SetTable: as many columns side by side as `portrait` on a control narrower than the landscape
    // screen, `landscape` on one as wide, the first fixed and the others shifting; applied again at every SetPos,
    // so a turn of the screen refits them. The headings, the rows and the first shifting column shown stay.
    void FitColumnsToWidth(int portrait, int landscape);
    int GetHighlightedColumn() const { return highlightedColumn; }

    void SetPos(int x, int y, int w, int h, UINT flags = 0) override;
    void PaintWin(HDC dc, RECT* rcWin, RECT* rcUpdate) override;
    int OnLButtonDown(UINT flags, int x, int y) override;
    int OnLButtonUp(UINT flags, int x, int y) override;
    void DrawItem(HDC dc, int index, RECT* rcItem, RECT* rcWin, RECT* rcUpdate) override;
    void OnRemoveItem(int index) override;
    int GetItemHeight(int index) override;
    void Describe(UiDescription& out) const override;

private:
    // Fills the shifting slots from data column `first`, as far as the columns after it allow.
    void PlaceShifted(int first);
    void FitColumns(int width);
    int portraitColumns = 0; // 0: no fitting to the width
    int landscapeColumns = 0;
    // A row's cells: one slot per column the grid had when the row was added (null where none was given).
    struct Row {
        std::vector<GridCell*> cells;
    };
    int TitleOffset() const { return titleFlag && titleAdded ? 1 : 0; }
    Row* RowAt(int dataRow);
    void FreeTitle();
    void ShiftColumns(int x, int y);

    int rowLimit = 0;
    int columns = 0;
    int visibleColumns = 0;
    int cellCount = 0;
    BYTE titleAdded = 0;
    int highlightedColumn = -1;
    BYTE headingPressed = 0;
    int columnWidth = 120;
    BYTE titleFlag = 1;
    int fixedColumns = 0;
    int scrollableColumns = 0;
    std::vector<int> columnMap;
    Row* titleRow = nullptr;
    POINT pressPoint{-1, -1};
    BYTE checkMode = 0;
    BYTE bottomLines = 1;
    int cellInset = 0;
};
