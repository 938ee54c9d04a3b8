#include "quotes/GlobalIndexWnd.h"

#include "core/AppData.h"
#include "core/ColorScheme.h"
#include "core/DataSet.h"
#include "core/ReplyRecordSet.h"
#include "core/TextHelpers.h"
#include "quotes/QuoteRequest.h"

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

CGlobalIndexWnd::CGlobalIndexWnd(LPCWSTR title, HWND parent) : CTableWnd(title, parent)
{
    autoRefresh = 0;
}

CGlobalIndexWnd::~CGlobalIndexWnd() = default;

LPCWSTR CGlobalIndexWnd::GetMzClassName()
{
    return u"CGlobalIndexWnd";
}

BOOL CGlobalIndexWnd::OnInitDialog()
{
    if (!CTableWnd::OnInitDialog())
        return FALSE;
    grid.SetDragScrollMode(1);
    grid.SetTextSize(TEXT_SIZE);
    grid.SetItemHeight(ITEM_HEIGHT);
    grid.SetNotify(false);
    toolBar.AddButton(113);
    toolBar.AddButton(118);
    toolBar.AddButton(115);
    toolBar.AddButton(116);
    // Four columns in view; the first stays, three move sideways.
    return grid.SetTable(ROW_LIMIT, COLUMNS, 1, 4, 3) ? TRUE : FALSE;
}

int CGlobalIndexWnd::BuildRequest(char* part, int capacity, const char*)
{
    if (part == nullptr || capacity < 1)
        return 0;
    part[0] = 0;
    if (paramText == nullptr || paramText[0] == 0)
        return 1; // the common fields alone
    size_t n = strlen(paramText);
    if (n >= (size_t)capacity)
        return 0; // a cut parameter text would ask the server for something else
    memcpy(part, paramText, n + 1);
    return 1;
}

void CGlobalIndexWnd::OnMzCommand(WPARAM wParam, LPARAM lParam)
{
    if (LOWORD(wParam) != ID_TOOL_BAR)
        return; // a tapped row opens nothing
    switch ((int)lParam) {
    case 0:
        EndWnd(END_HOME);
        break;
    case 1:
        OpenStockSearch();
        break;
    case 2:
        Refresh(0, 0);
        break;
    case 3:
        EndWnd(END_BACK);
        break;
    default:
        break;
    }
}

int CGlobalIndexWnd::IsSignColumn(int column)
{
    return column == 2 || column == 3 || column == 7 || column == 8 || column == 9;
}

int CGlobalIndexWnd::CellColorIndex(int column, const char* text)
{
    if (!IsSignColumn(column) || text == nullptr)
        return COLOR_NAME;
    double value = atof(text);
    if (value > 0)
        return COLOR_RISE;
    if (value < 0)
        return COLOR_FALL;
    return COLOR_NAME;
}

namespace {

std::u16string WideCell(const char* text, size_t limit)
{
    WCHAR* wide = nullptr;
    AnsiToWide(text != nullptr ? text : "", &wide);
    std::u16string s = wide != nullptr ? wide : u"";
    free(wide);
    if (s.size() > limit)
        s.resize(limit);
    return s;
}

} // namespace

void CGlobalIndexWnd::OnReply(const BYTE* data, int length, int)
{
    if (data == nullptr || length <= 0)
        return;
    CReplyRecordSet reply(data, (DWORD)length);
    CAppData* app = CAppData::Instance();
    if (reply.hasError) {
        app->ShowMessage(reply.GetErrorText(), m_hWnd, 3000);
        return;
    }
    // Any reply but an error replaces the rows, also one without a data set.
    grid.Clear();
    CDataSet* set = *reply.GetRecord(0);
    if (set == nullptr) {
        Invalidate();
        return;
    }
    int fields = set->GetFieldCount();
    // The first reply that names fields gives the headings; one without fields leaves the table without any.
    if (headings == 0) {
        for (int c = 0; c < fields; ++c) {
            const FieldInfo* info = set->GetFieldInfo(c);
            char name[sizeof info->name + 1] = {};
            if (info != nullptr)
                memcpy(name, info->name, sizeof info->name); // at most 15 characters, kept terminated
            AddCell(WideCell(name, CELL_TEXT_LIMIT).c_str());
        }
        headings = fields;
    }
    std::vector<std::u16string> texts((size_t)fields);
    std::vector<LPCWSTR> pointers((size_t)fields);
    std::vector<COLORREF> colors((size_t)fields);
    std::vector<DWORD> words((size_t)fields);
    set->MoveFirst();
    for (int row = 0; row < set->GetRowCount(); ++row, set->MoveNext()) {
        for (int c = 0; c < fields; ++c) {
            bool none = IsNoValue(set, c);
            const char* text = ColumnText(set, c);
            if (text[0] == 0)
                text = "-";
            texts[(size_t)c] = WideCell(text, CELL_TEXT_LIMIT);
            pointers[(size_t)c] = texts[(size_t)c].c_str();
            colors[(size_t)c] = app->GetColor(none ? COLOR_NAME : CellColorIndex(c, text));
            words[(size_t)c] = (DWORD)c;
        }
        SetCells(pointers.data(), colors.data(), words.data(), fields);
    }
    Invalidate();
}
