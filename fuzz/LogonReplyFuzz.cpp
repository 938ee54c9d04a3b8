// Arbitrary replies into the log-on window's and the sign-up frame's reply handling: the log-in reply (session,
// versions, update notes, servurl, popmsg, refresh, the sign-up texts), the configuration reply that becomes the
// data files "Menus.dat" and "config.dat", and the sign-up code that goes into the registry record. The first
// byte picks the window, its step, whether the phone is signed up, and the starting reply: the bytes as they are,
// or a real reply of the stand-in server with the rest of the input written over it (pairs of a position and a
// byte, or a cut). Requests the windows would send next, and the windows they would open, are left out.
#include "core/AppData.h"
#include "core/DeviceRegRecord.h"
#include "core/HttpClient.h"
#include "fuzz/FuzzHome.h"
#include "fuzz/FuzzPresenter.h"
#include "fuzz/FuzzServer.h"
#include "platform/display/Display.h"
#include "platform/win/Message.h"
#include "shell/LogonWnd.h"
#include "shell/RegisterVerifyFrame.h"
#include "shell/WndManager.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace {

// The windows without their next request: a fuzzed "servurl" must never be connected to.
class QuietLogon : public CLogonWnd {
public:
    QuietLogon() : CLogonWnd(u"Morwick", nullptr) {}
    void Request() override {}
};

class QuietSignUp : public CRegisterVerifyFrame {
public:
    QuietSignUp() : CRegisterVerifyFrame(nullptr, "DB A", "help") {}
    void Request() override {}
};

void NoUpdate(const char*) {}

const char* const REQUESTS[] = {
    "tc_mfuncno=100&tc_sfuncno=1&loginType=0",
    "tc_mfuncno=100&tc_sfuncno=1&loginType=1&loginID=13800138000&loginPwd=0",
    "tc_mfuncno=100&tc_sfuncno=2&curver=3.2.2.0.0&lastver=3.2.2.0.9",
    "tc_mfuncno=100&tc_sfuncno=3&mobile=13800138000",
    "tc_mfuncno=100&tc_sfuncno=3&mobile=1",
};
constexpr int REPLY_COUNT = sizeof REQUESTS / sizeof REQUESTS[0];

struct Windows {
    FuzzPresenter presenter;
    std::vector<std::string> replies;
    QuietLogon logon;
    QuietSignUp signUp;

    Windows()
    {
        FuzzHomePath();
        morwick::display::StartDisplay();
        CAppData* app = CAppData::Instance();
        app->SetMessagePresenter(&presenter);
        app->GetHttpClient()->SetServer("127.0.0.1", 1);
        CLogonWnd::SetUpdateStarter(NoUpdate);
        CServerFunctions functions(FrozenServerOptions(), nullptr);
        functions.SetCompressMode(0);
        functions.SetCipherMode(0);
        std::string common = "hwID=1,2&softName=RuvAv&";
        for (const char* request : REQUESTS)
            replies.push_back(functions.Handle(common + request).body);
        RECT work;
        CWndManager::GetInstance()->GetWorkRect(&work);
        logon.Create(work.left, work.top, work.right - work.left, work.bottom - work.top, nullptr);
        signUp.Create(work.left, work.top, work.right - work.left, work.bottom - work.top, nullptr);
    }
};

// What the windows posted to themselves (the next window, the time-out's timer) is dropped: each input starts
// from the same screen.
void DropPostedMessages()
{
    MSG msg;
    for (int i = 0; i < 10000 && PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE); ++i) {
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Windows windows;
    if (size < 1 || size > 64 * 1024)
        return 0;
    uint8_t how = data[0];
    int start = (how >> 3) % (REPLY_COUNT + 1);
    std::string reply;
    if (start == REPLY_COUNT) {
        reply.assign(reinterpret_cast<const char*>(data + 1), size - 1);
    } else {
        reply = OverlaidReply(windows.replies[(size_t)start], data + 1, size - 1);
    }

    CAppData* app = CAppData::Instance();
    app->SetVersion("3.2.2.0.0");
    static int signedUp = -1;
    if (signedUp != (how & 4)) {
        signedUp = how & 4;
        DeviceRegRecord* record = app->GetDeviceRecord();
        record->Set(signedUp ? u"13800138000" : u"", signedUp ? u"4711" : u"", nullptr, nullptr);
        record->Save();
    }
    const BYTE* bytes = reinterpret_cast<const BYTE*>(reply.data());
    if (how & 1) {
        windows.signUp.SetSignUpState((how & 2) ? CRegisterVerifyFrame::CONFIG_SENT : CRegisterVerifyFrame::LOGIN);
        windows.signUp.OnReply(bytes, (int)reply.size(), 0);
    } else {
        windows.logon.SetState((how & 2) ? CLogonWnd::CONFIG : CLogonWnd::LOGIN_SENT);
        windows.logon.OnReply(bytes, (int)reply.size(), 0);
    }
    app->GetHttpClient()->SetServer("127.0.0.1", 1);
    DropPostedMessages();
    return 0;
}
