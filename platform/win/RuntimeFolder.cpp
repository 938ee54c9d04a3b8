// The runtime folder: found by the environment, trusted only when it is this user's alone.
#include "platform/win/RuntimeFolder.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

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
