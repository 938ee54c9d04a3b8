// Back-end selection, the headless back end, and the window back end's module, opened when a window is asked for.
#include "platform/display/Display.h"

#include "platform/display/BackEndModule.h"
#include "platform/win/Accelerometer.h"
#include "platform/win/Desktop.h"
#include "platform/win/Paths.h"
#include "platform/win/PhoneEvents.h"
#include "platform/win/WinUser.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <unistd.h>

namespace morwick::display {

namespace {

class HeadlessBackEnd : public BackEnd {
public:
    const char* Name() const override { return "headless"; }
    void Present(const Surface&) override {} // the frame stays in memory for shots
};

const HostCalls hostCalls = {
    ScreenWidth,
    ScreenHeight,
    InjectMouse,
    InjectKey,
    InjectChar,
    InjectFrontKey,
    [] {
        if (DWORD gui = GuiThreadId())
            PostThreadMessage(gui, WM_QUIT, 0, 0);
    },
    SimulateAccelerometer,
    SimulateLockPhone,
    SimulateCall,
    SimulateUsbOff,
};

#ifdef MORWICK_WITH_SDL_MODULE
// Only the module beside the executable: a path compiled in (the build's folder, perhaps one others may write to,
// as under /tmp) would let a program installed elsewhere run code from there.
std::shared_ptr<BackEnd> OpenWindowBackEnd(std::string& reason)
{
    std::string beside = ExecutableDirectory() + "/morwick-sdl.so";
    if (access(beside.c_str(), F_OK) == 0)
        return OpenBackEndModule(beside.c_str(), reason);
    reason = "morwick-sdl.so is not beside the program";
    return nullptr;
}
#endif

} // namespace

bool DesktopPresent()
{
    const char* x = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (x && *x) || (wayland && *wayland);
}

std::shared_ptr<BackEnd> OpenBackEndModule(const char* path, std::string& reason)
{
    // Once loaded it stays for the life of the process: SDL keeps threads and handlers of its own.
    void* module = dlopen(path, RTLD_NOW | RTLD_LOCAL);
    if (!module) {
        const char* error = dlerror();
        reason = error ? error : path;
        return nullptr;
    }
    auto interfaceOf = (BackEndInterfaceFunction)dlsym(module, BACK_END_INTERFACE_NAME);
    auto open = (OpenBackEndFunction)dlsym(module, OPEN_BACK_END);
    if (!interfaceOf || !open) {
        reason = std::string(path) + " is not a window back end";
        return nullptr;
    }
    if (int theirs = interfaceOf(); theirs != BACK_END_INTERFACE) {
        reason = std::string(path) + " is of another build (interface " + std::to_string(theirs) + ", this program's " +
                 std::to_string(BACK_END_INTERFACE) + ")";
        return nullptr;
    }
    BackEnd* backEnd = open(&hostCalls);
    if (!backEnd)
        reason = "no desktop window available";
    return std::shared_ptr<BackEnd>(backEnd);
}

std::string StartDisplay()
{
    const char* wanted = std::getenv("MORWICK_DISPLAY");
    bool trySdl = wanted ? std::strcmp(wanted, "sdl") == 0 : DesktopPresent();
    std::shared_ptr<BackEnd> backEnd;
    std::string reason = "built without a window back end";
#ifdef MORWICK_WITH_SDL_MODULE
    if (trySdl)
        backEnd = OpenWindowBackEnd(reason);
#endif
    // Asked for, or a desktop is there: the user expects a window and learns why there is none.
    if (trySdl && !backEnd)
        std::fprintf(stderr, "morwick: %s, running headless\n", reason.c_str());
    return UseBackEnd(backEnd);
}

std::string UseBackEnd(std::shared_ptr<BackEnd> backEnd)
{
    if (!backEnd)
        backEnd = std::make_shared<HeadlessBackEnd>();
    SetBackEnd(backEnd);
    if (std::strcmp(backEnd->Name(), "headless") != 0)
        StartStatusClock();
    return backEnd->Name();
}

void StopDisplay()
{
    SetBackEnd(nullptr);
}

} // namespace morwick::display
