// The window back end is a module of its own ("morwick-sdl.so"), opened only when a window is asked for, so that
// a headless client never maps SDL and the display libraries it pulls in. The module links nothing of the client:
// what it needs of the screen it is handed when it is opened.
#pragma once

#include "platform/win/Desktop.h"

namespace morwick::display {

struct HostCalls {
    int (*screenWidth)();
    int (*screenHeight)();
    // Input, delivered in order on the GUI thread (any thread may call).
    void (*injectMouse)(UINT message, int x, int y);
    void (*injectKey)(UINT virtualKey, bool down);
    void (*injectChar)(char16_t ch);
    void (*injectFrontKey)();
    // The window was closed: the client ends.
    void (*quit)();
    // The phone's events the function keys stand in for.
    void (*simulateAccelerometer)(int orientation);
    void (*simulateLockPhone)(BOOL locked);
    void (*simulateCall)(BOOL begins);
    void (*simulateUsbOff)();
};

// The module's entry point, by this name: a started back end (deleted by the caller), or null when no window can be
// opened here. host outlives the back end.
using OpenBackEndFunction = BackEnd* (*)(const HostCalls* host);
constexpr const char* OPEN_BACK_END = "MorwickOpenBackEnd";

// The shape of what the module and the client share (HostCalls, BackEnd, Surface), asked of the module by this
// name before anything else of it runs. Raise it whenever one of them changes: an update replaces the program
// alone, and a program copied elsewhere falls back on the module of the build tree, so the module found may be
// of another build.
constexpr int BACK_END_INTERFACE = 1;
using BackEndInterfaceFunction = int (*)();
constexpr const char* BACK_END_INTERFACE_NAME = "MorwickBackEndInterface";

} // namespace morwick::display
