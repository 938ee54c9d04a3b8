/* Preloaded into morwick-server by tools/journal-rounds: write, fsync, fdatasync, ftruncate and rename fail at
 * random on the files of one folder, as on a disk that fills or breaks. A failing write sometimes writes a part
 * first (the next write to that file then fails), as a disk filling mid-write does. Each fault is logged as one
 * line to a file, so that the rounds can count them after a kill -9.
 *   MORWICK_FAULT_DIR   the folder (its own path and every path under it)
 *   MORWICK_FAULT_RATE  the chance of a fault per call, 0..1
 *   MORWICK_FAULT_SEED  the generator's seed
 *   MORWICK_FAULT_LOG   where the faults are logged */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <pthread.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/syscall.h>
#include <unistd.h>

static const char* folder;
static size_t folderLength;
static double rate;
static unsigned long long state = 88172645463325252ull;
static int logFd = -1;
static pthread_mutex_t lock = PTHREAD_MUTEX_INITIALIZER;
static unsigned char poisoned[65536]; /* a part was written: the next write to the fd fails */

static void Init(void) __attribute__((constructor));
static void Init(void)
{
    folder = getenv("MORWICK_FAULT_DIR");
    folderLength = folder ? strlen(folder) : 0;
    const char* r = getenv("MORWICK_FAULT_RATE");
    rate = r ? atof(r) : 0;
    const char* s = getenv("MORWICK_FAULT_SEED");
    if (s)
        state ^= strtoull(s, NULL, 10) * 0x9E3779B97F4A7C15ull;
    const char* l = getenv("MORWICK_FAULT_LOG");
    if (l)
        logFd = (int)syscall(SYS_openat, AT_FDCWD, l, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
}

static double Next(void)
{
    pthread_mutex_lock(&lock);
    state ^= state << 13, state ^= state >> 7, state ^= state << 17;
    double v = (double)(state >> 11) / 9007199254740992.0;
    pthread_mutex_unlock(&lock);
    return v;
}

static int Inside(const char* path)
{
    return folder && path && strncmp(path, folder, folderLength) == 0 &&
           (path[folderLength] == 0 || path[folderLength] == '/');
}

static int FdInside(int fd)
{
    char link[64], path[4096];
    snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    ssize_t n = readlink(link, path, sizeof path - 1);
    if (n <= 0)
        return 0;
    path[n] = 0;
    return Inside(path);
}

static int Fault(const char* call, int error)
{
    char line[64];
    int n = snprintf(line, sizeof line, "%s %d\n", call, error);
    if (logFd >= 0)
        syscall(SYS_write, logFd, line, (size_t)n);
    errno = error;
    return -1;
}

ssize_t write(int fd, const void* data, size_t size)
{
    static ssize_t (*real)(int, const void*, size_t);
    if (!real)
        real = (ssize_t(*)(int, const void*, size_t))dlsym(RTLD_NEXT, "write");
    if (fd >= 0 && fd < 65536 && poisoned[fd]) {
        poisoned[fd] = 0;
        return Fault("write-after-part", ENOSPC);
    }
    if (rate > 0 && size > 1 && Next() < rate && FdInside(fd)) {
        if (Next() < 0.5 && fd < 65536) {
            poisoned[fd] = 1;
            return real(fd, data, 1 + (size_t)(Next() * (double)(size - 1)));
        }
        return Fault("write", Next() < 0.5 ? ENOSPC : EIO);
    }
    return real(fd, data, size);
}

#define SYNC_CALL(name)                                                                                                \
    int name(int fd)                                                                                                   \
    {                                                                                                                  \
        static int (*real)(int);                                                                                       \
        if (!real)                                                                                                     \
            real = (int (*)(int))dlsym(RTLD_NEXT, #name);                                                              \
        if (rate > 0 && Next() < rate && FdInside(fd))                                                                 \
            return Fault(#name, EIO);                                                                                  \
        return real(fd);                                                                                               \
    }
SYNC_CALL(fsync)
SYNC_CALL(fdatasync)

int ftruncate(int fd, off_t length)
{
    static int (*real)(int, off_t);
    if (!real)
        real = (int (*)(int, off_t))dlsym(RTLD_NEXT, "ftruncate");
    if (rate > 0 && Next() < rate && FdInside(fd))
        return Fault("ftruncate", EIO);
    return real(fd, length);
}

int rename(const char* from, const char* to)
{
    static int (*real)(const char*, const char*);
    if (!real)
        real = (int (*)(const char*, const char*))dlsym(RTLD_NEXT, "rename");
    if (rate > 0 && Inside(to) && Next() < rate)
        return Fault("rename", Next() < 0.5 ? ENOSPC : EIO);
    return real(from, to);
}
