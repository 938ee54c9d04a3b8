// What the window tests of the shell share: a program directory of their own with the client's artwork, a fresh
// application data object and window manager per test, the screen back in portrait afterwards, and a pump.
#pragma once

#include "core/AppData.h"
#include "platform/device/RsaKeyPair.h"
#include "platform/win/Message.h"
#include "platform/win/Shell.h"
#include "platform/win/WinUser.h"
#include "shell/WndManager.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>

inline void PumpMessages()
{
    MSG msg;
    for (int i = 0; i < 500 && PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE); ++i) {
        if (msg.message == WM_QUIT)
            continue;
        TranslateMessage(&msg);
        DispatchMessage(&msg);
    }
}

// One 2048-bit key pair for every stand-in server of the program: generating one is slow.
inline const CRsaKeyPair& ServerTestKeys()
{
    static CRsaKeyPair* keys = [] {
        auto* k = new CRsaKeyPair;
        k->Generate(2048);
        return k;
    }();
    return *keys;
}

inline void PortraitScreen()
{
    DEVMODEW mode{};
    mode.dmSize = 192;
    mode.dmFields = DM_DISPLAYORIENTATION;
    mode.dmDisplayOrientation = DMDO_90;
    ChangeDisplaySettingsEx(nullptr, &mode, nullptr, 0, nullptr);
}

class ShellWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        namespace fs = std::filesystem;
        std::error_code ignored;
        fs::copy(fs::path(MORWICK_SOURCE_DIR) / "app" / "images", home.Path(),
                 fs::copy_options::recursive | fs::copy_options::overwrite_existing, ignored);
        PortraitScreen();
        RECT work;
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
        CWndManager::GetInstance()->SetWorkAreaTop(work.top);
        CAppData::Instance()->SetScreenMode(0);
        TakeShellRecords();
    }
    void TearDown() override
    {
        PumpMessages();
        PortraitScreen();
        CAppData::Destroy();
        CWndManager::Destroy();
    }
    RECT WorkRect()
    {
        RECT work;
        CWndManager::GetInstance()->GetWorkRect(&work);
        return work;
    }

    ScopedProgramHome home;
};
