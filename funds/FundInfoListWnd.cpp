#include "funds/FundInfoListWnd.h"

#include "core/DataSet.h"
#include "funds/FundQuery.h"
#include "shell/QueryTableWnd.h"

#include <string>

CFundInfoListWnd::CFundInfoListWnd(LPCWSTR title, HWND owner) : CQXInfoListWnd(title, owner)
{
    encrypt = 1;
}

CFundInfoListWnd::~CFundInfoListWnd() = default;

LPCWSTR CFundInfoListWnd::GetMzClassName()
{
    return u"CFundInfoListWnd";
}

// The categories are the trade account's to ask for, like every fund list.
int CFundInfoListWnd::BuildRequest(char* part, int capacity, const char*)
{
    return WriteFundRequest(part, capacity, paramText);
}

int CFundInfoListWnd::OnOK(int row)
{
    if (!reply || row < 0)
        return -1;
    CDataSet* set = *reply->GetRecord(0);
    if (set == nullptr || row >= set->GetRowCount() || !set->MoveFirst())
        return -1;
    for (int i = 0; i < row; ++i)
        set->MoveNext();
    const char* title = set->GetAsText("title");
    std::string name = title != nullptr ? title : "";
    const char* params = set->GetAsText("params");
    if (params == nullptr || params[0] == 0)
        return -1;
    std::string text = params;
    return OpenByKey("of_jjxx", -1, name.c_str(), "", text.c_str(), m_hWnd);
}
