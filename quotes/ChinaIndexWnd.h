// CChinaIndexWnd: the domestic index table, one index a row in twelve columns coloured against each index's
// previous close. From a row the user opens the time-share or K-line chart or adds the index to the own list.
#pragma once

#include "platform/ui/Style.h"
#include "quotes/QuoteTools.h"
#include "shell/TableWnd.h"

#include <string>
#include <vector>

class CChinaIndexWnd : public CTableWnd {
public:
    static constexpr int ROW_LIMIT = 20;
    static constexpr int GRID_COLUMNS = 13;
    static constexpr int TITLE_COUNT = 12;
    static constexpr int TEXT_SIZE = Style::IndexTextSize;
    static constexpr int ITEM_HEIGHT = 48;
    static constexpr int CODE_COLUMN = 10;
    static constexpr int MARKET_COLUMN = 11;
    // Popup action menu commands.
    static constexpr int CMD_HOME = 120;
    static constexpr int CMD_CANCEL = 121;
    static constexpr int CMD_ADD_TO_MY_QUOTES = 126;

    CChinaIndexWnd(LPCWSTR title, HWND parent);
    ~CChinaIndexWnd() override;

    LPCWSTR GetMzClassName() override;
    void OnMzCommand(WPARAM wParam, LPARAM lParam) override;
    BOOL OnInitDialog() override;
    int BuildRequest(char* part, int capacity, const char* whole) override;
    void OnReply(const BYTE* data, int length, int transportFailed) override;
    // Opens the time-share chart of the row; -1 for no such row or before the titles exist.
    int OnOK(int row) override;
    virtual void OnMenuCommand(int command);

    // The popup action menu, run modally; its command goes to OnMenuCommand.
    void ShowActionMenu();
    // The K-line chart of the selected row, or a tip without a selection.
    void OpenKLine();

    int GetCodeColumn() const { return codeColumn; }
    int GetMarketColumn() const { return marketColumn; }

private:
    void AddTitles();
    // "code.market" of a row from its code and market cells; empty when the row or the columns are missing.
    std::string RowCodeMarket(int row);

    std::vector<QuoteToolButton> tools;
    int codeColumn = -1;
    int marketColumn = -1;
};
