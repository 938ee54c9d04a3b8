// What the trading window tests share: the stand-in server with its simulated brokerage, the user's branch
// office on file, a trade log-in through the log-in window, and windows opened with their menu parameters.
#pragma once

#include "core/AppData.h"
#include "shell/NetWnd.h"
#include "tests/support/WindowFixture.h"
#include "trading/BranchOffices.h"
#include "trading/QXTradeLoginWnd.h"
#include "trading/TradeText.h"

#include <string>
#include <vector>

struct OpenedWindow {
    std::string key, title, params;
};

class TradingWindowTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        StartServer();
        SaveBranchOffices({{"0101", GbFromWide(u"北京金融街营业部")}, {"0102", GbFromWide(u"北京中关村营业部")}});
        opened.clear();
        CNetWnd::SetWindowOpener(RecordOpen);
    }
    void TearDown() override
    {
        CNetWnd::SetWindowOpener(nullptr);
        WindowTest::TearDown();
    }

    // The log-in window with the session made first (as the log-on would have), not yet logging in.
    CQXTradeLoginWnd* OpenLogIn(HWND owner = nullptr)
    {
        auto* login = Adopt(new CQXTradeLoginWnd(u"交易登录", owner));
        RECT work = WorkRect();
        EXPECT_TRUE(login->Create(work.left, work.top, work.right - work.left, work.bottom - work.top, owner));
        login->SetDeletedByCreator(); // as ShowTradeLogin runs it
        login->Relogin();
        EXPECT_TRUE(PumpUntil([&] { return !login->IsReloginPending(); }));
        return login;
    }
    // Types account and password and taps "登录"; true when the application data is logged in to trading.
    bool LogIn(CQXTradeLoginWnd* login, const char16_t* account, const char16_t* password)
    {
        login->GetAccountEdit()->SetText(account);
        login->GetPasswordEdit()->SetText(password);
        login->OnActionButton();
        EXPECT_TRUE(PumpUntil([&] { return !login->IsLoggingIn(); }));
        return CAppData::Instance()->HasTradeAccounts() != 0;
    }
    bool LogIn(const char16_t* account = u"880012345", const char16_t* password = u"123456")
    {
        return LogIn(OpenLogIn(), account, password);
    }
    // A factory window: parameters handed over as the factory would (before Create when first is set).
    template <class W> W* OpenWith(const char* params, bool first = false)
    {
        auto* w = Adopt(new W(u"窗口", nullptr));
        if (first)
            w->OnInitParam(-1, "", params);
        RECT work = WorkRect();
        EXPECT_TRUE(w->Create(work.left, work.top, work.right - work.left, work.bottom - work.top, nullptr));
        if (!first)
            w->OnInitParam(-1, "", params);
        return w;
    }
    bool Sees(const std::u16string& text) { return messages.Saw(text); }
    bool SeesStart(const std::u16string& start)
    {
        for (const auto& s : messages.shown)
            if (s.text.rfind(start, 0) == 0)
                return true;
        return false;
    }

    static int RecordOpen(const char* key, int, const char* title, const char*, const char* params, int, HWND)
    {
        opened.push_back({key != nullptr ? key : "", title != nullptr ? title : "", params != nullptr ? params : ""});
        return 1;
    }
    static inline std::vector<OpenedWindow> opened;
};
