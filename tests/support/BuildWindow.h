// The window back end this build made, for tests: the client opens its module only from beside itself and a test
// program lives elsewhere, so the test hands the loader the build's own by its path.
#pragma once

#include "platform/display/Display.h"

#include <string>

// Starts the build's window back end; "sdl", or why there is none (the headless one is started then).
inline std::string StartBuildsWindow()
{
    std::string reason;
    auto backEnd = morwick::display::OpenBackEndModule(MORWICK_BINARY_DIR "/app/morwick-sdl.so", reason);
    return morwick::display::UseBackEnd(backEnd) == "sdl" ? "sdl" : reason;
}
