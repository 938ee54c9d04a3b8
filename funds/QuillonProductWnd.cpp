#include "funds/QuillonProductWnd.h"

#include "funds/FundForm.h"
#include "funds/FundQuery.h"

CQuillonProductWnd::CQuillonProductWnd(LPCWSTR title, HWND owner) : CFundTableWnd(title, owner, Listing::Public)
{
    fundMenu = 0; // products, not funds
}

CQuillonProductWnd::~CQuillonProductWnd() = default;

LPCWSTR CQuillonProductWnd::GetMzClassName()
{
    return u"CQuillonProductWnd";
}

int CQuillonProductWnd::OnOK(int row)
{
    std::string code = row >= 0 ? RowField(row, "cpdm") : std::string();
    if (code.empty())
        return -1;
    return OpenByKey("qlnmr", -1, GbFromWide(u"产品购买").c_str(), "", ("cpdm=" + code).c_str(), m_hWnd);
}

void CQuillonProductWnd::OnReply(const BYTE* data, int length, int transportFailed)
{
    ShowFundPage(this, data, length, transportFailed);
}
