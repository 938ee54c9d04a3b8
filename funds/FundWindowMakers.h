// Installs the makers of the fund and cash-product screens in the window factory, and the paged query table's
// "加入自选" of funds. The fund library sits above the shell, so the program calls this once before it starts.
#pragma once

void InstallFundWindowMakers();
