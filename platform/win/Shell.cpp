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
std::atomic<int> accOrientation{-1};
std::atomic<bool> sipVisible{false};
std::atomic<int> sipKind{0};

// Opens (creating it 0700 when missing) the folder name under parent, or an absolute path with AT_FDCWD, and
// hands back its descriptor only when it is a real folder of this user that no one else may enter: anything
// else could be another user's, who would then choose which files the records overwrite. -1 otherwise.
int OpenPrivateFolder(int parent, const std::string& name)
{
    if (mkdirat(parent, name.c_str(), 0700) != 0 && errno != EEXIST)
        return -1;
    int fd = openat(parent, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return -1;
    struct stat info {};
    if (fstat(fd, &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != getuid() || (info.st_mode & 077) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

// The folder of the records running clients share (named mutexes, published windows): $MORWICK_RUNTIME_DIR,
// else "morwick" in $XDG_RUNTIME_DIR, else /tmp/morwick-<uid>. Its descriptor, owned by the caller, or -1 when
// it cannot be trusted: the client then keeps no records and runs as if it were the only one.
int OpenRuntimeDirectory()
{
    const char* own = std::getenv("MORWICK_RUNTIME_DIR");
    const char* xdg = std::getenv("XDG_RUNTIME_DIR");
    std::string dir = "/tmp/morwick-" + std::to_string(getuid());
    if (own != nullptr && own[0] != '\0')
        dir = own;
    else if (xdg != nullptr && xdg[0] == '/')
        dir = std::string(xdg) + "/morwick";
    int fd = OpenPrivateFolder(AT_FDCWD, dir);
    if (fd < 0) {
        static std::once_flag told;
        std::call_once(told, [&] {
            std::fprintf(stderr,
                         "morwick: %s is not a private folder of this user (mode 0700); running without "
                         "single-instance records\n",
                         dir.c_str());
        });
    }
    return fd;
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

void PostToFront(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (HWND front = GetActiveWindow())
        PostMessage(front, message, wParam, lParam);
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
    accOrientation.store(-1);
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

int MzAccGetOrientation()
{
    return accOpen.load() ? accOrientation.load() : -1;
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
    if (locked)
        PostToTopLevels(RegisterWindowMessageW(u"ShellNotifyMsg/EntryLockphone"), 0, 0);
    else
        PostToFront(RegisterWindowMessageW(u"ShellNotifyMsg/LeaveLockPhone"), 0, 0);
}

void SimulateCall(BOOL begins)
{
    PostToFront(GetCallMessage(), begins ? 1 : 2, 0);
}

void SimulateUsbOff()
{
    PostToTopLevels(GetUsbNotifyMessage(), 0, 0);
}

void SimulateAccelerometer(int orientation)
{
    if (!accOpen.load())
        return;
    if (orientation >= 0 && orientation <= 3)
        accOrientation.store(orientation);
    PostToFront(MzAccGetMessage(), (WPARAM)orientation, 0);
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

// A named mutex's record in the runtime folder: a regular file of this user, never reached through a link.
int OpenRecord(const char* name)
{
    int dir = OpenRuntimeDirectory();
    if (dir < 0)
        return -1;
    int fd = openat(dir, name, O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    close(dir);
    struct stat info {};
    if (fd >= 0 && (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != getuid())) {
        close(fd);
        fd = -1;
    }
    return fd;
}

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
            // Without a trusted record the name holds inside this process only: the client goes on running.
            int fd = OpenRecord(("mutex-" + HexName(Utf8FromWide(name))).c_str());
            if (fd >= 0 && flock(fd, LOCK_EX | LOCK_NB) == 0) {
                m->lockFd = fd;
            } else if (fd >= 0) {
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

// The "windows" folder of the runtime folder, checked as it is; -1 when there is none to trust.
int OpenWindowsDirectory()
{
    int runtime = OpenRuntimeDirectory();
    if (runtime < 0)
        return -1;
    int fd = OpenPrivateFolder(runtime, "windows");
    close(runtime);
    return fd;
}

std::string EntryName(HWND window)
{
    char name[64];
    std::snprintf(name, sizeof name, "%d.%lx", (int)getpid(), (unsigned long)(uintptr_t)window);
    return name;
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

// One datagram into buffer: its length, FROM_ANOTHER_USER when no process of this user sent it, -1 on error.
constexpr ssize_t FROM_ANOTHER_USER = -2;
ssize_t ReceiveFromSameUser(int fd, char* buffer, size_t size)
{
    iovec data{buffer, size};
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(ucred))];
    msghdr message{};
    message.msg_iov = &data;
    message.msg_iovlen = 1;
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    ssize_t n = recvmsg(fd, &message, MSG_CMSG_CLOEXEC);
    if (n < 0)
        return -1;
    for (cmsghdr* c = CMSG_FIRSTHDR(&message); c != nullptr; c = CMSG_NXTHDR(&message, c)) {
        if (c->cmsg_level != SOL_SOCKET || c->cmsg_type != SCM_CREDENTIALS || c->cmsg_len < CMSG_LEN(sizeof(ucred)))
            continue;
        ucred sender{};
        std::memcpy(&sender, CMSG_DATA(c), sizeof sender);
        return sender.uid == getuid() ? n : FROM_ANOTHER_USER;
    }
    return FROM_ANOTHER_USER;
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
        // The name is abstract, so anyone on the machine can send to it: every datagram carries its sender's
        // credentials and only this user's clients are listened to.
        int on = 1;
        if (setsockopt(fd, SOL_SOCKET, SO_PASSCRED, &on, sizeof on) != 0) {
            close(fd);
            return;
        }
        std::thread([fd] {
            char buffer[64];
            for (;;) {
                ssize_t n = ReceiveFromSameUser(fd, buffer, sizeof buffer - 1);
                if (n == FROM_ANOTHER_USER) {
                    OutputDebugStringW(u"front request from another user ignored\n");
                    continue;
                }
                if (n < 0 && errno == EINTR)
                    continue;
                if (n < 0)
                    break;
                if (n == 0)
                    continue;
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
    int dir = OpenWindowsDirectory();
    if (dir < 0)
        return;
    std::string name = EntryName(window);
    std::string tmp = name + ".tmp";
    unlinkat(dir, tmp.c_str(), 0); // left by this process id before, or planted
    int fd = openat(dir, tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd >= 0) {
        std::string text = Utf8FromWide(className.c_str()) + "\n" + Utf8FromWide(title.c_str()) + "\n";
        bool ok = write(fd, text.data(), text.size()) == (ssize_t)text.size();
        close(fd);
        if (!ok || renameat(dir, tmp.c_str(), dir, name.c_str()) != 0)
            unlinkat(dir, tmp.c_str(), 0);
    }
    close(dir);
}

void UnpublishWindow(HWND window)
{
    int dir = OpenWindowsDirectory();
    if (dir < 0)
        return;
    unlinkat(dir, EntryName(window).c_str(), 0);
    close(dir);
}

HWND FindPublishedWindow(const char16_t* className, const char16_t* title)
{
    std::string wantClass = className ? Utf8FromWide(className) : "";
    std::string wantTitle = title ? Utf8FromWide(title) : "";
    int dirFd = OpenWindowsDirectory();
    if (dirFd < 0)
        return nullptr;
    DIR* d = fdopendir(dirFd);
    if (!d) {
        close(dirFd);
        return nullptr;
    }
    HWND found = nullptr;
    while (dirent* e = readdir(d)) {
        int pid = 0;
        unsigned long handle = 0;
        char tail = 0;
        if (std::sscanf(e->d_name, "%d.%lx%c", &pid, &handle, &tail) != 2 || pid == (int)getpid())
            continue;
        if (!ProcessAlive(pid)) {
            unlinkat(dirFd, e->d_name, 0); // left behind by a client that ended without tidying up
            continue;
        }
        int f = openat(dirFd, e->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (f < 0)
            continue;
        char buffer[1024];
        ssize_t got = read(f, buffer, sizeof buffer - 1);
        close(f);
        size_t n = got > 0 ? (size_t)got : 0;
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
