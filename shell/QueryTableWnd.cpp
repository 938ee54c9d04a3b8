#include "shell/QueryTableWnd.h"

#include "core/AppData.h"
#include "core/ColorScheme.h"
#include "core/DataSet.h"
#include "core/ReplyRecordSet.h"
#include "core/TextHelpers.h"
#include "platform/ui/Style.h"
#include "shell/MenuItem.h"
#include "shell/MenuNode.h"
#include "shell/MenuTree.h"
#include "shell/PopMenuWnd.h"
#include "shell/WndMessages.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

MyFundsAdder CQueryTableWnd::myFundsAdder = nullptr;

namespace {

// The WM_DEFERRED_STEP that tells, once the reply handler has returned, that the page after the one shown is empty.
constexpr WPARAM STEP_NO_MORE_ROWS = 0x7E10;

} // namespace

CQueryTableWnd::CQueryTableWnd(LPCWSTR title, HWND ownerWnd) : CTableWnd(title, ownerWnd)
{
    encrypt = 1;
}

CQueryTableWnd::~CQueryTableWnd()
{
    KeepDataSet(nullptr);
}

void CQueryTableWnd::KeepDataSet(CDataSet* set)
{
    if (lastDataSet != nullptr) {
        lastDataSet->Destroy();
        delete lastDataSet;
    }
    lastDataSet = set;
}

LPCWSTR CQueryTableWnd::GetMzClassName()
{
    return u"CQueryTableWnd";
}

LRESULT CQueryTableWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DEFERRED_STEP && wParam == STEP_NO_MORE_ROWS) {
        CAppData::Instance()->ShowMessage(GbFromWide(u"当前已是最后一页，向后无更多数据显示！").c_str(), m_hWnd, 2000);
        return 1;
    }
    return CTableWnd::WindowProc(message, wParam, lParam);
}

int CQueryTableWnd::OnInitParam(int id, const char* info, const char* params)
{
    char* sign = GetParamValue(params, "sign");
    if (sign != nullptr)
        signColumn = sign;
    free(sign);
    char* position = GetParamValue(params, "position");
    positionColumn = position != nullptr ? position : "poststr";
    free(position);
    char* count = GetParamValue(params, "count");
    requestCount = count != nullptr && count[0] != 0 && IsDigitString(count) ? atoi(count) : 0;
    free(count);
    return CTableWnd::OnInitParam(id, info, params);
}

int WriteTradeRequest(char* part, int capacity, const char* fields, const std::string& account)
{
    if (part == nullptr || capacity < 1)
        return 0;
    part[0] = 0;
    CAppData* app = CAppData::Instance();
    const char* session = app->GetTradeSession();
    if (session == nullptr || session[0] == 0)
        return 0;
    if (!account.empty() && account != app->GetFundId(nullptr))
        return 0;
    int n = snprintf(part, (size_t)capacity, "%s&fundid=%s&%s", fields != nullptr ? fields : "",
                     app->GetFundId(nullptr), session);
    if (n < 0 || n >= capacity) {
        part[0] = 0;
        return 0; // a cut request would ask for another account's rows or none
    }
    return 1;
}

int CQueryTableWnd::BuildRequest(char* part, int capacity, const char*)
{
    return WriteTradeRequest(part, capacity, paramText);
}

int CQueryTableWnd::GetRequestCount()
{
    // A window pages by the row limit of its grid, which the first reply sets from the count unless the window
    // shaped the grid itself; so the first page asks for that count too.
    int limit = grid.GetColumnCount() > 0 ? grid.GetRowLimit() : requestCount;
    pageSize = limit >= 1 ? limit : DEFAULT_PAGE_SIZE;
    return pageSize;
}

void CQueryTableWnd::ShapeGrid(int shown)
{
    int visible = shown < VISIBLE_COLUMNS ? shown : VISIBLE_COLUMNS;
    grid.SetTable(requestCount, shown, 1, visible, visible > 1 ? visible - 1 : 0);
    grid.FitColumnsToWidth(VISIBLE_COLUMNS, LANDSCAPE_COLUMNS); // and again at every turn
}

// The first fields named as the sign column (when the window has one) and the position column; -1 for none.
static void FindColumns(CDataSet* set, const std::string& signColumn, const std::string& positionColumn, int* signIndex,
                        int* positionIndex)
{
    for (int i = 0; i < set->GetFieldCount(); ++i) {
        const FieldInfo* f = set->GetFieldInfo(i);
        if (f == nullptr)
            continue;
        if (*signIndex < 0 && !signColumn.empty() && StrEqualNoCase(f->name, signColumn.c_str()) == 0)
            *signIndex = i;
        if (*positionIndex < 0 && StrEqualNoCase(f->name, positionColumn.c_str()) == 0)
            *positionIndex = i;
    }
}

// The captions of every field but the position column, in field order.
static std::vector<std::u16string> Captions(CDataSet* set, int positionIndex)
{
    std::vector<std::u16string> captions;
    for (int i = 0; i < set->GetFieldCount(); ++i) {
        if (i == positionIndex)
            continue;
        const FieldInfo* f = set->GetFieldInfo(i);
        char caption[sizeof f->caption + 1] = {};
        memcpy(caption, f->caption, sizeof f->caption);
        WCHAR* wide = nullptr;
        AnsiToWide(caption, &wide);
        captions.emplace_back(wide != nullptr ? wide : u"");
        free(wide);
    }
    return captions;
}

void CQueryTableWnd::OnReply(const BYTE* data, int length, int)
{
    bool afterFullPage = nextPageAsked;
    nextPageAsked = false;
    if (data == nullptr || length <= 0)
        return;
    CReplyRecordSet reply(data, (DWORD)length);
    if (reply.hasError) {
        CAppData::Instance()->ShowMessage(reply.GetErrorText(), m_hWnd, 2000);
        return;
    }
    CDataSet** slot = reply.GetRecord(0);
    CDataSet* set = *slot;
    if (set == nullptr)
        return;
    if (afterFullPage && set->GetRowCount() == 0 && grid.GetRowCount() > 0) {
        // The last page was exactly full: its rows stay, and the user learns there is no more.
        PostMessage(WM_DEFERRED_STEP, STEP_NO_MORE_ROWS, 0);
        return;
    }
    *slot = nullptr;    // the window keeps it
    BindTradeAccount(); // the rows are the account's logged in now (a public list binds none)

    // All rows at once (the title row stays): removing them one by one measured the rest at every step.
    grid.Clear();

    int fields = set->GetFieldCount();
    int signIndex = -1, positionIndex = -1;
    FindColumns(set, signColumn, positionColumn, &signIndex, &positionIndex);
    bool headings = !headingsMade || reshape;
    headingsMade = true;
    // A window that did not shape its grid gets one column per shown field.
    if (headings && (grid.GetColumnCount() == 0 || reshape))
        ShapeGrid(fields - (positionIndex >= 0 ? 1 : 0));
    reshape = false;
    if (headings) {
        for (const std::u16string& caption : Captions(set, positionIndex))
            AddCell(caption.c_str());
    }
    if (!currentPosition.empty())
        positionStack.push_back(currentPosition);

    AddRows(set, signIndex, positionIndex);
    if (grid.GetRowCount() == 0)
        currentPosition.clear();
    KeepDataSet(set);
    Invalidate();
}

// One grid row per row of the set, coloured by its sign; the position column's text of the last row becomes the
// current position.
void CQueryTableWnd::AddRows(CDataSet* set, int signIndex, int positionIndex)
{
    int fields = set->GetFieldCount();
    CAppData* app = CAppData::Instance();
    const COLORREF plain = Style::PlainTextOn(backgroundColor);
    std::vector<std::u16string> texts;
    std::vector<COLORREF> colors;
    std::vector<DWORD> words;
    set->MoveFirst();
    for (int row = 0; row < set->GetRowCount(); ++row, set->MoveNext()) {
        // A row whose sign is neither (a holding at break-even) is plain, not the colour of the row above.
        COLORREF color = plain;
        if (signIndex >= 0) {
            int sign = GetSignOfText(set->GetAsText(signIndex));
            if (sign == 1)
                color = app->GetColor(COLOR_SIGN_PLUS);
            else if (sign == -1)
                color = app->GetColor(COLOR_SIGN_MINUS);
        }
        texts.clear();
        colors.clear();
        words.clear();
        for (int i = 0; i < fields; ++i) {
            const char* text = set->GetAsText(i);
            if (i == positionIndex) {
                currentPosition = text != nullptr ? text : "";
                continue;
            }
            WCHAR* wide = nullptr;
            AnsiToWide(text != nullptr ? text : "", &wide);
            texts.emplace_back(wide != nullptr ? wide : u"");
            free(wide);
            colors.push_back(color);
            words.push_back((DWORD)texts.size() - 1);
        }
        std::vector<LPCWSTR> pointers;
        for (auto& t : texts)
            pointers.push_back(t.c_str());
        SetCells(pointers.data(), colors.data(), words.data(), (int)pointers.size());
    }
}

// The sign column stays visible as a grid column, so only a position column before the field shifts it.
int CQueryTableWnd::GetColumnIndex(const char* name) const
{
    if (lastDataSet == nullptr || name == nullptr)
        return -1;
    bool positionBefore = false;
    for (int i = 0; i < lastDataSet->GetFieldCount(); ++i) {
        const FieldInfo* f = lastDataSet->GetFieldInfo(i);
        if (f == nullptr)
            continue;
        if (StrEqualNoCase(f->name, name) == 0)
            return i - (positionBefore ? 1 : 0);
        if (!positionBefore && StrEqualNoCase(f->name, positionColumn.c_str()) == 0)
            positionBefore = true;
    }
    return -1;
}

int CQueryTableWnd::NextPage()
{
    if (!IsWorkerIdle(0))
        return 0;
    int rows = grid.GetRowCount();
    int page = GetRequestCount();
    if (rows >= page && lastDataSet != nullptr && lastDataSet->GetRowCount() >= 1) {
        nextPageAsked = true;
        Request();
        return 1;
    }
    return 0;
}

int CQueryTableWnd::PrevPage()
{
    if (!IsWorkerIdle(0) || positionStack.empty())
        return 0;
    nextPageAsked = false;
    size_t n = positionStack.size();
    if (n == 1) {
        currentPosition.clear();
        positionStack.clear();
    } else {
        currentPosition = positionStack[n - 2];
        positionStack.resize(n - 2);
    }
    Request();
    return 1;
}

void CQueryTableWnd::Reload()
{
    nextPageAsked = false;
    currentPosition.clear();
    positionStack.clear();
    Request();
}

void CQueryTableWnd::Request()
{
    if (IsTradeAccountChanged()) {
        OnTradeAccountChanged();
        return;
    }
    CTableWnd::Request();
}

void CQueryTableWnd::OnActive()
{
    // Back from a window in which another account logged in: these rows are not that account's.
    if (!firstActivation && IsTradeAccountChanged())
        OnTradeAccountChanged();
    CTableWnd::OnActive();
}

void CQueryTableWnd::OnTradeAccountChanged()
{
    grid.Clear();
    KeepDataSet(nullptr);
    BindTradeAccount();
    Reload();
    Invalidate();
}

bool CQueryTableWnd::CheckTradeAccount()
{
    if (!CAppData::Instance()->HasTradeAccounts()) {
        CAppData::Instance()->ShowMessageBox(u"请先登录交易系统！", u"提示", m_hWnd);
        return false;
    }
    if (IsTradeAccountChanged()) {
        OnTradeAccountChanged(); // the row was another account's
        return false;
    }
    return true;
}

void CQueryTableWnd::InitMenu(CPopMenuWnd* menu)
{
    if (menu == nullptr)
        return;
    if (fundMenu) {
        static const struct {
            int id;
            const char16_t* text;
        } items[] = {{CMD_CANCEL, u"取消"},
                     {CMD_HOME, u"返回首页"},
                     {CMD_ADD_FUND, u"加入自选"},
                     {CMD_FUND_SUBSCRIBE, u"基金认购"},
                     {CMD_FUND_PURCHASE, u"基金申购"},
                     {CMD_FUND_NEWS, u"基金资讯"}};
        for (const auto& i : items) {
            MzPopupItem item;
            item.text = i.text;
            item.id = (DWORD)i.id;
            menu->AddItem(item);
        }
    }
    menu->SetShowAnimation(1);
    menu->SetHideAnimation(2);
}

void CQueryTableWnd::ShowActionMenu()
{
    CPopMenuWnd menu;
    InitMenu(&menu);
    int command = menu.RunModal(m_hWnd);
    if (command != 0)
        OnMenuCommand(command);
}

std::string CQueryTableWnd::RowField(int row, const char* name)
{
    int column = GetColumnIndex(name);
    if (column < 0)
        return std::string();
    char* text = GetCellTextA(row, column);
    std::string s = text != nullptr ? text : "";
    free(text);
    return s;
}

void CQueryTableWnd::OnMenuCommand(int command)
{
    int selected = grid.GetCurSel();
    switch (command) {
    case CMD_HOME:
        EndWnd(END_HOME);
        break;
    case CMD_ADD_FUND:
        if (selected >= 0 && lastDataSet != nullptr) {
            if (GetColumnIndex("tradingcode") >= 0 && myFundsAdder != nullptr)
                myFundsAdder(RowField(selected, "tradingcode").c_str(), m_hWnd, 0);
        } else {
            CAppData::Instance()->ShowMessageBox(u"您未选中任何记录！", u"Tips", m_hWnd);
        }
        break;
    case CMD_FUND_NEWS:
        if (selected < 0)
            CAppData::Instance()->ShowMessageBox(u"请选择您要查看的基金！", u"提示", m_hWnd);
        else
            OnOK(selected);
        break;
    case CMD_FUND_PURCHASE:
    case CMD_FUND_SUBSCRIBE: {
        const char* key = command == CMD_FUND_PURCHASE ? "of_jjsg" : "of_jjrg";
        std::string title = WideToAnsiString(command == CMD_FUND_PURCHASE ? u"基金申购" : u"基金认购");
        if (selected >= 0 && lastDataSet != nullptr) {
            std::string params = "ofcode=" + RowField(selected, "tradingcode");
            OpenByKey(key, -1, title.c_str(), "", params.c_str(), m_hWnd);
        } else {
            OpenByKey(key, -1, title.c_str(), nullptr, nullptr, m_hWnd);
        }
        break;
    }
    default:
        break;
    }
}

int CQueryTableWnd::OnOK(int row)
{
    if (GetColumnIndex("tradingcode") < 0 || GetCellText(row, GetColumnIndex("tradingcode")) == nullptr)
        return -1;
    std::string code = RowField(row, "tradingcode");
    CMenuTree* tree = CAppData::Instance()->GetMenuTree();
    CMenuNode* root = tree != nullptr ? tree->GetRoot() : nullptr;
    if (root == nullptr)
        return -1;
    for (CMenuNode* node = root->FirstChild(); node != nullptr; node = node->NextSibling()) {
        CMenuItem* item = node->GetItem();
        if (item == nullptr || StrEqualNoCase(item->GetKey(), "of_jjzx") != 0)
            continue;
        std::string title;
        bool hasTitle = GetColumnIndex("SecuAbbr") >= 0;
        if (hasTitle)
            title = RowField(row, "SecuAbbr");
        return OpenByKey(item->GetKey(), node->id, hasTitle ? title.c_str() : nullptr, code.c_str(), item->GetParams(),
                         m_hWnd);
    }
    return -1;
}
