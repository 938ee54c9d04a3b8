#include "quotes/QXStockTableWnd.h"

#include "core/AppData.h"
#include "core/DataSet.h"
#include "core/KeyValueMap.h"
#include "core/ReplyRecordSet.h"
#include "core/ServerConfig.h"
#include "core/TextHelpers.h"
#include "quotes/MyQuotes.h"
#include "quotes/QuoteRequest.h"
#include "quotes/QuoteTools.h"
#include "quotes/StockSortParamWnd.h"
#include "shell/PopMenuWnd.h"
#include "shell/WndManager.h"
#include "shell/WndMessages.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

CServerConfig* LoadedDict()
{
    CServerConfig* dict = CAppData::Instance()->GetQuoteParamDict();
    if (dict != nullptr)
        dict->Load(0);
    return dict;
}

// First pair of a setting (key and name), empty when none.
void FirstPair(CServerConfig* dict, const char* setting, std::string& key, std::string& name)
{
    key.clear();
    name.clear();
    if (dict == nullptr)
        return;
    KeyValueMap pairs(dict->Get(setting));
    if (pairs.GetCount() > 0) {
        key = pairs.GetKey(0) != nullptr ? pairs.GetKey(0) : "";
        name = pairs.GetValue(0) != nullptr ? pairs.GetValue(0) : "";
    }
}

} // namespace

CQXStockTableWnd::CQXStockTableWnd(LPCWSTR title, HWND parent) : CQXTableWnd(title, parent)
{
    pageSize = PAGE_SIZE;
    page = 0;
    CServerConfig* dict = LoadedDict();
    FirstPair(dict, "market", marketKey, marketName);
    FirstPair(dict, "type", classKey, className);
    FirstPair(dict, "sort", sortKey, sortName);
    const char* refresh = CAppData::Instance()->GetConfig("Quote_IsRefresh");
    autoRefresh = (refresh != nullptr && refresh[0] == '1') ? 1 : 0;
    requestOnActive = 1;
}

CQXStockTableWnd::~CQXStockTableWnd() = default;

LPCWSTR CQXStockTableWnd::GetMzClassName()
{
    return u"CQXStockTableWnd";
}

void CQXStockTableWnd::TakeKey(const char* setting, const char* value, std::string& key, std::string& name)
{
    if (value == nullptr || StrEqualNoCase(value, key.c_str()) == 0)
        return;
    firstActivation = 1;
    key = value;
    name.clear();
    CServerConfig* dict = LoadedDict();
    if (dict == nullptr)
        return;
    KeyValueMap pairs(dict->Get(setting));
    for (int i = 0; i < pairs.GetCount(); ++i) {
        const char* k = pairs.GetKey(i);
        if (k != nullptr && strcmp(k, value) == 0) {
            name = pairs.GetValue(i) != nullptr ? pairs.GetValue(i) : "";
            break;
        }
    }
}

int CQXStockTableWnd::OnInitParam(int id, const char* info, const char* params)
{
    if (info != nullptr && info[0] != 0) {
        struct {
            const char* setting;
            std::string* key;
            std::string* name;
        } fields[] = {
            {"market", &marketKey, &marketName}, {"type", &classKey, &className}, {"sort", &sortKey, &sortName}};
        for (auto& f : fields) {
            char* value = GetParamValue(info, f.setting);
            if (value != nullptr)
                TakeKey(f.setting, value, *f.key, *f.name);
            free(value);
        }
        char* d = GetParamValue(info, "direct");
        if (d != nullptr && atoi(d) != direct) {
            firstActivation = 1;
            direct = atoi(d);
        }
        free(d);
    }
    return CQXTableWnd::OnInitParam(id, info, params);
}

BOOL CQXStockTableWnd::OnInitDialog()
{
    if (!CQXTableWnd::OnInitDialog())
        return FALSE;
    tools = {{QuoteTool::Menu, [this] { ShowActionMenu(); }},
             {QuoteTool::Search},
             {QuoteTool::PreviousPage, [this] { PreviousPage(); }},
             {QuoteTool::NextPage, [this] { NextPage(); }},
             {QuoteTool::Refresh},
             {QuoteTool::Back}};
    AddQuoteTools(toolBar, tools);
    return TRUE;
}

std::u16string CQXStockTableWnd::CaptionText() const
{
    return WideFromGb((marketName + className + sortName).c_str());
}

void CQXStockTableWnd::OnActive()
{
    if (firstActivation) {
        SetCaption(CaptionText().c_str());
        Invalidate();
    }
    CQXTableWnd::OnActive();
}

int CQXStockTableWnd::BuildRequest(char* part, int capacity, const char*)
{
    if (part == nullptr || capacity < 1)
        return 0;
    return CopyRequest(
        BuildRankRequest(paramText, marketKey.c_str(), classKey.c_str(), sortKey.c_str(), direct, page, pageSize), part,
        capacity);
}

void CQXStockTableWnd::OnReply(const BYTE* data, int length, int)
{
    if (data == nullptr || length <= 0)
        return;
    CReplyRecordSet reply(data, (DWORD)length);
    CAppData* app = CAppData::Instance();
    if (reply.hasError) {
        app->ShowMessage(reply.GetErrorText(), m_hWnd, 5000);
        return;
    }
    // A refresh keeps the user's stock chosen, wherever its row now stands; the choice goes with it.
    std::string chosen = SelectedStock();
    grid.RemoveAll();
    CDataSet* set = reply.GetCount() > 0 ? *reply.GetRecord(0) : nullptr;
    if (set != nullptr && set->GetFieldCount() >= 8) {
        set->MoveFirst();
        for (int r = 0; r < set->GetRowCount(); ++r, set->MoveNext())
            AddQuoteRow(set);
    }
    if (grid.GetItemCount() == 0)
        Box(u"当前页无数据显示，请返回上一页！", u"");
    SelectStock(chosen);
    grid.ScrollToTop(true);
    Invalidate();
}

void CQXStockTableWnd::Box(const char16_t* text, const char16_t* caption)
{
    CAppData::Instance()->ShowMessageBox(text, caption, m_hWnd);
}

int CQXStockTableWnd::OnOK(int row)
{
    if (row < 0 || GetRow(row) == nullptr)
        return -1;
    std::string params = "date=&code=" + RowCodeMarket(row);
    return OpenByKey("fschart", -1, GbFromWide(u"分时走势").c_str(), "", params.c_str(), m_hWnd);
}

void CQXStockTableWnd::PreviousPage()
{
    if (page >= 1) {
        --page;
        Request();
    } else {
        Box(u"当前是第一页，向前无多数据显示！", u"");
    }
}

void CQXStockTableWnd::NextPage()
{
    if (pageSize == 0)
        Box(u"ERR:m_nPageSize == 0!", u"");
    else if (grid.GetItemCount() >= pageSize) {
        ++page;
        Request();
    } else {
        Box(u"当前已是最后一页，向后无更多数据显示！", u"");
    }
}

void CQXStockTableWnd::OnMzCommand(WPARAM wParam, LPARAM lParam)
{
    int id = LOWORD(wParam);
    if (id == ID_GRID) {
        OnOK((int)lParam);
        return;
    }
    if (id == ID_HEADER) {
        direct = lParam != 0 ? 0 : 1;
        page = 0;
        SendRequest(-1, 0);
        return;
    }
    if (id == ID_TOOL_BAR)
        TapQuoteTool(this, tools, (int)lParam);
}

void CQXStockTableWnd::ShowActionMenu()
{
    static const PopMenuChoice items[] = {{CMD_CANCEL, u"取消"},
                                          {CMD_SELL, u"卖出委托"},
                                          {CMD_BUY, u"买入委托"},
                                          {CMD_DETAIL, u"详细报价"},
                                          {CMD_ADD_TO_MY_QUOTES, u"加入自选"},
                                          {CMD_SORT_PARAMS, u"排序参数"}};
    int command = CPopMenuWnd::RunChoices(m_hWnd, items);
    if (command != 0)
        OnMenuCommand(command);
}

void CQXStockTableWnd::OnMenuCommand(int command)
{
    CAppData* app = CAppData::Instance();
    int selected = grid.GetSelectedIndex();
    CStockRow* row = GetRow(selected);
    switch (command) {
    case CMD_SELL:
    case CMD_BUY: {
        if (!app->HasTradeAccounts()) {
            // The user comes back here after the log-in and chooses again.
            app->ShowTradeLogin(m_hWnd, -1);
            break;
        }
        int mmlb = command == CMD_SELL ? 1 : 0;
        std::string verb = GbFromWide(command == CMD_SELL ? u"卖出" : u"买入");
        std::string title = verb;
        char params[128];
        if (row == nullptr) {
            snprintf(params, sizeof params, "MMLB=%d", mmlb);
        } else {
            char* name = nullptr;
            char* code = nullptr;
            WideToAnsi(row->name.text.GetText(), &name);
            WideToAnsi(row->code.text.GetText(), &code);
            title += " ";
            title += name != nullptr ? name : "";
            snprintf(params, sizeof params, "code=%s&MMLB=%d", code != nullptr ? code : "", mmlb);
            free(name);
            free(code);
        }
        OpenByKey("buysale", -1, title.c_str(), "", params, m_hWnd);
        break;
    }
    case CMD_DETAIL:
    case CMD_ADD_TO_MY_QUOTES:
        if (row == nullptr) {
            Box(u"未选中任何股票！", u"Tips");
            break;
        }
        if (command == CMD_DETAIL)
            OpenDetailQuote(RowCodeMarket(selected).c_str());
        else
            AddToMyQuotes(RowCodeMarket(selected).c_str(), m_hWnd, GbFromWide(row->name.text.GetText()).c_str());
        break;
    case CMD_SORT_PARAMS: {
        auto* sortWnd = new CStockSortParamWnd(u"全部排序", m_hWnd);
        sortWnd->SetParams(marketKey.c_str(), classKey.c_str(), sortKey.c_str(), direct);
        RunChild(sortWnd);
        break;
    }
    default:
        break;
    }
}

void CQXStockTableWnd::ApplySortParams(const SortParamRecord& record)
{
    struct {
        const char* setting;
        const char* text;
        std::string* key;
        std::string* name;
    } fields[] = {{"market", record.marketKey, &marketKey, &marketName},
                  {"type", record.classKey, &classKey, &className},
                  {"sort", record.sortKey, &sortKey, &sortName}};
    for (auto& f : fields) {
        // The record's texts may fill their buffers; never read past them.
        std::string text(f.text, strnlen(f.text, sizeof record.marketKey));
        if (!text.empty())
            TakeKey(f.setting, text.c_str(), *f.key, *f.name);
    }
    if (record.direct != direct) {
        firstActivation = 1;
        direct = record.direct;
    }
    page = 0;
    header.SetDirection(direct == 0 ? 1 : 0);
    OnActive();
}

LRESULT CQXStockTableWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_SORT_PARAMS) {
        auto* record = reinterpret_cast<SortParamRecord*>(lParam);
        if (record != nullptr) {
            ApplySortParams(*record);
            delete record;
        }
        return 0;
    }
    return CQXTableWnd::WindowProc(message, wParam, lParam);
}
