// The networked window's test fixture: a probe window whose request is a fixed text and which records every reply,
// and a fixture with the stand-in server running, windows made and pumped until their replies come.
#pragma once

#include "shell/NetWnd.h"

#include "tests/support/WindowFixture.h"
#include "core/DataSet.h"
#include "core/NetThread.h"
#include "core/ReplyRecordSet.h"

#include <chrono>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

struct ReplySeen {
    int transportFailed;
    bool error;
    std::string errorText;
    std::string firstSetName;
};

// A window whose request is a fixed text and which records every reply it is given.
class ProbeWnd : public CNetWnd {
public:
    ProbeWnd(std::string text) : CNetWnd(u"测试", nullptr), text(std::move(text)) {}
    LPCWSTR GetMzClassName() override { return u"TestProbeNetWnd"; }
    int BuildRequest(char* part, int capacity, const char*) override
    {
        if (text.empty() || (int)text.size() >= capacity)
            return 0;
        memcpy(part, text.c_str(), text.size() + 1);
        ++builds;
        return 1;
    }
    void OnReply(const BYTE* data, int length, int transportFailed) override
    {
        CReplyRecordSet reply(data, (DWORD)length);
        ReplySeen seen{transportFailed, reply.hasError != 0, reply.GetErrorText(), ""};
        CDataSet* first = *reply.GetRecord(0);
        if (first != nullptr && first->GetName() != nullptr)
            seen.firstSetName = first->GetName();
        replies.push_back(seen);
    }
    std::string text;
    int builds = 0;
    std::vector<ReplySeen> replies;
};

class NetWndTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        StartServer();
    }
    void TearDown() override
    {
        for (ProbeWnd* w : windows) {
            delete w;
        }
        WindowTest::TearDown();
    }
    ProbeWnd* MakeWindow(const std::string& text)
    {
        auto* w = new ProbeWnd(text);
        RECT work = WorkRect();
        w->Create(work.left, work.top, work.right - work.left, work.bottom - work.top, nullptr);
        windows.push_back(w);
        return w;
    }
    // Pumps until the window has seen n replies and its worker is idle, or a few seconds pass.
    bool WaitForReplies(ProbeWnd* w, size_t n)
    {
        auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (std::chrono::steady_clock::now() < until) {
            PumpMessages();
            if (w->replies.size() >= n && w->GetWorker() != nullptr && w->IsWorkerIdle(0)) {
                PumpMessages();
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        return false;
    }
    // Logs the application in through the window's own silent log-in.
    void LogIn(ProbeWnd* w)
    {
        // With no text of its own the window sends nothing after the log-in.
        std::string text = w->text;
        w->text.clear();
        w->Relogin();
        auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (std::chrono::steady_clock::now() < until && CAppData::Instance()->GetSessionString()[0] == 0) {
            PumpMessages();
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        WaitForReplies(w, 0);
        w->text = text;
    }

    std::vector<ProbeWnd*> windows;
};

// The value of the field name in a request text; "<none>" when it is not there.
inline std::string Field(const std::string& text, const std::string& name)
{
    size_t at = text.find(name + "=");
    if (at == std::string::npos || (at > 0 && text[at - 1] != '&'))
        return "<none>";
    size_t start = at + name.size() + 1;
    size_t end = text.find('&', start);
    return text.substr(start, end == std::string::npos ? std::string::npos : end - start);
}
