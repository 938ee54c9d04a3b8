// The window handle table, kept under the layer's wait lock so sending and freeing see one state.
#include "platform/win/WindowHandle.h"

#include "platform/win/LastError.h"
#include "platform/win/Message.h"
#include "platform/win/Thread.h"

#include <map>
#include <unistd.h>

namespace {

// Handles count up in steps of 8 from here and are never reused; an ordered map lists them oldest first.
uintptr_t nextWindow = 0x100000;

std::map<uintptr_t, WindowEntry>& WindowTable()
{
    static auto* table = new std::map<uintptr_t, WindowEntry>();
    return *table;
}

WindowEntry* FindLocked(HWND window)
{
    auto& table = WindowTable();
    auto it = table.find(reinterpret_cast<uintptr_t>(window));
    if (it == table.end()) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    return &it->second;
}

} // namespace

HWND AllocWindowHandle(WNDPROC procedure, void* object)
{
    if (!procedure) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    EnsureThreadQueue();
    std::lock_guard<std::mutex> guard(WaitLock());
    uintptr_t value = nextWindow;
    nextWindow += 8;
    WindowTable()[value] = WindowEntry{procedure, object, GetCurrentThreadId()};
    return reinterpret_cast<HWND>(value);
}

BOOL FreeWindowHandle(HWND window)
{
    std::lock_guard<std::mutex> guard(WaitLock());
    auto& table = WindowTable();
    auto it = table.find(reinterpret_cast<uintptr_t>(window));
    if (it == table.end()) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    DWORD owner = it->second.threadId;
    table.erase(it);
    ForgetWindowLocked(window, owner);
    WakeWaiters();
    return TRUE;
}

bool LookUpWindowLocked(HWND window, WindowEntry* entry)
{
    WindowEntry* found = FindLocked(window);
    if (found && entry) {
        *entry = *found;
    }
    return found != nullptr;
}

BOOL IsWindow(HWND window)
{
    if (!window) {
        return FALSE;
    }
    std::lock_guard<std::mutex> guard(WaitLock());
    return WindowTable().count(reinterpret_cast<uintptr_t>(window)) ? TRUE : FALSE;
}

DWORD GetWindowThreadProcessId(HWND window, LPDWORD processId)
{
    DWORD thread = 0;
    {
        std::lock_guard<std::mutex> guard(WaitLock());
        if (WindowEntry* entry = FindLocked(window)) {
            thread = entry->threadId;
        }
    }
    if (thread && processId) {
        *processId = static_cast<DWORD>(getpid());
    }
    return thread;
}

void* GetWindowObject(HWND window)
{
    std::lock_guard<std::mutex> guard(WaitLock());
    WindowEntry* entry = FindLocked(window);
    return entry ? entry->object : nullptr;
}

BOOL SetWindowObject(HWND window, void* object)
{
    std::lock_guard<std::mutex> guard(WaitLock());
    WindowEntry* entry = FindLocked(window);
    if (!entry) {
        return FALSE;
    }
    entry->object = object;
    return TRUE;
}

WNDPROC GetWindowProc(HWND window)
{
    std::lock_guard<std::mutex> guard(WaitLock());
    WindowEntry* entry = FindLocked(window);
    return entry ? entry->procedure : nullptr;
}

WNDPROC SetWindowProc(HWND window, WNDPROC procedure)
{
    std::lock_guard<std::mutex> guard(WaitLock());
    WindowEntry* entry = FindLocked(window);
    if (!entry || !procedure) {
        if (entry) {
            SetLastError(ERROR_INVALID_PARAMETER);
        }
        return nullptr;
    }
    WNDPROC previous = entry->procedure;
    entry->procedure = procedure;
    return previous;
}

std::vector<HWND> ListWindowHandles()
{
    std::lock_guard<std::mutex> guard(WaitLock());
    std::vector<HWND> windows;
    windows.reserve(WindowTable().size());
    for (auto& [value, entry] : WindowTable()) {
        windows.push_back(reinterpret_cast<HWND>(value));
    }
    return windows;
}
