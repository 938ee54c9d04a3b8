// The phone's own strip above the work area (signal, time and battery), drawn into each composed frame.
#pragma once

#include "platform/win/DeviceContext.h"

namespace morwick::windows {

void DrawStatusStrip(morwick::display::Surface& s);

} // namespace morwick::windows
