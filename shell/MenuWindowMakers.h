// The window factory's makers of the menu screens: the server menu window ("collist", "lczq"), the news
// headline list ("newslist") and the article window ("newscontent").
#pragma once

// Installs the makers; the application calls it once at start.
void InstallMenuWindowMakers();
