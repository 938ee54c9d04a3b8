// Installs the own stock screens: the stock search that every networked screen opens, and the own stock
// list window.
#pragma once

void InstallMineWindowMakers();
