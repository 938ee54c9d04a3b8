// The window factory's makers of the detailed quote ("xxhq"); the tick-by-tick deals are
// opened by the time-share chart directly.
#pragma once

// Installs the makers; the application calls it once at start.
void InstallDetailWindowMakers();
