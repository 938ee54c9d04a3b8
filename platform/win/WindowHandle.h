// The table of live windows: a handle names a window procedure, the object behind it and the thread that owns it.
// Handles are never handed out twice, so a handle kept past its window's end only fails IsWindow.
#pragma once

#include "platform/win/WinTypes.h"

#include <vector>

typedef LRESULT (*WNDPROC)(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

#ifndef ERROR_INVALID_WINDOW_HANDLE
#define ERROR_INVALID_WINDOW_HANDLE 1400L
#endif

// A new window handle owned by the calling thread (whose message queue it creates). Messages posted or sent to
// it are handled by `procedure` on that thread. Null only when `procedure` is null.
HWND AllocWindowHandle(WNDPROC procedure, void* object);
// Ends the handle: its timers stop, messages posted to it and not yet taken are dropped, and threads blocked in
// SendMessage to it get 0 back. FALSE when the handle was not live.
BOOL FreeWindowHandle(HWND window);

BOOL IsWindow(HWND window);
// The owning thread's id (0 for a dead handle); the process id goes to *processId when given.
DWORD GetWindowThreadProcessId(HWND window, LPDWORD processId);

void* GetWindowObject(HWND window);
BOOL SetWindowObject(HWND window, void* object);
WNDPROC GetWindowProc(HWND window);
// Replaces the window procedure and returns the previous one (null for a dead handle).
WNDPROC SetWindowProc(HWND window, WNDPROC procedure);

// For the message layer: what a live handle refers to, read with WaitLock() held.
struct WindowEntry {
    WNDPROC procedure = nullptr;
    void* object = nullptr;
    DWORD threadId = 0;
};
bool LookUpWindowLocked(HWND window, WindowEntry* entry);
// Every live handle, oldest first.
std::vector<HWND> ListWindowHandles();
