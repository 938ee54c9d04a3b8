// What the client tells and asks the phone shell: recorded for tests, and answered with success.
#pragma once

#include "platform/win/WinTypes.h"

#include <vector>

// Shell notification records (code 12 on or off for a window) and the apps-ask-shell requests (10, 11): the phone
// shell's business; here they are recorded for tests and answer success.
BOOL PostShellNotification(HWND window, DWORD code, BOOL on);
LRESULT AppsAskShell(DWORD request, HWND window);
struct ShellRecord {
    enum Kind { Notification, Request } kind;
    DWORD code;
    BOOL on;
    HWND window;
};
std::vector<ShellRecord> TakeShellRecords();
