// Back-end selection and the headless back end.
#include "platform/display/Display.h"

#include "platform/win/Desktop.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace morwick::display {

#ifdef MORWICK_HAVE_SDL
std::shared_ptr<BackEnd> CreateSdlBackEnd();
#endif

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

} // namespace

std::string StartDisplay()
{
    const char* wanted = std::getenv("MORWICK_DISPLAY");
    bool trySdl = wanted ? std::strcmp(wanted, "sdl") == 0 : DesktopPresent();
    std::shared_ptr<BackEnd> backEnd;
#ifdef MORWICK_HAVE_SDL
    if (trySdl)
        backEnd = CreateSdlBackEnd();
#endif
    if (trySdl && !backEnd && wanted)
        std::fprintf(stderr, "morwick: no desktop window available, running headless\n");
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
