#include "shell/LogonWnd.h"

#include "core/AppData.h"
#include "core/DataSet.h"
#include "core/HttpClient.h"
#include "core/Md5.h"
#include "core/TextHelpers.h"
#include "platform/device/Rsa.h"
#include "platform/win/Debug.h"
#include "platform/win/FileIo.h"
#include "platform/win/Message.h"
#include "platform/win/WideText.h"
#include "shell/ConfigSets.h"
#include "shell/QXAppFrame.h"
#include "shell/RegisterVerifyFrame.h"
#include "shell/WndManager.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

UpdateStarter updateStarter = nullptr;

char* CopyText(const char* text)
{
    if (text == nullptr)
        text = "";
    size_t n = strlen(text);
    char* copy = (char*)malloc(n + 1);
    if (copy != nullptr)
        memcpy(copy, text, n + 1);
    return copy;
}

// Appends text to part (capacity bytes with the terminator); false, with part unchanged, when it does not fit.
bool Append(char* part, int capacity, const char* text)
{
    size_t used = strlen(part);
    size_t n = strlen(text);
    if (used + n + 1 > (size_t)capacity)
        return false;
    memcpy(part + used, text, n + 1);
    return true;
}

bool DataFileExists(const WCHAR* name)
{
    CWString path = CAppData::Instance()->GetFullPath(name);
    FILE* file = _wfopen(path.GetText(), u"rb");
    if (file == nullptr)
        return false;
    fclose(file);
    return true;
}

} // namespace

void CLogonWnd::SetUpdateStarter(UpdateStarter starter)
{
    updateStarter = starter;
}

CLogonWnd::CLogonWnd(LPCWSTR title, HWND ownerWnd) : CNetWnd(title, ownerWnd)
{
    wndType = WND_TYPE_LOGON;
    keep = 1;
    firstActivation = 1;
    requestOnActive = 0;
}

CLogonWnd::~CLogonWnd()
{
    KillTimer(PROGRESS_TIMER);
    progress.Close();
    free(regInfo);
    free(helpText);
}

LPCWSTR CLogonWnd::GetMzClassName()
{
    return u"CLogonWnd";
}

int CLogonWnd::HasLoginIdentity()
{
    record.Load();
    return record.GetFocus()[0] != 0 && record.GetOn()[0] != 0 ? 1 : 0;
}

BOOL CLogonWnd::OnInitDialog()
{
    if (!CNetWnd::OnInitDialog())
        return FALSE;
    RemoveUiWin(&toolBar);
    RemoveUiWin(&captionBar);
    RECT client;
    GetClientRect(&client);
    picture.SetID(PICTURE_ID);
    picture.SetPos(0, 0, client.right - client.left, client.bottom - client.top);
    picture.LoadImage(CAppData::Instance()->GetFullPath(u"start.png").GetText());
    AddUiWin(&picture);

    progress.SetRange(0, 100);
    progress.SetCurValue(0);
    progress.SetButtonText(u"取消登录");
    progress.SetValue(30);
    progress.SetStyle(1);
    progress.SetInfo(u"正在登陆Morwick，请稍后...");
    progress.SetCancelMessage(WM_LOGON_CANCEL);
    return TRUE;
}

void CLogonWnd::ShowOrClose(int menuId, const char* info, const char* params, BOOL show, BOOL bringToTop)
{
    ShowChild(menuId, info, params, show, bringToTop);
    if (show)
        progress.Show(m_hWnd);
    else
        PostMessage(WM_CHILD_CLOSED, (WPARAM)-1, (LPARAM)this);
}

void CLogonWnd::Request()
{
    SetTimer(PROGRESS_TIMER, PROGRESS_MS);
    if (state == CREATED || state == LOGIN_SENT) {
        state = LOGIN_SENT;
        SendRequest(100, 1);
    } else if (state == CONFIG) {
        PostMessage(WM_LOGON_RESTART);
        SendRequest(100, 2);
    }
}

int CLogonWnd::BuildLoginText(char* part, int capacity)
{
    encrypt = 0;
    part[0] = 0;
    CAppData* app = CAppData::Instance();
    char* path = nullptr;
    WideToAnsi(app->GetFullPath(u"pubkey.bin").GetText(), &path);
    CRSA rsa;
    const char* key = app->GetSessionKey();
    BYTE cipher[CRSA::OUTPUT_SIZE];
    DWORD cipherLength = 0;
    if (path != nullptr && key != nullptr && rsa.LoadPublicKey(path) &&
        rsa.Encrypt((const BYTE*)key, (DWORD)strlen(key), cipher, &cipherLength) && cipherLength <= CRSA::OUTPUT_SIZE) {
        char hex[2 * CRSA::OUTPUT_SIZE + 1];
        HexEncode(cipher, (int)cipherLength, hex, 0);
        hex[2 * cipherLength] = 0;
        bool fits = Append(part, capacity, "userKey=") && Append(part, capacity, hex);
        if (fits && HasLoginIdentity()) {
            std::string mobile = WideToAnsiString(record.GetFocus());
            std::string code = WideToAnsiString(record.GetOn());
            std::string both = mobile + code;
            MD5Context md5;
            MD5Init(&md5);
            MD5Update(&md5, (const BYTE*)both.data(), (uint32_t)both.size());
            BYTE digest[16];
            MD5Final(&md5, digest);
            char digestHex[33];
            HexEncode(digest, 16, digestHex, 0);
            digestHex[32] = 0;
            fits = Append(part, capacity, "&loginType=1&loginID=") && Append(part, capacity, mobile.c_str()) &&
                   Append(part, capacity, "&loginPwd=") && Append(part, capacity, digestHex);
        } else if (fits) {
            fits = Append(part, capacity, "&loginType=0");
        }
        if (!fits)
            part[0] = 0;
    } else {
        OutputDebugStringW(u"log-in without a session key: public key missing or unusable\n");
    }
    free(path);
    return 1;
}

int CLogonWnd::BuildRequest(char* part, int capacity, const char*)
{
    if (part == nullptr || capacity < 1)
        return 0;
    part[0] = 0;
    if (state == CREATED || state == LOGIN_SENT)
        return BuildLoginText(part, capacity);
    if (state == CONFIG) {
        encrypt = 1;
        CAppData* app = CAppData::Instance();
        const char* local = app->GetConfig("System_Version");
        int n =
            snprintf(part, (size_t)capacity, "&curver=%s&lastver=%s", local != nullptr ? local : "", app->GetVersion());
        if (n < 0 || n >= capacity) {
            part[0] = 0;
            return 0;
        }
        return 1;
    }
    return 0;
}

void CLogonWnd::ApplyServerUrl(CDataSet* first)
{
    const char* url = first->GetString("servurl");
    if (url != nullptr && url[0] != 0) {
        CHttpClient* client = CAppData::Instance()->GetHttpClient();
        if (client != nullptr)
            client->SetServer(url, atoi(CAppData::Instance()->GetConfig("Server_Port") != nullptr
                                            ? CAppData::Instance()->GetConfig("Server_Port")
                                            : "0"));
    }
}

void CLogonWnd::HandleLoginReply(CDataSet* first)
{
    CAppData* app = CAppData::Instance();
    first->MoveFirst();
    state = DONE;
    const char* localText = app->GetConfig("System_Version");
    std::string local = localText != nullptr ? localText : "";
    const char* session = first->GetString("session");
    if (session != nullptr && session[0] != 0)
        app->SetSessionString(session);
    const char* serverVersion = first->GetString("prd_soft_versn");
    if (serverVersion != nullptr)
        app->SetVersion(serverVersion);
    const char* updateInfo = first->GetString("prd_updateinfo");
    std::string notes = updateInfo != nullptr ? updateInfo : "";
    free(regInfo);
    regInfo = CopyText(first->GetString("reginfo"));
    free(helpText);
    helpText = CopyText(first->GetString("help"));
    int isok = first->FindField("isok") >= 0 ? first->GetAsInt("isok") : 0;
    ApplyServerUrl(first);
    DWORD bits = CompareVersion(local.c_str(), app->GetVersion());

    if (isok == 1 && HasLoginIdentity() && !local.empty()) {
        if (bits != 0) {
            // Announced only where the update really starts.
            if ((bits & 3u) && updateStarter != nullptr) {
                app->ShowMessageBox(u"系统需要升级，升级过程中不影响您的使用！", u"tips", m_hWnd);
                app->ShowMessageBox(u"提示：升级前请删除\n\\My Documents\\\nkorvatRuvAv.CAB！", u"tips", m_hWnd);
                updateStarter(notes.c_str());
            } else if (bits & 3u) {
                OutputDebugStringW(u"no update service in this build\n");
            }
            if (bits & 0x18u) {
                state = CONFIG;
                Request();
            }
        }
    } else if (isok != 0) {
        if (bits & 0x18u) {
            state = CONFIG;
            Request();
        }
    } else {
        if (HasLoginIdentity())
            app->ShowMessage(WideToAnsiString(u"用户登录失败").c_str(), m_hWnd, 2000);
        state = SIGN_UP;
        PostMessage(WM_DEFERRED_STEP, STEP_SIGN_UP, 0);
    }
    const char* popmsg = first->GetString("popmsg");
    if (popmsg != nullptr)
        app->SetPopMsg(atoi(popmsg));
    const char* refresh = first->GetString("refresh");
    app->SetRefreshFlag(refresh != nullptr && strcmp(refresh, "1") == 0 ? 1 : 0);
}

void CLogonWnd::HandleConfigReply(CDataSet** sets, int count)
{
    CAppData* app = CAppData::Instance();
    state = DONE;
    // Files from an earlier configuration still serve when this one did not arrive whole.
    bool allGood = StoreConfigSets(sets, count) || (DataFileExists(u"Menus.dat") && DataFileExists(u"config.dat"));
    if (allGood) {
        app->FixVersion();
    } else {
        app->ShowMessage(WideToAnsiString(u"取配置信息错误").c_str(), m_hWnd, 0);
        state = FAILED;
    }
}

void CLogonWnd::OnReply(const BYTE* data, int length, int)
{
    KillTimer(PROGRESS_TIMER);
    progress.SetCurValue(100);
    progress.Update();
    ProgressDialog::CloseAll();
    replyArrived = 1;
    if (data == nullptr || length <= 0)
        return;

    CAppData* app = CAppData::Instance();
    CDataSet** sets = nullptr;
    int count = ParseDataSets(data, (DWORD)length, &sets);
    if (count <= 0 || sets == nullptr) {
        free(sets);
        app->ShowMessage(WideToAnsiString(u"结果集空，请点击窗口退出，稍后再试！").c_str(), m_hWnd, 0);
        return;
    }
    CDataSet* first = sets[0];
    CDataSet* lastSet = sets[count - 1];
    if (first->IsError()) {
        if (first->GetRowCount() > 0) {
            first->MoveFirst();
            const char* text = first->GetAsText(0);
            std::string shown =
                std::string(text != nullptr ? text : "") + WideToAnsiString(u"请单击窗口退出稍后再试！");
            app->ShowMessage(shown.c_str(), m_hWnd, 0);
        }
        state = FAILED;
    } else if (first->GetRowCount() == 0 && lastSet->GetRowCount() == 0) {
        // Nothing to go on: the window waits for the user or the time-out, which keeps counting.
        SetTimer(PROGRESS_TIMER, PROGRESS_MS);
    } else if (state == LOGIN_SENT) {
        HandleLoginReply(first);
    } else if (state == CONFIG) {
        HandleConfigReply(sets, count);
    }
    if (state == DONE) {
        first->MoveFirst();
        ApplyServerUrl(first);
        PostMessage(WM_DEFERRED_STEP, STEP_MAIN_FRAME, 0);
    }
    for (int i = 0; i < count; ++i)
        delete sets[i];
    free(sets);
}

void CLogonWnd::OnTimer(UINT_PTR timerId)
{
    if (timerId != PROGRESS_TIMER) {
        CNetWnd::OnTimer(timerId);
        return;
    }
    progressPos = progressPos < 100 ? progressPos + 1 : 0;
    progress.SetCurValue(progressPos);
    progress.Update();
    if (ticks > TIMEOUT_TICKS)
        OnTimeout(1);
    ++ticks;
}

void CLogonWnd::OnTimeout(int)
{
    CNetWnd::OnTimeout(0);
    KillTimer(PROGRESS_TIMER);
    ProgressDialog::CloseAll();
    replyArrived = 1;
    CAppData::Instance()->ShowMessageBox(u"网络请求超时，请检查网络设置或稍后重试！", u"Tips", m_hWnd);
    PostQuitMessage(0);
}

void CLogonWnd::AskQuit()
{
    if (MzMessageBox(m_hWnd, u"您确定退出系统？", u"退出系统", MZ_MB_YESNO) == MZ_IDYES)
        PostQuitMessage(0);
}

void CLogonWnd::OnLButtonUp(UINT, int, int)
{
    AskQuit();
}

void CLogonWnd::OpenSignUp()
{
    RECT work;
    CWndManager::GetInstance()->GetWorkRect(&work);
    auto* frame = new CRegisterVerifyFrame(m_hWnd, regInfo, helpText);
    int result = -1;
    if (frame->Create(work.left, work.top, work.right - work.left, work.bottom - work.top, m_hWnd, 0, 0x80000000u, 0))
        result = frame->ShowWnd(-1, nullptr, nullptr, 1);
    delete frame;
    if (result == 0)
        ShowOrClose(-1, nullptr, nullptr, FALSE, FALSE);
}

void CLogonWnd::OpenMainFrame()
{
    if (OpenAppFrame(m_hWnd))
        ShowOrClose(-1, nullptr, nullptr, FALSE, FALSE);
}

LRESULT CLogonWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CHILD_CLOSED:
        // Its own close, posted once it has handed over: it goes, so that it no longer takes broadcasts and a
        // second start finds the main frame instead. Nothing touches the object after this return.
        if (lParam == (LPARAM)this) {
            delete this;
            return 1;
        }
        return CNetWnd::WindowProc(message, wParam, lParam);
    case WM_DEFERRED_STEP:
        if (wParam == STEP_SIGN_UP)
            OpenSignUp();
        else if (wParam == STEP_MAIN_FRAME)
            OpenMainFrame();
        return 1;
    case WM_LOGON_RESTART:
        progress.Show(m_hWnd);
        return 1;
    case WM_LOGON_CANCEL:
        if (MzMessageBox(m_hWnd, u"您确定退出系统？", u"退出系统", MZ_MB_YESNO) == MZ_IDYES) {
            PostQuitMessage(0);
        } else if (!replyArrived) {
            progress.SetCurValue(progressPos);
            progress.Show(m_hWnd);
        } else {
            Request();
        }
        return 0;
    default:
        return CNetWnd::WindowProc(message, wParam, lParam);
    }
}
