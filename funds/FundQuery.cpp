#include "funds/FundQuery.h"

#include "core/AppData.h"
#include "core/TextHelpers.h"
#include "shell/QueryTableWnd.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

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
        wnd->Refresh(0, 0);
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
    if (account ? !WriteTradeRequest(part, capacity, wnd->GetParamText())
                : !WriteFundRequest(part, capacity, wnd->GetParamText()))
        return 0;
    // The menu's "count" is the page the server sends; the table pages by the same number.
    char* count = GetParamValue(wnd->GetParamText(), "count");
    if (count != nullptr && atoi(count) > 0)
        wnd->rowsPerPage = atoi(count);
    free(count);
    int n = (int)strlen(part);
    const char* position = wnd->GetCurrentPosition();
    int more = snprintf(part + n, (size_t)(capacity - n), "%s%s&count=%d&poststr=%s", extra != nullptr ? "&" : "",
                        extra != nullptr ? extra : "", wnd->GetRequestCount(), position != nullptr ? position : "");
    if (more < 0 || more >= capacity - n) {
        part[0] = 0;
        return 0; // a cut query would page through something else
    }
    return 1;
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
