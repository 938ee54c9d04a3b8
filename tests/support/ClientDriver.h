// The real client process, headless, driven through its automation socket against a stand-in server:
//
//   class MyClientTest : public ClientTest {};          // home with artwork and settings naming the server,
//                                                       // a device folder, the stand-in server running
//   TEST_F(MyClientTest, X) {
//       auto client = Start("a");                       // spawned, its automation socket answering
//       std::string dump = client->WaitForTop("CQXAppFrame");
//       ASSERT_TRUE(client->Tap(CentreOf(dump, RectOfId(103))));
//       ASSERT_TRUE(client->Tap(CentreOf(client->Dump(), RectOfText("是"))));
//   }
//
// Waits are generous for sanitizer builds; MORWICK_E2E_WAIT_MS shortens or lengthens them.
#pragma once

#include "tests/support/TempFolder.h"
#include "tests/support/WindowFixture.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <sys/types.h>
#include <vector>

namespace e2e {

int WaitMs();

struct Point {
    int x = -1, y = -1;
};

// The screen position of the centre of the first control matching pattern (a regex over the dump that captures
// the control's rect) in the top window, the first shown one in the dump; {-1, -1} when there is none.
Point CentreOf(const std::string& dump, const std::string& controlPattern);
// Patterns for CentreOf: the control with this id, the visible and enabled control with this text.
std::string RectOfId(int id);
std::string RectOfText(const std::string& text);
// The class of the top window in a dump (the first shown one: a window sent to the background stays listed), and
// the part of the dump that describes it.
std::string TopWindowClass(const std::string& dump);
std::string TopWindow(const std::string& dump);
// How often part occurs in text.
int Count(const std::string& text, const std::string& part);
// The middle of button `index` of the top window's tool bar (id 101) of `count` buttons; {-1, -1} without one.
Point ToolButton(const std::string& dump, int index, int count);
// The middle of row k of the list with this id in the top window, its rows as high as its "row=" says.
Point ListRow(const std::string& dump, int id, int k);
// The rows' texts of the list with this id in the top window, and its selected row (-1 none).
std::vector<std::string> ListItems(const std::string& dump, int id, int* selected = nullptr);

class ClientProcess {
public:
    // program: the client executable to run; the build's own when empty. runtime: the folder of running clients'
    // records; the test program's own when empty (a client in another folder is not taken for a second instance).
    ClientProcess(const std::string& home, const std::string& device, const std::string& socket,
                  std::string program = std::string(), const std::string& runtime = std::string());
    ~ClientProcess(); // kills the client when it is still running
    ClientProcess(const ClientProcess&) = delete;
    ClientProcess& operator=(const ClientProcess&) = delete;

    bool Started() const { return pid > 0; }
    // Waits until the automation socket answers; false when the process ended or the time ran out.
    bool Ready();
    // One automation command line and its answer.
    std::string Command(const std::string& line);
    void Idle();
    std::string Dump();
    // Taps the point and waits for the client to go idle; false for a point not found.
    bool Tap(Point p);
    // Waits until the top window is of the class (or the time runs out); returns the last dump.
    std::string WaitForTop(const std::string& className);
    // What the client wrote to its debug log since it started, "[tip] TEXT" for every tip among it (a command
    // "log" takes what it returns out of this). A tip closes on the client's clock, so a dump on a busy machine
    // may come too late to see it: wait for it here.
    std::string Log();
    // Waits until the log holds text; false when the time ran out.
    bool WaitForLog(const std::string& text);
    // The same, and until the command bar's middle button (a confirmation's "确定", which takes no tap in its
    // first moments) is enabled.
    std::string WaitForAction(const std::string& className);
    // From the sign-up frame of a phone not yet signed up: its number typed and 登录; the home grid's dump.
    std::string SignUp();
    bool HasExited();
    // What a core file of the running client would hold, handed to each one mapping at a time: every mapping of
    // its memory that is readable, anonymous or writable, and not one core files leave out ("dd"). The number of
    // bytes read.
    size_t ReadCoreImage(const std::function<void(const std::string& mapping)>& each);
    // Waits for the end of the process; its exit status, or -1 when it did not end in time.
    int WaitExit();

private:
    std::string socket;
    std::string log;
    pid_t pid = -1;
    bool exited = false;
    int status = 0;
};

} // namespace e2e

// A home with the client's artwork, the server's public key and settings naming the stand-in server's port; a
// device folder; the stand-in server (its options from ServerOptions(), overridable) running.
class ClientTest : public ::testing::Test {
protected:
    void SetUp() override;
    virtual CServerOptions ServerOptions();
    // ServerOptions on a known trading morning (Monday 2025-12-08, an hour into the session): the same market on
    // every run.
    CServerOptions TradingMorning();
    // Starts a client on this home and device with its socket named name, and waits until it answers; program
    // as for ClientProcess.
    std::unique_ptr<e2e::ClientProcess> Start(const std::string& name, const std::string& program = std::string());
    // A second client, as on another phone: its own home, device and running-clients folder under the test's.
    std::unique_ptr<e2e::ClientProcess> StartAnother(const std::string& name);
    // Stops the stand-in server and starts it again on the same port with the same options: sessions are gone,
    // what the server keeps in its data folder stays.
    void RestartServer();

    // A home with the artwork, the public key and settings naming the server.
    void PrepareHome(const std::string& home, const std::string& device);

    TempFolder root;
    std::string home, device;
    std::unique_ptr<StandInServer> server;
};
