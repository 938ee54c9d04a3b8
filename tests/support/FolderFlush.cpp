// The folder flush a test makes fail (ScopedFolderFlushFailure in TempFolder.h): this program's fsync, which fails
// for folders with the error asked for and flushes everything else as the system does.
#include "tests/support/TempFolder.h"

#include <atomic>
#include <cerrno>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

std::atomic<int> folderFlushError{0};

} // namespace

extern "C" int fsync(int fd)
{
    struct stat info {};
    int error = folderFlushError.load();
    if (error != 0 && fstat(fd, &info) == 0 && S_ISDIR(info.st_mode)) {
        errno = error;
        return -1;
    }
    return static_cast<int>(syscall(SYS_fsync, fd));
}

ScopedFolderFlushFailure::ScopedFolderFlushFailure(int error)
{
    folderFlushError = error;
}

ScopedFolderFlushFailure::~ScopedFolderFlushFailure()
{
    folderFlushError = 0;
}
