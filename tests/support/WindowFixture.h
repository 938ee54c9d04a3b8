// The set-up window tests share, so a test says only what it checks.
//
//   class MyWndTest : public WindowTest {};            // program home with the artwork, fresh application data,
//                                                      // portrait screen, every message box recorded in `messages`
//   TEST_F(MyWndTest, X) {
//       StartServer();                                 // stand-in server on an ephemeral port, settings point at it
//       auto* w = Open<CMyWnd>(u"标题", nullptr);       // created over the work area, deleted after the test
//       w->Request();
//       ASSERT_TRUE(PumpUntil([&] { return ...; }));  // pumps until the condition holds and no request is under way
//       EXPECT_TRUE(messages.Saw(u"..."));           // or messages.shown / Boxes() / Tips(): text, caption, time
//   }
//
// `StandInServer` alone serves tests that need no window. `ServerTestKeys()` is the one key pair of the program.
#pragma once

#include "core/AppData.h"
#include "core/NetThread.h"
#include "platform/device/RsaKeyPair.h"
#include "platform/ui/UiEdit.h"
#include "platform/win/Message.h"
#include "platform/win/Shell.h"
#include "platform/win/WinUser.h"
#include "server/HttpServer.h"
#include "server/ServerFunctions.h"
#include "shell/BaseWnd.h"
#include "shell/WndManager.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

// Dispatches what is queued for this thread (at most a few hundred messages, so a window that keeps posting to
// itself cannot hold the test).
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

// Pumps until done() holds and no request of any worker is under way; false after 30 s (sanitizer builds on a busy
// machine are slow, a passing test never waits that long).
inline bool PumpUntil(const std::function<bool()>& done)
{
    auto until = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (std::chrono::steady_clock::now() < until) {
        PumpMessages();
        if (done() && !CNetThread::AnyRequestUnderWay()) {
            PumpMessages();
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return false;
}

// Types as the user does, one character at a time into the field (backspace first to empty it), so that the field's
// own filtering applies, unlike SetText.
inline void TypeInto(UiLineEdit* edit, const std::u16string& text)
{
    while (edit->GetText()[0] != 0)
        edit->OnChar(8);
    for (char16_t ch : text)
        edit->OnChar(ch);
    PumpMessages();
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

// Copies the client's artwork (named images, res/, sys/) into a program home.
inline void CopyArtwork(const std::string& home)
{
    std::error_code ignored;
    std::filesystem::copy(std::filesystem::path(MORWICK_SOURCE_DIR) / "app" / "images", home,
                          std::filesystem::copy_options::recursive | std::filesystem::copy_options::overwrite_existing,
                          ignored);
}

// Every message box and tip the client shows, in order.
class MessageLog : public CMessagePresenter {
public:
    struct Shown {
        std::u16string text;
        std::u16string caption; // empty for a tip
        int milliseconds = 0;   // how long a tip stays; 0 for a box
        bool tip = false;
    };
    void ShowBox(const WCHAR* text, const WCHAR* caption, HWND) override
    {
        shown.push_back({text != nullptr ? text : u"", caption != nullptr ? caption : u"", 0, false});
    }
    void ShowTip(const WCHAR* text, HWND, int milliseconds) override
    {
        shown.push_back({text != nullptr ? text : u"", u"", milliseconds, true});
    }
    // Only the boxes, or only the tips, in order.
    std::vector<Shown> Boxes() const { return Only(false); }
    std::vector<Shown> Tips() const { return Only(true); }
    bool Saw(const std::u16string& text) const
    {
        for (const Shown& s : shown)
            if (s.text == text)
                return true;
        return false;
    }
    std::vector<std::u16string> Texts() const
    {
        std::vector<std::u16string> texts;
        for (const Shown& s : shown)
            texts.push_back(s.text);
        return texts;
    }
    bool Empty() const { return shown.empty(); }
    void Clear() { shown.clear(); }

    std::vector<Shown> shown;

private:
    std::vector<Shown> Only(bool tips) const
    {
        std::vector<Shown> some;
        for (const Shown& s : shown)
            if (s.tip == tips)
                some.push_back(s);
        return some;
    }
};

// morwick-server's functions behind an HTTP server on an ephemeral loopback port, with the program's key pair.
class StandInServer {
public:
    // A frozen market at a known day and minute, no cipher: replies a test can predict.
    static CServerOptions Defaults()
    {
        CServerOptions o = Frozen(7);
        o.cipherMode = 0;
        return o;
    }
    // The market of seed frozen at startMinute of the known day; the server's own cipher rule.
    static CServerOptions Frozen(int seed, int startMinute = 60)
    {
        CServerOptions o;
        o.seed = seed;
        o.startMinute = startMinute;
        o.today = 20251208;
        o.marketMinutesPerSecond = 0;
        return o;
    }
    // port 0 picks one.
    explicit StandInServer(const CServerOptions& options = Defaults(), int port = 0)
        : functions(options, &ServerTestKeys()), http(functions)
    {
        started = http.Start(port, -1) == 1;
    }
    ~StandInServer() { http.Stop(); }
    StandInServer(const StandInServer&) = delete;
    StandInServer& operator=(const StandInServer&) = delete;

    bool Started() const { return started; }
    int Port() const { return http.GetPort(); }
    // The number of open sessions, from the control channel's status; -1 when it cannot be read.
    int Sessions()
    {
        std::string status = http.Control("status");
        size_t at = status.find("sessions ");
        return at == std::string::npos ? -1 : std::atoi(status.c_str() + at + 9);
    }

    CServerFunctions functions;
    CHttpServer http;

private:
    bool started = false;
};

// A program home of its own with the artwork, fresh application data and window manager, the screen in portrait,
// message boxes recorded; a stand-in server on request; windows opened through Open deleted at the end.
class WindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        CopyArtwork(home.Path());
        PortraitScreen();
        RECT work;
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
        CWndManager::GetInstance()->SetWorkAreaTop(work.top);
        CAppData::Instance()->SetScreenMode(0);
        CAppData::Instance()->SetMessagePresenter(&messages);
        TakeShellRecords();
    }
    void TearDown() override
    {
        PumpMessages();
        for (auto it = windows.rbegin(); it != windows.rend(); ++it)
            (*it)();
        windows.clear();
        PumpMessages();
        if (CAppData* app = CAppData::Existing())
            app->SetMessagePresenter(nullptr);
        CAppData::Destroy(); // stops the workers before the server goes
        server.reset();
        PortraitScreen();
        CWndManager::Destroy();
    }

    // Starts the stand-in server and points the application data at it (HTTP, its public key in the home): the
    // shared connection, and in the settings every worker made later (a window's own) reads its server from. Left
    // at the default port, such a worker would talk to whatever listens on 8002 of a shared machine, or fail.
    CServerFunctions& StartServer(const CServerOptions& options = StandInServer::Defaults())
    {
        server = std::make_unique<StandInServer>(options);
        EXPECT_TRUE(server->Started());
        ServerTestKeys().ExportPublicKey(home.Path() + "pubkey.bin");
        CAppData* app = CAppData::Instance();
        app->SetConfig("Connect_Type", "2", 0);
        app->SetConfig("Server_Addr", "127.0.0.1", 0);
        app->SetConfig("Server_Port", std::to_string(server->Port()).c_str(), 0);
        app->GetHttpClient()->SetServer("127.0.0.1", server->Port());
        app->GetHttpClient()->SetGateway("127.0.0.1", server->Port());
        return server->functions;
    }

    // Makes W(args...), creates it over the work area with no owner, and deletes it when the test ends.
    template <class W, class... Args> W* Open(Args&&... args)
    {
        W* w = Adopt(new W(std::forward<Args>(args)...));
        RECT work = WorkRect();
        EXPECT_TRUE(w->Create(work.left, work.top, work.right - work.left, work.bottom - work.top, nullptr));
        return w;
    }
    // A window the test made itself, deleted when the test ends (before the application data goes).
    template <class W> W* Adopt(W* w)
    {
        windows.push_back([w] { delete w; });
        return w;
    }

    RECT WorkRect()
    {
        RECT work;
        CWndManager::GetInstance()->GetWorkRect(&work);
        return work;
    }

    ScopedProgramHome home;
    MessageLog messages;
    std::unique_ptr<StandInServer> server;

private:
    std::vector<std::function<void()>> windows;
};
