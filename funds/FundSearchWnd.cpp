#include "funds/FundSearchWnd.h"

#include "core/TextHelpers.h"
#include "funds/FundFunctions.h"

CFundSearchWnd::CFundSearchWnd(LPCWSTR title, HWND owner) : CFormWnd(title, owner)
{
    actionLabel = u"查询";
    bindsTradeAccount = false; // it acts for no trade account
}

CFundSearchWnd::~CFundSearchWnd() = default;

LPCWSTR CFundSearchWnd::GetMzClassName()
{
    return u"CFundSearchWnd";
}

void CFundSearchWnd::CreateControls()
{
    keyEdit = rows.AddEdit(u"基金名称", SIP_KIND_SEARCH, 20);
    keyEdit->SetTip(u"名称或代码");
}

std::string CFundSearchWnd::MakeSearchParams(const std::string& typed, const char16_t** problem) const
{
    *problem = nullptr;
    if (typed.empty()) {
        *problem = u"请输入基金名称或代码！";
        return std::string();
    }
    // The server takes the text as it comes: these would end it or start another field.
    if (typed.find_first_of("&= ") != std::string::npos) {
        *problem = u"基金名称不能含有空格、&和=！";
        return std::string();
    }
    const char* params = GetParamText();
    std::string text = params != nullptr && params[0] != 0 ? params : FundFunction(FUND_FUNCTIONS, FUND_SEARCH);
    text += "&sign=zdf&position=poststr&count=20";
    text += (IsDigitString(typed.c_str()) ? "&ofcode=" : "&name=") + typed;
    return text;
}

void CFundSearchWnd::OnActionButton()
{
    const char16_t* problem = nullptr;
    std::string params = MakeSearchParams(GbFromWide(keyEdit->GetText()), &problem);
    if (problem != nullptr) {
        ShowFormTip(this, problem);
        return;
    }
    OpenByKey("of_jjxx", -1, GbFromWide(u"基金查询结果").c_str(), "", params.c_str(), m_hWnd);
}
