// The text-message window on the headless screen: who the message goes to, sending, an empty text, a phone that
// refuses to send, and cancel.
#include "shell/SendSmsWnd.h"

#include "tests/support/WindowFixture.h"
#include "platform/device/PhoneProfile.h"
#include "platform/device/Sms.h"

#include <fstream>
#include <sstream>
#include <vector>

namespace {

class TipRecorder : public CMessagePresenter {
public:
    void ShowBox(const WCHAR* text, const WCHAR*, HWND) override { shown.emplace_back(text); }
    void ShowTip(const WCHAR* text, HWND, int ms) override
    {
        shown.emplace_back(text);
        lastMs = ms;
        if (onTip)
            onTip();
    }
    std::vector<std::u16string> shown;
    int lastMs = 0;
    std::function<void()> onTip;
};

std::string Outbox()
{
    std::ifstream in(SmsOutboxPath());
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void PressCommand(CSendSmsWnd& w, int button)
{
    w.PostMessage(MZ_WM_COMMAND, MAKELONG(ID_COMMAND_BAR, 0), button);
}

} // namespace

class SendSmsWndTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        CAppData::Instance()->SetMessagePresenter(&tips);
    }
    void TearDown() override
    {
        CAppData::Instance()->SetMessagePresenter(nullptr);
        WindowTest::TearDown();
    }
    void Open(CSendSmsWnd& w, LPCWSTR to, LPCWSTR text)
    {
        w.SetRecipient(to);
        w.SetMessage(text);
        RECT work = WorkRect();
        ASSERT_TRUE(
            w.Create(work.left, work.top, work.right - work.left, work.bottom - work.top, nullptr, 0, 0x80000000u));
    }

    TipRecorder tips;
};

// The window's application data has a program home of its own, which goes with the test.
class SendSmsRecipient : public WindowTest {};

TEST_F(SendSmsRecipient, MobileNumbersGetTheCountryCodeButTheServiceNumberAndPrefixedNumbersStayAsTheyAre)
{
    CSendSmsWnd w(u"t", nullptr);
    w.SetRecipient(u"13800138000");
    EXPECT_EQ(std::u16string(w.GetRecipient()), u"+8613800138000");
    w.SetRecipient(u"+8613800138000");
    EXPECT_EQ(std::u16string(w.GetRecipient()), u"+8613800138000");
    w.SetRecipient(SMS_SERVICE_NUMBER);
    EXPECT_EQ(std::u16string(w.GetRecipient()), std::u16string(SMS_SERVICE_NUMBER));
    w.SetRecipient(u"+8");
    EXPECT_EQ(std::u16string(w.GetRecipient()), u"+86+8");
    w.SetRecipient(nullptr);
    EXPECT_EQ(std::u16string(w.GetRecipient()), u"+86");
}

TEST_F(SendSmsWndTest, SendingHandsTheEditedTextToThePhoneTellsTheUserAndGoesBack)
{
    CSendSmsWnd w(u"发信息注册", nullptr);
    Open(w, SMS_SERVICE_NUMBER, u"DB A1212");
    EXPECT_EQ(std::u16string(w.GetNumberEdit().GetText()), std::u16string(SMS_SERVICE_NUMBER));
    EXPECT_FALSE(w.GetNumberEdit().CanFocus());
    EXPECT_TRUE(w.GetCommandBar().IsButtonShown(0));
    EXPECT_TRUE(w.GetCommandBar().IsButtonShown(2));
    w.GetMessageEdit().SetText(u"   "); // blanks only: still a message
    PressCommand(w, 0);
    EXPECT_EQ(w.ShowWnd(-1, "", "", 1), END_BACK);
    EXPECT_EQ(Outbox(), "1065750788\tnational\t   \n");
    ASSERT_EQ(tips.shown.size(), 1u);
    EXPECT_EQ(tips.shown[0], u"信息已成功发送，请注意查收回复！");
    EXPECT_EQ(tips.lastMs, 2000);

    // Any other recipient is dialled as an international number.
    CSendSmsWnd other(u"t", nullptr);
    Open(other, u"13800138000", u"hi");
    PressCommand(other, 0);
    EXPECT_EQ(other.ShowWnd(-1, "", "", 1), END_BACK);
    EXPECT_EQ(Outbox(), "1065750788\tnational\t   \n+8613800138000\tinternational\thi\n");
}

TEST_F(SendSmsWndTest, AnEmptyTextIsNotSentAndCancelGoesBack)
{
    CSendSmsWnd w(u"t", nullptr);
    Open(w, u"13800138000", u"");
    PressCommand(w, 0);
    PressCommand(w, 2);
    EXPECT_EQ(w.ShowWnd(-1, "", "", 1), END_BACK);
    EXPECT_EQ(Outbox(), "");
    EXPECT_TRUE(tips.shown.empty());
}

TEST_F(SendSmsWndTest, APhoneThatRefusesLeavesTheWindowOpenWithItsButtonsBackForAnotherTry)
{
    PhoneProfile profile = ReadPhoneProfile();
    profile.smsSendingWorks = false;
    ASSERT_TRUE(WritePhoneProfile(profile));
    CSendSmsWnd w(u"t", nullptr);
    Open(w, u"13800138000", u"hello");
    bool disabledWhileTelling = false;
    tips.onTip = [&] { disabledWhileTelling = !w.GetCommandBar().IsButtonEnabled(0); };
    PressCommand(w, 0);
    PressCommand(w, 2);
    EXPECT_EQ(w.ShowWnd(-1, "", "", 1), END_BACK);
    ASSERT_EQ(tips.shown.size(), 1u);
    EXPECT_EQ(tips.shown[0], u"信息发送失败，请稍后重试！");
    EXPECT_TRUE(disabledWhileTelling);
    EXPECT_TRUE(w.GetCommandBar().IsButtonEnabled(0));
    EXPECT_TRUE(w.GetCommandBar().IsButtonEnabled(2));
    EXPECT_EQ(Outbox(), "");
}
