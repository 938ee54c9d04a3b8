// Installs the makers of the quote screens in the window factory. The quote library sits above the shell, so the
// program calls this once before the application starts.
#pragma once

void InstallQuoteWindowMakers();
