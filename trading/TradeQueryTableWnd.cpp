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
    AddToolButtons();
    return TRUE;
}

void CTradeQueryTableWnd::AddToolButtons()
{
    AddTool(TOOL_MENU, 126);
    AddTool(TOOL_PREVIOUS, 124);
    AddTool(TOOL_NEXT, 123);
    AddTool(TOOL_REFRESH, 115);
    AddTool(TOOL_BACK, 116);
}

void CTradeQueryTableWnd::AddTool(int command, UINT image, LPCWSTR text)
{
    toolBar.AddButton(image, text);
    toolCommands.push_back(command);
}

int CTradeQueryTableWnd::GetToolCommand(int button) const
{
    return button >= 0 && button < (int)toolCommands.size() ? toolCommands[(size_t)button] : -1;
}

void CTradeQueryTableWnd::OnToolCommand(int) {}

void CTradeQueryTableWnd::OnReply(const BYTE* data, int length, int transportFailed)
{
    CQueryTableWnd::OnReply(data, length, transportFailed);
    // Positions carry the market as its number; the user reads the exchange's name.
    int column = GetColumnIndex("market");
    if (column < 0)
        return;
    static const char16_t* const names[] = {u"", u"深圳", u"上海", u"香港"};
    for (int row = 0; row < grid.GetRowCount(); ++row) {
        GridCell* cell = GetCell(row, column);
        if (cell == nullptr)
            continue;
        std::u16string text = cell->text.C_Str();
        if (text.size() == 1 && text[0] >= u'1' && text[0] <= u'3')
            cell->text = names[text[0] - u'0'];
    }
    Invalidate();
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
    switch (GetToolCommand((int)lParam)) {
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
        OnToolCommand(GetToolCommand((int)lParam));
        break;
    }
}
