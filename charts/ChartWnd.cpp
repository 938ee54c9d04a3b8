// The chart window base: parameters, the view's place, replies and the children the charts open themselves.
#include "charts/ChartWnd.h"

#include "core/AppData.h"
#include "core/ReplyRecordSet.h"
#include "core/TextHelpers.h"
#include "platform/win/Message.h"
#include "platform/win/Time.h"
#include "quotes/QuoteRequest.h"
#include "shell/WindowFactory.h"
#include "shell/WndManager.h"

#include <cstdlib>

namespace {

std::string ParamValue(const char* params, const char* key)
{
    char* value = GetParamValue(params, key);
    std::string s = value != nullptr ? value : "";
    free(value);
    return s;
}

// The same security whatever the width of its market ("600010.1" and "600010.01").
bool SameSecurity(const std::string& a, const std::string& b)
{
    CAString codeA, codeB;
    int marketA = 0, marketB = 0;
    SplitCodeMarket(a.c_str(), &codeA, &marketA);
    SplitCodeMarket(b.c_str(), &codeB, &marketB);
    return marketA == marketB && codeA.EqualsNoCase(codeB.GetText());
}

} // namespace

CChartWnd::CChartWnd(LPCWSTR title, HWND owner) : CNetWnd(title, owner)
{
    const char* refresh = CAppData::Instance()->GetConfig("Quote_IsRefresh");
    autoRefresh = refresh != nullptr && refresh[0] == '1' ? 1 : 0;
}

CChartWnd::~CChartWnd() = default;

LPCWSTR CChartWnd::GetMzClassName()
{
    return u"CChartWnd";
}

BOOL CChartWnd::OnInitDialog()
{
    if (!CNetWnd::OnInitDialog())
        return FALSE;
    // The chart takes the content panel's place; a drag over it moves the cursor, so it never counts as a swipe.
    RemoveUiWin(&contentPanel);
    AddUiWin(GetView());
    SetGestureRect(RECT{0, 0, 0, 0});
    PlaceView();
    return TRUE;
}

void CChartWnd::PlaceView()
{
    int top = CAPTION_HEIGHT;
    int height = GetHeight() - top - toolBar.GetHeight();
    GetView()->SetPos(0, top, GetWidth(), height > 0 ? height : 0);
}

void CChartWnd::OnScreenModeChanged(int orientation)
{
    CNetWnd::OnScreenModeChanged(orientation);
    PlaceView();
    Invalidate();
}

int CChartWnd::OnInitParam(int id, const char* info, const char* params)
{
    std::string newCode = ParamValue(params, "code");
    std::string newDate = ParamValue(params, "date");
    if (!newCode.empty() && (!SameSecurity(newCode, code) || newDate != date)) {
        code = newCode;
        date = newDate;
        CAString bare;
        SplitCodeMarket(code.c_str(), &bare, &market);
        firstActivation = 1; // another security or day: ask at the next activation
        fresh = true;
    }
    return CNetWnd::OnInitParam(id, info, params);
}

std::string CChartWnd::BareCode() const
{
    CAString bare;
    SplitCodeMarket(code.c_str(), &bare, nullptr);
    return bare.GetText();
}

std::string CChartWnd::ChartKey() const
{
    return code + "&" + date;
}

bool CChartWnd::WorkerBusy()
{
    return worker != nullptr && !IsWorkerIdle(0);
}

int CChartWnd::PutRequest(char* part, int capacity, const CAString& text)
{
    if (!CopyRequest(text, part, capacity))
        return 0;
    askedFor = ChartKey();
    return 1;
}

void CChartWnd::OnReply(const BYTE* data, int length, int transportFailed)
{
    if (data == nullptr || length <= 0)
        return;
    if (!askedFor.empty() && askedFor != ChartKey()) {
        // The answer to a chart the user has left (another period or indicator chosen meanwhile): ask for the
        // one shown.
        Request();
        return;
    }
    CReplyRecordSet reply(data, (DWORD)length);
    bool first = fresh;
    bool failed = reply.hasError != 0;
    if (failed) {
        CAppData::Instance()->ShowMessage(reply.GetErrorText(), m_hWnd, 3000);
        if (first && KeepShownChart()) {
            fresh = false;
        } else if (first) {
            GetView()->ForgetCursor();
            ClearChart(); // not the chart of the security shown before; the next request asks afresh
        }
    } else {
        if (first) {
            GetView()->ForgetCursor();
            ClearChart();
        }
        fresh = false; // before the handler, which may find it must start afresh
        OnChartReply(reply, first);
        loadedAt = GetMessageClock();
    }
    // An empty chart says whether the server has nothing (or said why in its error) or the load failed: the
    // transport's, or a reply that could not be read. The same choice or 刷新 asks again.
    bool loadFailed = failed && (transportFailed != 0 || reply.errorIndex < 0);
    GetView()->SetMessage(!ChartIsEmpty() ? u"" : loadFailed ? u"数据加载失败" : u"暂无数据");
    Invalidate();
}

void CChartWnd::OnActive()
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    bool stale = !firstActivation && autoRefresh && refreshSeconds > 0 && loadedAt != 0 &&
                 GetMessageClock() - loadedAt >= (DWORD)refreshSeconds * 1000 && IsTradingTime(now);
    CNetWnd::OnActive();
    if (stale)
        Request();
}

void CChartWnd::RunChild(CBaseWnd* child, const char* params)
{
    RECT work;
    GetWndManager()->GetWorkRect(&work);
    if (!child->Create(work.left, work.top, work.right - work.left, work.bottom - work.top, m_hWnd, 0,
                       CWindowFactory::POPUP_STYLE)) {
        delete child;
        return;
    }
    child->SetShowAnimation(CWindowFactory::SHOW_ANIMATION);
    child->SetHideAnimation(CWindowFactory::HIDE_ANIMATION);
    child->ShowWnd(-1, "", params, 1);
}
