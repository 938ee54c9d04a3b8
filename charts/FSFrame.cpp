// The time-share chart window.
#include "charts/FSFrame.h"

#include "core/AppData.h"
#include "quotes/InfoMineTxtWnd.h"
#include "quotes/QuoteRequest.h"
#include "quotes/StockDealDetailWnd.h"
#include "shell/PopMenuWnd.h"
#include "shell/WndMessages.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

constexpr char KLINE_TITLE[] = "K\xCF\xDF\xB7\xD6\xCE\xF6"; // K线分析

} // namespace

CFSFrame::CFSFrame(LPCWSTR title, HWND owner) : CChartWnd(title, owner)
{
    view.SetData(&data);
}

CFSFrame::~CFSFrame() = default;

LPCWSTR CFSFrame::GetMzClassName()
{
    return u"CFSFrame";
}

BOOL CFSFrame::OnInitDialog()
{
    if (!CChartWnd::OnInitDialog())
        return FALSE;
    static const UINT images[] = {126, 125, 114, 115, 116};
    for (UINT image : images)
        toolBar.AddButton(image);
    return TRUE;
}

int CFSFrame::BuildRequest(char* part, int capacity, const char*)
{
    if (part == nullptr || capacity < 1)
        return 0;
    part[0] = 0;
    if (code.empty() || WorkerBusy())
        return 0;
    // After the first reply only the minutes from the last one shown on (it may still have changed).
    bool addUp = !fresh && !data.IsEmpty();
    char time[16] = "";
    if (addUp)
        snprintf(time, sizeof time, "%04d", data.LastTime());
    CAString text = BuildTimeShareRequest(code.c_str(), addUp ? 1 : 0, time, date.c_str(), "", 1);
    int put = PutRequest(part, capacity, text);
    if (put)
        askedFrom = addUp ? data.LastTime() : 0;
    return put;
}

void CFSFrame::OnChartReply(CReplyRecordSet& reply, bool first)
{
    if (!first && data.IsAnotherDay(reply, askedFrom)) {
        // A chart shows one day: yesterday's minutes never go on with today's, the whole new day is asked for.
        fresh = true;
        Request();
        return;
    }
    data.Load(reply, !first);
}

void CFSFrame::OpenDeals()
{
    std::string params = "code=" + code + "&date=" + date;
    RunChild(new CStockDealDetailWnd(u"成交明细", m_hWnd), params.c_str());
}

void CFSFrame::OpenRadar()
{
    auto* radar = new CInfoMineTxtWnd(u"信息雷达", m_hWnd);
    radar->SetCode(code.c_str());
    radar->SetDate(date.c_str());
    int at = view.GetLastCursorIndex();
    if (at >= 0 && at < (int)data.points.size() && data.points[(size_t)at].infoId != 0) {
        char id[16];
        snprintf(id, sizeof id, "%d", data.points[(size_t)at].infoId);
        radar->SetId(id);
    }
    RunChild(radar, "");
}

void CFSFrame::OnMenuCommand(int command)
{
    switch (command) {
    case CMD_HOME:
        EndWnd(END_HOME);
        break;
    case CMD_DEALS:
        OpenDeals();
        break;
    case CMD_RADAR:
        OpenRadar();
        break;
    default:
        break;
    }
}

void CFSFrame::OnMzCommand(WPARAM wParam, LPARAM lParam)
{
    if (LOWORD(wParam) != ID_TOOL_BAR)
        return;
    switch ((int)lParam) {
    case 0: {
        static const PopMenuChoice items[] = {
            {CMD_CANCEL, u"取消"}, {CMD_HOME, u"返回首页"}, {CMD_RADAR, u"信息雷达"}, {CMD_DEALS, u"成交明细"}};
        OnMenuCommand(CPopMenuWnd::RunChoices(m_hWnd, items));
        break;
    }
    case 1:
        OpenDeals();
        break;
    case 2: {
        std::string params = "code=" + code;
        OpenByKey("kxchart", -1, KLINE_TITLE, "", params.c_str(), m_hWnd);
        break;
    }
    case 3:
        Refresh(0, 0);
        break;
    case 4:
        EndWnd(END_BACK);
        break;
    }
}
