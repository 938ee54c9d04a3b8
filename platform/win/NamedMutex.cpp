// Named mutexes: one object per name in this process, and a locked record in the runtime folder that holds the
// name for other processes.
#include "platform/win/NamedMutex.h"

#include "platform/win/LastError.h"
#include "platform/win/Paths.h"
#include "platform/win/RuntimeFolder.h"
#include "platform/win/Sync.h"
#include "platform/win/Thread.h"

#include <fcntl.h>
#include <map>
#include <memory>
#include <mutex>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace morwick::display;

namespace {

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
