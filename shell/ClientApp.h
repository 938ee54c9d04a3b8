// CClientApp: the client's one application object. Init lets only one copy run, prepares the work area and
// shows the log-on window, whose first activation starts the log-in; Exit tears the shared objects down.
#pragma once

#include "platform/ui/MzApp.h"

class CClientApp : public CMzApp {
public:
    static constexpr int INSTANCE_ATTEMPTS = 5;
    static constexpr int START_ANIMATION = 13;

    BOOL Init() override;
    int Exit() override;

    // 0 to go on (found 1 when another copy's window of that class was brought to the front), negative on failure.
    static LONG EnsureSingleInstance(LPCWSTR title, LPCWSTR className, int* found);
    // How long an attempt waits for the other copy's window to appear (500 ms).
    static void SetInstanceWait(DWORD milliseconds);
};
