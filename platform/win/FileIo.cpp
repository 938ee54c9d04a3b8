// UTF-16 file calls over POSIX, and the atomic whole-file write.
#include "platform/win/FileIo.h"
#include "platform/win/CodePage.h"
#include "platform/win/LastError.h"
#include "platform/win/WideText.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
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
    FILE* file = fopen(native.c_str(), openMode.c_str());
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
    if (mkdir(NativePath(path).c_str(), 0755) != 0) {
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
    std::string temp = path + ".tmp-XXXXXX";
    int fd = mkstemp(temp.data());
    if (fd < 0) {
        SetLastErrorFromErrno();
        return FALSE;
    }
    bool ok = fchmod(fd, 0644) == 0 && WriteAll(fd, (const unsigned char*)data, size) && fsync(fd) == 0;
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
        errno = savedErrno;
        SetLastErrorFromErrno();
        return FALSE;
    }
    // Make the rename itself durable; a folder that cannot be synced still holds the new file.
    int dir = open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY);
    if (dir >= 0) {
        fsync(dir);
        close(dir);
    }
    return TRUE;
}

BOOL WriteFileAtomically(const WCHAR* path, const void* data, size_t size)
{
    if (path == nullptr || path[0] == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return WriteFileAtomicallyNative(NativePath(path), data, size);
}
