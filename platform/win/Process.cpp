// Program image replacement and restart over POSIX rename and exec.
#include "platform/win/Process.h"

#include "platform/win/CodePage.h"
#include "platform/win/FileIo.h"
#include "platform/win/LastError.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::atomic<bool> restartRequested{false};
std::mutex imageLock;
// The image path as it was at start: after a replacement /proc/self/exe names the old, unlinked file.
std::string startImage;

std::string ImagePathNative()
{
    std::lock_guard<std::mutex> guard(imageLock);
    if (startImage.empty()) {
        std::string path(4096, '\0');
        ssize_t n = readlink("/proc/self/exe", path.data(), path.size() - 1);
        if (n > 0) {
            path.resize((size_t)n);
            startImage = path;
        }
    }
    return startImage;
}

std::string FolderOf(const std::string& path)
{
    size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash == 0 ? 1 : slash);
}

} // namespace

std::u16string GetRunningProgramPath()
{
    std::string native = ImagePathNative();
    if (native.empty())
        return std::u16string();
    int n = MultiByteToWideChar(CP_UTF8, 0, native.data(), (int)native.size(), nullptr, 0);
    if (n <= 0)
        return std::u16string();
    std::u16string out((size_t)n, u'\0');
    MultiByteToWideChar(CP_UTF8, 0, native.data(), (int)native.size(), out.data(), n);
    return out;
}

BOOL ReplaceRunningProgram(LPCWSTR newImage)
{
    std::string image = ImagePathNative();
    if (newImage == nullptr || newImage[0] == 0 || image.empty()) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::string source = NativePath(newImage);
    // A rename is atomic only within one folder (one file system).
    if (FolderOf(source) != FolderOf(image)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    struct stat current {};
    if (stat(image.c_str(), &current) != 0) {
        SetLastErrorFromErrno();
        return FALSE;
    }
    int fd = open(source.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        SetLastErrorFromErrno();
        return FALSE;
    }
    bool ok = fchmod(fd, current.st_mode & 07777) == 0 && fsync(fd) == 0;
    int savedErrno = errno;
    close(fd);
    if (!ok)
        return FailWithErrno(savedErrno);
    if (rename(source.c_str(), image.c_str()) != 0)
        return FailWithErrno(errno);
    int dir = open(FolderOf(image).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        fsync(dir);
        close(dir);
    }
    return TRUE;
}

void RequestProgramRestart()
{
    ImagePathNative(); // remember the path while /proc/self/exe still names it
    restartRequested = true;
}

BOOL IsProgramRestartRequested()
{
    return restartRequested ? TRUE : FALSE;
}

void RestartProgramIfRequested(char** argv)
{
    if (!restartRequested)
        return;
    std::string image = ImagePathNative();
    if (image.empty()) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return;
    }
    char* fallback[] = {image.data(), nullptr};
    fflush(nullptr); // what the old program wrote is not lost with its buffers
    execv(image.c_str(), argv != nullptr && argv[0] != nullptr ? argv : fallback);
    SetLastErrorFromErrno();
}
