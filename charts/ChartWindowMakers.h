// Installs the makers of the chart windows ("fschart", "kxchart") in the window factory. The chart library sits
// above the shell and the quote screens, so the program calls this once before the application starts.
#pragma once

void InstallChartWindowMakers();
