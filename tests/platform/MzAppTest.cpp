// The platform's entry point runs the application object: Init, the loop only when Init agreed, Exit always,
// with the automation socket open while it runs.
#include "platform/automation/Automation.h"
#include "platform/ui/MzApp.h"
#include "platform/ui/MzWnd.h"
#include "platform/win/Time.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

namespace {

class HomeWnd : public CMzWnd {
public:
    LPCWSTR GetMzClassName() override { return u"TestAppHomeWnd"; }
    int OnClickMKey() override { return 0; } // the front key ends the application
    void OnLButtonUp(UINT, int, int) override { ++taps; }
    int taps = 0;
};

class TestApp : public CMzApp {
public:
    BOOL Init() override
    {
        ++inits;
        if (!agree)
            return FALSE;
        home.Create(0, 30, 480, 690);
        home.Show();
        m_pMainWnd = &home;
        m_initialised = 1;
        return TRUE;
    }
    int Exit() override
    {
        ++exits;
        return 1;
    }
    HomeWnd home;
    bool agree = true;
    int inits = 0, exits = 0;
};

} // namespace

TEST(MzApp, RunsTheLoopUntilTheFrontKeyAndAlwaysExits)
{
    std::string socket =
        (std::filesystem::temp_directory_path() / ("morwick-app-" + std::to_string(GetTickCount()))).string();
    setenv("MORWICK_DISPLAY", "headless", 1);
    setenv("MORWICK_AUTOMATION", socket.c_str(), 1);
    TestApp app;
    ASSERT_EQ(CMzApp::GetApp(), &app);
    std::string tap, dump;
    std::thread user([&] {
        // The socket opens when the loop is about to run; try until it answers.
        for (DWORD start = GetTickCount(); tap.empty() && GetTickCount() - start < 20000;) {
            tap = morwick::automation::SendCommand(socket, "tap 10 100");
            if (tap.empty())
                Sleep(10);
        }
        morwick::automation::SendCommand(socket, "idle 2000");
        dump = morwick::automation::SendCommand(socket, "dump");
        morwick::automation::SendCommand(socket, "frontkey");
    });
    EXPECT_EQ(MzRunApplication(0, nullptr), 0);
    user.join();
    EXPECT_EQ(tap, "{\"ok\":true}");
    EXPECT_NE(dump.find("TestAppHomeWnd"), std::string::npos);
    EXPECT_EQ(app.home.taps, 1);
    EXPECT_EQ(app.exits, 1);

    TestApp refusing;
    refusing.agree = false;
    unsetenv("MORWICK_AUTOMATION");
    EXPECT_EQ(MzRunApplication(0, nullptr), 0); // returns at once: no loop without Init
    EXPECT_EQ(refusing.exits, 1);
    unsetenv("MORWICK_DISPLAY");
}
