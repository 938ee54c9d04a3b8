// CStockDetaiPriceWnd: the full quote of one security: the day's figures in six rows of label/value pairs and,
// for anything but an index, the five-level order book. Its pop-up menu leads to the stock's information menu,
// to buying and selling, and to the own stock list; its tool bar to the search, the charts and a refresh.
#pragma once

#include "core/QuoteNumber.h"
#include "platform/ui/UiStatic.h"
#include "shell/TableWnd.h"

#include <string>

class CDataSet;

class CStockDetaiPriceWnd : public CTableWnd {
public:
    static constexpr int ID_TITLE_LABEL = 303;
    static constexpr int ROWS = 16;
    static constexpr int SUMMARY_ROWS = 6;
    static constexpr int GRID_TOP = 102;
    // Pop-up menu commands.
    static constexpr int CMD_HOME = 120;
    static constexpr int CMD_CANCEL = 121;
    static constexpr int CMD_SELL = 122;
    static constexpr int CMD_BUY = 123;
    static constexpr int CMD_ADD_MINE = 126;
    static constexpr int CMD_INFO = 133;

    CStockDetaiPriceWnd(LPCWSTR title, HWND owner);
    ~CStockDetaiPriceWnd() override;

    LPCWSTR GetMzClassName() override;
    void OnMzCommand(WPARAM wParam, LPARAM lParam) override;
    BOOL OnInitDialog() override;
    int OnInitParam(int menuId, const char* info, const char* params) override;
    void OnScreenModeChanged(int orientation) override;
    int BuildRequest(char* part, int capacity, const char* whole) override;
    void OnReply(const BYTE* data, int length, int transportFailed) override;
    virtual void OnMenuCommand(int id);

    // Rebuilds the table from the first record of a quote data set; false without one.
    bool FillTable(CDataSet* set);

    const char* GetCode() const { return code; }
    const char* GetName() const { return name; }
    int GetMarket() const { return market; }
    int GetType() const { return type; }
    CQuoteNumber GetPrice() const { return price; }
    UiStatic& GetTitleLabel() { return titleLabel; }

    // One cell of the table: its text and colour.
    struct Cell {
        std::u16string text;
        COLORREF color;
    };

private:
    Cell ValueOf(CDataSet* set, int column, COLORREF color, bool dashed) const;
    // The day's figures in six rows, and the five-level book.
    void AddFigureRows(CDataSet* set);
    void AddBookRows(CDataSet* set);
    void PlaceDetailGrid();
    void OpenTrade(bool buy);
    void OpenInformation();

    char code[32] = "1A0001";
    CQuoteNumber price;
    int market = 0;
    int type = 0;
    char name[16] = {};
    UiStatic titleLabel;
};
