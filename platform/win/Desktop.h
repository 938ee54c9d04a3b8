// The phone's screen as the back ends and the automation see it: its size and rotation, the composed frame,
// the status strip, input injection (from any thread), and a description of the window stack.
#pragma once

#include "platform/win/Surface.h"
#include "platform/win/WinTypes.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace morwick::display {

constexpr int SCREEN_SHORT_SIDE = 480;
constexpr int SCREEN_LONG_SIDE = 720;
constexpr int STATUS_STRIP_HEIGHT = 30;

// A back end shows frames and is told when the screen turns; Present runs on the GUI thread and must not block.
class BackEnd {
public:
    virtual ~BackEnd() = default;
    virtual const char* Name() const = 0;
    virtual void Present(const Surface& screen) = 0;
    virtual void Raise() {}
    // The animation kind of a window being shown or hidden (instant on the headless screen).
    virtual void Animate(HWND, int, bool) {}
};

void SetBackEnd(std::shared_ptr<BackEnd> backEnd);
std::shared_ptr<BackEnd> GetBackEnd();

// Screen size in the current orientation.
int ScreenWidth();
int ScreenHeight();
// DMDO_0/90/180/270; 90 and 270 are the portrait 480 x 720 screen.
DWORD ScreenOrientation();
void SetScreenOrientation(DWORD orientation);

// Composes the visible windows and the status strip into the screen frame when something changed and hands
// it to the back end. Runs on the GUI thread (the message queue calls it when it has nothing else to do).
void ComposeScreen(bool force = false);
// A copy of the last composed frame (any thread).
Surface CopyScreen();

// The thread that owns the windows; input and automation run there. 0 until the first window.
DWORD GuiThreadId();
// A hidden window of the GUI thread that routes injected input and runs automation commands.
HWND RouterWindow();
// Makes the router on the calling thread when it is the first to ask (the GUI thread at start).
void AttachGuiThread();
// Keeps the status strip's clock current on a window back end (a timer of the router window).
void StartStatusClock();

// Input from back ends and automation, any thread; delivered in order on the GUI thread to the window that the
// phone would give it (the pressed or capturing window, else the topmost visible window under the stylus).
void InjectMouse(UINT message, int x, int y);
void InjectKey(UINT virtualKey, bool down);
void InjectChar(char16_t ch);
void InjectFrontKey();
// Runs work on the GUI thread and waits for it (directly when already there).
void RunOnGuiThread(const std::function<void()>& work);

// The window stack from the top, for the automation's dump.
struct WindowInfo {
    HWND hwnd;
    std::u16string className;
    std::u16string title;
    RECT rect;
    bool visible;
    bool active;
    std::string controlsJson; // the window's own description of its controls, a JSON array
};
std::vector<WindowInfo> DescribeWindowStack();
// The top-level windows from the top (any thread; nothing of the windows' own code runs).
std::vector<HWND> TopLevelWindows();
// Windows that can describe their controls install this (the platform window class does).
using ControlDescriber = std::string (*)(HWND window);
void SetControlDescriber(ControlDescriber describer);

// Something to check before the automation calls the client idle (a request under way, for instance).
using BusyProbe = bool (*)();
void SetBusyProbe(BusyProbe probe);
bool IsBusy();
// True when the GUI thread has nothing to dispatch or paint.
bool GuiQueueIdle();
// Brings a window of this process to the front from any thread (what a remote ask ends in).
void RequestForeground(HWND window);

} // namespace morwick::display
