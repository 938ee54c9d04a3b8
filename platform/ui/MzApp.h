// CMzApp: the application object. The program's one object derives from it and is built by a static
// initialiser; MzRunApplication (called from main) starts the screen's back end and the automation, then runs
// Init, the message loop Run only when Init returned non-zero, and Exit in every case.
#pragma once

#include "platform/win/Message.h"
#include "platform/win/WinTypes.h"

class CMzWnd;

class CMzApp {
public:
    CMzApp();
    virtual ~CMzApp();
    virtual BOOL Init();
    // The message loop until the quit message; returns its exit code.
    virtual int Run();
    virtual int Exit();
    // A message about to be dispatched by Run; TRUE when handled here.
    virtual BOOL PreTranslateMessage(MSG* msg);

    static CMzApp* GetApp();

    CMzWnd* m_pMainWnd = nullptr;
    int m_initialised = 0;
};

// The platform's entry point: back end by MORWICK_DISPLAY, automation on MORWICK_AUTOMATION, then
// Init / Run / Exit of the application object. Returns the process exit code.
int MzRunApplication(int argc, char** argv);
