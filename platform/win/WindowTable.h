// The window records behind the window calls: each window, the top-level stack, classes, activation and focus
// state, and the composed screen frame. Shared by the files of the window layer only; callers use WinUser.h.
#pragma once

#include "platform/win/Desktop.h"
#include "platform/win/DeviceContext.h"
#include "platform/win/WinUser.h"

#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace morwick::windows {

using morwick::display::BackEnd;
using morwick::display::Surface;

struct Window {
    HWND hwnd = nullptr;
    std::u16string className;
    std::u16string title;
    DWORD style = 0;
    DWORD exStyle = 0;
    LONG id = 0;
    LONG userData = 0;
    HWND parent = nullptr; // child windows
    HWND owner = nullptr;  // top-level windows
    RECT rect{};           // screen coordinates (top-level) or parent client coordinates (child)
    bool visible = false;
    bool enabled = true;
    WNDPROC proc = nullptr;
    std::vector<HWND> children; // bottom to top
    Surface backing;            // top-level windows draw here
    // Under a window that covers the whole screen nothing of a top-level window shows: its backing is given back
    // (released) and made again, to be painted whole, once it shows (pending until that paint is done).
    bool backingReleased = false;
    bool backingPending = false;
    RECT invalid{};
    bool hasInvalid = false;
    RECT painting{}; // handed out with WM_PAINT, drawn by BeginPaint
    bool destroying = false;
    bool inDestroy = false; // DestroyWindow under way (a WM_DESTROY handler may ask again)
    DWORD thread = 0;
};

struct ClassEntry {
    WNDCLASSW wc{};
    std::u16string name;
};

struct DeskState {
    std::recursive_mutex lock;
    std::map<HWND, std::unique_ptr<Window>> windows;
    std::vector<HWND> stack; // top-level windows, bottom to top
    std::map<std::u16string, ClassEntry> classes;
    HWND active = nullptr;
    HWND focus = nullptr;
    HWND capture = nullptr;
    bool screenDirty = true;
};

DeskState& Desk();

using Guard = std::lock_guard<std::recursive_mutex>;

// Every call below expects Desk().lock held, except UpdateActivation and ActivateTo, which send messages.
Window* Find(HWND hwnd);
Window* TopOf(Window* w);
// Offset of the window's client origin inside its top-level window.
POINT OffsetInTop(Window* w);
bool EffectivelyVisible(Window* w);
inline int Width(const RECT& r)
{
    return r.right - r.left;
}
inline int Height(const RECT& r)
{
    return r.bottom - r.top;
}
void MarkDirty();
// Wakes threads waiting for messages (a window to paint counts as one).
void Wake();
void InvalidateLocked(Window* w, const RECT* r);
// Sizes a top-level window's backing to the window (nothing while it is released).
void ResizeBacking(Window* w);
// The position in the stack of the highest visible opaque window that covers the screen of w x h below the status
// strip; 0 when none does. Nothing under it shows.
size_t FirstShownLocked(int w, int h);
// Releases the backings of the top-level windows under that one. Called only where no drawing is under way.
void ReleaseCoveredLocked();
// Makes again the backings of the windows from `first` up that were released, each to be painted whole; false
// while one of them has not been painted since.
bool RestoreShownLocked(size_t first);
// The topmost visible top-level window that may be active.
HWND TopCandidateLocked();
void ActivateTo(HWND next);
// Activation follows the stack: the topmost visible window is the active one.
void UpdateActivation();
void RaiseLocked(HWND hwnd);
HWND DeepestChildAt(Window* w, POINT p); // p in w's client coordinates

struct ScreenFrame {
    std::mutex lock;
    Surface frame;
    DWORD orientation = 1; // DMDO_90: portrait
    std::shared_ptr<BackEnd> backEnd;
};
ScreenFrame& Frame();

extern std::atomic<DWORD> guiThread;

// Hands WM_PAINT to the message queue (WinPaint.cpp); done once, by the first window or the GUI thread.
BOOL PaintSource(DWORD threadId, HWND filter, UINT minMessage, UINT maxMessage, BOOL remove, LPMSG msg);
void InstallPaintSource();

} // namespace morwick::windows
