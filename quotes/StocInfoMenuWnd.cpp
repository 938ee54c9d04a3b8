// The stock information menu.
#include "quotes/StocInfoMenuWnd.h"

#include "core/AppData.h"
#include "core/TextHelpers.h"
#include "shell/MenuItem.h"
#include "shell/MenuNode.h"
#include "shell/MenuTree.h"

#include <cstdlib>

CStocInfoMenuWnd::CStocInfoMenuWnd(LPCWSTR title, HWND parent) : CQXMenuWnd(title, parent) {}

CStocInfoMenuWnd::~CStocInfoMenuWnd() = default;

LPCWSTR CStocInfoMenuWnd::GetMzClassName()
{
    return u"CStocInfoMenuWnd";
}

std::string CStocInfoMenuWnd::MakeEntryParams(const char* entryParams, const char* code)
{
    std::string text = entryParams != nullptr ? entryParams : "";
    text += "&stkcode=";
    text += code != nullptr ? code : "";
    return text;
}

std::string CStocInfoMenuWnd::MakeEntryTitle(const char* entryTitle, LPCWSTR stockName)
{
    std::string text = entryTitle != nullptr ? entryTitle : "";
    text += "_";
    char* name = nullptr;
    WideToAnsi(stockName != nullptr ? stockName : u"", &name);
    if (name != nullptr)
        text += name;
    free(name);
    return text;
}

int CStocInfoMenuWnd::OnOK(int index)
{
    if (index < 0)
        return -1;
    CMenuTree* tree = CAppData::Instance()->GetMenuTree();
    CMenuNode* node = tree != nullptr ? tree->FindById(menuId) : nullptr;
    if (node == nullptr)
        return -1;
    CMenuNode* entry = node->FirstChild();
    for (int i = 0; i < index && entry != nullptr; ++i)
        entry = entry->NextSibling();
    // An entry without its item (a node left over from a changed tree) opens nothing either.
    if (entry == nullptr || entry->GetItem() == nullptr)
        return -1;
    CMenuItem* item = entry->GetItem();
    std::string params = MakeEntryParams(item->GetParams(), infoText);
    std::string caption = MakeEntryTitle(item->GetTitle(), title);
    return OpenByKey(item->GetKey(), entry->id, caption.c_str(), "", params.c_str(), m_hWnd);
}
