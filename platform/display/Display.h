// Choosing and running the screen's back end: "sdl" (a desktop window) or "headless" (the framebuffer only),
// by MORWICK_DISPLAY or automatically (sdl when built with it and a desktop display is present).
#pragma once

#include <string>

namespace morwick::display {

// Starts the chosen back end; returns its name ("sdl" or "headless").
std::string StartDisplay();
void StopDisplay();

} // namespace morwick::display
