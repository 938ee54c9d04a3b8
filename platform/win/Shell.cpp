// The phone around the client: work area, rotation, registered messages, accelerometer, shell records, input
// panel, named mutexes shared between processes, the list of top-level windows other clients can find, and the
// programs the client would start.
#include "platform/win/Shell.h"

#include "platform/device/Registry.h"
#include "platform/display/Desktop.h"
#include "platform/display/Paths.h"
#include "platform/win/Debug.h"
#include "platform/win/LastError.h"
#include "platform/win/Thread.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

using namespace morwick::display;

namespace {

std::mutex shellLock;
std::vector<ShellRecord> shellRecords;
std::vector<std::string> startedPrograms;
std::atomic<bool> accAvailable{true};
std::atomic<bool> accOpen{false};
std::atomic<bool> sipVisible{false};
std::atomic<int> sipKind{0};

std::string RuntimeDirectory()
{
    const char* env = std::getenv("MORWICK_RUNTIME_DIR");
    std::string dir = env && *env ? std::string(env) : "/tmp/morwick-" + std::to_string(getuid());
    mkdir(dir.c_str(), 0700);
    return dir;
}

std::string HexName(const std::string& s)
{
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (unsigned char c : s) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out.substr(0, 200);
}

void PostToTopLevels(UINT message, WPARAM wParam, LPARAM lParam)
{
    for (HWND w : TopLevelWindows())
        PostMessage(w, message, wParam, lParam);
}

} // namespace

HRESULT CoInitializeEx(LPVOID, DWORD)
{
    return S_OK;
}

void CoUninitialize() {}

BOOL SystemParametersInfoW(UINT action, UINT, LPVOID data, UINT)
{
    if (action == SPI_GETWORKAREA && data) {
        *static_cast<RECT*>(data) = RECT{0, STATUS_STRIP_HEIGHT, ScreenWidth(), ScreenHeight()};
        return TRUE;
    }
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
}

LONG ChangeDisplaySettingsEx(LPCWSTR, DEVMODEW* mode, HWND, DWORD flags, LPVOID)
{
    if (!mode)
        return DISP_CHANGE_BADPARAM;
    if (mode->dmFields & DM_DISPLAYQUERYORIENTATION) {
        mode->dmDisplayOrientation = DMDO_0 | DMDO_90 | DMDO_180 | DMDO_270;
        return DISP_CHANGE_SUCCESSFUL;
    }
    if (mode->dmFields & DM_DISPLAYORIENTATION) {
        DWORD o = mode->dmDisplayOrientation;
        if (o != DMDO_0 && o != DMDO_90 && o != DMDO_180 && o != DMDO_270)
            return DISP_CHANGE_BADMODE;
        if (flags & CDS_TEST)
            return DISP_CHANGE_SUCCESSFUL;
        SetScreenOrientation(o);
        if (GuiThreadId() == GetCurrentThreadId())
            ComposeScreen(true);
        return DISP_CHANGE_SUCCESSFUL;
    }
    return DISP_CHANGE_BADPARAM;
}

UINT RegisterWindowMessageW(LPCWSTR name)
{
    if (!name || !*name) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    static std::mutex lock;
    static auto* names = new std::map<std::u16string, UINT>();
    std::lock_guard<std::mutex> guard(lock);
    auto it = names->find(name);
    if (it != names->end())
        return it->second;
    UINT id = 0xC000 + (UINT)names->size();
    if (id > 0xFFFF)
        return 0;
    (*names)[name] = id;
    return id;
}

BOOL MzAccOpen()
{
    if (!accAvailable.load())
        return FALSE;
    accOpen.store(true);
    return TRUE;
}

UINT MzAccGetMessage()
{
    return RegisterWindowMessageW(u"ACC0:Orientation");
}

void MzAccClose()
{
    accOpen.store(false);
}

BOOL MzAccIsOpen()
{
    return accOpen.load() ? TRUE : FALSE;
}

void SetAccelerometerAvailable(BOOL available)
{
    accAvailable.store(available != 0);
}

UINT GetUsbNotifyMessage()
{
    return RegisterWindowMessageW(u"USB_NOTIFY_MESSAGE");
}

UINT GetCallMessage()
{
    return RegisterWindowMessageW(u"CALL_MESSAGE");
}

BOOL PostShellNotification(HWND window, DWORD code, BOOL on)
{
    std::lock_guard<std::mutex> guard(shellLock);
    if (shellRecords.size() < 10000)
        shellRecords.push_back(ShellRecord{ShellRecord::Notification, code, on ? TRUE : FALSE, window});
    return TRUE;
}

LRESULT AppsAskShell(DWORD request, HWND window)
{
    std::lock_guard<std::mutex> guard(shellLock);
    if (shellRecords.size() < 10000)
        shellRecords.push_back(ShellRecord{ShellRecord::Request, request, TRUE, window});
    return 1;
}

std::vector<ShellRecord> TakeShellRecords()
{
    std::lock_guard<std::mutex> guard(shellLock);
    std::vector<ShellRecord> out;
    out.swap(shellRecords);
    return out;
}

void SimulateLockPhone(BOOL locked)
{
    PostToTopLevels(RegisterWindowMessageW(locked ? u"ShellNotifyMsg/EntryLockphone" : u"ShellNotifyMsg/LeaveLockPhone"),
                    0, 0);
}

void SimulateCall(BOOL begins)
{
    PostToTopLevels(GetCallMessage(), begins ? 1 : 2, 0);
}

void SimulateUsbOff()
{
    PostToTopLevels(GetUsbNotifyMessage(), 0, 0);
}

void SimulateAccelerometer(int orientation)
{
    if (accOpen.load())
        PostToTopLevels(MzAccGetMessage(), (WPARAM)orientation, 0);
}

BOOL SipShowIM(DWORD flags)
{
    sipVisible.store((flags & SIPF_ON) != 0);
    return TRUE;
}

BOOL SipIsVisible()
{
    return sipVisible.load() ? TRUE : FALSE;
}

void SipSetKind(int kind)
{
    sipKind.store(kind);
}

int SipGetKind()
{
    return sipKind.load();
}

BOOL IsAppAnimationOn(int)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"Software\\Ruvav\\", 0, 0, &key) != ERROR_SUCCESS)
        return FALSE;
    DWORD type = 0, value = 0, size = sizeof value;
    LONG r = RegQueryValueExW(key, u"AppStartAnimation", nullptr, &type, (LPBYTE)&value, &size);
    RegCloseKey(key);
    return r == ERROR_SUCCESS && type == REG_DWORD && value == 1 ? TRUE : FALSE;
}

BOOL IsFlyMode()
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, u"ControlPanel\\Setting\\FlyMode", 0, 0, &key) != ERROR_SUCCESS)
        return FALSE;
    BYTE data[64] = {};
    DWORD type = 0, size = sizeof data - 2;
    LONG r = RegQueryValueExW(key, u"FlyModeFlag", nullptr, &type, data, &size);
    RegCloseKey(key);
    if (r != ERROR_SUCCESS)
        return FALSE;
    if (type == REG_DWORD && size == 4) {
        DWORD v;
        std::memcpy(&v, data, 4);
        return v != 0 ? TRUE : FALSE;
    }
    // A text value "1" means on as well.
    return type == REG_SZ && size >= 2 && data[0] == '1' && data[1] == 0 ? TRUE : FALSE;
}

void AnimateMzWindow(HWND window, int effect, BOOL show)
{
    if (auto backEnd = GetBackEnd())
        backEnd->Animate(window, effect, show != 0);
}

// ---- named mutexes ----

namespace {

class NamedMutex : public KernelObject {
public:
    std::u16string name;
    int lockFd = -1; // holds the name for other processes while this process has it open
    DWORD owner = 0;
    int count = 0;
    ~NamedMutex() override;
    bool IsSignalled(DWORD threadId) const override { return owner == 0 || owner == threadId; }
    void Acquire(DWORD threadId) override
    {
        owner = threadId;
        ++count;
    }
};

std::mutex mutexTableLock;
std::map<std::u16string, std::weak_ptr<NamedMutex>>& MutexTable()
{
    static auto* table = new std::map<std::u16string, std::weak_ptr<NamedMutex>>();
    return *table;
}
std::map<HANDLE, std::weak_ptr<NamedMutex>>& MutexHandles()
{
    static auto* table = new std::map<HANDLE, std::weak_ptr<NamedMutex>>();
    return *table;
}

NamedMutex::~NamedMutex()
{
    if (lockFd >= 0)
        close(lockFd);
}

} // namespace

HANDLE CreateMutexW(LPSECURITY_ATTRIBUTES, BOOL initialOwner, LPCWSTR name)
{
    std::lock_guard<std::mutex> guard(mutexTableLock);
    std::shared_ptr<NamedMutex> m;
    bool exists = false;
    if (name && *name) {
        auto it = MutexTable().find(name);
        if (it != MutexTable().end())
            m = it->second.lock();
        if (m) {
            exists = true;
        } else {
            m = std::make_shared<NamedMutex>();
            m->name = name;
            std::string path = RuntimeDirectory() + "/mutex-" + HexName(Utf8FromWide(name));
            int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
            if (fd < 0) {
                SetLastError(ERROR_ACCESS_DENIED);
                return nullptr;
            }
            if (flock(fd, LOCK_EX | LOCK_NB) == 0) {
                m->lockFd = fd;
            } else {
                close(fd); // another process holds the name
                exists = true;
            }
            MutexTable()[name] = m;
        }
    } else {
        m = std::make_shared<NamedMutex>();
    }
    if (initialOwner && !exists) {
        std::lock_guard<std::mutex> wait(WaitLock());
        m->Acquire(GetCurrentThreadId());
    }
    HANDLE h = RegisterKernelObject(m);
    MutexHandles()[h] = m;
    SetLastError(exists ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
    return h;
}

BOOL ReleaseMutex(HANDLE handle)
{
    std::shared_ptr<NamedMutex> m;
    {
        std::lock_guard<std::mutex> guard(mutexTableLock);
        auto it = MutexHandles().find(handle);
        if (it != MutexHandles().end())
            m = it->second.lock();
    }
    if (!m || !LookUpKernelObject(handle)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    std::lock_guard<std::mutex> wait(WaitLock());
    if (m->owner != GetCurrentThreadId()) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    if (--m->count <= 0) {
        m->count = 0;
        m->owner = 0;
        WakeWaiters();
    }
    return TRUE;
}

// ---- started programs ----

namespace {

void RecordStart(LPCWSTR program, LPCWSTR arguments)
{
    std::string line = Utf8FromWide(program ? program : u"");
    if (arguments && *arguments)
        line += " " + Utf8FromWide(arguments);
    {
        std::lock_guard<std::mutex> guard(shellLock);
        if (startedPrograms.size() < 1000)
            startedPrograms.push_back(line);
    }
    std::u16string text = u"start program: " + WideFromUtf8(line) + u"\n";
    OutputDebugStringW(text.c_str());
}

} // namespace

BOOL CreateProcessW(LPCWSTR application, LPWSTR commandLine, LPVOID, LPVOID, BOOL, DWORD, LPVOID, LPCWSTR, LPVOID,
                    PROCESS_INFORMATION* info)
{
    if (!application && !commandLine) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    RecordStart(application, commandLine);
    if (info)
        *info = PROCESS_INFORMATION{nullptr, nullptr, 0, 0};
    return TRUE;
}

BOOL ShellExecuteExW(SHELLEXECUTEINFOW* info)
{
    if (!info || !info->lpFile) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    RecordStart(info->lpFile, info->lpParameters);
    info->hInstApp = (HINSTANCE)(uintptr_t)33;
    return TRUE;
}

std::vector<std::string> TakeStartedPrograms()
{
    std::lock_guard<std::mutex> guard(shellLock);
    std::vector<std::string> out;
    out.swap(startedPrograms);
    return out;
}

// ---- windows other clients can find ----

namespace {

std::string WindowsDirectory()
{
    std::string dir = RuntimeDirectory() + "/windows";
    mkdir(dir.c_str(), 0700);
    return dir;
}

std::string EntryPath(HWND window)
{
    char name[64];
    std::snprintf(name, sizeof name, "/%d.%lx", (int)getpid(), (unsigned long)(uintptr_t)window);
    return WindowsDirectory() + name;
}

std::string FrontSocketName(int pid)
{
    return "morwick-front-" + std::to_string(getuid()) + "-" + std::to_string(pid);
}

sockaddr_un AbstractAddress(const std::string& name, socklen_t* length)
{
    sockaddr_un a{};
    a.sun_family = AF_UNIX;
    size_t n = std::min(name.size(), sizeof a.sun_path - 2);
    std::memcpy(a.sun_path + 1, name.data(), n); // abstract: leading zero byte, gone when the process ends
    *length = (socklen_t)(offsetof(sockaddr_un, sun_path) + 1 + n);
    return a;
}

// Listens for other clients asking this one to come to the front.
void StartFrontListener()
{
    static std::once_flag once;
    std::call_once(once, [] {
        int fd = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        if (fd < 0)
            return;
        socklen_t len;
        sockaddr_un a = AbstractAddress(FrontSocketName(getpid()), &len);
        if (bind(fd, (sockaddr*)&a, len) != 0) {
            close(fd);
            return;
        }
        std::thread([fd] {
            char buffer[64];
            for (;;) {
                ssize_t n = recv(fd, buffer, sizeof buffer - 1, 0);
                if (n < 0 && errno == EINTR)
                    continue;
                if (n <= 0)
                    break;
                buffer[n] = 0;
                RequestForeground((HWND)(uintptr_t)std::strtoull(buffer, nullptr, 16));
            }
        }).detach();
    });
}

struct RemoteWindow {
    int pid;
    uintptr_t handle;
};
std::mutex remoteLock;
std::map<uintptr_t, RemoteWindow>& Remotes()
{
    static auto* m = new std::map<uintptr_t, RemoteWindow>();
    return *m;
}
constexpr uintptr_t REMOTE_BASE = 0x40000000;

bool ProcessAlive(int pid)
{
    return kill(pid, 0) == 0 || errno == EPERM;
}

} // namespace

namespace morwick::display {

void PublishWindow(HWND window, const std::u16string& className, const std::u16string& title)
{
    StartFrontListener();
    std::string path = EntryPath(window);
    std::string tmp = path + ".tmp";
    FILE* f = std::fopen(tmp.c_str(), "wb");
    if (!f)
        return;
    std::string text = Utf8FromWide(className.c_str()) + "\n" + Utf8FromWide(title.c_str()) + "\n";
    std::fwrite(text.data(), 1, text.size(), f);
    std::fclose(f);
    std::rename(tmp.c_str(), path.c_str());
}

void UnpublishWindow(HWND window)
{
    unlink(EntryPath(window).c_str());
}

HWND FindPublishedWindow(const char16_t* className, const char16_t* title)
{
    std::string wantClass = className ? Utf8FromWide(className) : "";
    std::string wantTitle = title ? Utf8FromWide(title) : "";
    std::string dir = WindowsDirectory();
    DIR* d = opendir(dir.c_str());
    if (!d)
        return nullptr;
    HWND found = nullptr;
    while (dirent* e = readdir(d)) {
        int pid = 0;
        unsigned long handle = 0;
        char tail = 0;
        if (std::sscanf(e->d_name, "%d.%lx%c", &pid, &handle, &tail) != 2 || pid == (int)getpid())
            continue;
        std::string path = dir + "/" + e->d_name;
        if (!ProcessAlive(pid)) {
            unlink(path.c_str()); // left behind by a client that ended without tidying up
            continue;
        }
        FILE* f = std::fopen(path.c_str(), "rb");
        if (!f)
            continue;
        char buffer[1024];
        size_t n = std::fread(buffer, 1, sizeof buffer - 1, f);
        std::fclose(f);
        buffer[n] = 0;
        std::string text(buffer, n);
        size_t nl = text.find('\n');
        std::string cls = text.substr(0, nl);
        std::string ttl = nl == std::string::npos ? "" : text.substr(nl + 1);
        if (!ttl.empty() && ttl.back() == '\n')
            ttl.pop_back();
        if ((className && cls != wantClass) || (title && ttl != wantTitle))
            continue;
        std::lock_guard<std::mutex> guard(remoteLock);
        uintptr_t fake = REMOTE_BASE + Remotes().size() * 8;
        for (auto& [k, v] : Remotes())
            if (v.pid == pid && v.handle == handle)
                fake = k;
        Remotes()[fake] = RemoteWindow{pid, handle};
        found = (HWND)fake;
        break;
    }
    closedir(d);
    return found;
}

bool IsRemoteWindow(HWND window)
{
    std::lock_guard<std::mutex> guard(remoteLock);
    return Remotes().count((uintptr_t)window & ~(uintptr_t)1) != 0;
}

bool AskRemoteForeground(HWND window)
{
    RemoteWindow r;
    {
        std::lock_guard<std::mutex> guard(remoteLock);
        auto it = Remotes().find((uintptr_t)window & ~(uintptr_t)1);
        if (it == Remotes().end())
            return false;
        r = it->second;
    }
    if (!ProcessAlive(r.pid))
        return false;
    int fd = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    socklen_t len;
    sockaddr_un a = AbstractAddress(FrontSocketName(r.pid), &len);
    char text[32];
    int n = std::snprintf(text, sizeof text, "%lx", (unsigned long)r.handle);
    bool ok = sendto(fd, text, (size_t)n, 0, (sockaddr*)&a, len) == n;
    close(fd);
    return ok;
}

} // namespace morwick::display
