// What the chart tests share: the window fixture's frozen stand-in server (60 minutes into Monday 8 December 2025)
// whose configuration is the client's cached "config", chart windows that count their replies and end the windows
// they open once those have what the test waits for, and the window openings other screens ask for.
#pragma once

#include "charts/ChartView.h"
#include "core/ConfigStore.h"
#include "core/DataSet.h"
#include "core/NetThread.h"
#include "core/TextHelpers.h"
#include "server/DataSetWriter.h"
#include "server/HttpServer.h"
#include "server/ServerFunctions.h"
#include "server/ServerText.h"
#include "shell/NetWnd.h"
#include "platform/win/Gdi.h"
#include "tests/support/WindowFixture.h"

#include <chrono>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

inline std::string Gb(const char16_t* text)
{
    char* narrow = nullptr;
    WideToAnsi(text, &narrow);
    std::string s = narrow != nullptr ? narrow : "";
    free(narrow);
    return s;
}

inline COLORREF Scheme(int index)
{
    return CAppData::Instance()->GetColor(index);
}

// A chart view painted on its own into memory, as the window would paint it.
class Canvas {
public:
    explicit Canvas(CChartView* view)
    {
        RECT r = view->GetRect();
        dc = CreateCompatibleDC(nullptr);
        bitmap = CreateCompatibleBitmap(dc, r.right + 1, r.bottom + 1);
        old = SelectObject(dc, bitmap);
        view->PaintWin(dc, &r, &r);
    }
    ~Canvas()
    {
        SelectObject(dc, old);
        DeleteDC(dc);
        DeleteObject(bitmap);
    }
    COLORREF At(int x, int y) const { return GetPixel(dc, x, y); }
    int Count(COLORREF c, const RECT& r) const
    {
        int n = 0;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x)
                n += At(x, y) == c;
        return n;
    }

private:
    HDC dc;
    HBITMAP bitmap;
    HGDIOBJ old;
};

// A window opened by key, as the factory would have been asked.
struct OpenedWindow {
    std::string key, title, info, params;
};
inline std::vector<OpenedWindow>& OpenedWindows()
{
    static std::vector<OpenedWindow> opened;
    return opened;
}
inline int RecordOpening(const char* key, int, const char* title, const char* info, const char* params, int, HWND)
{
    OpenedWindows().push_back({key ? key : "", title ? title : "", info ? info : "", params ? params : ""});
    return 1;
}

// A window under test that counts its replies. The windows it runs itself (deals, radar, the parameter picker)
// get `whileChildOpen` called on every turn of their modal loop until it says they may end (at most 30 s).
constexpr UINT WM_TEST_POLL_CHILD = 0x8401;
template <class Base> class Probe : public Base {
public:
    Probe() : Base(u"", nullptr) {}
    void OnReply(const BYTE* data, int length, int failed) override
    {
        Base::OnReply(data, length, failed);
        ++replies;
    }
    void RunChild(CBaseWnd* child, const char* params) override
    {
        children.push_back(child->GetMzClassName());
        open = child;
        giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        this->PostMessage(WM_TEST_POLL_CHILD, 0, 0);
        Base::RunChild(child, params);
        open = nullptr;
    }
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message != WM_TEST_POLL_CHILD)
            return Base::WindowProc(message, wParam, lParam);
        if (open != nullptr && CBaseWnd::IsLiveWindow(open)) {
            bool done = std::chrono::steady_clock::now() > giveUp || !whileChildOpen || whileChildOpen(open);
            if (done && !CNetThread::AnyRequestUnderWay())
                ::PostMessage(open->m_hWnd, WM_END_WND, 0, END_BACK);
            else {
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
                this->PostMessage(WM_TEST_POLL_CHILD, 0, 0);
            }
        }
        return 1;
    }
    int replies = 0;
    std::vector<std::u16string> children;
    std::function<bool(CBaseWnd*)> whileChildOpen;

private:
    CBaseWnd* open = nullptr;
    std::chrono::steady_clock::time_point giveUp;
};

class ChartWindowTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        StartServer();
        WriteServerConfig();
        OpenedWindows().clear();
        CNetWnd::SetWindowOpener(RecordOpening);
    }
    void TearDown() override
    {
        CNetWnd::SetWindowOpener(nullptr);
        WindowTest::TearDown();
    }
    // The server's configuration table saved as the client saves it after log-on.
    void WriteServerConfig()
    {
        CDataSetWriter set("config");
        set.AddField("key", FIELD_TEXT);
        set.AddField("value", FIELD_TEXT);
        for (const auto& pair : CServerFunctions::ConfigPairs()) {
            set.AddRow();
            set.SetText(0, pair.first);
            set.SetText(1, Gb(pair.second)); // UTF-8 in the server's source, GB2312 in the file
        }
        std::string bytes = set.ToBytes();
        CAppData::Instance()->GetConfigStore()->WriteDataFile("config", (const BYTE*)bytes.data(), (UINT)bytes.size());
    }
    // The text with each "{600010}" written as that stock's code.market and each "{600010:2}" with a two-digit
    // market, whatever numbers the server gives its markets.
    std::string M(const std::string& text) const
    {
        std::string out;
        size_t at = 0;
        for (size_t open = text.find('{'); open != std::string::npos; open = text.find('{', at)) {
            size_t close = text.find('}', open);
            std::string code = text.substr(open + 1, close - open - 1);
            bool twoDigits = code.size() > 2 && code.compare(code.size() - 2, 2, ":2") == 0;
            if (twoDigits)
                code.resize(code.size() - 2);
            const CSecurity* s = server->functions.Market().Find(0, code);
            char market[8];
            snprintf(market, sizeof market, twoDigits ? "%02d" : "%d", s != nullptr ? s->market : 0);
            out += text.substr(at, open - at) + code + "." + market;
            at = close + 1;
        }
        return out + text.substr(at);
    }
    // Makes the window with that parameter text (see M), shown over the work area, deleted when the test ends.
    template <class W> W* Make(const std::string& params, const char* info = "")
    {
        W* w = Adopt(new W());
        w->OnInitParam(-1, info, M(params).c_str());
        RECT work = WorkRect();
        EXPECT_TRUE(w->Create(work.left, work.top, work.right - work.left, work.bottom - work.top, nullptr));
        ShowWindow(w->m_hWnd, SW_SHOW);
        return w;
    }
    // Activates the window (its first activation asks the server) and waits for the reply.
    template <class W> bool Activate(W* w)
    {
        int before = w->replies;
        w->OnActive();
        return PumpUntil([&] { return w->replies > before; });
    }
    template <class W> bool Ask(W* w)
    {
        int before = w->replies;
        w->Request();
        return PumpUntil([&] { return w->replies > before; });
    }
    // The window's own part of its next request.
    static std::string Part(CNetWnd* w)
    {
        char text[CNetWnd::REQUEST_CAPACITY];
        return w->BuildRequest(text, sizeof text, "") ? std::string(text) : std::string();
    }
    void Press(CBaseWnd* w, UINT message, int x, int y) { w->SendMessage(message, MK_LBUTTON, MAKELONG(x, y)); }
    // The text of the last message box or tip.
    std::u16string LastMessage() const { return messages.shown.empty() ? u"" : messages.shown.back().text; }
};
