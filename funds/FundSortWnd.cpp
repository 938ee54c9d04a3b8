#include "funds/FundSortWnd.h"

#include "core/DataSet.h"
#include "core/TextHelpers.h"
#include "funds/FundForm.h"
#include "funds/FundQuery.h"
#include "funds/FundSortParamWnd.h"
#include "shell/FormLayout.h"
#include "shell/PopMenuWnd.h"

#include <cstring>
#include <vector>

CFundSortWnd::CFundSortWnd(LPCWSTR title, HWND owner) : CFundTableWnd(title, owner, Listing::Public) {}

CFundSortWnd::~CFundSortWnd() = default;

LPCWSTR CFundSortWnd::GetMzClassName()
{
    return u"CFundSortWnd";
}

LRESULT CFundSortWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_PARAMS_CHOSEN) {
        auto* choice = reinterpret_cast<FundSortChoice*>(lParam);
        if (choice != nullptr)
            SortBy(choice->column, choice->direct);
        delete choice;
        return 1;
    }
    return CFundTableWnd::WindowProc(message, wParam, lParam);
}

int CFundSortWnd::BuildRequest(char* part, int capacity, const char*)
{
    if (sortColumn.empty())
        return BuildFundQuery(this, part, capacity, false, nullptr);
    std::string sort = "sortcol=" + sortColumn + "&direct=" + std::to_string(sortDirect);
    return BuildFundQuery(this, part, capacity, false, sort.c_str());
}

void CFundSortWnd::InitMenu(CPopMenuWnd* menu)
{
    CFundTableWnd::InitMenu(menu);
    AddMenuEntry(menu, CMD_SORT, u"排序方式");
}

void CFundSortWnd::OnMenuCommand(int command)
{
    if (command == CMD_SORT)
        ShowSortPicker();
    else
        CFundTableWnd::OnMenuCommand(command);
}

void CFundSortWnd::ShowSortPicker()
{
    CDataSet* set = GetLastDataSet();
    if (set == nullptr)
        return;
    // Every figure column can order the table; the code, the name and the rank cannot.
    std::vector<ListItem> items;
    for (int i = 0; i < set->GetFieldCount(); ++i) {
        const FieldInfo* f = set->GetFieldInfo(i);
        if (f == nullptr || StrEqualNoCase(f->name, positionColumn.c_str()) == 0 ||
            StrEqualNoCase(f->name, "tradingcode") == 0 || StrEqualNoCase(f->name, "SecuAbbr") == 0 ||
            StrEqualNoCase(f->name, "pm") == 0)
            continue;
        char caption[sizeof f->caption + 1] = {};
        memcpy(caption, f->caption, sizeof f->caption);
        ListItem item;
        MakeListItem(caption[0] != 0 ? caption : f->name, f->name, sortColumn == f->name ? 1 : 0, &item);
        items.push_back(item);
    }
    if (!items.empty()) {
        auto* picker = new CFundSortParamWnd(u"排序方式", m_hWnd, sortColumn.c_str(), sortDirect);
        picker->SetItems(items.data(), (int)items.size());
        RunChoicePicker(picker, m_hWnd);
    }
    for (ListItem& item : items)
        FreeListItemPayload(&item);
}

void CFundSortWnd::SortBy(const char* column, int direct)
{
    sortColumn = column != nullptr ? column : "";
    sortDirect = direct;
    showSortColumn = true;
    Reload();
}

void CFundSortWnd::ShapeGrid(int shown)
{
    ShapeFundGrid(grid, requestCount, shown);
}

void CFundSortWnd::OnReply(const BYTE* data, int length, int transportFailed)
{
    if (!ShowFundPage(this, data, length, transportFailed))
        return;
    if (showSortColumn && !sortColumn.empty())
        grid.ShowColumn(GetColumnIndex(sortColumn.c_str()));
    showSortColumn = false;
}
