#include "quotes/StockDealDetailWnd.h"

#include "core/AppData.h"
#include "core/ColorScheme.h"
#include "core/DataSet.h"
#include "core/ReplyRecordSet.h"
#include "core/TextHelpers.h"
#include "platform/ui/Style.h"
#include "quotes/QuoteRequest.h"
#include "shell/WndMessages.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr COLORREF PLAIN_TEXT = Style::DarkText;
// The volume of the selected row: the scheme's volume yellow would vanish on the yellow highlight.
constexpr COLORREF SELECTED_VOLUME = Style::SelectedVolume;
constexpr int VOLUME_COLUMN = 2;

} // namespace

CStockDealDetailWnd::CStockDealDetailWnd(LPCWSTR title, HWND ownerWnd) : CTableWnd(title, ownerWnd) {}

CStockDealDetailWnd::~CStockDealDetailWnd() = default;

LPCWSTR CStockDealDetailWnd::GetMzClassName()
{
    return u"CStockDealDetailWnd";
}

BOOL CStockDealDetailWnd::OnInitDialog()
{
    if (!CTableWnd::OnInitDialog())
        return FALSE;
    SetBgColor(Style::DarkFill);
    grid.SetDragScrollMode(1);
    grid.SetTextSize(Style::DetailTextSize);
    grid.SetItemHeight(48);
    grid.SetTable(ROW_LIMIT, 4, 1, 4, 0);
    static const UINT images[] = {113, 124, 115, 123, 116};
    for (UINT image : images)
        toolBar.AddButton(image);
    return TRUE;
}

int CStockDealDetailWnd::OnInitParam(int id, const char* info, const char* params)
{
    char* value = GetParamValue(params, "code");
    if (value != nullptr && value[0] != 0)
        code = value;
    free(value);
    value = GetParamValue(params, "date");
    date = value != nullptr && value[0] != 0 ? value : "0";
    free(value);
    if (m_hWnd != nullptr) {
        grid.Clear();
        ComputeCounters();
    }
    return CTableWnd::OnInitParam(id, info, params);
}

int CStockDealDetailWnd::RowLimit() const
{
    return ROW_LIMIT >= 1 ? ROW_LIMIT : UNBOUNDED_COUNT;
}

int CStockDealDetailWnd::GetRowTime(int row)
{
    if (row < 0 || row >= grid.GetRowCount())
        return 0;
    char* text = GetCellTextA(row, 0);
    int time = 0;
    const char* colon = text != nullptr ? strchr(text, ':') : nullptr;
    if (colon != nullptr)
        time = atoi(text) * 100 + atoi(colon + 1);
    free(text);
    return time;
}

void CStockDealDetailWnd::ComputeCounters()
{
    int rows = grid.GetRowCount();
    firstRowTime = GetRowTime(0);
    firstRowCount = 0;
    for (int i = 0; i < rows && GetRowTime(i) == firstRowTime; ++i)
        ++firstRowCount;
    lastRowTime = GetRowTime(rows - 1);
    lastRowCount = 0;
    for (int i = rows - 1; i >= 0 && GetRowTime(i) == lastRowTime; --i)
        ++lastRowCount;
    if (rows == 0)
        firstRowCount = lastRowCount = 0;
}

int CStockDealDetailWnd::BuildRequest(char* part, int capacity, const char*)
{
    if (capacity < 1)
        return 0;
    part[0] = 0;
    int count = RowLimit();
    int time, offset, direct;
    if (direction == 1) {
        time = firstRowTime;
        offset = firstRowCount;
        direct = 1;
    } else {
        time = lastRowTime;
        offset = lastRowCount;
        direct = 0;
    }
    if (time == 0) {
        // An empty table starts from the latest deals.
        offset = 0;
        direct = 1;
        direction = 1;
    }
    return CopyRequest(BuildDealsRequest(code.GetData(), date.GetData() != nullptr ? date.GetData() : "0", time, offset,
                                         direct, count),
                       part, capacity);
}

void CStockDealDetailWnd::OnReply(const BYTE* data, int length, int)
{
    if (data == nullptr || length <= 0)
        return;
    CReplyRecordSet reply(data, (DWORD)length);
    if (reply.hasError) {
        CAppData::Instance()->ShowMessage(reply.GetErrorText(), m_hWnd, 3000);
        return;
    }
    CDataSet* info = reply.GetCount() > 0 ? *reply.GetRecord(0) : nullptr;
    if (info != nullptr && info->GetName() != nullptr && strcmp(info->GetName(), "hq.info") == 0) {
        OnQuoteInfo(info);
        return;
    }
    CDataSet* deals = reply.GetCount() >= 2 ? *reply.GetRecord(1) : nullptr;
    int records = deals != nullptr ? deals->GetRowCount() : 0;
    MakeRoomFor(records);
    if (info == nullptr || deals == nullptr)
        return;
    AddDeals(info, deals, records);
    ComputeCounters();
    if (grid.GetRowCount() > 0)
        grid.SetCurSel(grid.GetRowCount() - 1);
    ShowDealsCaption(info);
    Invalidate();
}

void CStockDealDetailWnd::MakeRoomFor(int records)
{
    if (direction == 1) {
        grid.Clear();
        return;
    }
    int limit = RowLimit();
    int shown = grid.GetRowCount();
    int k = shown + records - limit;
    if (k >= limit) {
        grid.Clear();
    } else {
        // The oldest rows leave at the top so that the new ones fit.
        for (int i = 0; i < k && i < shown; ++i)
            grid.RemoveItem(grid.GetItemCount() - grid.GetRowCount());
    }
}

void CStockDealDetailWnd::AddDeals(CDataSet* info, CDataSet* deals, int records)
{
    CAppData* app = CAppData::Instance();
    info->MoveFirst();
    CQuoteNumber prevClose = info->GetQuoteNumber("zrsp");
    if (!headingsAdded) {
        headingsAdded = true;
        static const char16_t* const headings[] = {u"时间", u"价格", u"数量", u"买卖方向"};
        for (const char16_t* heading : headings)
            AddCell(heading);
    }
    struct Row {
        std::u16string texts[4];
        COLORREF colors[4];
    };
    std::vector<Row> rows;
    auto addRow = [&]() {
        int tm = deals->GetAsInt("tm");
        char time[16];
        snprintf(time, sizeof time, "%02d:%02d", tm / 100, tm % 100);
        CQuoteNumber price = deals->GetQuoteNumber("zjcj");
        Row row;
        std::u16string* texts = row.texts;
        COLORREF* colors = row.colors;
        texts[0] = WideFromGb(time);
        colors[0] = PLAIN_TEXT;
        COLORREF priceColor = prevClose.IsNull() ? PLAIN_TEXT : app->ChartPriceColor(prevClose, price);
        texts[1] = WideFromGb(ValueCell(price, price.Format(), priceColor, PLAIN_TEXT, &colors[1]));
        int volume = deals->FindField("cjsl");
        texts[2] = WideFromGb(ColumnText(deals, volume));
        colors[2] = IsNoValue(deals, volume) ? PLAIN_TEXT : app->GetColor(COLOR_VOLUME);
        const char* side = deals->GetAsText("direct");
        int direct = side != nullptr ? (unsigned char)side[0] : 0;
        texts[3] = direct == 1 ? u"B" : direct == 2 ? u"S" : u"-";
        colors[3] = direct == 1 ? app->GetColor(COLOR_RISE) : direct == 2 ? app->GetColor(COLOR_FALL) : PLAIN_TEXT;
        rows.push_back(std::move(row));
    };
    deals->MoveFirst();
    for (int i = 0; i < records; ++i, deals->MoveNext())
        addRow();
    // Earlier deals come newest first: the table reads downwards in time either way.
    int count = (int)rows.size();
    for (int j = 0; j < count; ++j) {
        Row& row = rows[(size_t)(direction == 1 ? count - 1 - j : j)];
        LPCWSTR pointers[4] = {row.texts[0].c_str(), row.texts[1].c_str(), row.texts[2].c_str(), row.texts[3].c_str()};
        DWORD words[4] = {0, 1, 2, 3};
        SetCells(pointers, row.colors, words, 4);
    }
}

void CStockDealDetailWnd::ShowDealsCaption(CDataSet* info)
{
    std::string caption = std::string(info->GetAsText("name") != nullptr ? info->GetAsText("name") : "");
    caption += " ";
    caption += info->GetAsText("code") != nullptr ? info->GetAsText("code") : "";
    caption += " ";
    std::u16string wide = WideFromGb(caption.c_str()) + u"成交明细";
    SetCaption(wide.c_str());
}

void CStockDealDetailWnd::PaintWin(HDC dc, RECT* rcWin, RECT* rcUpdate)
{
    // The grid selects a row by itself on a tap: the volumes take their colours just before it draws them.
    COLORREF volume = CAppData::Instance()->GetColor(COLOR_VOLUME);
    int selected = grid.GetCurSel();
    for (int row = 0; row < grid.GetRowCount(); ++row)
        if (GridCell* cell = grid.GetCell(row, VOLUME_COLUMN))
            cell->textColor = row == selected ? SELECTED_VOLUME : volume;
    CTableWnd::PaintWin(dc, rcWin, rcUpdate);
}

void CStockDealDetailWnd::OnMzCommand(WPARAM wParam, LPARAM lParam)
{
    if (LOWORD(wParam) != ID_TOOL_BAR)
        return;
    int button = (int)lParam;
    switch (button) {
    case 0:
        EndWnd(END_HOME);
        break;
    case 1:
    case 2:
    case 3:
        if (!IsWorkerIdle(0))
            break; // a page is already on its way
        direction = button == 1 ? 1 : button == 2 ? -1 : 0;
        Request();
        break;
    case 4:
        EndWnd(END_BACK);
        break;
    default:
        break;
    }
}
