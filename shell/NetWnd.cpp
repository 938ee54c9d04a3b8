// CNetWnd: construction and its texts, the window factory and stock search, the menu node's children, activation,
// the refresh timers and the window's messages. Requests and replies are in NetWndRequest.cpp, the message bar in
// NetWndMessageBar.cpp.
#include "shell/NetWnd.h"

#include "core/AppData.h"
#include "core/DataSet.h"
#include "core/NetThread.h"
#include "core/TextHelpers.h"
#include "platform/win/Debug.h"
#include "platform/win/Message.h"
#include "shell/MenuItem.h"
#include "shell/MenuNode.h"
#include "shell/MenuTree.h"
#include "shell/WindowFactory.h"
#include "shell/WndManager.h"

#include <cstdlib>
#include <cstring>

WindowOpener CNetWnd::opener = nullptr;
StockSearchMaker CNetWnd::stockSearchMaker = nullptr;

namespace {

char* CopyText(const char* text)
{
    size_t n = strlen(text);
    char* copy = static_cast<char*>(malloc(n + 1));
    if (copy != nullptr)
        memcpy(copy, text, n + 1);
    return copy;
}

} // namespace

CNetWnd::CNetWnd(LPCWSTR title, HWND ownerWnd) : CBaseWnd(title, ownerWnd)
{
    wndType = WND_TYPE_NET;
    refreshSeconds = CAppData::Instance()->GetConfigInt("Quote_RefeWait", 0);
}

CNetWnd::~CNetWnd()
{
    free(paramText);
    free(infoText);
    StopPrivateWorker();
    worker = nullptr;
    free(barMessage);
    barClose.SetImage_Normal(nullptr);
    barClose.SetImage_Pressed(nullptr);
    delete barCloseImage;
    delete barClosePressed;
}

LPCWSTR CNetWnd::GetMzClassName()
{
    return u"CNetWnd";
}

void CNetWnd::SetWindowOpener(WindowOpener fn)
{
    opener = fn;
}

int CNetWnd::OpenByKey(const char* key, int id, const char* title, const char* info, const char* params, HWND owner)
{
    if (opener != nullptr)
        return opener(key, id, title, info, params, 0, owner);
    return CWindowFactory::OpenWindow(key, id, title, info, params, 0, owner);
}

void CNetWnd::SetStockSearchMaker(StockSearchMaker maker)
{
    stockSearchMaker = maker;
}

CBaseWnd* CNetWnd::OpenStockSearch()
{
    if (stockSearchMaker == nullptr)
        return nullptr;
    CBaseWnd* search = stockSearchMaker(u"查找个股", m_hWnd);
    if (search == nullptr)
        return nullptr;
    RECT work;
    GetWndManager()->GetWorkRect(&work);
    search->Create(work.left, work.top, work.right - work.left, work.bottom - work.top, m_hWnd, 0, 0x80000000u);
    search->ShowWnd(-1, nullptr, nullptr, 1);
    return search;
}

void CNetWnd::SetPrivateWorker(CNetThread* thread)
{
    if (worker != thread)
        StopPrivateWorker();
    worker = thread;
    privateWorker = thread != nullptr;
    if (!privateWorker)
        return;
    // Held by the application data too: a window still open at exit cannot outlive it with a running worker.
    CAppData* app = CAppData::Instance();
    app->AdoptWorker(thread);
    // Its requests (a one-shot order among them) go where the session lives, as the shared worker's do, not to
    // the configured server the log-on may have moved away from.
    CHttpClient* shared = app->GetHttpClient();
    if (shared != nullptr && thread->GetHttpClient() != nullptr)
        thread->GetHttpClient()->UseServerOf(*shared);
}

void CNetWnd::StopPrivateWorker()
{
    // Without the application data object its exit has stopped the worker already.
    if (worker != nullptr && privateWorker)
        if (CAppData* app = CAppData::Existing())
            app->StopWorker(worker);
    privateWorker = false;
}

BOOL CNetWnd::OnInitDialog()
{
    if (!CBaseWnd::OnInitDialog())
        return FALSE;
    if (messageBarFlag)
        LayoutMessageBar();
    return TRUE;
}

int CNetWnd::OnInitParam(int id, const char* info, const char* params)
{
    if (id != -1)
        menuId = id;
    if (params != nullptr && params[0] != 0) {
        char* copy = CopyText(params);
        if (copy != nullptr) {
            free(paramText);
            paramText = copy;
        }
    }
    if (info != nullptr && info[0] != 0) {
        char* copy = CopyText(info);
        if (copy != nullptr) {
            free(infoText);
            infoText = copy;
        }
    }
    return 1;
}

int CNetWnd::BuildRequest(char* part, int capacity, const char*)
{
    if (capacity < 1)
        return 0;
    part[0] = 0;
    if (paramText == nullptr || paramText[0] == 0)
        return 0;
    size_t n = strlen(paramText);
    if (n >= (size_t)capacity)
        return 0; // a cut request would ask for something else
    memcpy(part, paramText, n + 1);
    return 1;
}

void CNetWnd::OnReply(const BYTE*, int, int) {}

void CNetWnd::OnReplyLost() {}

void CNetWnd::LoseReply()
{
    requestState = RequestState::Idle;
    OnReplyLost();
}

void CNetWnd::OnQuoteInfo(CDataSet*) {}

void CNetWnd::BindTradeAccount()
{
    if (bindsTradeAccount)
        tradeAccount = CAppData::Instance()->GetFundId(nullptr);
}

bool CNetWnd::IsTradeAccountChanged() const
{
    if (tradeAccount.empty())
        return false;
    CAppData* app = CAppData::Instance();
    return app->HasTradeAccounts() && tradeAccount != app->GetFundId(nullptr);
}

void CNetWnd::OnTradeAccountChanged()
{
    BindTradeAccount();
    Request();
}

void CNetWnd::Refresh(int, int)
{
    Request();
}

bool CNetWnd::IsTradingTime(const SYSTEMTIME& time)
{
    int minute = time.wHour * 60 + time.wMinute;
    return time.wDayOfWeek >= 1 && time.wDayOfWeek <= 5 && minute > 555 && minute < 970;
}

void CNetWnd::OnAutoRefresh(UINT_PTR, int)
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    if (IsTradingTime(now)) {
        Request();
    } else if (autoRefresh) {
        KillTimer(REFRESH_TIMER);
        refreshTimerOn = false;
    }
}

void CNetWnd::Request()
{
    SendRequest(-1, 0);
}

void CNetWnd::OnRefreshTick() {}

void CNetWnd::OnTimeout(int flag)
{
    if (flag != 0)
        CAppData::Instance()->ShowMessageBox(u"网络请求超时，请重试！", u"Tips", m_hWnd);
}

int CNetWnd::OnOK(int child)
{
    CAppData* app = CAppData::Instance();
    CMenuTree* tree = app->GetMenuTree();
    if (tree == nullptr) {
        app->ShowMessageBox(u"数据文件丢失，请重新安装Morwick！", u"Tips", m_hWnd);
        return -1;
    }
    if (child < 0)
        return -1;
    CMenuNode* node = tree->FindById(menuId);
    if (node == nullptr)
        return -1;
    CMenuNode* c = node->FirstChild();
    for (int i = 0; i < child && c != nullptr; ++i)
        c = c->NextSibling();
    if (c == nullptr || c->GetItem() == nullptr)
        return -1;
    CMenuItem* item = c->GetItem();
    return OpenByKey(item->GetKey(), c->id, item->GetTitle(), "", item->GetParams(), m_hWnd);
}
void CNetWnd::OnActive()
{
    CBaseWnd::OnActive();
    if (firstActivation) {
        firstActivation = 0;
        if (worker == nullptr)
            worker = CAppData::Instance()->GetConnection();
        if (worker != nullptr && worker->Cancel(1000) == 0)
            Request();
    } else if (requestOnActive) {
        Request();
    }
    if (autoRefresh && refreshSeconds > 0) {
        SetTimer(REFRESH_TIMER, (UINT)refreshSeconds * 1000u);
        refreshTimerOn = true;
    }
}

void CNetWnd::OnInactive()
{
    CBaseWnd::OnInactive();
    if (refreshTimerOn) {
        KillTimer(REFRESH_TIMER);
        refreshTimerOn = false;
    }
}

void CNetWnd::OnTimer(UINT_PTR timerId)
{
    if (timerId == REFRESH_TIMER) {
        OnAutoRefresh(timerId, 0);
        OnRefreshTick();
    } else if (timerId == BAR_TIMER) {
        ScrollStep();
    } else {
        CBaseWnd::OnTimer(timerId);
    }
}

void CNetWnd::SetScreenMode(int mode)
{
    CBaseWnd::SetScreenMode(mode);
    if (messageBarFlag)
        LayoutMessageBar();
}

void CNetWnd::OpenChart(const char* key, const char* title, LPARAM params)
{
    char* text = reinterpret_cast<char*>(params);
    OpenByKey(key, -1, title, "", text, m_hWnd);
    free(text);
}

LRESULT CNetWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_NET_REPLY:
        HandleReply(reinterpret_cast<CNetThread*>(lParam));
        return 0;
    case WM_SEND_REQUEST:
        OnSendEvent((int)(INT_PTR)wParam, (int)lParam);
        return 1;
    case WM_TRADE_LOGIN_LOST:
        OnTradeLoginLost();
        return 1;
    case WM_NET_IGNORED:
        return 0;
    case WM_OPEN_FS_CHART:
        OpenChart("fschart", "\xB7\xD6\xCA\xB1\xD7\xDF\xCA\xC6", lParam); // 分时走势
        return 1;
    case WM_OPEN_KX_CHART:
        OpenChart("kxchart", "K\xCF\xDF\xB7\xD6\xCE\xF6", lParam); // K线分析
        return 1;
    case WM_CAPTION_TRADE:
        OnCaptionTrade();
        return 1;
    case MZ_WM_COMMAND:
        if (LOWORD(wParam) == BAR_CLOSE_ID && HIWORD(wParam) == 0) {
            ShowMessageBar(FALSE);
            return 1;
        }
        break;
    default:
        break;
    }
    return CBaseWnd::WindowProc(message, wParam, lParam);
}
