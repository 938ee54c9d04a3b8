#include "trading/TradeCancelWnd.h"

#include "core/TextHelpers.h"
#include "shell/PopMenuWnd.h"
#include "trading/TradeConfirmWnd.h"
#include "trading/TradeText.h"

#include <cstring>

CTradeCancelWnd::CTradeCancelWnd(LPCWSTR title, HWND ownerWnd) : CTradeQueryTableWnd(title, ownerWnd) {}

LPCWSTR CTradeCancelWnd::GetMzClassName()
{
    return u"CTradeCancelWnd";
}

std::string CTradeCancelWnd::ExtraFields()
{
    // Only the orders that can still be cancelled.
    const char* params = paramText != nullptr ? paramText : "";
    return StrStrNoCase(params, (int)strlen(params), "kcd=") == nullptr ? "&kcd=1" : "";
}

void CTradeCancelWnd::AddToolButtons()
{
    AddTool(TOOL_MENU, 126);
    AddTool(TOOL_PREVIOUS, 124);
    AddTool(TOOL_NEXT, 123);
    AddTool(TOOL_REFRESH, 115);
    AddTool(TOOL_CANCEL_ORDER, 131, u"撤单");
    AddTool(TOOL_BACK, 116);
}

void CTradeCancelWnd::OnToolCommand(int command)
{
    if (command == TOOL_CANCEL_ORDER)
        CancelSelected();
}

void CTradeCancelWnd::InitMenu(CPopMenuWnd* menu)
{
    CTradeQueryTableWnd::InitMenu(menu);
    if (menu == nullptr)
        return;
    MzPopupItem item; // added last, so at the top
    item.text = u"撤单";
    item.id = CMD_CANCEL_ORDER;
    menu->AddItem(item);
}

void CTradeCancelWnd::OnMenuCommand(int command)
{
    if (command == CMD_CANCEL_ORDER)
        CancelSelected();
    else
        CTradeQueryTableWnd::OnMenuCommand(command);
}

void CTradeCancelWnd::CancelSelected()
{
    int row = grid.GetCurSel();
    if (row < 0 || row >= grid.GetRowCount()) {
        ShowNotice(u"请先选择要撤销的委托！", m_hWnd);
        return;
    }
    OnRowTap(row);
}

void CTradeCancelWnd::OnRowTap(int row)
{
    if (!CheckTradeAccount())
        return;
    std::string number = RowField(row, "wtbh");
    if (number.empty() || number.find_first_of("&=") != std::string::npos)
        return;
    static const struct {
        const char* field;
        const char16_t* label;
    } shown[] = {{"wtbh", u"委托编号"}, {"zqdm", u"证券代码"}, {"zqmc", u"证券名称"}, {"mmlb", u"买卖方向"},
                 {"jg", u"委托价格"},   {"sl", u"委托数量"},   {"cjsl", u"成交数量"}};
    CTradeConfirmWnd* confirm = new CTradeConfirmWnd(u"撤单", m_hWnd);
    for (const auto& line : shown)
        if (GetColumnIndex(line.field) >= 0)
            confirm->AddLine(line.label, WideFromGb(RowField(row, line.field).c_str()).c_str());
    confirm->SetOrderRequest(("tc_mfuncno=600&tc_sfuncno=7&wtbh=" + number).c_str());
    int outcome = confirm->RunModal();
    delete confirm;
    if (outcome == CTradeConfirmWnd::ACCEPTED)
        ShowText(u"撤单已提交！", m_hWnd, 2000);
    if (outcome != CTradeConfirmWnd::NOT_SENT)
        Reload();
}
