// Installs the trading screens: their makers in the window factory and the trade log-in's windows behind
// CAppData::ShowTradeLogin. The trading library sits above the shell, so the program calls this once before the
// application starts.
#pragma once

void InstallTradeWindowMakers();
