// Program and device directories from the executable's location and the environment.
#include "platform/win/ModulePath.h"
#include "platform/win/CodePage.h"
#include "platform/win/LastError.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

#ifndef MORWICK_SERVER_ADDR
#define MORWICK_SERVER_ADDR "127.0.0.1"
#endif

namespace {

std::string ExecutablePath()
{
    std::string path(4096, '\0');
    ssize_t n = readlink("/proc/self/exe", path.data(), path.size() - 1);
    if (n <= 0)
        return std::string("./morwick");
    path.resize((size_t)n);
    return path;
}

std::string WithSeparator(std::string dir)
{
    if (dir.empty())
        return "./";
    if (dir.back() != '/')
        dir += '/';
    return dir;
}

std::string ProgramDirectoryNative()
{
    const char* home = getenv("MORWICK_HOME");
    if (home != nullptr && home[0] != 0)
        return WithSeparator(home);
    std::string exe = ExecutablePath();
    size_t slash = exe.find_last_of('/');
    return slash == std::string::npos ? std::string("./") : exe.substr(0, slash + 1);
}

std::u16string FromUtf8(const std::string& text)
{
    if (text.empty())
        return std::u16string();
    int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), (int)text.size(), nullptr, 0);
    if (n <= 0)
        return std::u16string();
    std::u16string out((size_t)n, u'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), (int)text.size(), out.data(), n);
    return out;
}

void MakeFolders(const std::string& dir)
{
    struct stat info {};
    if (stat(dir.c_str(), &info) == 0 && S_ISDIR(info.st_mode))
        return;
    for (size_t i = 1; i <= dir.size(); ++i) {
        if (i == dir.size() || dir[i] == '/') {
            std::string part = dir.substr(0, i);
            if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) // the user's data: nobody else's to read
                return;
        }
    }
}

} // namespace

DWORD GetModuleFileNameW(HMODULE, LPWSTR fileName, DWORD size)
{
    if (fileName == nullptr || size == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::string exe = ExecutablePath();
    size_t slash = exe.find_last_of('/');
    std::u16string full = FromUtf8(ProgramDirectoryNative() + exe.substr(slash == std::string::npos ? 0 : slash + 1));
    if (full.size() + 1 > size) {
        full.copy(fileName, size - 1);
        fileName[size - 1] = 0;
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return size;
    }
    full.copy(fileName, full.size());
    fileName[full.size()] = 0;
    return (DWORD)full.size();
}

std::u16string GetProgramDirectory()
{
    return FromUtf8(ProgramDirectoryNative());
}

std::string GetDeviceDirectoryNative()
{
    const char* device = getenv("MORWICK_DEVICE");
    std::string dir =
        device != nullptr && device[0] != 0 ? WithSeparator(device) : ProgramDirectoryNative() + "device/";
    MakeFolders(dir);
    return dir;
}

std::u16string GetDeviceDirectory()
{
    return FromUtf8(GetDeviceDirectoryNative());
}

const char* GetBuildServerAddress()
{
    return MORWICK_SERVER_ADDR;
}

int GetServerPortOverride()
{
    const char* text = getenv("MORWICK_PORT");
    if (text == nullptr || text[0] == 0)
        return 0;
    char* end = nullptr;
    long port = strtol(text, &end, 10);
    return *end == 0 && port > 0 && port < 65536 ? (int)port : 0;
}
