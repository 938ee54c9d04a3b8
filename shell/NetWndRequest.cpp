// CNetWnd's requests: composing the text (the silent log-in's included, business fields enciphered), the one road to
// the worker, and the state machine of NetWnd.h over sends and replies; the trade log-in lost, or ended from the
// caption bar.
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
#include "platform/win/Debug.h"
#include "platform/win/Message.h"
#include "platform/win/SecureMemory.h"
#include "platform/win/WideText.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// How long a one-shot request waits for the window's worker before it takes a worker of its own.
constexpr DWORD ONE_SHOT_WORKER_WAIT_MS = 1000;

// Shows a UTF-16 text through the application's message operation, which takes 8-bit text.
void ShowWideMessage(const WCHAR* text, HWND owner, int milliseconds)
{
    char* narrow = nullptr;
    if (WideToAnsi(text, &narrow) > 0 && narrow != nullptr)
        CAppData::Instance()->ShowMessage(narrow, owner, milliseconds);
    free(narrow);
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
        // The worker is idle while it delivers a reply: one still held may be this window's, which must not find
        // the worker taken by the window's next request (an expiry could not send its log-in). Nor is an order
        // composed twice while its answer may come.
        if (worker != nullptr && worker->HoldsRequest())
            return;
        // A request without keep is never cancelled: a worker that holds none has ended it without an answer,
        // which would otherwise keep the window waiting and drop its every later request.
        if (keep == 0) {
            ShowWideMessage(u"网络请求超时，请重试！", m_hWnd, 2000);
            LoseReply();
        }
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
    if (app->HasTradeAccounts() && IsTradeAccountChanged()) {
        OnTradeAccountChanged(); // what the window holds was built for the account before
    } else if (app->HasTradeAccounts()) {
        Request(); // what the window asks at its opening; a form's submission is not built again
    } else if (wndType != WND_TYPE_MAIN_FRAME) {
        EndWnd(END_HOME); // nothing here works without the trade log-in
    }
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
