#include "quotes/MyStockWnd.h"

#include "core/AppData.h"
#include "core/DataSet.h"
#include "core/ReplyRecordSet.h"
#include "core/TextHelpers.h"
#include "quotes/EditMyStockWnd.h"
#include "quotes/MyQuotes.h"
#include "quotes/MyStockLayout.h"
#include "quotes/QuoteRequest.h"
#include "quotes/QuoteTools.h"
#include "shell/PopMenuWnd.h"
#include "shell/WndManager.h"
#include "shell/WndMessages.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

constexpr char TIME_SHARE_TITLE[] = "\xB7\xD6\xCA\xB1\xD7\xDF\xCA\xC6"; // 分时走势
constexpr char KLINE_TITLE[] = "K\xCF\xDF\xB7\xD6\xCE\xF6";             // K线分析

} // namespace

CMyStockWnd::CMyStockWnd(LPCWSTR title, HWND parent) : CQXTableWnd(title, parent)
{
    const char* refresh = CAppData::Instance()->GetConfig("Quote_IsRefresh");
    autoRefresh = (refresh != nullptr && refresh[0] == '1') ? 1 : 0;
    requestOnActive = 1;
    MigrateMyQuotes();
}

CMyStockWnd::~CMyStockWnd() = default;

LPCWSTR CMyStockWnd::GetMzClassName()
{
    return u"CMyStockWnd";
}

LRESULT CMyStockWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DEFERRED_STEP)
        return 1;
    return CNetWnd::WindowProc(message, wParam, lParam);
}

BOOL CMyStockWnd::OnInitDialog()
{
    if (!CQXTableWnd::OnInitDialog())
        return FALSE;
    tools = {{QuoteTool::Menu, [this] { ShowActionMenu(); }},
             {QuoteTool::Search},
             {QuoteTool::Edit, [this] { OpenEditor(); }},
             {QuoteTool::KLine, [this] { OnMenuCommand(CMD_KLINE); }},
             {QuoteTool::Refresh},
             {QuoteTool::Back}};
    AddQuoteTools(toolBar, tools);
    header.SetNotify(true);
    header.SetArrowShown(0);
    header.SetColumnMode(1);
    return TRUE;
}

int CMyStockWnd::BuildRequest(char* part, int capacity, const char*)
{
    if (part == nullptr || capacity < 1)
        return 0;
    part[0] = 0;
    // A request built while the worker is busy would be dropped: the list text kept stays that of the request
    // whose answer is awaited.
    if (worker != nullptr && !IsWorkerIdle(0))
        return 0;
    CAString stored;
    ReadMyQuotes(&stored);
    const char* list = stored.GetText();
    if (list == nullptr || list[0] == 0) {
        CAppData::Instance()->ShowMessage("\xB9\xC9\xC6\xB1\xC1\xD0\xB1\xED\xCE\xAA\xBF\xD5!", m_hWnd,
                                          2000); // 股票列表为空!
        return 0;
    }
    // A list too long for one request would leave the screen empty without a word.
    if (strlen(list) > (size_t)MYQUOTES_MAX_TEXT) {
        CAppData::Instance()->ShowMessage(MYQUOTES_FULL, m_hWnd, 2000);
        return 0;
    }
    // A cut code list would drop stocks from the stored list at the reply: CopyRequest sends nothing instead.
    if (!CopyRequest(BuildMyStockRequest(paramText, list), part, capacity))
        return 0;
    listText.Assign(list);
    return 1;
}

void CMyStockWnd::OnReply(const BYTE* data, int length, int)
{
    if (data == nullptr || length <= 0)
        return;
    CReplyRecordSet reply(data, (DWORD)length);
    CAppData* app = CAppData::Instance();
    if (reply.hasError) {
        app->ShowMessage(reply.GetErrorText(), m_hWnd, 0);
        return;
    }
    // A refresh keeps the user's stock chosen, wherever its row now stands; the choice goes with it.
    std::string chosen = SelectedStock();
    grid.RemoveAll();
    CDataSet* set = reply.GetCount() > 0 ? *reply.GetRecord(0) : nullptr;
    if (set != nullptr && set->GetFieldCount() >= 8) {
        int codeColumn = set->FindField("code");
        int marketColumn = set->FindField("exchid");
        std::vector<MyStockKey> keys;
        set->MoveFirst();
        // Rows without both key columns match no stored item: nothing is shown and the file is kept.
        for (int r = 0; codeColumn >= 0 && marketColumn >= 0 && r < set->GetRowCount(); ++r, set->MoveNext()) {
            MyStockKey key;
            const char* code = set->GetAsText(codeColumn);
            const char* market = set->GetAsText(marketColumn);
            key.code = code != nullptr ? code : "";
            key.market = market != nullptr ? atoi(market) : 0;
            keys.push_back(key);
        }
        // The rows follow the list the request asked for; a stock added meanwhile is asked for next time.
        std::vector<int> order;
        int changed = LayOutMyStocks(listText.GetText(), keys, &order);
        for (int r : order) {
            set->MoveFirst();
            for (int k = 0; k < r; ++k)
                set->MoveNext();
            AddQuoteRow(set);
        }
        // The rows replace the stored list only while it is still the one asked for: a list changed meanwhile (or
        // unreadable) is never overwritten by an answer to another.
        CAString stored;
        if (changed && ReadMyQuotes(&stored) == MYQUOTES_READ && stored.Equals(listText))
            SaveMyQuotes();
    }
    SetCaption(u"我的股票");
    SortRows();
    SelectStock(chosen);
    Invalidate();
}

BOOL CMyStockWnd::SaveMyQuotes()
{
    // Rows show the market as the reply sends it ("1"); the stored items carry it in two digits ("01").
    std::string text;
    for (int row = 0; row < GetRowCount(); ++row) {
        CStockRow* r = GetRow(row);
        if (r == nullptr)
            continue;
        if (!text.empty())
            text += ",";
        std::string market = GbFromWide(r->market.text.GetText());
        text += FormatCodeMarket(GbFromWide(r->code.text.GetText()).c_str(), atoi(market.c_str()), 1).GetText();
    }
    return WriteMyQuotes(text.c_str());
}

void CMyStockWnd::SortRows()
{
    int n = GetRowCount();
    if (n < 2 || sortColumn < 1 || sortColumn > 4)
        return;
    std::vector<std::u16string> texts;
    for (int row = 0; row < n; ++row) {
        CStockRow* r = GetRow(row);
        LPCWSTR t = nullptr;
        if (r != nullptr)
            t = sortColumn == 1   ? r->name.text.GetText()
                : sortColumn == 2 ? r->latest.text.GetText()
                : sortColumn == 3 ? r->change.text.GetText()
                                  : r->percent.text.GetText();
        texts.push_back(t != nullptr ? t : u"");
    }
    std::vector<int> order = SortMyStocks(texts, sortColumn, sortDirection);
    std::vector<int> current(texts.size());
    for (size_t i = 0; i < current.size(); ++i)
        current[i] = (int)i;
    for (size_t i = 0; i < order.size(); ++i) {
        size_t j = i;
        while (j < current.size() && current[j] != order[i])
            ++j;
        if (j == current.size() || j == i)
            continue;
        grid.MoveItem((int)j, (int)i);
        int moved = current[j];
        current.erase(current.begin() + (long)j);
        current.insert(current.begin() + (long)i, moved);
    }
}

void CMyStockWnd::OnHeaderTap(int code, LPARAM lParam)
{
    if (sortDirection == -1)
        sortDirection = 0;
    sortDirection = sortDirection == 0 ? 1 : 0;
    sortColumn = code;
    if (code == CStockHeader::NOTIFY_PERCENT) {
        header.SetArrowShown(1);
        sortDirection = (int)lParam;
    } else {
        header.SetArrowShown(0);
    }
    std::string chosen = SelectedStock();
    SortRows();
    SelectStock(chosen);
    header.Invalidate();
    grid.Invalidate();
}

int CMyStockWnd::OnOK(int row)
{
    std::string codeMarket = RowCodeMarket(row);
    if (row < 0 || codeMarket.empty())
        return -1;
    std::string params = "date=&code=" + codeMarket;
    return OpenByKey("fschart", -1, TIME_SHARE_TITLE, "", params.c_str(), m_hWnd);
}

void CMyStockWnd::OpenEditor()
{
    // Released by this window when its close arrives, like every child.
    auto* editor = new CEditMyStockWnd(u"编辑自选", m_hWnd, CEditMyStockWnd::MODE_SEARCH);
    editor->SetMode(CEditMyStockWnd::MODE_EDIT);
    RunChild(editor);
}

void CMyStockWnd::ShowActionMenu()
{
    static const PopMenuChoice items[] = {{CMD_CANCEL, u"取消"},     {CMD_SELL, u"卖出委托"}, {CMD_BUY, u"买入委托"},
                                          {CMD_DETAIL, u"详细报价"}, {CMD_KLINE, u"K线分析"}, {CMD_EDIT, u"编辑自选"}};
    int command = CPopMenuWnd::RunChoices(m_hWnd, items);
    if (command != 0)
        OnMenuCommand(command);
}

void CMyStockWnd::OnMenuCommand(int command)
{
    int row = grid.GetSelectedIndex();
    if (row < 0)
        row = 0;
    if (row >= GetRowCount())
        row = -1;
    CAppData* app = CAppData::Instance();
    switch (command) {
    case CMD_SELL:
    case CMD_BUY: {
        if (!app->HasTradeAccounts()) {
            // The user comes back here after the log-in and chooses again.
            app->ShowTradeLogin(m_hWnd, -1);
            break;
        }
        int mmlb = command == CMD_SELL ? 1 : 0;
        std::string title = WideToAnsiString(command == CMD_SELL ? u"卖出" : u"买入");
        char params[128];
        if (row < 0) {
            snprintf(params, sizeof params, "MMLB=%d", mmlb);
        } else {
            CStockRow* r = GetRow(row);
            title += " " + WideToAnsiString(r->name.text.GetText());
            snprintf(params, sizeof params, "code=%s&MMLB=%d", WideToAnsiString(r->code.text.GetText()).c_str(), mmlb);
        }
        OpenByKey("buysale", -1, title.c_str(), "", params, m_hWnd);
        break;
    }
    case CMD_DETAIL:
        if (row >= 0)
            OpenDetailQuote(RowCodeMarket(row).c_str());
        break;
    case CMD_KLINE:
        if (row >= 0) {
            OnInactive();
            std::string params = "code=" + RowCodeMarket(row);
            OpenByKey("kxchart", -1, KLINE_TITLE, "", params.c_str(), m_hWnd);
        }
        break;
    case CMD_EDIT:
        OpenEditor();
        break;
    default:
        break;
    }
}

void CMyStockWnd::OnMzCommand(WPARAM wParam, LPARAM lParam)
{
    int id = LOWORD(wParam);
    if (id == ID_GRID) {
        OnOK((int)lParam);
        return;
    }
    if (id == ID_HEADER) {
        OnHeaderTap(HIWORD(wParam), lParam);
        return;
    }
    if (id == ID_TOOL_BAR)
        TapQuoteTool(this, tools, (int)lParam);
}
