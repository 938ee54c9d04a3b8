// The log-on window's request and reply handling, the sign-up frame's hint and the home frame's grid, menus and
// traffic totals, on the headless screen without a server.
#include "shell/LogonWnd.h"

#include "tests/support/WindowFixture.h"
#include "core/DeviceRegRecord.h"
#include "core/Md5.h"
#include "core/TextHelpers.h"
#include "platform/device/RsaKeyPair.h"
#include "server/DataSetWriter.h"
#include "shell/QXAppFrame.h"
#include "shell/RegisterVerifyFrame.h"
#include "shell/SendSmsWnd.h"

#include <regex>
#include <string>
#include <vector>

namespace {

std::string Md5Hex(const std::string& text)
{
    MD5Context md5;
    MD5Init(&md5);
    MD5Update(&md5, (const BYTE*)text.data(), (uint32_t)text.size());
    BYTE digest[16];
    MD5Final(&md5, digest);
    char hex[33];
    HexEncode(digest, 16, hex, 0);
    hex[32] = 0;
    return hex;
}

const CRsaKeyPair& TestKeys()
{
    static CRsaKeyPair keys;
    static bool made = keys.Generate(2048) != 0;
    EXPECT_TRUE(made);
    return keys;
}

class TestLogon : public CLogonWnd {
public:
    TestLogon() : CLogonWnd(u"Morwick", nullptr) {}
    using CLogonWnd::HandleLoginReply;
};

class TestFrame : public CQXAppFrame {
public:
    TestFrame() : CQXAppFrame(u"Morwick", nullptr) {}
};

} // namespace

class LogonFlowTest : public WindowTest {
protected:
    std::string LoginPart(CLogonWnd& w)
    {
        char part[CNetWnd::REQUEST_CAPACITY];
        EXPECT_EQ(w.BuildRequest(part, sizeof part, ""), 1);
        return part;
    }
};

TEST_F(LogonFlowTest, TheLogInCarriesTheEncipheredKeyAndOnlyADigestOfTheSignUpCode)
{
    TestLogon w;
    w.SetState(CLogonWnd::LOGIN_SENT);
    // No public key: the request goes with an empty window part.
    EXPECT_EQ(LoginPart(w), "");

    ASSERT_TRUE(TestKeys().ExportPublicKey(home.Path() + "pubkey.bin"));
    std::string part = LoginPart(w);
    EXPECT_TRUE(std::regex_match(part, std::regex("userKey=[0-9a-f]{512}&loginType=0"))) << part;

    DeviceRegRecord record;
    record.Set(u"13800138000", u"4711", nullptr, nullptr);
    ASSERT_EQ(record.Save(), 1);
    part = LoginPart(w);
    std::smatch m;
    ASSERT_TRUE(std::regex_match(part, m,
                                 std::regex("userKey=[0-9a-f]{512}&loginType=1&loginID=13800138000"
                                            "&loginPwd=([0-9a-f]{32})")))
        << part;
    EXPECT_EQ(m[1].str(), Md5Hex("138001380004711"));
    EXPECT_EQ(part.find("4711&"), std::string::npos);

    // The configuration request goes enciphered with both versions.
    w.SetState(CLogonWnd::CONFIG);
    CAppData::Instance()->SetVersion("3.2.2.0.9");
    char text[256];
    ASSERT_EQ(w.BuildRequest(text, sizeof text, ""), 1);
    EXPECT_STREQ(text, "&curver=3.2.2.0.0&lastver=3.2.2.0.9");
    EXPECT_EQ(w.encrypt, 1);
    // A buffer too small for it sends nothing rather than a cut request.
    EXPECT_EQ(w.BuildRequest(text, 20, ""), 0);
    w.SetState(CLogonWnd::FAILED);
    EXPECT_EQ(w.BuildRequest(text, sizeof text, ""), 0);
}

TEST_F(LogonFlowTest, RepliesLeadToTheSignUpToTheConfigurationOrToNothing)
{
    TestLogon w;
    RECT work = WorkRect();
    ASSERT_TRUE(w.Create(work.left, work.top, work.right - work.left, work.bottom - work.top));

    // An error set: its text with the advice, and the window gives up.
    std::string error = ErrorSet(WideToAnsiString(u"会话无效"));
    w.SetState(CLogonWnd::LOGIN_SENT);
    w.OnReply((const BYTE*)error.data(), (int)error.size(), 0);
    EXPECT_EQ(w.GetState(), CLogonWnd::FAILED);
    ASSERT_EQ(messages.Texts().size(), 1u);
    EXPECT_EQ(messages.Texts()[0], u"会话无效请单击窗口退出稍后再试！");

    // Refused without an identity: no message, straight to the sign-up; the texts are kept for it.
    CDataSetWriter refused("login");
    int isok = refused.AddField("isok", FIELD_INT);
    int reginfo = refused.AddField("reginfo", FIELD_TEXT);
    int version = refused.AddField("prd_soft_versn", FIELD_TEXT);
    refused.AddRow();
    refused.SetInt(isok, 0);
    refused.SetText(reginfo, "DB A");
    refused.SetText(version, "3.2.2.0.0");
    std::string bytes = refused.ToBytes();
    w.SetState(CLogonWnd::LOGIN_SENT);
    w.OnReply((const BYTE*)bytes.data(), (int)bytes.size(), 0);
    EXPECT_EQ(w.GetState(), CLogonWnd::SIGN_UP);
    EXPECT_STREQ(w.GetRegInfo(), "DB A");
    EXPECT_EQ(messages.Texts().size(), 1u);

    // Accepted with a newer fifth version component: the configuration is fetched first.
    CDataSetWriter accepted("login");
    isok = accepted.AddField("isok", FIELD_INT);
    version = accepted.AddField("prd_soft_versn", FIELD_TEXT);
    int session = accepted.AddField("session", FIELD_TEXT);
    accepted.AddRow();
    accepted.SetInt(isok, 2);
    accepted.SetText(version, "3.2.2.0.5");
    accepted.SetText(session, "S1");
    bytes = accepted.ToBytes();
    w.SetState(CLogonWnd::LOGIN_SENT);
    w.OnReply((const BYTE*)bytes.data(), (int)bytes.size(), 0);
    EXPECT_EQ(w.GetState(), CLogonWnd::CONFIG);
    EXPECT_STREQ(CAppData::Instance()->GetSessionString(), "S1");

    // A configuration reply that brings nothing usable, with no earlier files: the error, no main frame.
    CDataSetWriter empty("sys.menu");
    empty.AddField("id", FIELD_INT);
    bytes = empty.ToBytes();
    w.OnReply((const BYTE*)bytes.data(), (int)bytes.size(), 0);
    EXPECT_EQ(w.GetState(), CLogonWnd::CONFIG); // a set without rows, first and last: the window keeps waiting
    CDataSetWriter conf("sys.conf");
    conf.AddField("k", FIELD_TEXT);
    conf.AddRow();
    bytes = conf.ToBytes() + empty.ToBytes();
    w.OnReply((const BYTE*)bytes.data(), (int)bytes.size(), 0);
    EXPECT_EQ(w.GetState(), CLogonWnd::FAILED);
    EXPECT_EQ(messages.Texts().back(), u"取配置信息错误");
    // The sign-up step posted above is left to die with the window: it would open the frame modally here.
}

TEST_F(LogonFlowTest, AServerAheadInItsFirstOrSecondComponentShowsBothUpdateBoxesAndStartsTheUpdate)
{
    static std::vector<std::string> started;
    started.clear();
    CLogonWnd::SetUpdateStarter([](const char* notes) { started.push_back(notes); });
    DeviceRegRecord record;
    record.Set(u"13800138000", u"4711", nullptr, nullptr);
    ASSERT_EQ(record.Save(), 1);
    TestLogon w;
    RECT work = WorkRect();
    ASSERT_TRUE(w.Create(work.left, work.top, work.right - work.left, work.bottom - work.top));
    const std::u16string first = u"系统需要升级，升级过程中不影响您的使用！";
    const std::u16string second = u"提示：升级前请删除\n\\My Documents\\\nkorvatRuvAv.CAB！";
    struct {
        const char* server; // the local version is 3.2.2.0.0
        bool update;
        int state;
    } cases[] = {
        {"4.2.2.0.0", true, CLogonWnd::DONE},    {"3.3.2.0.0", true, CLogonWnd::DONE},
        {"3.3.2.1.0", true, CLogonWnd::CONFIG},  {"3.2.3.0.0", false, CLogonWnd::DONE},
        {"3.2.2.1.0", false, CLogonWnd::CONFIG}, {"3.2.2.0.0", false, CLogonWnd::DONE},
    };
    for (const auto& c : cases) {
        messages.Clear();
        started.clear();
        CDataSetWriter reply("login");
        int isok = reply.AddField("isok", FIELD_INT);
        int version = reply.AddField("prd_soft_versn", FIELD_TEXT);
        int notes = reply.AddField("prd_updateinfo", FIELD_TEXT);
        reply.AddRow();
        reply.SetInt(isok, 1);
        reply.SetText(version, c.server);
        reply.SetText(notes, "N");
        std::string bytes = reply.ToBytes();
        w.SetState(CLogonWnd::LOGIN_SENT);
        w.OnReply((const BYTE*)bytes.data(), (int)bytes.size(), 0);
        EXPECT_EQ(w.GetState(), c.state) << c.server;
        std::vector<MessageLog::Shown> boxes = messages.Boxes();
        if (!c.update) {
            EXPECT_TRUE(boxes.empty()) << c.server;
            EXPECT_TRUE(started.empty()) << c.server;
            continue;
        }
        ASSERT_EQ(boxes.size(), 2u) << c.server;
        EXPECT_EQ(boxes[0].text, first);
        EXPECT_EQ(boxes[1].text, second);
        EXPECT_EQ(boxes[0].caption, u"tips");
        EXPECT_EQ(boxes[1].caption, u"tips");
        EXPECT_EQ(started, std::vector<std::string>{"N"}) << c.server;
    }
    CLogonWnd::SetUpdateStarter(nullptr);
}

TEST_F(LogonFlowTest, TheSignUpHintCompletesTheFirstSignUpWordOrNamesTheConfiguredText)
{
    CRegisterVerifyFrame plain(nullptr, WideToAnsiString(u"发送DB A到号码，DB A不变").c_str(), "help");
    EXPECT_EQ(std::u16string(plain.GetHint()), u"发送DB A1212到号码，DB A不变");
    EXPECT_STREQ(plain.GetHelpText(), "help");
    CRegisterVerifyFrame without(nullptr, "no word here", nullptr);
    EXPECT_EQ(std::u16string(without.GetHint()), u"no word here");
    EXPECT_STREQ(without.GetHelpText(), "");
    CRegisterVerifyFrame none(nullptr, nullptr, nullptr);
    EXPECT_EQ(std::u16string(none.GetHint()), u"");

    ASSERT_TRUE(CAppData::Instance()->SetConfig("Sms_Content", "DB A99", 0));
    CRegisterVerifyFrame configured(nullptr, "DB A", nullptr);
    EXPECT_EQ(std::u16string(configured.GetHint()),
              std::u16string(u"提示：发送短信DB A99至") + SMS_SERVICE_NUMBER + u"注册后才能登录(免费使用)");
}

TEST_F(LogonFlowTest, TheHomeGridFollowsTheScreenAndWithoutMenusEveryEntryTellsWhy)
{
    CQXAppFrame::GridMetrics portrait = CQXAppFrame::ComputeGrid(1, 480, 720 - 42);
    EXPECT_EQ(portrait.x0, 20);
    EXPECT_EQ(portrait.x0 + 2 * portrait.columnStep, 344);
    CQXAppFrame::GridMetrics landscape = CQXAppFrame::ComputeGrid(0, 720, 480 - 42);
    EXPECT_EQ(landscape.x0, 114);
    EXPECT_EQ(landscape.x0 + 2 * landscape.columnStep, 490);
    CQXAppFrame::GridMetrics odd = CQXAppFrame::ComputeGrid(7, 720, 480);
    EXPECT_EQ(odd.x0 + odd.columnStep + odd.rowStep + odd.y0, 0);

    TestFrame frame;
    RECT work = WorkRect();
    ASSERT_TRUE(frame.Create(work.left, work.top, work.right - work.left, work.bottom - work.top));
    EXPECT_EQ(CAppData::Instance()->GetMenuTree(), nullptr);
    EXPECT_EQ(frame.GetButton(0).GetID(), 103);
    EXPECT_EQ(frame.GetButton(8).GetID(), 111);
    frame.PostMessage(MZ_WM_COMMAND, MAKELONG(104, 0), 0);
    PumpMessages();
    ASSERT_EQ(messages.Texts().size(), 2u);
    EXPECT_EQ(messages.Texts()[0], u"数据文件丢失，请重新安装Morwick！");
    EXPECT_EQ(messages.Texts()[1], u"Show window error！");
}

TEST_F(LogonFlowTest, TrafficTotalsAddThisRunAndNeverWrapAround)
{
    CAppData* app = CAppData::Instance();
    TestFrame frame;
    app->AddTraffic(1500, 0);
    app->AddTraffic(30000, 1);
    frame.SaveTrafficTotals();
    EXPECT_STREQ(app->GetConfig("Upload_Bytes"), "1500");
    EXPECT_STREQ(app->GetConfig("Download_Bytes"), "30000");

    ASSERT_TRUE(app->SetConfig("Upload_Bytes", "2147483000", 0));
    frame.SaveTrafficTotals();
    EXPECT_STREQ(app->GetConfig("Upload_Bytes"), "2147483647");
}

TEST_F(LogonFlowTest, SignUpWritesNumberAndCodeWhereThisRunsRequestsReadThemAndAnEmptyConfigurationIsReported)
{
    CAppData* app = CAppData::Instance();
    app->SetVersion(app->GetConfig("System_Version")); // no configuration download after the code
    CRegisterVerifyFrame frame(nullptr, "DB A", nullptr);
    RECT work = WorkRect();
    ASSERT_TRUE(frame.Create(work.left, work.top, work.right - work.left, work.bottom - work.top));

    // A configuration reply that holds no data set at all: the user is told, and may log in again.
    frame.SetSignUpState(CRegisterVerifyFrame::CONFIG_SENT);
    frame.OnReply((const BYTE*)"\x07\x07\x07\x07", 4, 0);
    ASSERT_EQ(messages.Texts().size(), 1u);
    EXPECT_EQ(messages.Texts()[0], u"取配置信息错误");
    EXPECT_EQ(frame.GetSignUpState(), CRegisterVerifyFrame::IDLE);
    // Nor is a menu set without rows a configuration: no empty menu is taken as this version's.
    CDataSetWriter emptyMenu("sys.menu");
    emptyMenu.AddField("id", FIELD_INT);
    std::string empty = emptyMenu.ToBytes();
    frame.SetSignUpState(CRegisterVerifyFrame::CONFIG_SENT);
    frame.OnReply((const BYTE*)empty.data(), (int)empty.size(), 0);
    ASSERT_EQ(messages.Texts().size(), 2u);
    EXPECT_EQ(messages.Texts()[1], u"取配置信息错误");
    EXPECT_EQ(frame.GetSignUpState(), CRegisterVerifyFrame::IDLE);

    // The number goes into the record this run's common fields read ("netaddr"), and so does the code.
    frame.GetNumberEdit().SetText(u"13800138000");
    frame.SetSignUpState(CRegisterVerifyFrame::LOGIN);
    char part[CNetWnd::REQUEST_CAPACITY];
    ASSERT_EQ(frame.BuildRequest(part, sizeof part, ""), 1);
    EXPECT_EQ(std::u16string(app->GetMobileNumber()), u"13800138000");
    CDataSetWriter code("reg");
    code.AddField("code", FIELD_TEXT);
    code.AddRow();
    code.SetText(0, "4711");
    std::string bytes = code.ToBytes();
    frame.OnReply((const BYTE*)bytes.data(), (int)bytes.size(), 0);
    EXPECT_EQ(std::u16string(app->GetDeviceRecord()->GetOn()), u"4711");
    EXPECT_EQ(frame.GetSignUpState(), CRegisterVerifyFrame::DONE);
}

TEST_F(LogonFlowTest, AReplyWithNothingInItKeepsTheTimeOutCounting)
{
    TestLogon w;
    RECT work = WorkRect();
    ASSERT_TRUE(w.Create(work.left, work.top, work.right - work.left, work.bottom - work.top));
    w.SetState(CLogonWnd::LOGIN_SENT);
    CDataSetWriter empty("login");
    empty.AddField("isok", FIELD_INT);
    std::string bytes = empty.ToBytes();
    w.OnReply((const BYTE*)bytes.data(), (int)bytes.size(), 0);
    EXPECT_EQ(w.GetState(), CLogonWnd::LOGIN_SENT);
    int ticks = w.GetTickCount();
    EXPECT_TRUE(PumpUntil([&] { return w.GetTickCount() > ticks; }));
}

TEST_F(LogonFlowTest, AfterHandingOverTheLogOnWindowIsGoneAndTheMainFrameIsWhatASecondStartFinds)
{
    auto* logon = new TestLogon();
    RECT work = WorkRect();
    ASSERT_TRUE(logon->Create(work.left, work.top, work.right - work.left, work.bottom - work.top));
    ASSERT_NE(FindWindowW(u"CLogonWnd", nullptr), nullptr);
    logon->PostMessage(WM_DEFERRED_STEP, CLogonWnd::STEP_MAIN_FRAME, 0);
    ASSERT_TRUE(PumpUntil([&] { return !CBaseWnd::IsLiveWindow(logon); }));
    EXPECT_EQ(FindWindowW(u"CLogonWnd", nullptr), nullptr);
    HWND frame = FindWindowW(u"CQXAppFrame", nullptr);
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame, CAppData::Instance()->GetMainFrameWnd());
    delete CBaseWnd::FromHandleBase(frame);
}
