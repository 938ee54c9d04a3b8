// The programs the client asked to start, in order (at most 1,000 until taken).
#include "platform/win/StartedPrograms.h"

#include "platform/win/Debug.h"
#include "platform/win/LastError.h"
#include "platform/win/Paths.h"

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

using namespace morwick::display;

namespace {

std::mutex startedLock;
std::vector<std::string> startedPrograms;

void RecordStart(LPCWSTR program, LPCWSTR arguments)
{
    std::string line = Utf8FromWide(program ? program : u"");
    if (arguments && *arguments)
        line += " " + Utf8FromWide(arguments);
    {
        std::lock_guard<std::mutex> guard(startedLock);
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
    std::lock_guard<std::mutex> guard(startedLock);
    std::vector<std::string> out;
    out.swap(startedPrograms);
    return out;
}
