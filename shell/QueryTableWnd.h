// CQueryTableWnd: the base of the account query screens. It sends an enciphered query bound to the trade
// account, shows the reply's first record set as a grid with one column per field, colours rows by a sign column,
// pages forward and back with a position value the server supplies, and offers an action menu of fund actions.
#pragma once

#include "platform/ui/Style.h"
#include "shell/TableWnd.h"

#include <string>
#include <vector>

class CDataSet;
class CPopMenuWnd;

// The text of a request bound to the logged-in trade account: fields, the first account's "fundid" and the trade
// session. 0 (part emptied) without a trade session or when it does not fit, and, with an account given (not
// empty), while another account is logged in: what was built for one account never goes for another.
int WriteTradeRequest(char* part, int capacity, const char* fields, const std::string& account = std::string());

// Adds a fund code to the user's funds (code, owner of the tips, quiet): 1 added, 0 not. Installed by the fund
// screens, which sit above the shell.
typedef int (*MyFundsAdder)(const char* code, HWND owner, BYTE quiet);

class CQueryTableWnd : public CTableWnd {
public:
    static constexpr int DEFAULT_PAGE_SIZE = 1000;
    // Columns side by side in portrait, and as many of the same width as the landscape screen holds.
    static constexpr int VISIBLE_COLUMNS = 4;
    static constexpr int LANDSCAPE_COLUMNS = 6;
    enum {
        CMD_HOME = 120,
        CMD_CANCEL = 121,
        CMD_ADD_FUND = 126,
        CMD_FUND_NEWS = 133,
        CMD_FUND_PURCHASE = 135,
        CMD_FUND_SUBSCRIBE = 136,
    };

    CQueryTableWnd(LPCWSTR title, HWND owner);
    ~CQueryTableWnd() override;

    LPCWSTR GetMzClassName() override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    int OnInitParam(int menuId, const char* info, const char* params) override;
    int BuildRequest(char* part, int capacity, const char* whole) override;
    void OnReply(const BYTE* data, int length, int transportFailed) override;
    int OnOK(int row) override;
    void OnActive() override;
    // Asks for the page after the one shown; the first page of the account logged in when the rows shown were
    // another account's.
    void Request() override;
    // The rows shown were another account's: they go, and the new account's first page is asked for.
    void OnTradeAccountChanged() override;
    // Before a row of the account's own is acted on (a cancel, an early end): true when the account the rows are
    // of is logged in. Otherwise nothing is to be done: the user is told to log in, or, once another account has
    // logged in, the rows give way to that account's.
    bool CheckTradeAccount();

    virtual int NextPage();
    virtual int PrevPage();
    // The first page again (a refresh, or after the rows or the account changed): a plain Request would ask for
    // the page after the one shown.
    void Reload();
    virtual void InitMenu(CPopMenuWnd* menu);
    virtual void OnMenuCommand(int command);

    // The grid column of a reply field, or -1.
    int GetColumnIndex(const char* name) const;
    // Rows per page: the grid's row limit, or before the first reply shapes the grid the count the window was
    // opened with ("count" of its parameter text); 1000 when that is below 1. Kept as the page size.
    int GetRequestCount();
    // Runs the action menu over the window and acts on the choice.
    void ShowActionMenu();

    const char* GetCurrentPosition() const { return currentPosition.empty() ? nullptr : currentPosition.c_str(); }
    int GetPositionDepth() const { return (int)positionStack.size(); }
    CDataSet* GetLastDataSet() const { return lastDataSet; }
    const std::string& GetSignColumn() const { return signColumn; }
    const std::string& GetPositionColumn() const { return positionColumn; }

    BYTE fundMenu = 1;
    COLORREF backgroundColor = Style::DarkFill;

    static void SetMyFundsAdder(MyFundsAdder adder) { myFundsAdder = adder; }

protected:
    // The 8-bit text of the selected row's cell of a field; empty when there is none.
    std::string RowField(int row, const char* name);

    // Shapes the grid for the reply's shown columns (the first one fixed): a page of requestCount rows.
    virtual void ShapeGrid(int shownColumns);

    std::string signColumn;
    std::string positionColumn = "poststr";
    // Rows a page asks for, from the parameter text's "count" (the menu's); 0: one unpaged answer.
    int requestCount = 0;
    // The next reply's columns replace the grid's (another kind of rows).
    bool reshape = false;
    std::string currentPosition;
    std::vector<std::string> positionStack;
    CDataSet* lastDataSet = nullptr;
    bool headingsMade = false;
    // The request under way asks for the page after a full one (NextPage), which may come back empty. It outlives
    // a resend or a fresh trade log-in on purpose: Request asks again for that same page, after the one shown.
    bool nextPageAsked = false;

private:
    void AddRows(CDataSet* set, int signIndex, int positionIndex);
    // The set shown from now on (null: none); the one before is destroyed.
    void KeepDataSet(CDataSet* set);

    static MyFundsAdder myFundsAdder;
};
