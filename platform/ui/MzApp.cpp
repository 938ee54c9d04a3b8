// The application object and the platform's entry point.
#include "platform/ui/MzApp.h"

#include "platform/automation/Automation.h"
#include "platform/display/Desktop.h"
#include "platform/display/Display.h"
#include "platform/win/Debug.h"
#include "platform/win/Process.h"

#include <cstdio>
#include <cstdlib>

namespace {
CMzApp* theApp = nullptr;
}

CMzApp::CMzApp()
{
    theApp = this;
}

CMzApp::~CMzApp()
{
    if (theApp == this)
        theApp = nullptr;
}

CMzApp* CMzApp::GetApp()
{
    return theApp;
}

BOOL CMzApp::Init()
{
    return TRUE;
}

int CMzApp::Run()
{
    MSG msg;
    BOOL r;
    while ((r = GetMessage(&msg, nullptr, 0, 0)) > 0) {
        if (PreTranslateMessage(&msg))
            continue;
        TranslateMessage(&msg);
        DispatchMessage(&msg);
    }
    return r == 0 ? (int)msg.wParam : 0;
}

int CMzApp::Exit()
{
    return 1;
}

BOOL CMzApp::PreTranslateMessage(MSG*)
{
    return FALSE;
}

int MzRunApplication(int, char** argv)
{
    CMzApp* app = CMzApp::GetApp();
    if (!app) {
        std::fprintf(stderr, "morwick: no application object\n");
        return 1;
    }
    morwick::display::AttachGuiThread();
    std::string backEnd = morwick::display::StartDisplay();
    const char* socket = std::getenv("MORWICK_AUTOMATION");
    if (socket && *socket && !morwick::automation::StartServer(socket))
        std::fprintf(stderr, "morwick: cannot listen on %s\n", socket);
    std::string note = "display: " + backEnd + "\n";
    OutputDebugStringA(note.c_str());
    int code = 0;
    if (app->Init())
        code = app->Run();
    app->Exit();
    morwick::automation::StopServer();
    morwick::display::StopDisplay();
    // A program replaced by its update starts again as the new build, in this same process.
    RestartProgramIfRequested(argv);
    return code;
}
