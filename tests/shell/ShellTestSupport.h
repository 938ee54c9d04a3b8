// Older window tests name the shared fixture ShellWindowTest; it is WindowTest of tests/support/WindowFixture.h.
#pragma once

#include "tests/support/WindowFixture.h"

using ShellWindowTest = WindowTest;
