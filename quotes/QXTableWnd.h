// CQXTableWnd: the base of the stock tables (ranked quotes, own stocks): a one-row column header above a list of
// stock rows, each row name over code, latest price, change, and change percent in a coloured rounded box.
// The base owns the two controls, the row records, the page counters and the jump to the detailed quote.
#pragma once

#include "core/WString.h"
#include "platform/ui/MzImage.h"
#include "platform/ui/UiList.h"
#include "shell/NetWnd.h"

#include <string>

class CDataSet;

struct StockCell {
    CWString text;
    COLORREF color = 0;
    int column = 0;
};

// One grid row; owned by the grid item that holds it.
struct CStockRow {
    static constexpr int NAME_CAPACITY = 40;
    static constexpr int TEXT_CAPACITY = 20;
    static constexpr int MARKET_CAPACITY = 10;

    StockCell name;
    StockCell code;
    StockCell latest;
    StockCell change;
    StockCell percent;
    StockCell market;

    CStockRow();
    // Texts are cut to their cells' capacities.
    void SetName(LPCWSTR text, COLORREF color);
    void SetCode(LPCWSTR text, COLORREF color);
    void SetLatest(LPCWSTR text, COLORREF color);
    void SetChange(LPCWSTR text, COLORREF color);
    void SetPercent(LPCWSTR text, COLORREF color);
    void SetMarket(LPCWSTR text);
};

class CStockGrid : public UiList {
public:
    // Low 16 bits of the code of a tap on the row already selected.
    static constexpr int NOTIFY_OPEN_SELECTED = 0xFFF2000C & 0xFFFF;
    static constexpr int NOTIFY_OPEN_RIGHT = 4;

    CStockGrid();
    ~CStockGrid() override;

    int OnLButtonUp(UINT flags, int x, int y) override;
    void DrawItem(HDC dc, int index, RECT* rcItem, RECT* rcWin, RECT* rcUpdate) override;
    void OnRemoveItem(int index) override;
    // Each row as it reads: name, code, latest, change and percent, for the automation.
    void Describe(UiDescription& out) const override;

    // The colour a latest or change cell is drawn in; the percent box always uses selected = true.
    static COLORREF AdjustColor(COLORREF stored, bool selected);
};

class CStockHeader : public UiList {
public:
    static constexpr int NOTIFY_NAME = 1;
    static constexpr int NOTIFY_PRICE = 2;
    static constexpr int NOTIFY_CHANGE = 3;
    static constexpr int NOTIFY_PERCENT = 4;

    CStockHeader();

    int OnLButtonDown(UINT flags, int x, int y) override;
    int OnLButtonUp(UINT flags, int x, int y) override;
    void DrawItem(HDC dc, int index, RECT* rcItem, RECT* rcWin, RECT* rcUpdate) override;

    void SetDirection(int value) { direction = value; }
    int GetDirection() const { return direction; }
    void SetArrowShown(BYTE on) { arrowShown = on; }
    BYTE IsArrowShown() const { return arrowShown; }
    void SetColumnMode(BYTE mode) { columnMode = mode; }
    BYTE GetColumnMode() const { return columnMode; }
    BYTE IsPressed(int heading) const { return heading >= 0 && heading < 4 ? pressed[heading] : 0; }

private:
    BYTE pressed[4] = {0, 0, 0, 0};
    int direction = 0;
    CMzImage downArrow;
    CMzImage upArrow;
    BYTE arrowShown = 1;
    BYTE columnMode = 0;
};

class CQXTableWnd : public CNetWnd {
public:
    static constexpr int ID_GRID = 171;
    static constexpr int ID_HEADER = 172;
    static constexpr int HEADER_TOP = 42;
    static constexpr int HEADER_HEIGHT = 50;
    static constexpr int GRID_TOP = 92;
    static constexpr int ROW_HEIGHT = 60;

    CQXTableWnd(LPCWSTR title, HWND parent);
    ~CQXTableWnd() override;

    LPCWSTR GetMzClassName() override;
    BOOL OnInitDialog() override;
    void OnScreenModeChanged(int orientation) override;

    // The "offset=" of a paged request.
    int GetOffset() const { return page * pageSize; }
    // The grid takes ownership of row (also when it cannot be added: it is freed then).
    void AddRow(CStockRow* row);
    CStockRow* GetRow(int index);
    int GetRowCount() const { return grid.GetItemCount(); }
    // Opens the detailed quote of "code.market".
    int OpenDetailQuote(const char* codeMarket);
    // Appends the row of set's current record, whose columns follow STANDARD_ROW_FIELDS.
    void AddQuoteRow(CDataSet* set);
    // "code.market" of a row, from its code and market cells; empty for no row.
    std::string RowCodeMarket(int row);
    // The user's choice across a reordering or a refill of the rows: the stock (by "code.market") of the selected
    // row, empty for none; and the selection of its row again, or of none when it is no longer in the table.
    std::string SelectedStock();
    void SelectStock(const std::string& codeMarket);

    CStockGrid& GetGrid() { return grid; }
    CStockHeader& GetHeader() { return header; }
    int GetPage() const { return page; }
    int GetPageSize() const { return pageSize; }

protected:
    void PlaceControls();

    CStockHeader header;
    CStockGrid grid;
    int pageSize = 0;
    int page = 0;
};
