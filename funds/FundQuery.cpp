#include "funds/FundQuery.h"

#include "core/AppData.h"
#include "core/ColorScheme.h"
#include "core/DataSet.h"
#include "core/TextHelpers.h"
#include "platform/ui/Style.h"
#include "shell/PopMenuWnd.h"
#include "shell/QueryTableWnd.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

void AddQueryToolBar(CQueryTableWnd* wnd)
{
    // Menu, previous, next, refresh and back pictures of the program's image set; a menu button that would open
    // nothing is left out.
    const UINT images[] = {126, 124, 123, 115, 116};
    for (UINT image : images)
        if (image != images[QUERY_MENU] || wnd->fundMenu)
            wnd->GetToolBar().AddButton(image);
}

bool OnQueryCommand(CQueryTableWnd* wnd, WPARAM wParam, LPARAM lParam)
{
    int id = LOWORD(wParam);
    if (id == CTableWnd::ID_GRID) {
        if (HIWORD(wParam) == CGridList::NOTIFY_ROW_OPENED)
            wnd->OnOK((int)lParam);
        return true;
    }
    if (id != ID_TOOL_BAR)
        return false;
    // Without the menu button the others sit one place to the left.
    int button = (int)lParam + (wnd->GetToolBar().GetButtonCount() < QUERY_BACK + 1 ? 1 : 0);
    switch (button) {
    case QUERY_MENU:
        if (wnd->fundMenu)
            wnd->ShowActionMenu();
        break;
    case QUERY_PREV:
        wnd->PrevPage();
        break;
    case QUERY_NEXT:
        wnd->NextPage();
        break;
    case QUERY_REFRESH:
        wnd->Reload();
        break;
    case QUERY_BACK:
        wnd->EndWnd(END_BACK);
        break;
    default:
        break;
    }
    return true;
}

// A fund's name beside the next cell's figure reads as one text without it ("海澜沪深300指数9").
constexpr int FUND_CELL_INSET = 6;

void ShapeFundGrid(CGridList& grid, int rowLimit, int shown)
{
    grid.SetTable(rowLimit, shown, 1, 3, 2);
    grid.FitColumnsToWidth(3, 4); // and again after every turn of the screen
    grid.SetCellInset(FUND_CELL_INSET);
}

namespace {

enum CellMeaning { CELL_PLAIN, CELL_DAY_CHANGE, CELL_SIGNED };

CellMeaning MeaningOf(const char* field)
{
    if (StrEqualNoCase(field, "zdf") == 0)
        return CELL_DAY_CHANGE;
    // Returns over a period, and the gain of a holding.
    static const char* const signedFields[] = {"zf1w", "zf1m", "zf3m", "zf6m", "zf1y", "zfjn", "fdyk"};
    for (const char* name : signedFields)
        if (StrEqualNoCase(field, name) == 0)
            return CELL_SIGNED;
    return CELL_PLAIN;
}

} // namespace

void ColourFundCells(CQueryTableWnd* wnd)
{
    CDataSet* set = wnd->GetLastDataSet();
    if (set == nullptr)
        return;
    CAppData* app = CAppData::Instance();
    COLORREF plain = Style::PlainTextOn(wnd->backgroundColor);
    CGridList& grid = wnd->GetGrid();
    int column = 0;
    for (int i = 0; i < set->GetFieldCount(); ++i) {
        const FieldInfo* f = set->GetFieldInfo(i);
        if (f == nullptr)
            continue;
        if (StrEqualNoCase(f->name, wnd->GetPositionColumn().c_str()) == 0)
            continue; // not shown
        CellMeaning meaning = MeaningOf(f->name);
        set->MoveFirst();
        for (int row = 0; row < grid.GetRowCount() && row < set->GetRowCount(); ++row, set->MoveNext()) {
            GridCell* cell = grid.GetCell(row, column);
            if (cell == nullptr)
                continue;
            const char* text = set->GetAsText(i);
            int sign = meaning == CELL_PLAIN || text == nullptr ? 0 : GetSignOfText(text);
            if (meaning == CELL_DAY_CHANGE)
                cell->textColor = app->GetColor(sign > 0 ? COLOR_RISE : sign < 0 ? COLOR_FALL : COLOR_UNCHANGED);
            else
                cell->textColor = sign > 0   ? app->GetColor(COLOR_SIGN_PLUS)
                                  : sign < 0 ? app->GetColor(COLOR_SIGN_MINUS)
                                             : plain;
        }
        ++column;
    }
    wnd->Invalidate();
}

bool ShowFundPage(CQueryTableWnd* wnd, const BYTE* data, int length, int transportFailed)
{
    CDataSet* before = wnd->GetLastDataSet();
    wnd->CQueryTableWnd::OnReply(data, length, transportFailed);
    if (wnd->GetLastDataSet() == before)
        return false;
    ColourFundCells(wnd);
    return true;
}

void AddMenuEntry(CPopMenuWnd* menu, int id, const char16_t* text)
{
    if (menu == nullptr)
        return;
    MzPopupItem item;
    item.text = text;
    item.id = (DWORD)id;
    menu->AddItem(item);
}

int WriteFundRequest(char* part, int capacity, const char* fields)
{
    if (CAppData::Instance()->HasTradeAccounts())
        return WriteTradeRequest(part, capacity, fields);
    int n = snprintf(part, (size_t)capacity, "%s", fields != nullptr ? fields : "");
    if (n < 0 || n >= capacity) {
        part[0] = 0;
        return 0;
    }
    return 1;
}

int BuildFundQuery(CQueryTableWnd* wnd, char* part, int capacity, bool account, const char* extra)
{
    // The page the server sends is the page the table pages by (the menu's "count", which shapes the grid).
    char* fields = SetParamValue(wnd->GetParamText() != nullptr ? wnd->GetParamText() : "", "count",
                                 std::to_string(wnd->GetRequestCount()).c_str());
    if (fields == nullptr)
        return 0;
    const char* position = wnd->GetCurrentPosition();
    std::string text = std::string(fields) + (extra != nullptr ? "&" : "") + (extra != nullptr ? extra : "") +
                       "&poststr=" + (position != nullptr ? position : "");
    free(fields);
    return account ? WriteTradeRequest(part, capacity, text.c_str()) : WriteFundRequest(part, capacity, text.c_str());
}

void AskTradeLoginOnce(CNetWnd* wnd, bool* asked)
{
    if (*asked)
        return;
    *asked = true;
    if (!CAppData::Instance()->HasTradeAccounts())
        wnd->PostMessage(WM_DEFERRED_STEP, STEP_TRADE_LOGIN, 0);
}

bool OnTradeLoginStep(CNetWnd* wnd, UINT message, WPARAM wParam)
{
    if (message != WM_DEFERRED_STEP || wParam != STEP_TRADE_LOGIN)
        return false;
    CAppData* app = CAppData::Instance();
    if (!app->HasTradeAccounts())
        app->ShowTradeLogin(wnd->GetHWND(), -1);
    if (app->HasTradeAccounts())
        wnd->Request();
    else
        wnd->EndWnd(END_BACK);
    return true;
}
