// Maker of the stock information menu ("F10") for the window factory; the radar is built by its opener.
#pragma once

void InstallInfoWindowMakers();
