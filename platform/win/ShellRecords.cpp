// The shell's notifications and requests, kept in order (at most 10,000 until taken).
#include "platform/win/ShellRecords.h"

#include <mutex>
#include <vector>

namespace {

std::mutex shellLock;
std::vector<ShellRecord> shellRecords;

} // namespace

BOOL PostShellNotification(HWND window, DWORD code, BOOL on)
{
    std::lock_guard<std::mutex> guard(shellLock);
    if (shellRecords.size() < 10000)
        shellRecords.push_back(ShellRecord{ShellRecord::Notification, code, on ? TRUE : FALSE, window});
    return TRUE;
}

LRESULT AppsAskShell(DWORD request, HWND window)
{
    std::lock_guard<std::mutex> guard(shellLock);
    if (shellRecords.size() < 10000)
        shellRecords.push_back(ShellRecord{ShellRecord::Request, request, TRUE, window});
    return 1;
}

std::vector<ShellRecord> TakeShellRecords()
{
    std::lock_guard<std::mutex> guard(shellLock);
    std::vector<ShellRecord> out;
    out.swap(shellRecords);
    return out;
}
