// The server menu window.
#include "shell/QXMenuWnd.h"

#include "core/AppData.h"
#include "core/DataSet.h"
#include "core/TextHelpers.h"
#include "platform/ui/Style.h"
#include "shell/MenuItem.h"
#include "shell/MenuTree.h"

#include <cstdlib>

CQXMenuWnd::CQXMenuWnd(LPCWSTR title, HWND owner) : CListWnd(title, owner)
{
    wndType = WND_TYPE_SERVER_MENU;
}

CQXMenuWnd::~CQXMenuWnd() = default;

LPCWSTR CQXMenuWnd::GetMzClassName()
{
    return u"CQXMenuWnd";
}

LRESULT CQXMenuWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DEFERRED_STEP) {
        if (OnOK((int)lParam) == -1)
            CAppData::Instance()->ShowMessageBox(u"Show window error！", u"ERR", m_hWnd);
        return 1;
    }
    return CNetWnd::WindowProc(message, wParam, lParam);
}

BOOL CQXMenuWnd::OnInitDialog()
{
    if (!CListWnd::OnInitDialog())
        return FALSE;
    menuList.textAlign = 1;
    menuList.showArrow = 1;
    return TRUE;
}

int CQXMenuWnd::OnInitParam(int id, const char* info, const char* params)
{
    CNetWnd::OnInitParam(id, info, params);
    menuList.RemoveAll();
    CMenuTree* tree = CAppData::Instance()->GetMenuTree();
    FillFromNode(tree != nullptr ? tree->FindById(menuId) : nullptr);
    return 1;
}

void CQXMenuWnd::AddItem(LPCWSTR text, COLORREF color)
{
    menuList.AddRow(text, u"", color == NO_COLOR ? Style::MenuText : color);
}

int CQXMenuWnd::FillFromNode(CMenuNode* node, COLORREF color)
{
    if (node == nullptr)
        return 0;
    int added = 0;
    for (CMenuNode* child = node->FirstChild(); child != nullptr; child = child->NextSibling()) {
        CMenuItem* item = child->GetItem();
        WCHAR* wide = nullptr;
        AnsiToWide(item != nullptr && item->GetTitle() != nullptr ? item->GetTitle() : "", &wide);
        AddItem(wide != nullptr ? wide : u"", color);
        free(wide);
        ++added;
    }
    menuList.SetSelectedIndex(0);
    return added;
}

int CQXMenuWnd::BuildRequest(char* part, int capacity, const char* whole)
{
    // A sub-menu fetched once stays in the application's tree for the rest of the run.
    if (CAppData::Instance()->IsMenuRegistered(menuId))
        return 0;
    return CNetWnd::BuildRequest(part, capacity, whole);
}

void CQXMenuWnd::OnReply(const BYTE* data, int length, int)
{
    if (data == nullptr || length <= 0)
        return;
    CAppData* app = CAppData::Instance();
    reply = std::make_unique<CReplyRecordSet>(data, (DWORD)length);
    if (reply->hasError) {
        app->ShowMessage(reply->GetErrorText(), m_hWnd, 3000);
        reply.reset();
        return;
    }
    menuList.RemoveAll();
    auto* tree = new CMenuTree;
    if (ParseMenuItems(*reply->GetRecord(0), tree))
        app->RegisterMenu(tree, menuId); // takes the tree
    else
        delete tree; // no menu records: nothing to remember, the next visit asks again
    CMenuTree* main = app->GetMenuTree();
    FillFromNode(main != nullptr ? main->FindById(menuId) : nullptr);
    Invalidate();
}

void CQXMenuWnd::OnItemClick(int row)
{
    PostMessage(WM_DEFERRED_STEP, 0, row);
}
