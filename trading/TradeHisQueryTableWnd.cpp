#include "trading/TradeHisQueryTableWnd.h"

#include "platform/win/Time.h"
#include "shell/WndMessages.h"
#include "trading/DateRangeWnd.h"
#include "trading/OwnedWindow.h"

#include <cstdio>
#include <ctime>

namespace {

constexpr int DEFAULT_DAYS = 30;

std::string DateText(const SYSTEMTIME& t)
{
    char text[16];
    snprintf(text, sizeof text, "%04d%02d%02d", t.wYear, t.wMonth, t.wDay);
    return text;
}

// Today and the day DEFAULT_DAYS before it, from the local clock.
void DefaultRange(std::string* from, std::string* to)
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    *to = DateText(now);
    std::tm day{};
    day.tm_year = now.wYear - 1900;
    day.tm_mon = now.wMonth - 1;
    day.tm_mday = now.wDay - DEFAULT_DAYS;
    day.tm_hour = 12;
    std::mktime(&day); // normalises the day back into the right month
    char text[48];
    snprintf(text, sizeof text, "%04d%02d%02d", day.tm_year + 1900, day.tm_mon + 1, day.tm_mday);
    *from = text;
}

} // namespace

CTradeHisQueryTableWnd::CTradeHisQueryTableWnd(LPCWSTR title, HWND ownerWnd) : CTradeQueryTableWnd(title, ownerWnd) {}

LPCWSTR CTradeHisQueryTableWnd::GetMzClassName()
{
    return u"CTradeHisQueryTableWnd";
}

std::string CTradeHisQueryTableWnd::ExtraFields()
{
    return "&ksrq=" + start + "&jsrq=" + end + "&lb=" + std::to_string(kind);
}

void CTradeHisQueryTableWnd::SetRange(const std::string& from, const std::string& to, int k)
{
    start = from;
    end = to;
    int wanted = k == 0 ? 0 : 1;
    // Orders and deals have other columns: the headings are made again.
    if (wanted != kind)
        reshape = true;
    kind = wanted;
}

void CTradeHisQueryTableWnd::OnActive()
{
    // Nothing is asked before the user has picked the dates.
    if (firstActivation && !HasRange()) {
        firstActivation = 0;
        CBaseWnd::OnActive();
        PostMessage(WM_DEFERRED_STEP, STEP_PICK_DATES, 0);
        return;
    }
    CTradeQueryTableWnd::OnActive();
}

bool CTradeHisQueryTableWnd::PickDates()
{
    std::string from = start, to = end;
    if (from.empty())
        DefaultRange(&from, &to);
    CDateRangeWnd* picker = new CDateRangeWnd(u"选择查询日期", m_hWnd, from, to, kind);
    RunOwnedWindow(picker, m_hWnd, 12, 11);
    bool picked = picker->IsPicked();
    if (picked)
        SetRange(picker->GetStart(), picker->GetEnd(), picker->GetKind());
    delete picker;
    if (picked)
        Reload();
    return picked;
}

LRESULT CTradeHisQueryTableWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DEFERRED_STEP && wParam == STEP_PICK_DATES) {
        if (!PickDates())
            EndWnd(END_BACK);
        return 1;
    }
    return CTradeQueryTableWnd::WindowProc(message, wParam, lParam);
}

void CTradeHisQueryTableWnd::OnMzCommand(WPARAM wParam, LPARAM lParam)
{
    if (LOWORD(wParam) == ID_TOOL_BAR && (int)lParam == TOOL_MENU) {
        PickDates();
        return;
    }
    CTradeQueryTableWnd::OnMzCommand(wParam, lParam);
}
