// The grid list control.
#include "shell/GridList.h"

#include "core/ColorScheme.h"
#include "platform/ui/Style.h"
#include "platform/ui/UiDraw.h"
#include "platform/win/Gdi.h"

#include <algorithm>
#include <cstdlib>

namespace {

constexpr LPCWSTR ROW_TEXT = u"I am undisplay!";
constexpr LPCWSTR TITLE_TEXT = u"I am undisplay";
constexpr UINT CELL_FORMAT = DT_END_ELLIPSIS | DT_SINGLELINE | DT_VCENTER | DT_LEFT;
constexpr UINT HEADING_FORMAT = DT_END_ELLIPSIS | DT_SINGLELINE | DT_VCENTER | DT_CENTER;
// Blank kept at the right of a cell's text, so that a text that fills its cell never reads on into the next one.
constexpr int CELL_GAP = 6;

GridCell* CopyCell(const GridCell& from, bool keepChecks)
{
    auto* cell = new GridCell();
    cell->text = from.text;
    cell->textColor = from.textColor;
    cell->data = from.data;
    if (keepChecks) {
        cell->checked = from.checked;
        cell->checkable = from.checkable;
    }
    return cell;
}

// The shipped fall green and plain white would not read on the gold selection.
COLORREF SelectedColor(COLORREF color)
{
    if (color == DefaultSchemeColor(COLOR_FALL))
        return Style::FallOnSelectedRow;
    if (color == Style::DarkText)
        return Style::SelectedText;
    return color;
}

} // namespace

CGridList::CGridList()
{
    SetVariableItemHeight(true);
    EnableGridlines(false);
}

CGridList::~CGridList()
{
    RemoveAll(); // frees every row and the title while this class is still whole
    FreeTitle();
}

void CGridList::FreeTitle()
{
    if (titleRow == nullptr)
        return;
    for (GridCell* cell : titleRow->cells)
        delete cell;
    delete titleRow;
    titleRow = nullptr;
}

bool CGridList::SetTable(int limit, int columnCount, BYTE titleOn, int visible, int scrollable)
{
    if (limit < 0 || columnCount < 0 || visible < 0 || scrollable < 0)
        return false;
    if (columnCount == 0)
        return true;
    portraitColumns = landscapeColumns = 0;
    titleFlag = titleOn;
    rowLimit = limit;
    columns = columnCount;
    visibleColumns = std::min(visible, columns);
    scrollableColumns = std::min(scrollable, visibleColumns);
    fixedColumns = visibleColumns - scrollableColumns;
    SetPos(GetPosX(), GetPosY(), GetWidth(), GetHeight());

    if (titleRow != nullptr) {
        // The title item is the first item; removing it frees the headings.
        if (titleAdded && GetItemCount() > 0 && GetItem(0)->Data == (DWORD_PTR)titleRow)
            RemoveItem(0);
        FreeTitle();
        titleAdded = 0;
    }
    if (titleFlag) {
        titleRow = new Row();
        titleRow->cells.assign((size_t)columns, nullptr);
        cellCount = 0;
        if (!titleAdded) {
            ListItem item;
            item.Text = TITLE_TEXT;
            item.Data = (DWORD_PTR)titleRow;
            // At the top even when rows are already there: the first item is the title.
            InsertItem(item, 0);
            titleAdded = 1;
        }
    } else {
        cellCount = columns;
    }
    columnMap.resize((size_t)visibleColumns);
    for (int i = 0; i < visibleColumns; ++i)
        columnMap[(size_t)i] = i;
    return true;
}

bool CGridList::SetTitleCells(const GridCell* cells, int n)
{
    if (!titleFlag || titleRow == nullptr)
        return false;
    if (cells == nullptr || n < 0)
        n = 0;
    int count = std::min(n, columns);
    for (int i = 0; i < count; ++i) {
        delete titleRow->cells[(size_t)i];
        titleRow->cells[(size_t)i] = CopyCell(cells[i], true);
    }
    cellCount = count;
    Invalidate();
    return true;
}

bool CGridList::AddTitleCell(const GridCell& cell)
{
    if (!titleFlag || titleRow == nullptr || cellCount >= columns)
        return false;
    delete titleRow->cells[(size_t)cellCount];
    titleRow->cells[(size_t)cellCount] = CopyCell(cell, true);
    ++cellCount;
    Invalidate();
    return true;
}

bool CGridList::AddRow(const GridCell* cells, int n)
{
    if (rowLimit > 0 && GetRowCount() >= rowLimit)
        return false;
    if (cells == nullptr || n < 0)
        n = 0;
    int count = std::min(n, columns);
    auto* row = new Row();
    row->cells.assign((size_t)columns, nullptr);
    for (int i = 0; i < count; ++i)
        row->cells[(size_t)i] = CopyCell(cells[i], false);
    if (!titleFlag)
        cellCount = count;
    ListItem item;
    item.Text = ROW_TEXT;
    item.Data = (DWORD_PTR)row;
    AddItem(item);
    return true;
}

void CGridList::Clear()
{
    RemoveFrom(TitleOffset());
}

int CGridList::GetRowCount() const
{
    return GetItemCount() - TitleOffset();
}

int CGridList::GetCurSel() const
{
    int selected = GetSelectedIndex();
    if (selected < TitleOffset())
        return -1;
    return selected - TitleOffset();
}

void CGridList::SetCurSel(int row)
{
    SetSelectedIndex(row < 0 ? -1 : row + TitleOffset());
    Invalidate();
}

void CGridList::MoveRow(int from, int to)
{
    unsigned count = (unsigned)GetRowCount();
    if ((unsigned)from >= count || (unsigned)to >= count)
        return;
    MoveItem(from + TitleOffset(), to + TitleOffset());
    Invalidate();
}

CGridList::Row* CGridList::RowAt(int dataRow)
{
    if (dataRow < 0 || dataRow >= GetRowCount())
        return nullptr;
    ListItem* item = GetItem(dataRow + TitleOffset());
    return item != nullptr ? reinterpret_cast<Row*>(item->Data) : nullptr;
}

GridCell* CGridList::GetCell(int row, int column)
{
    if (row < 0 || column < 0 || column >= cellCount)
        return nullptr;
    Row* r = RowAt(row);
    // A row added before the table grew has fewer slots than the grid has columns now.
    if (r == nullptr || (size_t)column >= r->cells.size())
        return nullptr;
    return r->cells[(size_t)column];
}

bool CGridList::IsRowChecked(int row)
{
    GridCell* cell = GetCell(row, 0);
    return cell != nullptr && cell->checked;
}

void CGridList::SetRowCheckable(int row, bool flag)
{
    if (!checkMode)
        return;
    if (GridCell* cell = GetCell(row, 0))
        cell->checkable = flag ? 1 : 0;
}

bool CGridList::IsRowCheckable(int row)
{
    if (!checkMode)
        return false;
    GridCell* cell = GetCell(row, 0);
    return cell != nullptr && cell->checkable;
}

int CGridList::GetShownColumn(int slot) const
{
    if (slot < 0 || (size_t)slot >= columnMap.size())
        return -1;
    return columnMap[(size_t)slot];
}

void CGridList::SetPos(int x, int y, int w, int h, UINT flags)
{
    UiList::SetPos(x, y, w, h, flags);
    if (portraitColumns > 0)
        FitColumns(w);
    if (visibleColumns == 0)
        visibleColumns = 4;
    columnWidth = w / visibleColumns;
}

int CGridList::GetItemHeight(int index)
{
    int h = GetItemHeightValue();
    if (titleFlag && titleAdded && index == 0)
        return h - h / 6;
    return h;
}

void CGridList::PaintWin(HDC dc, RECT* rcWin, RECT* rcUpdate)
{
    if (highlightedColumn >= 0 && columnWidth > 0) {
        int h = GetItemHeightValue();
        RECT bar{rcWin->left + highlightedColumn * columnWidth, rcWin->top,
                 rcWin->left + (highlightedColumn + 1) * columnWidth, rcWin->top + GetRowCount() * h + h - h / 6};
        Style::DrawHighlightBar(dc, bar);
    }
    UiList::PaintWin(dc, rcWin, rcUpdate);
}

void CGridList::DrawItem(HDC dc, int index, RECT* rcItem, RECT*, RECT*)
{
    RECT r = *rcItem;
    if (index == 0)
        UiDrawLine(dc, r.left, r.top, r.right, r.top, Style::RowLine);
    bool selected = index == GetSelectedIndex();
    if (selected)
        Style::DrawSelectionBackground(dc, r);
    ListItem* item = GetItem(index);
    Row* row = item != nullptr ? reinterpret_cast<Row*>(item->Data) : nullptr;
    bool title = titleFlag && titleAdded && index == 0;
    int slots = std::min(visibleColumns, (int)columnMap.size());
    for (int slot = 0; row != nullptr && slot < slots; ++slot) {
        int column = columnMap[(size_t)slot];
        if (column < 0 || (size_t)column >= row->cells.size())
            continue;
        GridCell* cell = row->cells[(size_t)column];
        if (cell == nullptr)
            continue;
        RECT cr{r.left + slot * columnWidth, r.top, r.left + (slot + 1) * columnWidth, r.bottom};
        if (title) {
            if (cell->text.IsEmpty())
                continue;
            UiFillRect(dc, cr, Style::HeadingEdge);
            RECT inner{cr.left + 1, cr.top + 1, cr.right - 1, cr.bottom - 1};
            UiFillRect(dc, inner, Style::HeadingFill);
            UiDrawText(dc, cell->text, cr, HEADING_FORMAT, GetTextSize(), FW_SEMIBOLD, cell->textColor);
            continue;
        }
        RECT textRect{cr.left + cellInset, cr.top, cr.right - CELL_GAP, cr.bottom};
        if (checkMode && column == 0) {
            RECT box{cr.left, cr.top, cr.left + 50, cr.bottom};
            Style::DrawCheckFrame(dc, box, cell->checked ? MZ_IMAGE_CHECKED : MZ_IMAGE_UNCHECKED);
            textRect.left = cr.left + 55;
        }
        if (!cell->text.IsEmpty()) {
            COLORREF color = selected ? SelectedColor(cell->textColor) : cell->textColor;
            UiDrawText(dc, cell->text, textRect, CELL_FORMAT, GetTextSize(), GetTextWeight(), color);
        }
    }
    if (GetRowCount() > 0 && bottomLines)
        UiDrawLine(dc, r.left, r.bottom - 1, r.right, r.bottom - 1, Style::RowLine);
}

void CGridList::OnRemoveItem(int index)
{
    ListItem* item = GetItem(index);
    if (item == nullptr || item->Data == 0)
        return;
    if (titleRow != nullptr && item->Data == (DWORD_PTR)titleRow) {
        FreeTitle();
        titleAdded = 0;
    } else {
        auto* row = reinterpret_cast<Row*>(item->Data);
        for (GridCell* cell : row->cells)
            delete cell;
        delete row;
    }
    item->Data = 0;
}

int CGridList::OnLButtonDown(UINT flags, int x, int y)
{
    int r = UiList::OnLButtonDown(flags, x, y);
    if (!IsStopPress()) {
        pressPoint = POINT{x, y};
        int index = CalcIndexOfPos(x, y);
        if (titleFlag && titleAdded && index == 0) {
            headingPressed = 1;
            int left = GetRect().left;
            highlightedColumn = x < left || columnWidth <= 0 ? -1 : (x - left) / columnWidth;
            SetSelectedIndex(-1);
        } else if (index < 0) {
            SetSelectedIndex(-1);
        }
        Invalidate();
    } else {
        pressPoint = POINT{-1, -1};
    }
    return r;
}

void CGridList::ShowColumn(int column)
{
    if (scrollableColumns <= 0 || columnMap.empty() || column < fixedColumns || column >= columns)
        return;
    for (size_t s = (size_t)fixedColumns; s < columnMap.size(); ++s)
        if (columnMap[s] == column)
            return;
    // The column comes first among the shifting ones.
    PlaceShifted(column);
    Invalidate();
}

void CGridList::PlaceShifted(int first)
{
    first = std::max(fixedColumns, std::min(first, columns - (int)(columnMap.size() - (size_t)fixedColumns)));
    for (size_t s = (size_t)fixedColumns; s < columnMap.size(); ++s)
        columnMap[s] = first + (int)(s - (size_t)fixedColumns);
}

void CGridList::FitColumnsToWidth(int portrait, int landscape)
{
    portraitColumns = portrait;
    landscapeColumns = landscape;
    SetPos(GetPosX(), GetPosY(), GetWidth(), GetHeight());
    Invalidate();
}

void CGridList::FitColumns(int width)
{
    int visible = std::min(width >= 720 ? landscapeColumns : portraitColumns, columns);
    int scrollable = visible > 1 ? visible - 1 : 0;
    if (visible <= 0 || (visible == visibleColumns && scrollable == scrollableColumns))
        return;
    int first = columnMap.size() > (size_t)fixedColumns ? columnMap[(size_t)fixedColumns] : 1;
    visibleColumns = visible;
    scrollableColumns = scrollable;
    fixedColumns = visible - scrollable;
    columnMap.resize((size_t)visible);
    for (int i = 0; i < fixedColumns; ++i)
        columnMap[(size_t)i] = i;
    PlaceShifted(first);
}

void CGridList::ShiftColumns(int x, int y)
{
    if (scrollableColumns <= 0 || columnMap.empty())
        return;
    int dx = x - pressPoint.x;
    int dy = y - pressPoint.y;
    // Within the distance a tap may wander the stroke is a tap, not a swipe.
    if (std::abs(dx) <= UI_DRAG_THRESHOLD && std::abs(dy) <= UI_DRAG_THRESHOLD)
        return;
    if (std::abs(dx) < std::abs(dy) || dx == 0)
        return; // up or down
    size_t first = (size_t)fixedColumns;
    size_t last = columnMap.size() - 1;
    bool changed = false;
    if (dx < 0) {
        if (columnMap[last] < cellCount - 1) {
            for (size_t s = first; s <= last; ++s)
                ++columnMap[s];
            changed = true;
        }
    } else if (first <= last && columnMap[first] > fixedColumns) {
        for (size_t s = first; s <= last; ++s)
            --columnMap[s];
        changed = true;
    }
    if (changed)
        Invalidate();
}

int CGridList::OnLButtonUp(UINT flags, int x, int y)
{
    bool tap = !IsMoved() && !IsStopPress();
    int r = UiList::OnLButtonUp(flags, x, y);
    if (pressPoint.x == -1 && pressPoint.y == -1)
        return r;
    ShiftColumns(x, y);

    if (headingPressed) {
        // Only a slot that shows a column is reported (the edge of a wide control shows none).
        int column = GetShownColumn(highlightedColumn);
        if (column >= 0 && GetNotify())
            PostNotify(NOTIFY_HEADING, column);
        headingPressed = 0;
        highlightedColumn = -1;
        Invalidate();
    }

    if (tap) {
        int index = CalcIndexOfPos(x, y);
        bool title = titleFlag && titleAdded && index == 0;
        if (index >= 0 && !title) {
            int dataRow = index - TitleOffset();
            int previous = GetSelectedIndex();
            SetSelectedIndex(index);
            if (previous == index) {
                EnsureVisible(index);
                if (GetNotify())
                    PostNotify(NOTIFY_ROW_OPENED, dataRow);
            } else {
                if (previous >= 0)
                    EnsureVisible(previous);
                EnsureVisible(index);
            }
            GridCell* first = GetCell(dataRow, 0);
            if (first != nullptr && first->checkable)
                first->checked = first->checked ? 0 : 1;
            else if (checkMode && GetNotify())
                PostNotify(NOTIFY_NOT_CHECKABLE, dataRow);
            Invalidate();
        }
    }
    pressPoint = POINT{-1, -1};
    return r;
}

void CGridList::Describe(UiDescription& out) const
{
    UiWin::Describe(out);
    out.kind = "CGridList";
    out.selected = GetCurSel();
    for (int i = TitleOffset(); i < GetItemCount(); ++i) {
        const ListItem* item = GetItem(i);
        const Row* row = item != nullptr ? reinterpret_cast<const Row*>(item->Data) : nullptr;
        std::u16string line;
        for (size_t s = 0; row != nullptr && s < columnMap.size(); ++s) {
            int column = columnMap[s];
            if (s > 0)
                line += u'|';
            if (column >= 0 && (size_t)column < row->cells.size() && row->cells[(size_t)column] != nullptr)
                line += row->cells[(size_t)column]->text.C_Str();
        }
        out.items.push_back(line);
    }
    out.extra = "columns=" + std::to_string(columns) + " visible=" + std::to_string(visibleColumns);
}
