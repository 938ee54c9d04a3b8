// The K-line chart window.
#include "charts/KXFrame.h"

#include "charts/KXParamWnd.h"
#include "core/AppData.h"
#include "core/KeyValueMap.h"
#include "core/ServerConfig.h"
#include "platform/device/TouchDriver.h"
#include "quotes/QuoteRequest.h"
#include "shell/PopMenuWnd.h"
#include "shell/WndMessages.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr char TIME_SHARE_TITLE[] = "\xB7\xD6\xCA\xB1\xD7\xDF\xCA\xC6";                 // 分时走势
constexpr char NO_EARLIER[] = "\xC3\xBB\xD3\xD0\xB8\xFC\xD4\xE7\xB5\xC4\xCA\xFD\xBE\xDD"; // 没有更早的数据
// Types 3 to 6: the minute periods.
constexpr int KX_FIRST_MINUTE_PERIOD = 3;

// The first indicator of the server's "tech" list; MACD when the configuration has none.
std::string DefaultTech()
{
    if (CServerConfig* config = CAppData::Instance()->GetQuoteParamDict()) {
        config->Load(0);
        KeyValueMap pairs(config->Get("tech"));
        if (pairs.GetCount() > 0 && pairs.GetKey(0) != nullptr && pairs.GetKey(0)[0] != 0)
            return pairs.GetKey(0);
    }
    return "MACD";
}

} // namespace

CKXFrame::CKXFrame(LPCWSTR title, HWND owner) : CChartWnd(title, owner), techName(DefaultTech())
{
    view.SetData(&data);
    view.SetPeriodName(KXPeriodCaption(period));
}

CKXFrame::~CKXFrame()
{
    if (m_hWnd != nullptr)
        UnregisterTouchNotify(m_hWnd);
}

LPCWSTR CKXFrame::GetMzClassName()
{
    return u"CKXFrame";
}

BOOL CKXFrame::OnInitDialog()
{
    if (!CChartWnd::OnInitDialog())
        return FALSE;
    RegisterTouchNotify(m_hWnd, WM_MULTITOUCH_GESTURE);
    static const UINT images[] = {126, 124, 123, 133, 116};
    for (UINT image : images)
        toolBar.AddButton(image);
    // Candles as wide as on the portrait screen: a wider chart shows more of them.
    view.SetVisibleCount(CKXView::DEFAULT_VISIBLE * view.GetWidth() / CKXView::PORTRAIT_WIDTH);
    return TRUE;
}

void CKXFrame::OnScreenModeChanged(int orientation)
{
    int before = view.GetWidth();
    CChartWnd::OnScreenModeChanged(orientation);
    if (before <= 0 || view.GetWidth() == before)
        return;
    // The candles keep their width; the turned screen shows as many more or fewer as it has room for.
    view.SetVisibleCount(view.GetVisibleCount() * view.GetWidth() / before);
    if ((int)data.bars.size() < view.GetVisibleCount())
        AskEarlier(MORE_BARS);
}

LRESULT CKXFrame::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_MULTITOUCH_GESTURE) {
        OnGesture(wParam, lParam);
        return 1;
    }
    if (message == WM_PARAMS_CHOSEN) {
        auto* record = reinterpret_cast<KXParamRecord*>(lParam);
        if (record != nullptr) {
            record->techName[sizeof record->techName - 1] = 0;
            ApplyParams(record->period, record->techName);
            delete record;
        }
        return 1;
    }
    return CChartWnd::WindowProc(message, wParam, lParam);
}

void CKXFrame::OnGesture(WPARAM wParam, LPARAM lParam)
{
    if (LOWORD(wParam) != MZ_GESTURE_PINCH)
        return;
    int start = LOWORD(lParam), end = HIWORD(lParam);
    if (start <= 0 || end <= 0)
        return;
    // Fingers apart spread the candles (fewer shown), together squeeze them (more shown).
    view.SetVisibleCount(view.GetVisibleCount() * start / end);
    if ((int)data.bars.size() < view.GetVisibleCount())
        AskEarlier(MORE_BARS);
}

int CKXFrame::BuildRequest(char* part, int capacity, const char*)
{
    if (part == nullptr || capacity < 1)
        return 0;
    part[0] = 0;
    if (code.empty() || WorkerBusy())
        return 0;
    sentKind = fresh || data.IsEmpty() ? LATEST_BARS : nextKind;
    nextKind = LATEST_BARS; // a page back asked once; whatever comes next (a refresh) asks for the latest
    char anchorDate[16] = "", anchorTime[16] = "";
    if (sentKind != LATEST_BARS) {
        const KXBar& firstBar = data.bars.front();
        snprintf(anchorDate, sizeof anchorDate, "%d", firstBar.date);
        if (firstBar.time > 0)
            snprintf(anchorTime, sizeof anchorTime, "%04d", firstBar.time);
    }
    CAString text = BuildKLineRequest(code.c_str(), anchorDate, anchorTime, period, sentKind != LATEST_BARS ? 1 : 0,
                                      PAGE_COUNT, techName.c_str());
    return PutRequest(part, capacity, text);
}

std::string CKXFrame::ChartKey() const
{
    return CChartWnd::ChartKey() + "&" + std::to_string(period) + "&" + techName;
}

void CKXFrame::StartAfresh(CReplyRecordSet& reply)
{
    data.Load(reply, CKXData::REPLACE);
    shownCode = code;
    shownPeriod = period;
    shownTech = techName;
    earliestReached = false;
    view.ShowLatest();
    if ((int)data.bars.size() < view.GetVisibleCount())
        AskEarlier(MORE_BARS); // a chart zoomed out further than one page
}

bool CKXFrame::KeepShownChart()
{
    // Another period or indicator of the security shown could not be loaded: the chart shown stays, with its own
    // period and indicator, and choosing the other again asks again.
    if (data.IsEmpty() || shownCode != code)
        return false;
    period = shownPeriod;
    techName = shownTech;
    view.SetPeriodName(KXPeriodCaption(period));
    return true;
}

void CKXFrame::OnChartReply(CReplyRecordSet& reply, bool first)
{
    // Minute bars are one day's: a chart left open over the change of day starts its periods afresh, as the
    // time-share chart does, rather than joining two partial days.
    bool newDay = !first && sentKind == LATEST_BARS && period >= KX_FIRST_MINUTE_PERIOD && data.IsAnotherDay(reply);
    if (first || newDay) {
        if (newDay)
            view.ForgetCursor();
        StartAfresh(reply);
        return;
    }
    if (sentKind != LATEST_BARS) {
        int added = data.Load(reply, CKXData::EARLIER);
        earliestReached = added == 0;
        view.BarsAddedInFront(added, sentKind == EARLIER_BARS);
        if (added == 0 && sentKind == EARLIER_BARS)
            CAppData::Instance()->ShowMessage(NO_EARLIER, m_hWnd, 2000);
        else if (sentKind == MORE_BARS && (int)data.bars.size() < view.GetVisibleCount())
            AskEarlier(MORE_BARS); // still not enough to fill the chart
    } else {
        // A refresh: the latest candles replace those held from the first one received; the view stays put
        // unless it showed the latest.
        bool atEnd = view.GetFirstVisible() + view.GetVisibleCount() >= (int)data.bars.size();
        data.Load(reply, CKXData::LATEST);
        if (atEnd)
            view.ShowLatest();
    }
}

void CKXFrame::PageEarlier()
{
    if (view.ScrollPages(-1))
        return;
    if (earliestReached || data.IsEmpty()) // the start of the history: said every time, not only the first
        CAppData::Instance()->ShowMessage(NO_EARLIER, m_hWnd, 2000);
    else
        AskEarlier(EARLIER_BARS);
}

void CKXFrame::AskEarlier(RequestKind kind)
{
    if (data.IsEmpty() || earliestReached || !IsWorkerIdle(0))
        return;
    nextKind = kind;
    Request();
}

void CKXFrame::PageLater()
{
    view.ScrollPages(1);
}

void CKXFrame::ApplyParams(int newPeriod, const char* newTech)
{
    bool offered = false;
    for (int i = 0; i < KX_PERIOD_COUNT; ++i)
        offered = offered || KX_PERIODS[i].type == newPeriod;
    if (!offered)
        newPeriod = period; // a period this chart does not offer is never asked for
    std::string tech = newTech != nullptr && newTech[0] != 0 ? newTech : techName;
    // The same choice again asks again while the chart of it has not been loaded.
    if (newPeriod == period && tech == techName && !fresh)
        return;
    period = newPeriod;
    techName = tech;
    view.SetPeriodName(KXPeriodCaption(period));
    fresh = true; // another chart: it replaces the one shown
    Request();
}

void CKXFrame::OpenParams()
{
    auto* picker = new CKXParamWnd(u"K线参数", m_hWnd);
    picker->SetParams(period, techName.c_str());
    RunChild(picker, "");
}

void CKXFrame::OpenDetailQuote()
{
    CAString info = DetailQuoteInfo(code.c_str());
    OpenByKey(DETAIL_QUOTE_KEY, -1, DETAIL_QUOTE_TITLE, info.GetText(), QUOTES_OF_CODES_PARAMS, m_hWnd);
}

void CKXFrame::OnMenuCommand(int command)
{
    switch (command) {
    case CMD_HOME:
        EndWnd(END_HOME);
        break;
    case CMD_DETAIL:
        OpenDetailQuote();
        break;
    case CMD_TIME_SHARE: {
        std::string params = "date=&code=" + code;
        OpenByKey("fschart", -1, TIME_SHARE_TITLE, "", params.c_str(), m_hWnd);
        break;
    }
    case CMD_PARAMS:
        OpenParams();
        break;
    default:
        break;
    }
}

void CKXFrame::OnMzCommand(WPARAM wParam, LPARAM lParam)
{
    if (LOWORD(wParam) != ID_TOOL_BAR)
        return;
    switch ((int)lParam) {
    case 0: {
        static const PopMenuChoice items[] = {{CMD_CANCEL, u"取消"},
                                              {CMD_HOME, u"返回首页"},
                                              {CMD_PARAMS, u"参数设置"},
                                              {CMD_TIME_SHARE, u"分时走势"},
                                              {CMD_DETAIL, u"详细报价"}};
        OnMenuCommand(CPopMenuWnd::RunChoices(m_hWnd, items));
        break;
    }
    case 1:
        PageEarlier();
        break;
    case 2:
        PageLater();
        break;
    case 3:
        OpenParams();
        break;
    case 4:
        EndWnd(END_BACK);
        break;
    }
}
