// Logs the application data in to trading against the stand-in server, as the trade log-in window would: the
// session first, then the trade log-in as the helper window's own request; the reply's trade accounts and trade
// session go to the application data. Call it after the server is up.
#pragma once

#include "core/AppData.h"
#include "core/DataSet.h"
#include "core/ReplyRecordSet.h"
#include "shell/NetWnd.h"
#include "tests/support/WindowFixture.h"

#include <cstdio>
#include <string>

class TradeSessionWnd : public CNetWnd {
public:
    TradeSessionWnd(const char* account, const char* password)
        : CNetWnd(u"交易登录", nullptr),
          fields(std::string("tc_mfuncno=600&tc_sfuncno=1&account=") + account + "&password=" + password)
    {
        encrypt = 1;
    }
    int BuildRequest(char* part, int capacity, const char*) override
    {
        return snprintf(part, (size_t)capacity, "%s", fields.c_str()) > 0;
    }
    void OnReply(const BYTE* data, int length, int) override
    {
        CReplyRecordSet reply(data, (DWORD)length);
        CDataSet** accounts = reply.GetRecord(0);
        CDataSet* trade = *reply.GetRecord(1);
        if (reply.hasError || *accounts == nullptr || trade == nullptr)
            return;
        trade->MoveFirst();
        CAppData::Instance()->SetTradeSession(trade->GetAsText("session"));
        CAppData::Instance()->SetTradeAccounts(*accounts);
        *accounts = nullptr;
        done = true;
    }
    bool done = false;

private:
    std::string fields;
};

// True when the application data holds the account's trade session afterwards.
inline bool LogInToTrading(const RECT& work, const char* account, const char* password)
{
    TradeSessionWnd login(account, password);
    login.Create(work.left, work.top, work.right - work.left, work.bottom - work.top, nullptr);
    login.Relogin();
    return ::PumpUntil([&] { return login.done; }) && login.done;
}
