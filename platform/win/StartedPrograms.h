// Programs the client starts (the dialler, the browser, installer packages): written to the debug output and
// kept for the automation; nothing is started.
#pragma once

#include "platform/win/WinTypes.h"

#include <string>
#include <vector>

struct PROCESS_INFORMATION {
    HANDLE hProcess;
    HANDLE hThread;
    DWORD dwProcessId;
    DWORD dwThreadId;
};
BOOL CreateProcessW(LPCWSTR application, LPWSTR commandLine, LPVOID processAttributes, LPVOID threadAttributes,
                    BOOL inheritHandles, DWORD flags, LPVOID environment, LPCWSTR directory, LPVOID startupInfo,
                    PROCESS_INFORMATION* info);
struct SHELLEXECUTEINFOW {
    DWORD cbSize;
    ULONG fMask;
    HWND hwnd;
    LPCWSTR lpVerb;
    LPCWSTR lpFile;
    LPCWSTR lpParameters;
    LPCWSTR lpDirectory;
    int nShow;
    HINSTANCE hInstApp;
};
BOOL ShellExecuteExW(SHELLEXECUTEINFOW* info);
// "program arguments" lines of what was started since the last call, oldest first (UTF-8).
std::vector<std::string> TakeStartedPrograms();
