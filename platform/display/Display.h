// Choosing and running the screen's back end: "sdl" (a desktop window) or "headless" (the framebuffer only),
// by MORWICK_DISPLAY or automatically (sdl when built with it and a desktop display is present).
#pragma once

#include <memory>
#include <string>

namespace morwick::display {

class BackEnd;

// Starts the chosen back end; returns its name ("sdl" or "headless"). The window back end is opened only from
// "morwick-sdl.so" beside the program. When a window was asked for or a desktop is there but none can be opened,
// says why on standard error.
std::string StartDisplay();
// Starts the given back end (null: headless) as StartDisplay does; returns its name. For a module opened by path,
// as tests open the one their build made.
std::string UseBackEnd(std::shared_ptr<BackEnd> backEnd);
void StopDisplay();
// True when DISPLAY or WAYLAND_DISPLAY names a desktop.
bool DesktopPresent();
// The window back end from the module at path, started; null with the reason when the file is not there, is no
// window back end, is of another build (nothing of it runs then), or no window can be opened.
std::shared_ptr<BackEnd> OpenBackEndModule(const char* path, std::string& reason);

} // namespace morwick::display
