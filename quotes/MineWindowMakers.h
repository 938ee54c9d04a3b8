// Installs the own stock screens: the stock search that every networked screen opens, and the editor.
#pragma once

void InstallMineWindowMakers();
