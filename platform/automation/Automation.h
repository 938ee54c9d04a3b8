// Driving the client as a user would: one command line in, one JSON line out. The same commands come from the
// Unix socket named by MORWICK_AUTOMATION (tools/automate sends them from a shell) or from C++ tests.
//
//   tap X Y | press X Y | move X Y | release X Y | drag X1 Y1 X2 Y2 [STEPS]   the stylus, screen coordinates
//   key NAME (enter back left right up down tab escape delete space) | text UTF-8
//   rotate 0|1|2|3 (the accelerometer) | lock | unlock | call begin|end | usb off | frontkey
//   pinch in|out (two fingers together or apart, to the windows registered with the touch driver)
//   flightmode on|off (the phone's flight-mode flag in the registry)
//   clock set YYYY-MM-DD HH:MM:SS | clock advance MS | clock real   GUI timers and the time of day
//   shot PATH (PNG of the screen) | dump (the window stack from the top, with controls; a control's "rect" is
//   relative to its window, its "screenRect" on the screen, where tap X Y points)
//   idle [MS] (until nothing is pending and no request is under way, or MS) | log (debug output since last call)
//   programs (what the client asked to start since last call)
// A number out of its range (a position beyond 16 bits, a clock step over a year, an idle wait over an hour)
// gets an error answer. The socket is the user's own: mode 0600, and a peer of another user is refused.
#pragma once

#include <string>

namespace morwick::automation {

// Runs one command and returns its JSON answer (no line end). From the GUI thread itself, "idle" dispatches the
// pending messages; from any other thread it waits for the GUI thread to get there.
std::string RunCommand(const std::string& line);

// Listens on the Unix socket at path (replacing a stale one); false when it cannot.
bool StartServer(const std::string& path);
void StopServer();

// JSON text helpers for describing windows and controls.
std::string JsonString(const std::string& utf8);
std::string JsonString(const std::u16string& text);

} // namespace morwick::automation

namespace morwick::automation {

// Sends one command to the automation socket at path and returns the answer line ("" when it cannot connect).
std::string SendCommand(const std::string& path, const std::string& line);
// A connection kept open over several commands (the client serves one connection at a time): Connect gives its
// descriptor or -1, Exchange sends one command on it and returns the answer line, WaitForHangUp is true when
// the client closes it within the time. The caller closes it (close()).
int Connect(const std::string& path);
std::string Exchange(int connection, const std::string& line);
bool WaitForHangUp(int connection, int milliseconds);

} // namespace morwick::automation
