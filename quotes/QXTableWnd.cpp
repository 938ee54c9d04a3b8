#include "quotes/QXTableWnd.h"

#include "core/AppData.h"
#include "core/ColorScheme.h"
#include "core/DataSet.h"
#include "core/TextHelpers.h"
#include "platform/ui/Style.h"
#include "platform/ui/UiDraw.h"
#include "platform/win/Gdi.h"
#include "platform/win/WideText.h"
#include "quotes/QuoteRequest.h"

#include <cstdlib>
#include <string>

namespace {

constexpr COLORREF LINE_COLOR = Style::RowLine;
constexpr COLORREF BOX_BORDER = Style::PercentBoxBorder;
constexpr COLORREF BOX_TEXT = Style::PercentBoxText;
constexpr UINT LEFT_FORMAT = 0x8024;
constexpr UINT CENTRE_FORMAT = 0x8025;
constexpr int ROW_FONT = Style::QuoteRowTextSize;
constexpr int CODE_FONT = Style::QuoteCodeTextSize;
constexpr int HEADING_FONT = Style::QuoteHeadingTextSize;

struct Widths {
    int name, price, change, percent, gap;
};

Widths WidthsOf(int left, int right)
{
    int w = right - left - 10;
    return Widths{(int)(w * 0.3), (int)(w * 0.24), (int)(w * 0.2), (int)(w * 0.2), (int)(w * 0.02)};
}

void SetCell(StockCell& cell, LPCWSTR text, int capacity)
{
    std::u16string s = text != nullptr ? text : u"";
    if ((int)s.size() > capacity - 1)
        s.resize((size_t)(capacity - 1));
    cell.text.Assign(s.c_str());
}

LPCWSTR TextOf(const StockCell& cell)
{
    LPCWSTR t = cell.text.GetText();
    return t != nullptr ? t : u"";
}

} // namespace

CStockRow::CStockRow()
{
    name.column = 1;
    code.column = 2;
    latest.column = 3;
    change.column = 4;
    percent.column = 5;
    market.column = 0;
}

void CStockRow::SetName(LPCWSTR text, COLORREF color)
{
    SetCell(name, text, NAME_CAPACITY);
    name.color = color;
}

void CStockRow::SetCode(LPCWSTR text, COLORREF color)
{
    SetCell(code, text, TEXT_CAPACITY);
    code.color = color;
}

void CStockRow::SetLatest(LPCWSTR text, COLORREF color)
{
    SetCell(latest, text, TEXT_CAPACITY);
    latest.color = color;
}

void CStockRow::SetChange(LPCWSTR text, COLORREF color)
{
    SetCell(change, text, TEXT_CAPACITY);
    change.color = color;
}

void CStockRow::SetPercent(LPCWSTR text, COLORREF color)
{
    SetCell(percent, text, TEXT_CAPACITY);
    percent.color = color;
}

void CStockRow::SetMarket(LPCWSTR text)
{
    SetCell(market, text, MARKET_CAPACITY);
}

// ---- grid

CStockGrid::CStockGrid()
{
    SetTextSize(ROW_FONT);
    EnableGridlines(false);
}

CStockGrid::~CStockGrid()
{
    RemoveAll(); // frees the rows while this class is still whole
}

COLORREF CStockGrid::AdjustColor(COLORREF stored, bool selected)
{
    if (stored == DefaultSchemeColor(COLOR_RISE) || stored == Style::DarkText)
        return selected ? Style::RiseOnSelection : stored;
    if (stored == DefaultSchemeColor(COLOR_FALL))
        return selected ? Style::FallOnSelection : Style::FallOnPlainRow;
    return stored;
}

void CStockGrid::DrawItem(HDC dc, int index, RECT* rcItem, RECT*, RECT*)
{
    ListItem* item = GetItem(index);
    auto* row = item != nullptr ? reinterpret_cast<CStockRow*>(item->Data) : nullptr;
    if (row == nullptr || rcItem == nullptr)
        return;
    RECT r = *rcItem;
    bool selected = index == GetSelectedIndex();
    COLORREF base = Style::DarkText;
    if (selected) {
        Style::DrawSelectionBackground(dc, r);
        base = Style::SelectedText;
    }
    Widths w = WidthsOf(r.left, r.right);
    if (index == 0)
        UiDrawLine(dc, r.left, r.top, r.right, r.top, LINE_COLOR);
    RECT inner{r.left + 5, r.top + 2, r.right - 5, r.bottom - 2};

    int h = UiMeasureText(dc, u"国", ROW_FONT, FW_NORMAL).cy;
    RECT nameRect{inner.left, inner.top, inner.left + w.name + w.gap, inner.top + h + 2};
    UiDrawText(dc, TextOf(row->name), nameRect, LEFT_FORMAT, ROW_FONT, FW_NORMAL, base);

    int ch = UiMeasureText(dc, TextOf(row->code), CODE_FONT, FW_NORMAL).cy;
    RECT codeRect{nameRect.left, nameRect.bottom, nameRect.right, nameRect.bottom + ch + 2};
    UiDrawText(dc, TextOf(row->code), codeRect, LEFT_FORMAT, CODE_FONT, FW_NORMAL, base);

    RECT priceRect{nameRect.right + 2, inner.top, nameRect.right + w.price + w.gap, inner.bottom};
    UiDrawText(dc, TextOf(row->latest), priceRect, LEFT_FORMAT, ROW_FONT, FW_NORMAL,
               AdjustColor(row->latest.color, selected));

    RECT changeRect{priceRect.right, inner.top, priceRect.right + w.change + w.gap, inner.bottom};
    UiDrawText(dc, TextOf(row->change), changeRect, LEFT_FORMAT, ROW_FONT, FW_NORMAL,
               AdjustColor(row->change.color, selected));

    RECT box{changeRect.left + w.percent + w.gap, r.top + 7, inner.right, r.bottom - 7};
    UiFillRoundRect(dc, box, 10, BOX_BORDER, AdjustColor(row->percent.color, true));
    std::u16string percent = TextOf(row->percent);
    percent += u"%";
    UiDrawText(dc, percent.c_str(), box, CENTRE_FORMAT, ROW_FONT, FW_NORMAL, BOX_TEXT);

    UiDrawLine(dc, r.left, r.bottom, r.right, r.bottom, LINE_COLOR);
}

int CStockGrid::OnLButtonUp(UINT flags, int x, int y)
{
    bool tap = !IsMoved() && !IsStopPress();
    int previous = GetSelectedIndex();
    int result = UiList::OnLButtonUp(flags, x, y);
    if (!tap)
        return result;
    int index = CalcIndexOfPos(x, y);
    if (index < 0)
        return result;
    if (index == previous) {
        SetSelectedIndex(index);
        EnsureVisible(index);
        Invalidate();
        if (GetNotify())
            PostNotify(NOTIFY_OPEN_SELECTED, index);
        return result;
    }
    RECT rc = GetRect();
    int width = rc.right - rc.left;
    if (x > rc.right - 0.2 * width && x < rc.right && GetNotify())
        PostNotify(NOTIFY_OPEN_RIGHT, index);
    SetSelectedIndex(index);
    if (previous >= 0)
        EnsureVisible(previous);
    EnsureVisible(index);
    Invalidate();
    return result;
}

void CStockGrid::Describe(UiDescription& out) const
{
    UiList::Describe(out);
    for (size_t i = 0; i < out.items.size(); ++i) {
        const ListItem* item = GetItem((int)i);
        auto* row = item != nullptr ? reinterpret_cast<CStockRow*>(item->Data) : nullptr;
        if (row != nullptr)
            out.items[i] = std::u16string(TextOf(row->name)) + u" " + TextOf(row->code) + u" " + TextOf(row->latest) +
                           u" " + TextOf(row->change) + u" " + TextOf(row->percent) + u"%";
    }
}

void CStockGrid::OnRemoveItem(int index)
{
    ListItem* item = GetItem(index);
    if (item == nullptr)
        return;
    delete reinterpret_cast<CStockRow*>(item->Data);
    item->Data = 0;
}

// ---- header

CStockHeader::CStockHeader()
{
    downArrow.LoadImageFromRes(nullptr, RT_RCDATA, 137);
    upArrow.LoadImageFromRes(nullptr, RT_RCDATA, 138);
    ListItem empty;
    AddItem(empty); // one row to paint
}

int CStockHeader::OnLButtonDown(UINT flags, int x, int y)
{
    int result = UiList::OnLButtonDown(flags, x, y);
    if (IsStopPress() || IsMoved() || !GetNotify())
        return result;
    RECT rc = GetRect();
    double wc = rc.right - rc.left;
    double left = rc.left;
    if (columnMode == 1) {
        double bounds[4] = {left, left + 0.3 * wc, left + 0.54 * wc, left + 0.74 * wc};
        for (int i = 0; i < 3; ++i) {
            if (x > bounds[i] && x < bounds[i + 1]) {
                pressed[i] = 1;
                Invalidate();
                return result;
            }
        }
    }
    if (x > rc.right - 0.2 * wc && x < rc.right) {
        pressed[3] = 1;
        arrowShown = 1;
        direction = direction == 0 ? 1 : 0;
        Invalidate();
    }
    return result;
}

int CStockHeader::OnLButtonUp(UINT flags, int x, int y)
{
    bool tap = !IsMoved() && !IsStopPress();
    int result = UiList::OnLButtonUp(flags, x, y);
    if (!tap)
        return result;
    if (GetNotify()) {
        if (pressed[0])
            PostNotify(NOTIFY_NAME, 0);
        else if (pressed[1])
            PostNotify(NOTIFY_PRICE, 0);
        else if (pressed[2])
            PostNotify(NOTIFY_CHANGE, 0);
        else if (pressed[3])
            PostNotify(NOTIFY_PERCENT, direction);
    }
    for (BYTE& p : pressed)
        p = 0;
    Invalidate();
    return result;
}

void CStockHeader::DrawItem(HDC dc, int, RECT* rcItem, RECT*, RECT*)
{
    if (rcItem == nullptr)
        return;
    RECT r = *rcItem;
    Widths w = WidthsOf(r.left, r.right);
    RECT frame{r.left + 2, r.top + 2, r.right - 2, r.bottom - 2};
    UiFillRoundRect(dc, frame, 0, LINE_COLOR, LINE_COLOR);
    const LPCWSTR titles[4] = {u"名称", u"现价", u"涨跌", u"涨幅"};
    const int widths[4] = {w.name, w.price + w.gap, w.change + w.gap, w.percent + w.gap};
    int x = frame.left;
    RECT percentCell{};
    for (int i = 0; i < 4; ++i) {
        RECT cell{x, frame.top, x + widths[i], frame.bottom};
        if (pressed[i] && GetNotify()) {
            RECT bar = cell;
            if (i == 3)
                bar.right = r.right;
            Style::DrawHighlightBar(dc, bar);
        }
        UiDrawText(dc, titles[i], cell, CENTRE_FORMAT, HEADING_FONT, FW_SEMIBOLD, 0);
        if (i < 3)
            UiDrawLine(dc, cell.right, frame.top + 3, cell.right, frame.bottom - 3, 0);
        else
            percentCell = cell;
        x = cell.right;
    }
    if (GetNotify() && arrowShown) {
        CMzImage& arrow = direction == 1 ? downArrow : upArrow;
        int glyph = UiMeasureText(dc, u"国", HEADING_FONT, FW_SEMIBOLD).cx;
        int ax = percentCell.left + (percentCell.right - percentCell.left) / 2 + glyph;
        int ay = percentCell.top + (percentCell.bottom - percentCell.top - 19) / 2;
        if (arrow.IsLoaded())
            arrow.DrawAt(dc, ax, ay);
    }
}

// ---- window

CQXTableWnd::CQXTableWnd(LPCWSTR title, HWND parent) : CNetWnd(title, parent) {}

CQXTableWnd::~CQXTableWnd()
{
    grid.RemoveAll();
}

LPCWSTR CQXTableWnd::GetMzClassName()
{
    return u"CQXTableWnd";
}

void CQXTableWnd::PlaceControls()
{
    header.SetPos(0, HEADER_TOP, GetWidth(), HEADER_HEIGHT);
    int height = GetHeight() - GRID_TOP - toolBar.GetHeight();
    grid.SetPos(0, GRID_TOP, GetWidth(), height > 0 ? height : 0);
}

BOOL CQXTableWnd::OnInitDialog()
{
    if (!CNetWnd::OnInitDialog())
        return FALSE;
    SetBgColor(Style::DarkFill);
    RemoveUiWin(&contentPanel);
    header.SetID(ID_HEADER);
    header.SetNotify(true);
    header.SetItemHeight(HEADER_HEIGHT);
    header.SetDragScrollMode(2);
    grid.SetID(ID_GRID);
    grid.EnableScrollBarV(true);
    grid.SetNotify(true);
    grid.SetItemHeight(ROW_HEIGHT);
    grid.SetDragScrollMode(2);
    PlaceControls();
    AddUiWin(&header);
    AddUiWin(&grid);
    return TRUE;
}

void CQXTableWnd::OnScreenModeChanged(int orientation)
{
    CNetWnd::OnScreenModeChanged(orientation);
    PlaceControls();
}

void CQXTableWnd::AddRow(CStockRow* row)
{
    if (row == nullptr)
        return;
    ListItem item;
    item.Data = (DWORD_PTR)row;
    if (grid.AddItem(item) < 0)
        delete row;
}

CStockRow* CQXTableWnd::GetRow(int index)
{
    ListItem* item = grid.GetItem(index);
    return item != nullptr ? reinterpret_cast<CStockRow*>(item->Data) : nullptr;
}

int CQXTableWnd::OpenDetailQuote(const char* codeMarket)
{
    return OpenByKey(DETAIL_QUOTE_KEY, -1, DETAIL_QUOTE_TITLE, DetailQuoteInfo(codeMarket).GetText(),
                     QUOTES_OF_CODES_PARAMS, m_hWnd);
}

void CQXTableWnd::AddQuoteRow(CDataSet* set)
{
    CAppData* app = CAppData::Instance();
    COLORREF plain = app->GetColor(COLOR_NAME);
    CQuoteNumber zero = CQuoteNumber::Zero();
    auto* row = new CStockRow();
    row->SetName(CWString(set->GetAsText(ROW_NAME)).GetText(), plain);
    row->SetCode(CWString(set->GetAsText(ROW_CODE)).GetText(), plain);
    COLORREF latestColor = plain;
    const char* latest = LatestPriceCell(set->GetQuoteNumber(ROW_OPEN), set->GetQuoteNumber(ROW_PREV_CLOSE),
                                         set->GetQuoteNumber(ROW_LATEST), set->GetAsText(ROW_LATEST), &latestColor);
    row->SetLatest(CWString(latest).GetText(), latestColor);
    COLORREF color = plain;
    for (int column : {ROW_CHANGE, ROW_CHANGE_PERCENT}) {
        CQuoteNumber value = set->GetQuoteNumber(column);
        CWString text(ValueCell(value, set->GetAsText(column), app->ChartPriceColor(zero, value), plain, &color));
        if (column == ROW_CHANGE)
            row->SetChange(text.GetText(), color);
        else
            row->SetPercent(text.GetText(), color);
    }
    row->SetMarket(CWString(set->GetAsText(ROW_MARKET)).GetText());
    AddRow(row);
}

std::string CQXTableWnd::RowCodeMarket(int row)
{
    CStockRow* r = GetRow(row);
    if (r == nullptr)
        return std::string();
    return GbFromWide(r->code.text.GetText()) + "." + GbFromWide(r->market.text.GetText());
}

std::string CQXTableWnd::SelectedStock()
{
    return RowCodeMarket(grid.GetSelectedIndex());
}

void CQXTableWnd::SelectStock(const std::string& codeMarket)
{
    int found = -1;
    for (int row = 0; row < GetRowCount() && found < 0 && !codeMarket.empty(); ++row)
        if (RowCodeMarket(row) == codeMarket)
            found = row;
    grid.SetSelectedIndex(found);
}
