#include "trading/TradeQueryTableWnd.h"

#include "core/AppData.h"
#include "shell/PopMenuWnd.h"
#include "shell/WndMessages.h"
#include "trading/TradeText.h"

CTradeQueryTableWnd::CTradeQueryTableWnd(LPCWSTR title, HWND ownerWnd) : CQueryTableWnd(title, ownerWnd)
{
    fundMenu = 0;
}

CTradeQueryTableWnd::~CTradeQueryTableWnd() = default;

LPCWSTR CTradeQueryTableWnd::GetMzClassName()
{
    return u"CTradeQueryTableWnd";
}

BOOL CTradeQueryTableWnd::OnInitDialog()
{
    if (!CQueryTableWnd::OnInitDialog())
        return FALSE;
    const UINT images[] = {126, 124, 123, 115, 116}; // menu, previous, next, refresh, back
    for (UINT image : images)
        toolBar.AddButton(image);
    return TRUE;
}

std::string CTradeQueryTableWnd::ExtraFields()
{
    return std::string();
}

int CTradeQueryTableWnd::BuildRequest(char* part, int capacity, const char*)
{
    part[0] = 0;
    if (!CAppData::Instance()->HasTradeAccounts())
        return 0;
    std::string fields = paramText != nullptr ? paramText : "";
    fields += ExtraFields();
    if (requestCount > 0)
        fields += "&poststr=" + currentPosition;
    return WriteTradeRequest(part, capacity, fields.c_str());
}

void CTradeQueryTableWnd::OnActive()
{
    // After a trade log-out the account's rows are no one's to see.
    if (!CAppData::Instance()->HasTradeAccounts() && firstActivation)
        ShowText(u"请先登录交易系统！", m_hWnd, 2000);
    CQueryTableWnd::OnActive();
}

void CTradeQueryTableWnd::OnRowTap(int) {}

void CTradeQueryTableWnd::InitMenu(CPopMenuWnd* menu)
{
    if (menu == nullptr)
        return;
    static const PopMenuChoice items[] = {{CMD_CANCEL, u"取消"}, {CMD_HOME, u"返回首页"}};
    for (const PopMenuChoice& choice : items) {
        MzPopupItem item;
        item.text = choice.text;
        item.id = (DWORD)choice.id;
        menu->AddItem(item);
    }
    CQueryTableWnd::InitMenu(menu);
}

void CTradeQueryTableWnd::OnMzCommand(WPARAM wParam, LPARAM lParam)
{
    int id = LOWORD(wParam);
    if (id == ID_GRID) {
        if (HIWORD(wParam) == CGridList::NOTIFY_ROW_OPENED && (int)lParam >= 0)
            OnRowTap((int)lParam);
        return;
    }
    if (id != ID_TOOL_BAR)
        return;
    switch ((int)lParam) {
    case TOOL_MENU:
        ShowActionMenu();
        break;
    case TOOL_PREVIOUS:
        if (!PrevPage())
            ShowText(u"当前是第一页！", m_hWnd, 1000);
        break;
    case TOOL_NEXT:
        if (!NextPage())
            ShowText(u"当前已是最后一页！", m_hWnd, 1000);
        break;
    case TOOL_REFRESH:
        Reload();
        break;
    case TOOL_BACK:
        EndWnd(END_BACK);
        break;
    default:
        break;
    }
}
