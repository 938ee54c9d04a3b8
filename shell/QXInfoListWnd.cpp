// The news headline list.
#include "shell/QXInfoListWnd.h"

#include "core/AppData.h"
#include "core/DataSet.h"
#include "core/TextHelpers.h"
#include "shell/MenuItem.h"
#include "shell/MenuTree.h"

#include <cstdio>
#include <cstdlib>
#include <string>

CQXInfoListWnd::CQXInfoListWnd(LPCWSTR title, HWND owner) : CListWnd(title, owner)
{
    wndType = WND_TYPE_INFO_LIST;
}

CQXInfoListWnd::~CQXInfoListWnd() = default;

LPCWSTR CQXInfoListWnd::GetMzClassName()
{
    return u"CQXInfoListWnd";
}

LRESULT CQXInfoListWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DEFERRED_STEP) {
        if (wParam == STEP_OPEN_ARTICLE)
            OnOK((int)lParam);
        return 1;
    }
    return CNetWnd::WindowProc(message, wParam, lParam);
}

BOOL CQXInfoListWnd::OnInitDialog()
{
    if (!CListWnd::OnInitDialog())
        return FALSE;
    menuList.textAlign = 0;
    return TRUE;
}

int CQXInfoListWnd::OnInitParam(int id, const char* info, const char* params)
{
    CNetWnd::OnInitParam(id, info, params);
    menuList.RemoveAll();
    CMenuTree* tree = CAppData::Instance()->GetMenuTree();
    CMenuNode* node = tree != nullptr ? tree->FindById(menuId) : nullptr;
    if (node != nullptr) {
        for (CMenuNode* child = node->FirstChild(); child != nullptr; child = child->NextSibling()) {
            CMenuItem* item = child->GetItem();
            WCHAR* wide = nullptr;
            AnsiToWide(item != nullptr && item->GetTitle() != nullptr ? item->GetTitle() : "", &wide);
            menuList.AddRow(wide != nullptr ? wide : u"", u"", menuList.GetTextColor());
            free(wide);
        }
    }
    menuList.SetSelectedIndex(0);
    return 1;
}

void CQXInfoListWnd::OnReply(const BYTE* data, int length, int)
{
    if (data == nullptr || length <= 0)
        return;
    reply = std::make_unique<CReplyRecordSet>(data, (DWORD)length);
    if (reply->hasError) {
        CAppData::Instance()->ShowMessage(reply->GetErrorText(), m_hWnd, 0);
        reply.reset();
        return;
    }
    menuList.RemoveAll();
    CDataSet* set = *reply->GetRecord(0);
    if (set != nullptr && set->MoveFirst()) {
        do {
            const char* text = set->GetAsText(1);
            WCHAR* wide = nullptr;
            AnsiToWide(text != nullptr ? text : "", &wide);
            menuList.AddRow(wide != nullptr ? wide : u"", u"", menuList.GetTextColor());
            free(wide);
        } while (set->MoveNext() && !set->IsEOF());
    }
    menuList.SetSelectedIndex(0);
    Invalidate();
}

char* CQXInfoListWnd::MakeArticleRequest(const char* listParams, int newsId)
{
    char* sub = GetParamValue(listParams, "cont_sfunc");
    char* main = GetParamValue(listParams, "tc_mfuncno");
    const char* m = main != nullptr ? main : "";
    const char* s = sub != nullptr ? sub : "";
    int n = std::snprintf(nullptr, 0, "tc_mfuncno=%s&tc_sfuncno=%s&newsid=%d", m, s, newsId);
    auto* text = static_cast<char*>(malloc((size_t)n + 1));
    if (text != nullptr)
        std::snprintf(text, (size_t)n + 1, "tc_mfuncno=%s&tc_sfuncno=%s&newsid=%d", m, s, newsId);
    free(sub);
    free(main);
    return text;
}

int CQXInfoListWnd::OnOK(int row)
{
    if (!reply || row < 0)
        return -1;
    CDataSet* set = *reply->GetRecord(0);
    if (set == nullptr || set->GetRowCount() == 0 || !set->MoveFirst())
        return -1;
    for (int i = 0; i < row; ++i)
        if (!set->MoveNext() || set->IsEOF())
            return -1;
    int newsId = set->GetAsInt(0);
    const char* headline = set->GetAsText(1);
    std::string title = headline != nullptr ? headline : "";
    char* request = MakeArticleRequest(paramText, newsId);
    int result = -1;
    if (request != nullptr)
        result = OpenByKey("newscontent", -1, title.c_str(), "", request, m_hWnd);
    free(request);
    return result;
}

void CQXInfoListWnd::OnItemClick(int row)
{
    PostMessage(WM_DEFERRED_STEP, STEP_OPEN_ARTICLE, row);
}
