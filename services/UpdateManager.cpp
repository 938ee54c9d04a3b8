// The update manager, its hidden message window and the progress of a download.
#include "services/UpdateManager.h"

#include "core/AppData.h"
#include "core/DataSet.h"
#include "core/NetThread.h"
#include "core/TextHelpers.h"
#include "platform/ui/MzHostWnd.h"
#include "platform/win/Debug.h"
#include "platform/win/FileIo.h"
#include "platform/win/Process.h"
#include "platform/win/WideFormat.h"
#include "services/HttpNetThread.h"
#include "services/QXNoticeWnd.h"
#include "shell/BaseWnd.h"
#include "shell/QXAppFrame.h"
#include "shell/WndManager.h"

#include <cstdlib>
#include <cstring>

namespace {

CUpdateManager* instance = nullptr;
constexpr UINT_PTR NOTICE_RETRY_TIMER = 1;
constexpr UINT NOTICE_RETRY_MS = 500;
const WCHAR DEFAULT_NOTES[] = u"新功能，新体验，自己感受吧！";

bool HasMainFrame()
{
    HWND frame = CAppData::Instance()->GetMainFrameWnd();
    return frame != nullptr && IsWindow(frame);
}

// The screen in front, or null while a box, a tip, a pop-up or nothing is in front. The progress and the end of a
// download wait for a screen: a window opened in a box's owner's name from inside the box's loop would raise the
// owner over the box and leave the box's loop running unseen beneath it, so that no screen could end.
HWND FrontScreen()
{
    if (!HasMainFrame())
        return nullptr;
    HWND active = GetActiveWindow();
    return CBaseWnd::FromHandleBase(active) != nullptr ? active : nullptr;
}

} // namespace

// Receives the worker's reply and the downloader's progress on the GUI thread; never shown.
class CUpdateMessageWnd : public CMzHostWnd {
public:
    explicit CUpdateMessageWnd(CUpdateManager* manager) : manager(manager) {}
    LPCWSTR GetMzClassName() override { return u"CUpdateMessageWnd"; }
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        switch (message) {
        case WM_NET_REPLY:
            manager->OnReply(reinterpret_cast<CNetThread*>(lParam));
            return 1;
        case WM_UPDATE_PROGRESS:
            manager->OnProgress((long long)wParam, (long long)lParam);
            return 1;
        case WM_UPDATE_DONE:
            manager->OnDownloadEnded((int)wParam);
            return 1;
        default:
            return CMzHostWnd::WindowProc(message, wParam, lParam);
        }
    }
    void OnTimer(UINT_PTR id) override
    {
        if (id != NOTICE_RETRY_TIMER)
            return;
        KillTimer(NOTICE_RETRY_TIMER);
        manager->TellDownloadEnd();
    }

private:
    CUpdateManager* manager;
};

CUpdateManager* CUpdateManager::GetInstance()
{
    if (instance == nullptr) {
        instance = new CUpdateManager();
        // Its worker uses the application data: it stops before that object goes.
        CAppData::Instance()->AtDestroy(CUpdateManager::Destroy);
    }
    return instance;
}

void CUpdateManager::Destroy()
{
    delete instance;
    instance = nullptr;
}

CUpdateManager::CUpdateManager()
{
    std::u16string program = GetRunningProgramPath();
    if (!program.empty())
        packagePath = program + u".update";
}

CUpdateManager::~CUpdateManager()
{
    // The worker goes first: it may be writing the package and posting to the window.
    if (worker != nullptr) {
        worker->Stop();
        worker = nullptr;
    }
    progress.Close();
    if (window != nullptr && window->m_hWnd != nullptr)
        window->Destroy();
    window.reset();
}

void CUpdateManager::SetPackagePath(const std::u16string& path)
{
    if (state != DOWNLOADING)
        packagePath = path;
}

void CUpdateManager::SetReleaseNotes(const char* notes)
{
    if (notes != nullptr && notes[0] != 0)
        releaseNotes = notes;
}

bool CUpdateManager::EnsureWorker()
{
    if (window == nullptr) {
        window = std::make_unique<CUpdateMessageWnd>(this);
        RECT work;
        CWndManager::GetInstance()->GetWorkRect(&work);
        if (!window->Create(work.left, work.top, 1, 1, nullptr, 0, WS_POPUP)) {
            window.reset();
            return false;
        }
        // Never shown: kept under every screen so it is nobody's top window.
        SetWindowPos(window->m_hWnd, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    if (worker == nullptr) {
        auto* made = new CHttpNetThread();
        if (!made->IsRunning()) {
            made->Stop();
            return false;
        }
        worker = made;
    }
    return true;
}

HWND CUpdateManager::MessageOwner() const
{
    // The screen the user is on, also under a box of its own: a message owned by the home screen would bring
    // the home screen to the front over it.
    for (HWND w = GetActiveWindow(); w != nullptr; w = GetWindow(w, GW_OWNER))
        if (CBaseWnd* screen = CBaseWnd::FromHandleBase(w))
            return screen->m_hWnd;
    return CAppData::Instance()->GetMainFrameWnd();
}

void CUpdateManager::Start()
{
    if (state == READY)
        return;
    if (state == DOWNLOADING) {
        progressShown = false; // shown again once a screen is in front
        ShowProgress();
        return;
    }
    if (packagePath.empty() || !EnsureWorker()) {
        state = FAILED;
        failure = WideToAnsiString(u"无法启动升级");
        OutputDebugStringW(u"update: no worker or no place for the package\n");
        if (window != nullptr)
            ::PostMessage(window->m_hWnd, WM_UPDATE_DONE, 0, 0);
        return;
    }
    // A new download: what was still to be told of the last one is no longer true.
    endToTell = false;
    if (window != nullptr)
        window->KillTimer(NOTICE_RETRY_TIMER);
    // A package left by an earlier run is not trusted: this run's download starts from nothing.
    if (!startedThisRun)
        DeleteFileW(packagePath.c_str());
    startedThisRun = true;

    CAppData* app = CAppData::Instance();
    char request[CNetThread::REQUEST_SIZE] = "";
    CUpdateDownloader* downloader = worker->GetDownloader();
    downloader->SetPackagePath(packagePath);
    downloader->SetProgressWindow(window->m_hWnd, WM_UPDATE_PROGRESS);
    if (CHttpClient* shared = app->GetHttpClient())
        if (shared->GetHost()[0] != 0)
            downloader->SetServer(shared->GetHost(), shared->GetPort());
    if (app->AppendSessionParams(request, sizeof request) < 0 || worker->Send(request, window->m_hWnd, 1, 0) != 1) {
        state = FAILED;
        failure = WideToAnsiString(u"无法启动升级");
        ::PostMessage(window->m_hWnd, WM_UPDATE_DONE, 0, 0);
        return;
    }
    state = DOWNLOADING;
    progressShown = false;
    progress.SetRange(0, 100);
    progress.SetCurValue(0);
    progress.SetValue(0);
    progress.SetStyle(1);
    progress.SetInfo(u"正在下载升级包，请稍候...");
    progress.SetButtonText(u"后台下载");
    OnProgress(0, 0);
}

void CUpdateManager::OnProgress(long long done, long long total)
{
    if (state != DOWNLOADING)
        return;
    int percent = total > 0 ? (int)(done * 100 / total) : 0;
    WCHAR text[64];
    _snwprintf(text, 64, u"正在下载升级包 %d%%", percent);
    text[63] = 0;
    progress.SetInfo(text);
    progress.SetCurValue(percent);
    ShowProgress();
}

void CUpdateManager::ShowProgress()
{
    // Once the home screen is there, over the screen the user is on; after "后台下载" the download goes on unseen.
    HWND front = FrontScreen();
    if (state == DOWNLOADING && !progressShown && front != nullptr)
        progressShown = progress.Show(front) != FALSE;
}

void CUpdateManager::OnReply(CNetThread* from)
{
    if (from == nullptr || from != worker)
        return;
    from->Lock();
    const BYTE* data = from->GetReplyData();
    int length = from->GetReplyLength();
    CHttpClient* client = from->GetHttpClient();
    bool transportFailed = client != nullptr && client->HasError();
    CDataSet** sets = nullptr;
    int count = data != nullptr && length > 0 ? ParseDataSets(data, (DWORD)length, &sets) : 0;
    bool ready = false;
    failure.clear();
    if (count > 0 && sets != nullptr) {
        CDataSet* first = sets[0];
        first->MoveFirst();
        if (first->IsError() || transportFailed) {
            const char* text = first->GetRowCount() > 0 ? first->GetAsText(0) : nullptr;
            failure = text != nullptr ? text : "";
        } else {
            const char* version = first->GetString("version");
            const char* notes = first->GetString("notes");
            const char* md5 = first->GetString("md5");
            packageVersion = version != nullptr ? version : "";
            packageMd5 = md5 != nullptr ? md5 : "";
            packageSize = first->GetAsInt("size");
            if (releaseNotes.empty() && notes != nullptr)
                releaseNotes = notes;
            ready = true;
        }
    }
    for (int i = 0; i < count; ++i)
        delete sets[i];
    free(sets);
    from->Unlock();
    state = ready ? READY : FAILED;
    // Boxes and the notice wait until the worker is released from this message.
    ::PostMessage(window->m_hWnd, WM_UPDATE_DONE, ready ? 1 : 0, 0);
}

void CUpdateManager::OnDownloadEnded(int)
{
    progress.Close();
    progressShown = false;
    endToTell = true;
    TellDownloadEnd();
    if (endToTell)
        OutputDebugStringW(u"update: the end of the download waits for a screen in front\n");
}

void CUpdateManager::TellDownloadEnd()
{
    if (!endToTell || (state != READY && state != FAILED))
        return;
    if (FrontScreen() == nullptr) {
        // Still logging on, or a box is in front: told once a screen is.
        if (window != nullptr)
            window->SetTimer(NOTICE_RETRY_TIMER, NOTICE_RETRY_MS);
        return;
    }
    endToTell = false;
    if (state == READY) {
        Run();
        return;
    }
    std::string text = WideToAnsiString(u"升级包下载失败：") + failure;
    CAppData::Instance()->ShowMessage(text.c_str(), MessageOwner(), 3000);
}

void CUpdateManager::Run()
{
    CAppData* app = CAppData::Instance();
    HWND owner = MessageOwner();
    if (state != READY) {
        Start();
        app->ShowMessageBox(u"已启动升级，不会影响您现在的使用，升级完成会提示安装！", u"提示", owner);
        // The progress comes in front once the box has gone; the end of a download that came meanwhile is told
        // from the notice timer.
        progressShown = false;
        ShowProgress();
        return;
    }
    // The notice is the telling of a download's end.
    endToTell = false;
    if (window != nullptr)
        window->KillTimer(NOTICE_RETRY_TIMER);
    auto* notice = new CQXNoticeWnd(u"更新信息", owner);
    WCHAR* notes = nullptr;
    if (!releaseNotes.empty())
        AnsiToWide(releaseNotes.c_str(), &notes);
    RECT work;
    CWndManager::GetInstance()->GetWorkRect(&work);
    if (!notice->Create(work.left, work.top, work.right - work.left, work.bottom - work.top, owner, 0, 0x80000000u,
                        0)) {
        free(notes);
        delete notice;
        return;
    }
    notice->SetText(notes != nullptr && notes[0] != 0 ? notes : DEFAULT_NOTES);
    free(notes);
    notice->SetShowAnimation(12);
    notice->SetHideAnimation(11);
    notice->ShowWnd(-1, nullptr, nullptr, 1);
    // The owner releases the window when its close arrives; the choice is read before that.
    bool install = notice->IsInstallChosen();
    if (install)
        Install();
}

BOOL CUpdateManager::Install()
{
    CAppData* app = CAppData::Instance();
    if (state != READY)
        return FALSE;
    // Checked when it arrived, checked again: a file changed since then is never put in place.
    std::string md5;
    long long size = -1;
    if (!CUpdateDownloader::DigestFile(packagePath, &md5, &size) || size != packageSize ||
        StrEqualNoCase(md5.c_str(), packageMd5.c_str()) != 0) {
        DeleteFileW(packagePath.c_str());
        state = FAILED;
        app->ShowMessageBox(u"升级包校验失败，已删除", u"提示", MessageOwner());
        return FALSE;
    }
    if (!ReplaceRunningProgram(packagePath.c_str())) {
        app->ShowMessageBox(u"无法安装新版本，请稍后重试！", u"提示", MessageOwner());
        return FALSE;
    }
    state = IDLE;
    RequestProgramRestart();
    // Leave as the exit button does (traffic totals, log-out), then start again as the new build.
    auto* frame = dynamic_cast<CQXAppFrame*>(CBaseWnd::FromHandleBase(app->GetMainFrameWnd()));
    if (frame != nullptr)
        frame->ExitClient();
    else
        PostQuitMessage(0);
    return TRUE;
}
