#include "trading/DateRangeWnd.h"

#include "shell/WndMessages.h"
#include "trading/OrderCheck.h"
#include "trading/TradeText.h"

namespace {

const WCHAR* KindText(int kind)
{
    return kind == 1 ? u"历史成交" : u"历史委托";
}

} // namespace

CDateRangeWnd::CDateRangeWnd(LPCWSTR title, HWND ownerWnd, const std::string& start, const std::string& end, int kind)
    : CFormWnd(title, ownerWnd), start(start), end(end), kind(kind)
{
    actionLabel = u"查询";
    bindsTradeAccount = false; // it acts for no trade account
}

LPCWSTR CDateRangeWnd::GetMzClassName()
{
    return u"CDateRangeWnd";
}

void CDateRangeWnd::CreateControls()
{
    startEdit = rows.AddEdit(u"起始日期", SIP_KIND_NUMBER, 8);
    endEdit = rows.AddEdit(u"终止日期", SIP_KIND_NUMBER, 8);
    if (kind != NO_KIND)
        kindButton = rows.AddChoice(u"查询类别", KindText(kind), ID_KIND, [this] {
            kind = kind == 1 ? 0 : 1;
            kindButton->SetText(KindText(kind));
        });
    startEdit->SetText(WideFromGb(start.c_str()).c_str());
    endEdit->SetText(WideFromGb(end.c_str()).c_str());
}

void CDateRangeWnd::OnActionButton()
{
    std::string from = GbFromWide(startEdit->GetText());
    std::string to = GbFromWide(endEdit->GetText());
    std::u16string message = CheckDateRange(from.c_str(), to.c_str());
    if (!message.empty()) {
        ShowNotice(message.c_str(), m_hWnd);
        return;
    }
    start = from;
    end = to;
    picked = true;
    EndWnd(END_RETURN);
}
