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

bool DesktopPresent()
{
    const char* x = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (x && *x) || (wayland && *wayland);
}

#ifdef MORWICK_SDL_MODULE
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

// The module beside the executable (a client copied elsewhere with it), else the one this build made. It stays
// loaded for the life of the process: SDL keeps threads and handlers of its own. Null, with the reason, when
// neither can be loaded.
void* LoadWindowModule(std::string& reason)
{
    static void* module = nullptr;
    if (module)
        return module;
    std::string beside = ExecutableDirectory() + "/morwick-sdl.so";
    for (const char* path : {beside.c_str(), MORWICK_SDL_MODULE}) {
        if (access(path, F_OK) != 0)
            continue;
        module = dlopen(path, RTLD_NOW | RTLD_LOCAL);
        if (!module)
            reason = dlerror();
        return module;
    }
    reason = "morwick-sdl.so is not beside the program";
    return nullptr;
}

std::shared_ptr<BackEnd> OpenWindowBackEnd(std::string& reason)
{
    void* module = LoadWindowModule(reason);
    auto open = module ? (OpenBackEndFunction)dlsym(module, OPEN_BACK_END) : nullptr;
    if (module && !open)
        reason = "morwick-sdl.so has no entry point";
    BackEnd* backEnd = open ? open(&hostCalls) : nullptr;
    if (open && !backEnd)
        reason = "no desktop window available";
    return std::shared_ptr<BackEnd>(backEnd);
}
#endif

} // namespace

std::string StartDisplay()
{
    const char* wanted = std::getenv("MORWICK_DISPLAY");
    bool trySdl = wanted ? std::strcmp(wanted, "sdl") == 0 : DesktopPresent();
    std::shared_ptr<BackEnd> backEnd;
    std::string reason = "built without a window back end";
#ifdef MORWICK_SDL_MODULE
    if (trySdl)
        backEnd = OpenWindowBackEnd(reason);
#endif
    if (trySdl && !backEnd && wanted)
        std::fprintf(stderr, "morwick: %s, running headless\n", reason.c_str());
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
