#include "shell/NetWnd.h"

#include "core/AppData.h"
#include "core/Base64.h"
#include "core/DataSet.h"
#include "core/DeviceRegRecord.h"
#include "core/Md5.h"
#include "core/NetThread.h"
#include "core/PacketCipher.h"
#include "core/ReplyRecordSet.h"
#include "core/TextHelpers.h"
#include "platform/device/CallInterface.h"
#include "platform/device/Rsa.h"
#include "platform/ui/MzDialogs.h"
#include "platform/ui/MzImage.h"
#include "platform/win/Debug.h"
#include "platform/win/Message.h"
#include "platform/win/SecureMemory.h"
#include "platform/win/WideText.h"
#include "shell/MenuItem.h"
#include "shell/MenuNode.h"
#include "shell/MenuTree.h"
#include "shell/WindowFactory.h"
#include "shell/WndManager.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// How long a one-shot request waits for the window's worker before it takes a worker of its own.
constexpr DWORD ONE_SHOT_WORKER_WAIT_MS = 1000;

} // namespace

WindowOpener CNetWnd::opener = nullptr;
StockSearchMaker CNetWnd::stockSearchMaker = nullptr;

namespace {

// Shows a UTF-16 text through the application's message operation, which takes 8-bit text.
void ShowWideMessage(const WCHAR* text, HWND owner, int milliseconds)
{
    char* narrow = nullptr;
    if (WideToAnsi(text, &narrow) > 0 && narrow != nullptr)
        CAppData::Instance()->ShowMessage(narrow, owner, milliseconds);
    free(narrow);
}

char* CopyText(const char* text)
{
    size_t n = strlen(text);
    char* copy = static_cast<char*>(malloc(n + 1));
    if (copy != nullptr)
        memcpy(copy, text, n + 1);
    return copy;
}

// A pair longer than four characters whose name starts with "tc_" in either case stays plain.
bool IsPlainPair(const char* pair, size_t n)
{
    return n > 4 && (pair[0] == 't' || pair[0] == 'T') && (pair[1] == 'c' || pair[1] == 'C') && pair[2] == '_';
}

// Text that may hold the business fields in plain (passwords among them): room reserved up front so growing never
// leaves a copy behind, and every byte wiped when it goes.
struct CWipedText {
    explicit CWipedText(size_t room) { text.reserve(room); }
    ~CWipedText()
    {
        text.resize(text.capacity()); // within the capacity: no new buffer
        SecureZeroMemory(text.data(), text.size());
    }
    CWipedText(const CWipedText&) = delete;
    CWipedText& operator=(const CWipedText&) = delete;
    std::string text;
};

// Wipes a request buffer on every way out of the function that filled it.
struct CWipeOnExit {
    char* data;
    size_t size;
    ~CWipeOnExit() { SecureZeroMemory(data, size); }
};

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
    // Held by the application data too: a window still open at exit cannot outlive it with a running worker.
    if (privateWorker)
        CAppData::Instance()->AdoptWorker(thread);
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

void CNetWnd::SendRequest(int mainFunction, int subFunction)
{
    PostMessage(WM_SEND_REQUEST, (WPARAM)(INT_PTR)mainFunction, (LPARAM)subFunction);
}

int CNetWnd::IsWorkerIdle(DWORD wait)
{
    if (worker == nullptr)
        return 0;
    return worker->WaitIdle(wait) == WAIT_OBJECT_0 ? 1 : 0;
}

void CNetWnd::Relogin()
{
    requestState = RequestState::LoggingIn;
    SendRequest(100, 1);
}

int CNetWnd::BuildReloginText(char* part, int capacity)
{
    part[0] = 0;
    CAppData* app = CAppData::Instance();
    char* dir = nullptr;
    WideToAnsi(app->GetAppDir().GetText(), &dir);
    std::string path = std::string(dir != nullptr ? dir : "") + "pubkey.bin";
    free(dir);
    CRSA rsa;
    if (!rsa.LoadPublicKey(path.c_str()))
        return 1;
    const char* key = app->GetSessionKey();
    if (key == nullptr)
        return 1;
    BYTE sealed[256];
    DWORD sealedLength = sizeof sealed;
    if (!rsa.Encrypt((const BYTE*)key, (DWORD)strlen(key), sealed, &sealedLength) || sealedLength > sizeof sealed)
        return 1;
    std::string text = "userKey=";
    char hex[2 * sizeof sealed + 1];
    HexEncode(sealed, (int)sealedLength, hex, 0);
    hex[2 * sealedLength] = 0;
    text += hex;

    DeviceRegRecord record;
    record.Load();
    char* mobile = nullptr;
    char* code = nullptr;
    WideToAnsi(record.GetFocus(), &mobile);
    WideToAnsi(record.GetOn(), &code);
    if (mobile != nullptr && code != nullptr && mobile[0] != 0 && code[0] != 0) {
        MD5Context md5;
        MD5Init(&md5);
        MD5Update(&md5, (const BYTE*)mobile, (uint32_t)strlen(mobile));
        MD5Update(&md5, (const BYTE*)code, (uint32_t)strlen(code));
        BYTE digest[16];
        MD5Final(&md5, digest);
        char digestHex[33];
        HexEncode(digest, 16, digestHex, 0);
        digestHex[32] = 0;
        text += std::string("&loginType=1&loginID=") + mobile + "&loginPWD=" + digestHex;
    } else {
        text += "&loginType=0";
    }
    free(mobile);
    free(code);
    if (text.size() < (size_t)capacity)
        memcpy(part, text.c_str(), text.size() + 1);
    return 1;
}

// Splits the part at "&" into plain "tc_" pairs and business pairs, enciphers the business ones with the
// session key and rewrites the part. 0 when the result does not fit.
int CNetWnd::EncipherPart(char* part, int capacity, bool afterAmpersand)
{
    size_t partLength = strlen(part);
    std::string plain;
    CWipedText businessText(partLength + 1), sent((size_t)capacity + 64);
    std::string& business = businessText.text;
    std::string& text = sent.text;
    const char* p = part;
    while (*p != 0) {
        const char* end = strchr(p, '&');
        size_t n = end != nullptr ? (size_t)(end - p) : strlen(p);
        if (n > 0) {
            std::string& list = IsPlainPair(p, n) ? plain : business;
            if (!list.empty())
                list += '&';
            list.append(p, n);
        }
        p += n;
        if (*p == '&')
            ++p;
    }
    int sealedLength = 0;
    std::string sealedText;
    if (!business.empty()) {
        const char* key = CAppData::Instance()->GetSessionKey();
        std::string out(business.size() + 32, '\0');
        if (key != nullptr)
            sealedLength = EncryptPacket(key, (const BYTE*)business.data(), (int)business.size(), (BYTE*)out.data());
        if (sealedLength > (int)out.size())
            sealedLength = 0; // never trust a length past the buffer
        if (sealedLength > 0) {
            std::string b64((size_t)sealedLength * 4 / 3 + 8, '\0');
            uint32_t n = Base64Encode((const BYTE*)out.data(), (BYTE*)b64.data(), (uint32_t)sealedLength);
            b64.resize(n);
            sealedText = std::move(b64);
        }
    }
    if (sealedLength > 0) {
        text.append("TC_REQDATA=").append(sealedText).append("&TC_REQLENGTH=").append(std::to_string(business.size()));
        plain += plain.empty() ? "TC_ENCRYPT=36" : "&TC_ENCRYPT=36";
    } else {
        text.assign(business);
        plain += plain.empty() ? "TC_ENCRYPT=0" : "&TC_ENCRYPT=0";
    }
    // The prefix before an empty part already ends with "&".
    if (text.empty() ? !afterAmpersand : text.back() != '&')
        text += '&';
    text += plain;
    if (text.size() >= (size_t)capacity)
        return 0;
    memcpy(part, text.c_str(), text.size() + 1);
    return 1;
}

int CNetWnd::ComposeRequest(int mainFunction, int subFunction, char* out, int capacity)
{
    if (out == nullptr || capacity < 1)
        return 0;
    out[0] = 0;
    int prefix = 0;
    if (mainFunction > -1) {
        prefix = snprintf(out, (size_t)capacity, "TC_MFUNCNO=%d&TC_SFUNCNO=%d&", mainFunction, subFunction);
        if (prefix < 0 || prefix >= capacity)
            return 0;
    }
    char* part = out + prefix;
    int room = capacity - prefix;
    bool reloginText = requestState == RequestState::LoggingIn && mainFunction == 100 && subFunction == 1;
    int ok = reloginText ? BuildReloginText(part, room) : BuildRequest(part, room, out);
    if (ok == 0)
        return 0;
    part[room - 1] = 0; // whatever BuildRequest wrote stays inside the buffer
    if (CAppData::Instance()->AppendSessionParams(part, (UINT)room) < 0) {
        OutputDebugStringW(u"request too long for the common fields; not sent\n");
        return 0;
    }
    // Only the log-in text itself stays plain; the window's own fields are enciphered also while it is pending.
    if (encrypt && !reloginText && !EncipherPart(part, room, prefix > 0)) {
        OutputDebugStringW(u"enciphered request too long; not sent\n");
        return 0;
    }
    int length = (int)strlen(out);
    if (length > CHttpClient::MAX_REQUEST_TEXT)
        return 0;
    return length;
}

int CNetWnd::SendRequestNow(int mainFunction, int subFunction, bool once)
{
    if (IsFlightModeOn() && QueryNetWorkStatus() != NETWORK_STATUS_CONNECTED) {
        CAppData::Instance()->ShowMessageBox(u"系统处于飞行模式，无法连接网络，系统无法登陆！", u"Tips", m_hWnd);
        PostQuitMessage(0);
        return 0;
    }
    if (once)
        keep = 0;
    char text[REQUEST_CAPACITY];
    CWipeOnExit wipe{text, sizeof text}; // the window wrote its fields here in plain before enciphering them
    if (ComposeRequest(mainFunction, subFunction, text, sizeof text) <= 0)
        return 0;
    if (once && (worker == nullptr || worker->WaitIdle(ONE_SHOT_WORKER_WAIT_MS) != WAIT_OBJECT_0)) {
        // A request that must go now does not wait behind another window's: it gets a worker of its own.
        if (CNetThread* own = CNetThread::Create())
            SetPrivateWorker(own);
    }
    if (worker == nullptr)
        worker = CAppData::Instance()->GetConnection();
    if (worker == nullptr || worker->Send(text, m_hWnd, keep, 0) != 1)
        return 0; // busy: dropped
    CAppData::Instance()->NextPacketId();
    captionBar.SetActivity(TRUE);
    return 1;
}

bool CNetWnd::IsLogInAbandoned() const
{
    return requestState == RequestState::LogInSent && (worker == nullptr || !worker->HoldsRequest());
}

void CNetWnd::OnSendEvent(int mainFunction, int subFunction)
{
    if (IsLogInAbandoned())
        requestState = RequestState::Idle;
    switch (requestState) {
    case RequestState::Waiting:
    case RequestState::Resent:
        if (keep == 0)
            return; // its answer is on its way: an order is never composed twice
        // The worker is idle while it delivers a reply: one still held may be this window's, which must not find
        // the worker taken by the window's next request (an expiry could not send its log-in).
        if (worker != nullptr && worker->HoldsRequest())
            return;
        [[fallthrough]];
    case RequestState::Idle:
        if (SendRequestNow(mainFunction, subFunction, false))
            requestState = RequestState::Waiting;
        return;
    case RequestState::LoggingIn:
        // Only the log-in itself; its reply must not be taken for another request's.
        if (mainFunction != 100 || subFunction != 1)
            return;
        if (SendRequestNow(mainFunction, subFunction, false)) {
            requestState = RequestState::LogInSent;
        } else {
            ShowWideMessage(u"网络请求超时，请重试！", m_hWnd, 2000);
            LoseReply();
        }
        return;
    case RequestState::LogInSent:
        return; // its answer is on its way
    case RequestState::Resending:
        if (SendRequestNow(mainFunction, subFunction, false)) {
            requestState = RequestState::Resent;
        } else {
            ShowWideMessage(u"网络请求超时，请重试！", m_hWnd, 2000);
            LoseReply();
        }
        return;
    }
}

int CNetWnd::SendOnce()
{
    if (IsLogInAbandoned())
        requestState = RequestState::Idle;
    switch (requestState) {
    case RequestState::LoggingIn:
    case RequestState::LogInSent:
        return 0; // no reply may be taken for the log-in's
    case RequestState::Idle:
    case RequestState::Waiting:
    case RequestState::Resending:
    case RequestState::Resent:
        break;
    }
    // The user's own request supersedes a resend still posted: that one finds this answer awaited and stays.
    if (!SendRequestNow(-1, 0, true))
        return 0;
    requestState = RequestState::Waiting;
    return 1;
}

void CNetWnd::OnReplyEvent(ReplyEvent event, const BYTE* data, int length)
{
    if (event == ReplyEvent::TradeLoginExpired && !IsLoggingIn()) {
        // Handled once the worker is free again: the trade log-in it opens sends through the same worker.
        requestState = RequestState::Idle;
        OnReplyLost();
        PostMessage(WM_TRADE_LOGIN_LOST, 0, 0);
        return;
    }
    bool failed = event == ReplyEvent::TransportFailure;
    switch (requestState) {
    case RequestState::Idle:
    case RequestState::Waiting:
        if (failed && keep) {
            requestState = RequestState::Resending;
            Request();
            return;
        }
        if (event == ReplyEvent::SessionExpired) {
            Relogin();
            return;
        }
        break;
    case RequestState::LoggingIn:
    case RequestState::LogInSent:
        HandleReloginReply(data, length);
        return;
    case RequestState::Resending:
    case RequestState::Resent:
        break; // a second failure or expiry is shown, not chased
    }
    requestState = RequestState::Idle;
    OnReply(data, length, failed ? 1 : 0);
}

void CNetWnd::HandleReply(CNetThread* from)
{
    captionBar.SetActivity(FALSE);
    if (from == nullptr || from != worker)
        return;
    // The object may go while OnReply runs a modal tip; the lock is the worker's and outlives it.
    CNetThread* w = worker;
    w->Lock();
    const BYTE* data = w->GetReplyData();
    int length = w->GetReplyLength();
    if (data != nullptr && length > 0) {
        CHttpClient* client = w->GetHttpClient();
        int e = client != nullptr ? client->GetErrorCode() : CHttpClient::ERROR_NONE;
        int result = client != nullptr ? client->GetReplyResult() : 0;
        ReplyEvent event = ReplyEvent::Answer;
        if (e >= 0 && e != CHttpClient::ERROR_SERVER)
            event = ReplyEvent::TransportFailure;
        else if (e == CHttpClient::ERROR_SERVER && result == RESULT_SESSION_EXPIRED)
            event = ReplyEvent::SessionExpired;
        else if (e == CHttpClient::ERROR_SERVER && result == RESULT_TRADE_EXPIRED)
            event = ReplyEvent::TradeLoginExpired;
        OnReplyEvent(event, data, length);
    }
    w->Unlock();
}

void CNetWnd::HandleReloginReply(const BYTE* data, int length)
{
    CReplyRecordSet reply(data, (DWORD)length);
    CDataSet* first = *reply.GetRecord(0);
    if (first != nullptr && first->IsError() && first->GetRowCount() > 0) {
        first->MoveFirst();
        const char* text = first->GetAsText(0);
        // A failed silent log-in ends the re-login state, so the window's later replies reach it again.
        CAppData::Instance()->ShowMessage(text != nullptr ? text : "", m_hWnd, 3000);
        LoseReply();
        return;
    }
    if (first != nullptr && first->GetRowCount() > 0) {
        first->MoveFirst();
        const char* session = first->GetAsText("session");
        if (session != nullptr && session[0] != 0) {
            CAppData::Instance()->SetSessionString(session);
            requestState = RequestState::Resending;
            Request();
            return;
        }
    }
    OutputDebugStringW(u"silent log-in gave no session\n");
    ShowWideMessage(u"网络请求超时，请重试！", m_hWnd, 2000);
    LoseReply();
}

void CNetWnd::OnTradeLoginLost()
{
    CAppData* app = CAppData::Instance();
    app->TradeLogout();
    captionBar.Invalidate();
    ShowWideMessage(u"交易登录已失效，请重新登录！", m_hWnd, 2000);
    app->ShowTradeLogin(m_hWnd, -1);
    if (app->HasTradeAccounts()) {
        Request(); // what the window asks at its opening; a form's submission is not built again
    } else if (wndType != WND_TYPE_MAIN_FRAME) {
        EndWnd(END_HOME); // nothing here works without the trade log-in
    }
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

void CNetWnd::OnCaptionTrade()
{
    CAppData* app = CAppData::Instance();
    if (app->HasTradeAccounts() == 0) {
        app->ShowTradeLogin(m_hWnd, -1);
        return;
    }
    if (MzMessageBox(m_hWnd, u"您确定退出交易登录？", u"Query", MZ_MB_YESNO) != MZ_IDYES)
        return;
    app->TradeLogout();
    ShowWideMessage(u"您已经成功退出交易登录！", m_hWnd, 2000);
    if (wndType == WND_TYPE_MAIN_FRAME)
        captionBar.Invalidate();
    else
        EndWnd(END_HOME);
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

// The message bar: a band under the caption bar with a scrolling text and a close button.
void CNetWnd::LayoutMessageBar()
{
    int width = GetWidth();
    barBackground.SetPos(0, CAPTION_HEIGHT, width, BAR_HEIGHT);
    barBackground.SetWidthImage(width);
    barTextField.SetID(BAR_TEXT_ID);
    barTextField.SetPos(40, 47, width - 110, 50);
    barIndent = width - 130;
    barClose.SetID(BAR_CLOSE_ID);
    barClose.SetPos(width - 60, 47, 50, 50);
    if (barCloseImage == nullptr) {
        barCloseImage = new CMzImage;
        barCloseImage->LoadImage(CAppData::Instance()->GetFullPath(u"close.png").GetText());
        barClosePressed = new CMzImage;
        barClosePressed->LoadPlatformImage(212u);
        barClose.SetImage_Normal(barCloseImage);
        barClose.SetImage_Pressed(barClosePressed);
    }
}

void CNetWnd::SetBarMessage(LPCWSTR text, int repeats)
{
    free(barMessage);
    barMessage = nullptr;
    if (text != nullptr) {
        size_t n = wcslen(text);
        barMessage = static_cast<WCHAR*>(malloc((n + 1) * sizeof(WCHAR)));
        if (barMessage != nullptr)
            memcpy(barMessage, text, (n + 1) * sizeof(WCHAR));
    }
    barRepeats = repeats;
}

void CNetWnd::ShowMessageBar(BOOL on)
{
    if (on) {
        if (barTextField.GetWidth() <= 0)
            LayoutMessageBar(); // no window lays the bar out beforehand; place it now
        if (!barVisible) {
            AddUiWin(&barBackground);
            AddUiWin(&barTextField);
            AddUiWin(&barClose);
        }
        barVisible = 1;
        barPosition = 0;
        barText_.Assign(u"");
        barTextField.SetText(u"");
        SetTimer(BAR_TIMER, 200);
    } else {
        if (barVisible) {
            RemoveUiWin(&barBackground);
            RemoveUiWin(&barTextField);
            RemoveUiWin(&barClose);
        }
        barVisible = 0;
        KillTimer(BAR_TIMER);
    }
    Invalidate();
}

void CNetWnd::ScrollStep()
{
    if (barMessage == nullptr || barMessage[0] == 0 || barRepeats < 1) {
        ShowMessageBar(FALSE);
        return;
    }
    int fieldWidth = barTextField.GetWidth();
    int c = barTextField.GetTextSize() > 0 ? barTextField.GetTextSize() : 24; // a full-width character
    int fit = c > 0 ? fieldWidth / c : 1;
    int length = (int)wcslen(barMessage);
    int shown = (int)barText_.GetLength();
    if (barPosition > 0) {
        barIndent = 0;
        int start = barPosition < length ? barPosition : length;
        int count = shown < length - start ? shown : length - start;
        barText_.Assign(u"");
        for (int i = 0; i < count; ++i)
            barText_.Append(barMessage[start + i]);
        ++barPosition;
        if (barPosition >= length - 1) {
            --barRepeats;
            barPosition = 0;
            barIndent = fieldWidth - 40;
            barText_.Assign(u"");
        }
    } else {
        int count = shown + 1 <= length ? shown + 1 : length;
        barText_.Assign(u"");
        for (int i = 0; i < count; ++i)
            barText_.Append(barMessage[i]);
        barIndent -= c;
        if ((shown < length && shown > fit) || (shown == length && length > fit))
            ++barPosition;
        if (barIndent < 1) {
            barIndent = 0;
            if (length <= fit)
                ++barPosition;
        }
    }
    barTextField.SetPos(40 + barIndent, 47, fieldWidth, 50);
    barTextField.SetText(barText_.GetText());
    barTextField.Invalidate();
}

void CMessageBarPanel::SetWidthImage(int windowWidth)
{
    UINT id = windowWidth == 720 ? 271u : windowWidth == 480 ? 270u : pictureId;
    if (id != 0 && id != pictureId && picture.LoadPlatformImage(id))
        pictureId = id;
}

void CMessageBarPanel::PaintWin(HDC dc, RECT* rcWin, RECT* rcUpdate)
{
    if (picture.IsLoaded())
        picture.Draw(dc, rcWin, TRUE);
    else
        UiStatic::PaintWin(dc, rcWin, rcUpdate);
}
