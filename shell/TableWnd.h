// CTableWnd: a networked screen whose content is one full-width grid between the caption bar and the tool bar,
// with a thin layer for filling rows of cells, reading cells back and moving rows.
#pragma once

#include "shell/GridList.h"
#include "shell/NetWnd.h"

class CTableWnd : public CNetWnd {
public:
    static constexpr int ID_GRID = 171;
    static constexpr int GRID_ITEM_HEIGHT = 50;

    CTableWnd(LPCWSTR title, HWND owner);
    ~CTableWnd() override;

    LPCWSTR GetMzClassName() override;
    BOOL OnInitDialog() override;
    void OnScreenModeChanged(int orientation) override;

    // Appends a heading to the grid's title row.
    virtual void AddCell(LPCWSTR text);

    // Appends one row of n prepared cells.
    void SetCellArray(const GridCell* cells, int n);
    // One row from parallel arrays of texts, colours and data words; n = 0 does nothing.
    void SetCells(LPCWSTR const* texts, const COLORREF* colors, const DWORD* data, int n);
    GridCell* GetCell(int row, int column);
    LPCWSTR GetCellText(int row, int column);
    // A new 8-bit copy (free it), or null.
    char* GetCellTextA(int row, int column);
    // The cell's data word, -1 without a cell.
    int GetCellData(int row, int column);
    void MoveRowUp(int row);
    // The row count when nothing moved, else the row's new index.
    int MoveRowDown(int row);

    CGridList& GetGrid() { return grid; }

    int pageSize = 0;
    int tableSpare = 0;

protected:
    void PlaceGrid();

    CGridList grid;
};
