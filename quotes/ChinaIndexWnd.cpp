#include "quotes/ChinaIndexWnd.h"

#include "core/AppData.h"
#include "core/ColorScheme.h"
#include "core/DataSet.h"
#include "core/ReplyRecordSet.h"
#include "core/TextHelpers.h"
#include "platform/ui/Style.h"
#include "quotes/MyQuotes.h"
#include "quotes/QuoteRequest.h"
#include "quotes/QuoteTools.h"
#include "shell/PopMenuWnd.h"

#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

const char16_t* const TITLES[CChinaIndexWnd::TITLE_COUNT] = {u"名称", u"现价", u"涨幅%", u"涨跌", u"总量", u"金额",
                                                             u"今开", u"昨收", u"最高",  u"最低", u"代码", u"市场"};

constexpr char TIME_SHARE_TITLE[] = "\xB7\xD6\xCA\xB1\xD7\xDF\xCA\xC6"; // 分时走势
constexpr char KLINE_TITLE[] = "K\xCF\xDF\xB7\xD6\xCE\xF6";             // K线分析

enum ColumnColor { BY_NAME, AGAINST_CLOSE, BY_SIGN, VOLUME };
const ColumnColor COLUMN_COLORS[CChinaIndexWnd::TITLE_COUNT] = {BY_NAME,       AGAINST_CLOSE, BY_SIGN,       BY_SIGN,
                                                                VOLUME,        VOLUME,        AGAINST_CLOSE, BY_NAME,
                                                                AGAINST_CLOSE, AGAINST_CLOSE, BY_NAME,       BY_NAME};

void ShowWide(const char16_t* text, HWND owner, int milliseconds)
{
    char* narrow = nullptr;
    WideToAnsi(text, &narrow);
    CAppData::Instance()->ShowMessage(narrow != nullptr ? narrow : "", owner, milliseconds);
    free(narrow);
}

} // namespace

CChinaIndexWnd::CChinaIndexWnd(LPCWSTR title, HWND parent) : CTableWnd(title, parent)
{
    const char* refresh = CAppData::Instance()->GetConfig("Quote_IsRefresh");
    autoRefresh = (refresh != nullptr && refresh[0] == '1') ? 1 : 0;
}

CChinaIndexWnd::~CChinaIndexWnd() = default;

LPCWSTR CChinaIndexWnd::GetMzClassName()
{
    return u"CChinaIndexWnd";
}

void CChinaIndexWnd::AddTitles()
{
    if (codeColumn >= 0)
        return;
    for (const char16_t* title : TITLES)
        AddCell(title);
    codeColumn = CODE_COLUMN;
    marketColumn = MARKET_COLUMN;
}

BOOL CChinaIndexWnd::OnInitDialog()
{
    if (!CTableWnd::OnInitDialog())
        return FALSE;
    SetBgColor(Style::DarkFill);
    grid.SetDragScrollMode(1);
    grid.SetTextSize(TEXT_SIZE);
    grid.SetItemHeight(ITEM_HEIGHT);
    // Three columns in view: the name stays, two move sideways.
    grid.SetTable(ROW_LIMIT, GRID_COLUMNS, 1, 3, 2);
    AddTitles();
    tools = {{QuoteTool::Menu, [this] { ShowActionMenu(); }},
             {QuoteTool::Search},
             {QuoteTool::Refresh},
             {QuoteTool::KLine, [this] { OpenKLine(); }},
             {QuoteTool::Back}};
    AddQuoteTools(toolBar, tools);
    return TRUE;
}

int CChinaIndexWnd::BuildRequest(char* part, int capacity, const char*)
{
    if (part == nullptr || capacity < 1)
        return 0;
    return CopyRequest(BuildDomesticIndexRequest(paramText), part, capacity);
}

void CChinaIndexWnd::OnReply(const BYTE* data, int length, int)
{
    if (data == nullptr || length <= 0)
        return;
    CReplyRecordSet reply(data, (DWORD)length);
    CAppData* app = CAppData::Instance();
    if (reply.hasError) {
        app->ShowMessage(reply.GetErrorText(), m_hWnd, 3000);
        return;
    }
    AddTitles();
    grid.Clear();
    CDataSet* set = *reply.GetRecord(0);
    if (set == nullptr) {
        Invalidate();
        return;
    }
    int fields = set->GetFieldCount();
    std::vector<std::u16string> texts((size_t)fields);
    std::vector<LPCWSTR> pointers((size_t)fields);
    std::vector<COLORREF> colors((size_t)fields);
    std::vector<DWORD> words((size_t)fields);
    CQuoteNumber zero = CQuoteNumber::Zero();
    set->MoveFirst();
    for (int row = 0; row < set->GetRowCount(); ++row, set->MoveNext()) {
        CQuoteNumber prevClose = set->GetQuoteNumber("zrsp");
        CQuoteNumber open = set->GetQuoteNumber("jrkp");
        for (int c = 0; c < fields; ++c) {
            const char* text = ColumnText(set, c);
            COLORREF plain = app->GetColor(COLOR_NAME), color = plain;
            bool none = IsNoValue(set, c);
            if (c < TITLE_COUNT && !none) {
                switch (COLUMN_COLORS[c]) {
                case AGAINST_CLOSE:
                    text = LatestPriceCell(open, prevClose, set->GetQuoteNumber(c), text, &color);
                    break;
                case BY_SIGN:
                    color = CAppData::Instance()->ChartPriceColor(zero, set->GetQuoteNumber(c));
                    break;
                case VOLUME:
                    color = app->GetColor(COLOR_VOLUME);
                    break;
                case BY_NAME:
                    break;
                }
            }
            WCHAR* wide = nullptr;
            AnsiToWide(text != nullptr ? text : "", &wide);
            texts[(size_t)c] = wide != nullptr ? wide : u"";
            free(wide);
            pointers[(size_t)c] = texts[(size_t)c].c_str();
            colors[(size_t)c] = color;
            words[(size_t)c] = (DWORD)c;
        }
        SetCells(pointers.data(), colors.data(), words.data(), fields);
    }
    Invalidate();
}

std::string CChinaIndexWnd::RowCodeMarket(int row)
{
    if (row < 0 || codeColumn < 0 || marketColumn < 0)
        return std::string();
    char* code = GetCellTextA(row, codeColumn);
    char* market = GetCellTextA(row, marketColumn);
    std::string s;
    if (code != nullptr && market != nullptr && code[0] != 0)
        s = std::string(code) + "." + market;
    free(code);
    free(market);
    return s;
}

int CChinaIndexWnd::OnOK(int row)
{
    std::string codeMarket = RowCodeMarket(row);
    if (codeMarket.empty())
        return -1;
    std::string params = "date=&code=" + codeMarket;
    return OpenByKey("fschart", -1, TIME_SHARE_TITLE, "", params.c_str(), m_hWnd);
}

void CChinaIndexWnd::OpenKLine()
{
    std::string codeMarket = RowCodeMarket(grid.GetCurSel());
    if (codeMarket.empty()) {
        ShowWide(u"您未选中任何记录！", m_hWnd, 2000);
        return;
    }
    std::string params = "code=" + codeMarket;
    OpenByKey("kxchart", -1, KLINE_TITLE, "", params.c_str(), m_hWnd);
}

void CChinaIndexWnd::ShowActionMenu()
{
    static const PopMenuChoice items[] = {
        {CMD_CANCEL, u"取消"}, {CMD_HOME, u"返回首页"}, {CMD_ADD_TO_MY_QUOTES, u"加入自选"}};
    int command = CPopMenuWnd::RunChoices(m_hWnd, items);
    if (command != 0)
        OnMenuCommand(command);
}

void CChinaIndexWnd::OnMenuCommand(int command)
{
    switch (command) {
    case CMD_HOME:
        EndWnd(END_HOME);
        break;
    case CMD_ADD_TO_MY_QUOTES: {
        int row = grid.GetCurSel();
        std::string codeMarket = RowCodeMarket(row);
        if (codeMarket.empty()) {
            CAppData::Instance()->ShowMessageBox(u"您未选中任何指数！", u"Tips", m_hWnd);
        } else {
            char* name = GetCellTextA(row, 0);
            AddToMyQuotes(codeMarket.c_str(), m_hWnd, name);
            free(name);
        }
        break;
    }
    default:
        break;
    }
}

void CChinaIndexWnd::OnMzCommand(WPARAM wParam, LPARAM lParam)
{
    int id = LOWORD(wParam);
    if (id == ID_GRID) {
        if (HIWORD(wParam) == CGridList::NOTIFY_ROW_OPENED)
            OnOK((int)lParam);
        return;
    }
    if (id == ID_TOOL_BAR)
        TapQuoteTool(this, tools, (int)lParam);
}
