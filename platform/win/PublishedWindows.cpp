// Published windows: one record per top-level window in the runtime folder's "windows", and a datagram
// socket per client that hears the asks to come to the front.
#include "platform/win/PublishedWindows.h"

#include "platform/win/Debug.h"
#include "platform/win/Desktop.h"
#include "platform/win/Paths.h"
#include "platform/win/RuntimeFolder.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

using namespace morwick::display;

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
