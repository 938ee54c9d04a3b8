#include "funds/FundTradeQueryWnd.h"

#include "funds/FundQuery.h"
#include "platform/win/Time.h"
#include "trading/DateRangeWnd.h"
#include "trading/OwnedWindow.h"

#include <cstdio>

CFundTradeQueryWnd::CFundTradeQueryWnd(LPCWSTR title, HWND owner) : CFundTableWnd(title, owner, Listing::Account) {}

CFundTradeQueryWnd::~CFundTradeQueryWnd() = default;

LPCWSTR CFundTradeQueryWnd::GetMzClassName()
{
    return u"CFundTradeQueryWnd";
}

int CFundTradeQueryWnd::BuildRequest(char* part, int capacity, const char*)
{
    if (start.empty())
        return BuildFundQuery(this, part, capacity, true, nullptr);
    std::string range = "ksrq=" + start + "&jsrq=" + end;
    return BuildFundQuery(this, part, capacity, true, range.c_str());
}

void CFundTradeQueryWnd::InitMenu(CPopMenuWnd* menu)
{
    CFundTableWnd::InitMenu(menu);
    AddMenuEntry(menu, CMD_PICK_DATES, u"查询日期");
}

void CFundTradeQueryWnd::OnMenuCommand(int command)
{
    if (command == CMD_PICK_DATES)
        PickDates();
    else
        CFundTableWnd::OnMenuCommand(command);
}

bool CFundTradeQueryWnd::PickDates()
{
    std::string from = start, to = end;
    if (from.empty()) {
        SYSTEMTIME now;
        GetLocalTime(&now);
        char today[16];
        snprintf(today, sizeof today, "%04d%02d%02d", now.wYear, now.wMonth, now.wDay);
        from = to = today;
    }
    // Fund orders have one kind of rows: the picker shows no choice of kind.
    CDateRangeWnd* picker = new CDateRangeWnd(u"选择查询日期", m_hWnd, from, to, CDateRangeWnd::NO_KIND);
    RunOwnedWindow(picker, m_hWnd, 12, 11);
    bool picked = picker->IsPicked();
    if (picked) {
        start = picker->GetStart();
        end = picker->GetEnd();
    }
    delete picker;
    if (picked)
        Reload();
    return picked;
}

void CFundTradeQueryWnd::ShapeGrid(int shown)
{
    ShapeFundGrid(grid, requestCount, shown);
}
