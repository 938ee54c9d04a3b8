#include "funds/FundQuery.h"

#include "core/AppData.h"
#include "core/TextHelpers.h"
#include "shell/QueryTableWnd.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

void AddQueryToolBar(CQueryTableWnd* wnd)
{
    // Menu, previous, next, refresh and back pictures of the program's image set.
    const UINT images[] = {126, 124, 123, 115, 116};
    for (UINT image : images)
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
    switch ((int)lParam) {
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
