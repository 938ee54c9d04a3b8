// The running program itself: where its image lives, replacing that image with a new build in one atomic step,
// and starting the program again once the application has ended.
#pragma once

#include "platform/win/WinTypes.h"

#include <string>

// The running executable's own path (not the program directory of MORWICK_HOME), UTF-16; "" when unknown.
std::u16string GetRunningProgramPath();

// Puts the file newImage in place of the running program's image with one rename in the same folder, so the
// program file is always either the old build or the whole new one. The new image takes the old one's
// permissions and is flushed to disk first. newImage must be in the program's folder. FALSE (last error set,
// the program untouched) when any step fails.
BOOL ReplaceRunningProgram(LPCWSTR newImage);

// Asks for the program to be started again, with the same arguments and environment, after the application
// has ended (the platform's entry point does it as its last step).
void RequestProgramRestart();
BOOL IsProgramRestartRequested();
// Replaces this process with a fresh start of the program when a restart was asked for; returns only when no
// restart was asked for or the start failed (last error set).
void RestartProgramIfRequested(char** argv);
