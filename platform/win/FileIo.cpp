// UTF-16 file calls over POSIX, and the atomic whole-file write.
#include "platform/win/FileIo.h"
#include "platform/win/CodePage.h"
#include "platform/win/LastError.h"
#include "platform/win/WideText.h"

#include <cerrno>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <vector>

namespace {

std::string Convert(UINT codePage, const WCHAR* text)
{
    if (text == nullptr || text[0] == 0)
        return std::string();
    int n = WideCharToMultiByte(codePage, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (n <= 0)
        return std::string();
    std::string out((size_t)n, '\0');
    WideCharToMultiByte(codePage, 0, text, -1, out.data(), n, nullptr, nullptr);
    out.resize((size_t)n - 1);
    return out;
}

bool WriteAll(int fd, const unsigned char* data, size_t size)
{
    while (size > 0) {
        ssize_t n = write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += n;
        size -= (size_t)n;
    }
    return true;
}

std::string FolderOf(const std::string& path)
{
    size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

const char TEMP_SUFFIX[] = ".tmp-XXXXXX";
constexpr size_t TEMP_SUFFIX_LENGTH = sizeof TEMP_SUFFIX - 1;
// A temporary file older than this was left by a write that never finished (the program was killed).
constexpr time_t STALE_TEMP_SECONDS = 10;

// Removes the temporary files that earlier, interrupted writes of path left in its folder: only names made of
// the target's own name and the suffix, and only when they are older than any write still in progress.
void RemoveStaleTemps(const std::string& path)
{
    size_t slash = path.find_last_of('/');
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    DIR* dir = opendir(FolderOf(path).c_str());
    if (dir == nullptr)
        return;
    time_t now = time(nullptr);
    while (dirent* entry = readdir(dir)) {
        const char* candidate = entry->d_name;
        // "<name>.tmp-" and the six characters mkstemp filled in.
        if (strlen(candidate) != name.size() + TEMP_SUFFIX_LENGTH ||
            name.compare(0, name.size(), candidate, name.size()) != 0 ||
            strncmp(candidate + name.size(), TEMP_SUFFIX, TEMP_SUFFIX_LENGTH - 6) != 0)
            continue;
        struct stat info {};
        if (fstatat(dirfd(dir), candidate, &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(info.st_mode) &&
            info.st_uid == getuid() && now - info.st_mtime >= STALE_TEMP_SECONDS)
            unlinkat(dirfd(dir), candidate, 0);
    }
    closedir(dir);
}

// Flushes a folder's entries to disk; FALSE (last error set) when it cannot be opened or flushed. A file system
// that cannot flush folders at all says EINVAL: its entries last as far as it keeps them, and failing there would
// fail every save on it.
BOOL SyncFolder(const std::string& folder)
{
    int dir = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir < 0)
        return FailWithErrno(errno);
    bool ok = fsync(dir) == 0 || errno == EINVAL;
    int savedErrno = errno;
    close(dir);
    return ok ? TRUE : FailWithErrno(savedErrno);
}

} // namespace

void SetLastErrorFromErrno()
{
    switch (errno) {
    case ENOENT:
        SetLastError(ERROR_FILE_NOT_FOUND);
        break;
    case ENOTDIR:
        SetLastError(ERROR_PATH_NOT_FOUND);
        break;
    case EACCES:
    case EPERM:
    case EROFS:
        SetLastError(ERROR_ACCESS_DENIED);
        break;
    case EEXIST:
        SetLastError(ERROR_ALREADY_EXISTS);
        break;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        SetLastError(ERROR_DISK_FULL);
        break;
    case ENOMEM:
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        break;
    case EINVAL:
        SetLastError(ERROR_INVALID_PARAMETER);
        break;
    default:
        SetLastError(ERROR_WRITE_FAULT);
        break;
    }
}

BOOL FailWithErrno(int error)
{
    errno = error;
    SetLastErrorFromErrno();
    return FALSE;
}

std::string NativePath(const WCHAR* path)
{
    std::string out = Convert(CP_UTF8, path);
    for (char& c : out)
        if (c == '\\')
            c = '/';
    return out;
}

std::string NativePathFromAnsi(const char* path)
{
    if (path == nullptr || path[0] == 0)
        return std::string();
    int n = MultiByteToWideChar(CP_ACP, 0, path, -1, nullptr, 0);
    if (n <= 0)
        return std::string();
    std::vector<WCHAR> wide((size_t)n);
    MultiByteToWideChar(CP_ACP, 0, path, -1, wide.data(), n);
    return NativePath(wide.data());
}

FILE* _wfopen(const WCHAR* path, const WCHAR* mode)
{
    if (path == nullptr || mode == nullptr || path[0] == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    std::string native = NativePath(path);
    std::string openMode;
    for (const WCHAR* m = mode; *m != 0 && *m != u','; ++m) {
        if (*m == u'r' || *m == u'w' || *m == u'a' || *m == u'+' || *m == u'b' || *m == u'x')
            openMode += (char)*m;
    }
    if (openMode.empty() || (openMode[0] != 'r' && openMode[0] != 'w' && openMode[0] != 'a')) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    FILE* file = nullptr;
    if (openMode[0] == 'r') {
        file = fopen(native.c_str(), openMode.c_str());
    } else {
        // A file the client creates is the user's alone.
        int flags = (openMode.find('+') != std::string::npos ? O_RDWR : O_WRONLY) | O_CREAT | O_CLOEXEC |
                    (openMode[0] == 'w' ? O_TRUNC : O_APPEND) | (openMode.find('x') != std::string::npos ? O_EXCL : 0);
        int fd = open(native.c_str(), flags, 0600);
        std::string fdMode = openMode;
        fdMode.erase(std::remove(fdMode.begin(), fdMode.end(), 'x'), fdMode.end());
        file = fd >= 0 ? fdopen(fd, fdMode.c_str()) : nullptr;
        if (file == nullptr && fd >= 0) {
            int saved = errno;
            close(fd);
            errno = saved;
        }
    }
    if (file == nullptr)
        SetLastErrorFromErrno();
    return file;
}

BOOL DeleteFileW(LPCWSTR path)
{
    if (path == nullptr || path[0] == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (unlink(NativePath(path).c_str()) != 0) {
        SetLastErrorFromErrno();
        return FALSE;
    }
    return TRUE;
}

BOOL CreateDirectoryW(LPCWSTR path, void*)
{
    if (path == nullptr || path[0] == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (mkdir(NativePath(path).c_str(), 0700) != 0) {
        SetLastErrorFromErrno();
        return FALSE;
    }
    return TRUE;
}

BOOL WriteFileAtomicallyNative(const std::string& path, const void* data, size_t size)
{
    if (path.empty() || (data == nullptr && size > 0)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    RemoveStaleTemps(path);
    std::string temp = path + TEMP_SUFFIX;
    int fd = mkstemp(temp.data()); // 0600, and never an existing name
    if (fd < 0) {
        SetLastErrorFromErrno();
        return FALSE;
    }
    bool ok = WriteAll(fd, (const unsigned char*)data, size) && fsync(fd) == 0;
    int savedErrno = errno;
    if (close(fd) != 0 && ok) {
        ok = false;
        savedErrno = errno;
    }
    if (ok && rename(temp.c_str(), path.c_str()) != 0) {
        ok = false;
        savedErrno = errno;
    }
    if (!ok) {
        unlink(temp.c_str());
        return FailWithErrno(savedErrno);
    }
    // The rename lasts only once the folder is on disk: a folder that cannot be flushed fails the write.
    return SyncFolder(FolderOf(path));
}

BOOL WriteFileIfChangedNative(const std::string& path, const void* data, size_t size, bool* failed)
{
    std::string held;
    if (!*failed && ReadFileNative(path, &held) && held.size() == size &&
        (size == 0 || std::memcmp(held.data(), data, size) == 0))
        return TRUE;
    BOOL ok = WriteFileAtomicallyNative(path, data, size);
    *failed = !ok;
    return ok;
}

BOOL WriteFileAtomically(const WCHAR* path, const void* data, size_t size)
{
    if (path == nullptr || path[0] == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return WriteFileAtomicallyNative(NativePath(path), data, size);
}

BOOL ReadFileNative(const std::string& path, std::string* out)
{
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return FailWithErrno(errno);
    out->clear();
    char buffer[65536];
    for (;;) {
        ssize_t n = read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            int savedErrno = errno;
            close(fd);
            return n == 0 ? TRUE : FailWithErrno(savedErrno);
        }
        out->append(buffer, (size_t)n);
    }
}

BOOL AppendFileDurablyNative(const std::string& path, const void* data, size_t size)
{
    int fd = open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) {
        SetLastErrorFromErrno();
        return FALSE;
    }
    struct stat before {};
    bool ok = fstat(fd, &before) == 0 && WriteAll(fd, (const unsigned char*)data, size) && fdatasync(fd) == 0;
    int savedErrno = errno;
    if (!ok && before.st_size > 0) {
        // A part written before the disk filled must not stay in front of the next append.
        if (ftruncate(fd, before.st_size) == 0)
            fdatasync(fd);
    }
    if (close(fd) != 0 && ok)
        return FailWithErrno(errno);
    return ok ? TRUE : FailWithErrno(savedErrno);
}

BOOL CreatePrivateFolderNative(const std::string& path)
{
    if (path.empty()) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    struct stat st {};
    if (stat(path.c_str(), &st) == 0) {
        if (!S_ISDIR(st.st_mode)) {
            SetLastError(ERROR_PATH_NOT_FOUND);
            return FALSE;
        }
        return TRUE;
    }
    std::string parent = FolderOf(path);
    if (parent != path && parent != "." && parent != "/" && stat(parent.c_str(), &st) != 0 &&
        !CreatePrivateFolderNative(parent))
        return FALSE;
    // mkdir takes the umask away from 0700; the chmod makes it 0700 in any case.
    if ((mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) || chmod(path.c_str(), 0700) != 0) {
        SetLastErrorFromErrno();
        return FALSE;
    }
    // The new entry lasts only once its parent is on disk.
    return SyncFolder(parent);
}
