// The application object and the platform's entry point.
#include "platform/ui/MzApp.h"

#include "platform/automation/Automation.h"
#include "platform/display/Display.h"
#include "platform/win/Debug.h"
#include "platform/win/Desktop.h"
#include "platform/win/FontEngine.h"
#include "platform/win/Process.h"

#include <cstdio>
#include <cstdlib>
#include <thread>

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

namespace {

// Without a desktop the client draws into memory only: a user who started it from a terminal learns why nothing
// appears and how to reach it.
void TellHowToDriveHeadless(const char* socket)
{
    // On a desktop the display's start has said why no window opened.
    if (!morwick::display::DesktopPresent())
        std::fprintf(stderr, "morwick: no display to open a window on: running headless.\n");
    if (socket)
        std::fprintf(stderr,
                     "morwick: drive it through its automation socket, one command per line, e.g.\n"
                     "    tools/automate -s %s dump          (windows and controls, with screenRect)\n"
                     "    tools/automate -s %s tap X Y       (screen coordinates)\n"
                     "    tools/automate -s %s shot home.png (what the screen shows)\n"
                     "    tools/automate -s %s frontkey      (ends the client)\n",
                     socket, socket, socket, socket);
    else
        std::fprintf(stderr, "morwick: nothing can drive it: start it with MORWICK_AUTOMATION=PATH and use "
                             "tools/automate -s PATH (tap X Y, text, dump, shot FILE.png, frontkey).\n");
    std::fprintf(stderr, "morwick: on a desktop, MORWICK_DISPLAY=sdl shows it in a window; MORWICK_DISPLAY=headless "
                         "runs it headless without this note.\n");
}

} // namespace

int MzRunApplication(int, char** argv)
{
    CMzApp* app = CMzApp::GetApp();
    if (!app) {
        std::fprintf(stderr, "morwick: no application object\n");
        return 1;
    }
    // Finding the font (fontconfig reads its whole configuration) runs beside the rest of the start; the first
    // text drawn waits for it only if it has not finished.
    std::thread fontLookup([] { morwick::display::FontEngine::Instance(); });
    morwick::display::AttachGuiThread();
    std::string backEnd = morwick::display::StartDisplay();
    const char* socket = std::getenv("MORWICK_AUTOMATION");
    bool driven = socket && *socket && morwick::automation::StartServer(socket);
    if (socket && *socket && !driven)
        std::fprintf(stderr, "morwick: cannot listen on %s\n", socket);
    if (backEnd == "headless" && !std::getenv("MORWICK_DISPLAY"))
        TellHowToDriveHeadless(driven ? socket : nullptr);
    std::string note = "display: " + backEnd + "\n";
    OutputDebugStringA(note.c_str());
    int code = 0;
    if (app->Init())
        code = app->Run();
    app->Exit();
    fontLookup.join();
    morwick::automation::StopServer();
    morwick::display::StopDisplay();
    // A program replaced by its update starts again as the new build, in this same process.
    RestartProgramIfRequested(argv);
    return code;
}
