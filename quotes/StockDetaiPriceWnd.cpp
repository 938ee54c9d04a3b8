#include "quotes/StockDetaiPriceWnd.h"

#include "core/AppData.h"
#include "core/ColorScheme.h"
#include "core/DataSet.h"
#include "core/ReplyRecordSet.h"
#include "core/TextHelpers.h"
#include "platform/ui/Style.h"
#include "quotes/MyQuotes.h"
#include "quotes/QuoteRequest.h"
#include "shell/MenuItem.h"
#include "shell/MenuNode.h"
#include "shell/MenuTree.h"
#include "shell/PopMenuWnd.h"
#include "shell/WndMessages.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr COLORREF PLAIN_TEXT = Style::DarkText;

// Reply columns.
enum {
    COL_MARKET,
    COL_TYPE,
    COL_CODE,
    COL_NAME,
    COL_PREV_CLOSE,
    COL_OPEN,
    COL_HIGH,
    COL_LOW,
    COL_LATEST,
    COL_VOLUME,
    COL_AMOUNT,
    COL_AVERAGE,
    COL_ORDER_RATIO,
    COL_VOLUME_RATIO,
    COL_BUY1 = 14,
    COL_SELL1 = 24,
    COLUMN_COUNT = 34
};

// Copies at most size - 1 bytes, always terminated.
void CopyCut(char* out, size_t size, const char* text)
{
    size_t n = text != nullptr ? strlen(text) : 0;
    if (n >= size)
        n = size - 1;
    if (n > 0)
        memcpy(out, text, n);
    out[n] = 0;
}

// CopyCut for 8-bit text (code page 936): the cut never splits a two-byte character, whose half would show
// broken in every title the name goes to.
void CopyCutText(char* out, size_t size, const char* text)
{
    size_t n = text != nullptr ? strlen(text) : 0, used = 0;
    while (used < n) {
        unsigned char c = (unsigned char)text[used];
        size_t step = c >= 0x81 && c <= 0xFE && used + 1 < n ? 2 : 1;
        if (used + step > size - 1)
            break;
        used += step;
    }
    CopyCut(out, used + 1, text);
}

} // namespace

CStockDetaiPriceWnd::CStockDetaiPriceWnd(LPCWSTR title, HWND ownerWnd) : CTableWnd(title, ownerWnd)
{
    requestOnActive = 1;
    const char* refresh = CAppData::Instance()->GetConfig("Quote_IsRefresh");
    autoRefresh = refresh != nullptr && refresh[0] == '1' ? 1 : 0;
}

CStockDetaiPriceWnd::~CStockDetaiPriceWnd() = default;

LPCWSTR CStockDetaiPriceWnd::GetMzClassName()
{
    return u"CStockDetaiPriceWnd";
}

BOOL CStockDetaiPriceWnd::OnInitDialog()
{
    if (!CTableWnd::OnInitDialog())
        return FALSE;
    titleLabel.SetID(ID_TITLE_LABEL);
    titleLabel.SetPos(10, 52, GetWidth() - 20, 40);
    titleLabel.SetTextStyle(4);
    titleLabel.SetTextColor(Style::DetailTitle);
    titleLabel.SetTextSize(Style::SectionTitleSize);
    titleLabel.SetText(u"详细报价:");
    AddUiWin(&titleLabel);

    grid.SetDragScrollMode(1);
    grid.SetTextSize(Style::DetailTextSize);
    grid.SetItemHeight(48);
    grid.SetTable(ROWS, 4, 0, 4, 0);
    static const UINT images[] = {126, 118, 122, 114, 115, 116};
    for (UINT image : images)
        toolBar.AddButton(image);
    PlaceDetailGrid();
    return TRUE;
}

void CStockDetaiPriceWnd::PlaceDetailGrid()
{
    int height = GetHeight() - GRID_TOP - toolBar.GetHeight();
    grid.SetPos(0, GRID_TOP, GetWidth(), height > 0 ? height : 0);
}

void CStockDetaiPriceWnd::OnScreenModeChanged(int orientation)
{
    CTableWnd::OnScreenModeChanged(orientation);
    PlaceDetailGrid();
    grid.Invalidate();
}

int CStockDetaiPriceWnd::OnInitParam(int id, const char* info, const char* params)
{
    char* value = GetParamValue(info, "code");
    if (value != nullptr && value[0] != 0) {
        size_t a = strlen(value), b = strlen(code);
        // Compared up to the shorter text's terminator: reading on over the longer length would run past it.
        if (strcmp(value, code) != 0)
            firstActivation = 1; // another stock: ask again at the next activation
        if (!(a == b && StrNCmpNoCase(value, code, (int)a) == 0))
            CopyCut(code, sizeof code, value);
    }
    free(value);
    return CTableWnd::OnInitParam(id, info, params);
}

int CStockDetaiPriceWnd::BuildRequest(char* part, int capacity, const char*)
{
    // A cut field list would show the wrong columns: CopyRequest sends nothing instead.
    return CopyRequest(BuildDetailQuoteRequest(paramText, code), part, capacity);
}

void CStockDetaiPriceWnd::OnReply(const BYTE* data, int length, int)
{
    if (data == nullptr || length <= 0)
        return;
    CReplyRecordSet reply(data, (DWORD)length);
    if (reply.hasError) {
        CAppData::Instance()->ShowMessage(reply.GetErrorText(), m_hWnd, 5000);
        return;
    }
    // Any reply but an error or a quote notice replaces the table, also one without a data set.
    CDataSet* set = reply.GetCount() > 0 ? *reply.GetRecord(0) : nullptr;
    if (set != nullptr && set->GetName() != nullptr && strcmp(set->GetName(), "hq.info") == 0) {
        OnQuoteInfo(set);
        return;
    }
    grid.Clear();
    FillTable(set);
    Invalidate();
}

bool CStockDetaiPriceWnd::FillTable(CDataSet* set)
{
    if (set == nullptr || set->GetRowCount() < 1 || set->GetFieldCount() < COLUMN_COUNT)
        return false;
    set->MoveFirst();
    market = (short)set->GetAsInt(COL_MARKET);
    type = (short)set->GetAsInt(COL_TYPE);
    CopyCut(code, sizeof code, set->GetAsText(COL_CODE));
    if (strchr(code, '.') == nullptr) {
        size_t n = strlen(code);
        snprintf(code + n, sizeof code - n, ".%02d", market);
    }
    CopyCutText(name, sizeof name, set->GetAsText(COL_NAME));
    price = set->GetQuoteNumber(COL_LATEST);
    // The title names the stock shown, so the user sees which one a menu or a refresh led to.
    std::string shown = std::string(code, strcspn(code, "."));
    titleLabel.SetText((u"详细报价:" + WideFromGb(name) + u" " + WideFromGb(shown.c_str())).c_str());
    AddFigureRows(set);
    if (type != 2)
        AddBookRows(set);
    return true;
}

namespace {

using Cell = CStockDetaiPriceWnd::Cell;

// A row of label, value, label, value.
void EmitRow(CGridList& grid, const Cell (&row)[4])
{
    GridCell cells[4];
    for (int i = 0; i < 4; ++i) {
        cells[i].text = row[i].text.c_str();
        cells[i].textColor = row[i].color;
    }
    grid.AddRow(cells, 4);
}

Cell Label(const char16_t* text)
{
    return Cell{text, PLAIN_TEXT};
}

} // namespace

// A value of the reply: "--" for the no-value mark, "-" (when dashed) on a day without trading, else its text in
// its colour.
CStockDetaiPriceWnd::Cell CStockDetaiPriceWnd::ValueOf(CDataSet* set, int column, COLORREF color, bool dashed) const
{
    if (IsNoValue(set, column))
        return Cell{WideFromGb(NO_VALUE_TEXT), PLAIN_TEXT};
    if (dashed && set->GetQuoteNumber(COL_OPEN) == CQuoteNumber::Zero())
        return Cell{u"-", PLAIN_TEXT};
    return Cell{WideFromGb(set->GetAsText(column)), color};
}

void CStockDetaiPriceWnd::AddFigureRows(CDataSet* set)
{
    CAppData* app = CAppData::Instance();
    bool noTrading = set->GetQuoteNumber(COL_OPEN) == CQuoteNumber::Zero();
    CQuoteNumber prevClose = set->GetQuoteNumber(COL_PREV_CLOSE), zero = CQuoteNumber::Zero();
    CQuoteNumber none = CQuoteNumber::FromPacked(CQuoteNumber::NULL_PACKED);
    COLORREF amountColor = app->GetColor(COLOR_VOLUME);
    auto againstClose = [&](int column) {
        COLORREF color =
            prevClose.IsNull() ? PLAIN_TEXT : app->ChartPriceColor(prevClose, set->GetQuoteNumber(column));
        return ValueOf(set, column, color, true);
    };
    // Change and percent only from two values; the percent with two decimals whatever the price's.
    CQuoteNumber change = price.IsNull() || prevClose.IsNull() ? none : price - prevClose;
    CQuoteNumber percent = change.IsNull() || prevClose == zero ? none : CQuoteNumber(10000, 2) * change / prevClose;
    auto computed = [&](CQuoteNumber& value, bool dashed) {
        if (value.IsNull())
            return Cell{WideFromGb(NO_VALUE_TEXT), PLAIN_TEXT};
        return Cell{dashed && noTrading ? u"-" : WideFromGb(value.Format()), app->ChartPriceColor(zero, value)};
    };
    Cell percentCell = computed(percent, true);
    if (noTrading && !percent.IsNull())
        percentCell.color = PLAIN_TEXT;
    EmitRow(grid, {Label(u"最新"), againstClose(COL_LATEST), Label(u"涨跌"), computed(change, true)});
    EmitRow(grid, {Label(u"幅度%"), percentCell, Label(u"总手"), ValueOf(set, COL_VOLUME, amountColor, true)});
    EmitRow(grid, {Label(u"金额"), ValueOf(set, COL_AMOUNT, amountColor, true), Label(u"均价"),
                   againstClose(COL_AVERAGE)});
    EmitRow(grid,
            {Label(u"昨收"), ValueOf(set, COL_PREV_CLOSE, PLAIN_TEXT, false), Label(u"今开"), againstClose(COL_OPEN)});
    EmitRow(grid, {Label(u"最高"), againstClose(COL_HIGH), Label(u"最低"), againstClose(COL_LOW)});
    Cell orderRatio = type == 2 ? Cell{u"-", PLAIN_TEXT}
                                : ValueOf(set, COL_ORDER_RATIO,
                                          app->ChartPriceColor(zero, set->GetQuoteNumber(COL_ORDER_RATIO)), false);
    EmitRow(grid,
            {Label(u"委比"), orderRatio, Label(u"量比"), ValueOf(set, COL_VOLUME_RATIO, PLAIN_TEXT, false)});
}

void CStockDetaiPriceWnd::AddBookRows(CDataSet* set)
{
    CAppData* app = CAppData::Instance();
    CQuoteNumber prevClose = set->GetQuoteNumber(COL_PREV_CLOSE);
    COLORREF amountColor = app->GetColor(COLOR_VOLUME);
    static const char16_t* const sellLabels[] = {u"卖一", u"卖二", u"卖三", u"卖四", u"卖五"};
    static const char16_t* const buyLabels[] = {u"买一", u"买二", u"买三", u"买四", u"买五"};
    auto bookRow = [&](const char16_t* title, int priceColumn) {
        COLORREF color =
            prevClose.IsNull() ? PLAIN_TEXT : app->ChartPriceColor(prevClose, set->GetQuoteNumber(priceColumn));
        Cell volume = ValueOf(set, priceColumn + 1, amountColor, true);
        if (volume.color == amountColor) { // in lots
            char lots[16];
            snprintf(lots, sizeof lots, "%d", set->GetAsInt(priceColumn + 1) / 100);
            volume.text = WideFromGb(lots);
        }
        EmitRow(grid, {Label(title), ValueOf(set, priceColumn, color, true), Cell{u"", PLAIN_TEXT}, volume});
    };
    for (int level = 4; level >= 0; --level)
        bookRow(sellLabels[level], COL_SELL1 + level * 2);
    for (int level = 0; level < 5; ++level)
        bookRow(buyLabels[level], COL_BUY1 + level * 2);
}

void CStockDetaiPriceWnd::OnMzCommand(WPARAM wParam, LPARAM lParam)
{
    if (LOWORD(wParam) != ID_TOOL_BAR)
        return;
    switch ((int)lParam) {
    case 0: {
        static const PopMenuChoice items[] = {{CMD_CANCEL, u"取消"},   {CMD_HOME, u"返回首页"},
                                              {CMD_INFO, u"个股资讯"}, {CMD_SELL, u"卖出委托"},
                                              {CMD_BUY, u"买入委托"},  {CMD_ADD_MINE, u"加入自选"}};
        OnMenuCommand(CPopMenuWnd::RunChoices(m_hWnd, items));
        break;
    }
    case 1:
        OpenStockSearch();
        break;
    case 2: {
        std::string params = std::string("date=&code=") + code;
        OpenByKey("fschart", -1, GbFromWide(u"分时走势").c_str(), "", params.c_str(), m_hWnd);
        break;
    }
    case 3: {
        std::string params = std::string("code=") + code;
        OpenByKey("kxchart", -1, GbFromWide(u"K线分析").c_str(), "", params.c_str(), m_hWnd);
        break;
    }
    case 4:
        Refresh(0, 0);
        break;
    case 5:
        EndWnd(END_BACK);
        break;
    default:
        break;
    }
}

void CStockDetaiPriceWnd::OnMenuCommand(int id)
{
    switch (id) {
    case CMD_HOME:
        EndWnd(END_HOME);
        break;
    case CMD_ADD_MINE:
        AddToMyQuotes(code, m_hWnd, name);
        break;
    case CMD_SELL:
    case CMD_BUY:
        OpenTrade(id == CMD_BUY);
        break;
    case CMD_INFO:
        OpenInformation();
        break;
    default:
        break;
    }
}

void CStockDetaiPriceWnd::OpenTrade(bool buy)
{
    CAppData* app = CAppData::Instance();
    if (name[0] == 0 || type == 2) {
        app->ShowMessageBox(u"大盘指数不能买卖！", u"tips", m_hWnd);
        return;
    }
    if (!app->HasTradeAccounts()) {
        // The user comes back here after the log-in and chooses again.
        app->ShowTradeLogin(m_hWnd, -1);
        return;
    }
    char title[64];
    snprintf(title, sizeof title, "%s %s", GbFromWide(buy ? u"买入" : u"卖出").c_str(), name);
    CQuoteNumber shown = price;
    char params[160];
    // Without a latest price the form opens without one rather than with the no-value mark.
    snprintf(params, sizeof params, "code=%s&price=%s&market=%d&type=%d&MMLB=%d", code,
             shown.IsNull() ? "" : shown.Format(), market, type, buy ? 0 : 1);
    OpenByKey("buysale", -1, title, "", params, m_hWnd);
}

void CStockDetaiPriceWnd::OpenInformation()
{
    CAppData* app = CAppData::Instance();
    if (market == 3) {
        app->ShowMessageBox(u"暂不支持港股个股资讯！", u"提示", m_hWnd);
        return;
    }
    CMenuTree* tree = app->GetMenuTree();
    CMenuNode* root = tree != nullptr ? tree->GetRoot() : nullptr;
    for (CMenuNode* node = root != nullptr ? root->FirstChild() : nullptr; node != nullptr;
         node = node->NextSibling()) {
        CMenuItem* item = node->GetItem();
        if (item == nullptr || item->GetKey() == nullptr || StrEqualNoCase(item->GetKey(), "F10") != 0)
            continue;
        std::string bare(code, strcspn(code, "."));
        OpenByKey(item->GetKey(), node->id, name, bare.c_str(), item->GetParams(), m_hWnd);
        return;
    }
}
