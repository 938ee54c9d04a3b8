// The client's entry point: the one application object, then the platform's start (Init, Run, Exit).
#include "charts/ChartWindowMakers.h"
#include "funds/FundWindowMakers.h"
#include "platform/device/BuildSettings.h"
#include "quotes/DetailWindowMakers.h"
#include "quotes/InfoWindowMakers.h"
#include "quotes/MineWindowMakers.h"
#include "quotes/QuoteWindowMakers.h"
#include "services/ServiceWindowMakers.h"
#include "shell/ClientApp.h"
#include "trading/TradeWindowMakers.h"

#ifndef MORWICK_PROGRAM_VERSION
#define MORWICK_PROGRAM_VERSION "3.2"
#endif

static CClientApp theApp;

int main(int argc, char** argv)
{
    // The quote screens, the stock information windows and the charts sit above the shell: their makers go into
    // the window factory before the client starts.
    InstallInfoWindowMakers();
    InstallQuoteWindowMakers();
    InstallDetailWindowMakers();
    InstallMineWindowMakers();
    InstallChartWindowMakers();
    InstallServiceWindowMakers();
    InstallTradeWindowMakers();
    InstallFundWindowMakers();
    // The stored version starts with this build's own.
    SetProgramVersion(MORWICK_PROGRAM_VERSION);
    return MzRunApplication(argc, argv);
}
