#include "funds/FundMenuWnd.h"

#include "core/AppData.h"
#include "shell/MenuItem.h"
#include "shell/MenuNode.h"
#include "shell/MenuTree.h"

#include <string>

CFundMenuWnd::CFundMenuWnd(LPCWSTR title, HWND owner) : CQXMenuWnd(title, owner) {}

CFundMenuWnd::~CFundMenuWnd() = default;

LPCWSTR CFundMenuWnd::GetMzClassName()
{
    return u"CFundMenuWnd";
}

int CFundMenuWnd::OnOK(int child)
{
    CMenuTree* tree = CAppData::Instance()->GetMenuTree();
    CMenuNode* node = tree != nullptr && child >= 0 ? tree->FindById(menuId) : nullptr;
    CMenuNode* c = node != nullptr ? node->FirstChild() : nullptr;
    for (int i = 0; i < child && c != nullptr; ++i)
        c = c->NextSibling();
    if (c == nullptr || c->GetItem() == nullptr)
        return -1;
    CMenuItem* item = c->GetItem();
    const char* code = infoText != nullptr ? infoText : "";
    std::string params = item->GetParams() != nullptr ? item->GetParams() : "";
    params += std::string(params.empty() ? "" : "&") + "code=" + code;
    return OpenByKey(item->GetKey(), c->id, item->GetTitle(), code, params.c_str(), m_hWnd);
}
