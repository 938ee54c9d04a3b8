#include "trading/NewStockListWnd.h"

#include "core/AppData.h"
#include "core/DataSet.h"
#include "core/ReplyRecordSet.h"
#include "platform/ui/Style.h"
#include "shell/QueryTableWnd.h"
#include "shell/WndMessages.h"
#include "trading/TradeText.h"

namespace {

const char DEFAULT_FIELDS[] = "tc_mfuncno=600&tc_sfuncno=30";

struct Column {
    const char* field;
    const char16_t* heading;
};
const Column COLUMNS[] = {
    {"sgdm", u"申购代码"}, {"zqmc", u"证券名称"}, {"fxj", u"发行价"}, {"sgsx", u"申购上限"}, {"sgrq", u"申购日期"}};
constexpr int COLUMN_COUNT = (int)(sizeof COLUMNS / sizeof COLUMNS[0]);

std::string Text(CDataSet* set, const char* field)
{
    const char* text = set->GetAsText(field);
    return text != nullptr ? text : "";
}

} // namespace

CNewStockListWnd::CNewStockListWnd(LPCWSTR title, HWND ownerWnd) : CTableWnd(title, ownerWnd)
{
    encrypt = 1;
}

CNewStockListWnd::~CNewStockListWnd() = default;

LPCWSTR CNewStockListWnd::GetMzClassName()
{
    return u"CNewStockListWnd";
}

BOOL CNewStockListWnd::OnInitDialog()
{
    if (!CTableWnd::OnInitDialog())
        return FALSE;
    grid.SetTable(0, COLUMN_COUNT, 1, 4, 3);
    for (const Column& column : COLUMNS)
        AddCell(column.heading);
    toolBar.AddButton(115); // refresh
    toolBar.AddButton(116); // back
    return TRUE;
}

int CNewStockListWnd::BuildRequest(char* part, int capacity, const char*)
{
    part[0] = 0;
    if (!CAppData::Instance()->HasTradeAccounts())
        return 0;
    return WriteTradeRequest(part, capacity, paramText != nullptr && paramText[0] != 0 ? paramText : DEFAULT_FIELDS);
}

void CNewStockListWnd::OnReply(const BYTE* data, int length, int transportFailed)
{
    CReplyRecordSet reply;
    CDataSet* set = FirstSetOrTell(reply, data, length, transportFailed, m_hWnd, nullptr);
    if (set == nullptr)
        return;
    grid.Clear();
    issues.clear();
    set->MoveFirst();
    for (int i = 0; i < set->GetRowCount(); ++i, set->MoveNext()) {
        issues.push_back(
            {Text(set, "sgdm"), Text(set, "zqmc"), Text(set, "market"), Text(set, "fxj"), Text(set, "sgsx")});
        std::u16string texts[COLUMN_COUNT];
        LPCWSTR pointers[COLUMN_COUNT];
        COLORREF colors[COLUMN_COUNT];
        DWORD words[COLUMN_COUNT];
        for (int c = 0; c < COLUMN_COUNT; ++c) {
            texts[c] = WideFromGb(Text(set, COLUMNS[c].field).c_str());
            pointers[c] = texts[c].c_str();
            colors[c] = Style::DarkText;
            words[c] = (DWORD)c;
        }
        SetCells(pointers, colors, words, COLUMN_COUNT);
    }
    if (issues.empty())
        ShowText(u"今日没有可申购的新股！", m_hWnd, 2000);
    Invalidate();
}

int CNewStockListWnd::Subscribe(int row)
{
    if (row < 0 || row >= (int)issues.size())
        return -1;
    const Issue& issue = issues[(size_t)row];
    std::string title = GbFromWide(u"申购") + " " + issue.name;
    std::string params = "code=" + issue.code + "&price=" + issue.price + "&market=" + issue.market + "&MMLB=0";
    return OpenByKey("buysale", -1, title.c_str(), "", params.c_str(), m_hWnd);
}

void CNewStockListWnd::OnMzCommand(WPARAM wParam, LPARAM lParam)
{
    int id = LOWORD(wParam);
    if (id == ID_GRID && HIWORD(wParam) == CGridList::NOTIFY_ROW_OPENED) {
        Subscribe((int)lParam);
        return;
    }
    if (id == ID_TOOL_BAR) {
        if (lParam == 0)
            Request();
        else if (lParam == 1)
            EndWnd(END_BACK);
    }
}
