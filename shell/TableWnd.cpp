#include "shell/TableWnd.h"

#include "core/TextHelpers.h"
#include "platform/ui/Style.h"

#include <cstdlib>

CTableWnd::CTableWnd(LPCWSTR title, HWND ownerWnd) : CNetWnd(title, ownerWnd) {}

CTableWnd::~CTableWnd()
{
    if (grid.GetItemCount() > 0)
        grid.RemoveAll();
}

LPCWSTR CTableWnd::GetMzClassName()
{
    return u"CTableWnd";
}

void CTableWnd::PlaceGrid()
{
    int height = GetHeight() - CAPTION_HEIGHT - toolBar.GetHeight();
    grid.SetPos(0, CAPTION_HEIGHT, GetWidth(), height > 0 ? height : 0);
}

BOOL CTableWnd::OnInitDialog()
{
    if (!CNetWnd::OnInitDialog())
        return FALSE;
    SetBgColor(Style::DarkFill);
    RemoveUiWin(&contentPanel); // the grid takes the panel's place
    grid.SetID(ID_GRID);
    PlaceGrid();
    grid.SetItemHeight(GRID_ITEM_HEIGHT);
    grid.SetNotify(true);
    grid.SetDragScrollMode(2);
    grid.EnableScrollBarV(true);
    AddUiWin(&grid);
    // No stroke counts as a swipe in a table.
    SetGestureRect(RECT{-1, -1, -1, -1});
    return TRUE;
}

void CTableWnd::OnScreenModeChanged(int orientation)
{
    CNetWnd::OnScreenModeChanged(orientation);
    int height = GetHeight() - CAPTION_HEIGHT - commandBar.GetHeight();
    grid.SetPos(0, CAPTION_HEIGHT, GetWidth(), height > 0 ? height : 0);
    grid.ScrollToTop(false);
    grid.Invalidate();
}

void CTableWnd::AddCell(LPCWSTR text)
{
    GridCell cell;
    cell.text = text != nullptr ? text : u"";
    grid.AddTitleCell(cell);
}

void CTableWnd::SetCellArray(const GridCell* cells, int n)
{
    if (cells != nullptr && n > 0)
        grid.AddRow(cells, n);
}

void CTableWnd::SetCells(LPCWSTR const* texts, const COLORREF* colors, const DWORD* data, int n)
{
    if (n <= 0 || texts == nullptr)
        return;
    GridCell* cells = new GridCell[(size_t)n];
    for (int i = 0; i < n; ++i) {
        cells[i].text = texts[i] != nullptr ? texts[i] : u"";
        cells[i].textColor = colors != nullptr ? colors[i] : 0;
        cells[i].data = data != nullptr ? data[i] : 0;
    }
    grid.AddRow(cells, n);
    delete[] cells;
}

GridCell* CTableWnd::GetCell(int row, int column)
{
    return grid.GetCell(row, column);
}

LPCWSTR CTableWnd::GetCellText(int row, int column)
{
    GridCell* cell = grid.GetCell(row, column);
    return cell != nullptr ? cell->text.C_Str() : nullptr;
}

char* CTableWnd::GetCellTextA(int row, int column)
{
    LPCWSTR text = GetCellText(row, column);
    if (text == nullptr)
        return nullptr;
    char* narrow = nullptr;
    WideToAnsi(text, &narrow);
    return narrow;
}

int CTableWnd::GetCellData(int row, int column)
{
    GridCell* cell = grid.GetCell(row, column);
    return cell != nullptr ? (int)cell->data : -1;
}

void CTableWnd::MoveRowUp(int row)
{
    if (row < 1 || row >= grid.GetRowCount())
        return;
    grid.MoveRow(row, row - 1);
    grid.SetCurSel(row - 1);
    grid.Invalidate();
}

int CTableWnd::MoveRowDown(int row)
{
    int n = grid.GetRowCount();
    if (row < 0 || row >= n - 1)
        return n;
    grid.MoveRow(row, row + 1);
    grid.SetCurSel(row + 1);
    grid.Invalidate();
    return row + 1;
}
