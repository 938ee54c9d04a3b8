// CUpdateManager: the program update. Start downloads the newer build in the background on the update worker
// (with a progress window the user may send to the background), Run shows the notice of a downloaded build or
// starts the download, and a build the user agrees to install replaces the program and the client starts again
// as the new build.
#pragma once

#include "platform/ui/MzDialogs.h"
#include "platform/win/WinTypes.h"

#include <memory>
#include <string>

class CHttpNetThread;
class CNetThread;
class CUpdateMessageWnd;

// Posted by the downloader to the manager's window: wParam bytes on disk, lParam the package size.
constexpr UINT WM_UPDATE_PROGRESS = 0xFFF20030u;
// Posted by the manager to its own window after a download ended: wParam 1 ready, 0 failed.
constexpr UINT WM_UPDATE_DONE = 0xFFF20031u;

class CUpdateManager {
public:
    enum State { IDLE = 0, DOWNLOADING = 1, READY = 2, FAILED = 3 };

    // The one manager, made on first use.
    static CUpdateManager* GetInstance();
    // Stops the update worker and deletes the manager (before the application data goes); safe without one.
    static void Destroy();

    // Keeps a copy of the release notes (8-bit); null or empty leaves them as they were.
    void SetReleaseNotes(const char* notes);
    // Starts the download in the background and returns at once; a download under way only shows its progress
    // again, a package already checked is kept.
    void Start();
    // With a checked package: the notice "更新信息" with the release notes, and the install when the user
    // agrees. Otherwise Start and the box that says so.
    void Run();
    // Puts the checked package in place of the program and ends the client so that it starts again as the new
    // build; FALSE (told to the user, the package kept) when the program cannot be replaced.
    BOOL Install();

    int GetState() const { return state; }
    const std::string& GetReleaseNotes() const { return releaseNotes; }
    // The announced version of the package (after a download).
    const std::string& GetPackageVersion() const { return packageVersion; }
    // The package file beside the program ("<program>.update"); another place only while no download runs.
    const std::u16string& GetPackagePath() const { return packagePath; }
    void SetPackagePath(const std::u16string& path);
    // The worker's end of a download (inside its reply message) and the progress it posts.
    void OnReply(CNetThread* from);
    void OnProgress(long long done, long long total);
    void OnDownloadEnded(int ready);
    // Tells the end of the download (the notice, or why it failed) once a screen is in front, else tries again
    // shortly.
    void TellDownloadEnd();
    ProgressDialog& GetProgressDialog() { return progress; }

private:
    CUpdateManager();
    ~CUpdateManager();
    bool EnsureWorker();
    HWND MessageOwner() const;
    // The progress window over the screen in front, unless it is shown already or a box is in front.
    void ShowProgress();

    State state = IDLE;
    std::string releaseNotes;
    std::string packageVersion;
    std::string packageMd5;
    long long packageSize = -1;
    std::string failure;
    std::u16string packagePath;
    bool startedThisRun = false;
    bool progressShown = false;
    bool endToTell = false;
    CHttpNetThread* worker = nullptr;
    std::unique_ptr<CUpdateMessageWnd> window;
    ProgressDialog progress;
};
