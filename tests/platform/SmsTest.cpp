// Text messages: what was sent lands in the outbox with its recipient; a refusing phone reports failure.
#include "platform/device/PhoneProfile.h"
#include "platform/device/Sms.h"
#include "platform/win/WideText.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>
#include <fstream>
#include <sstream>

namespace {

HRESULT Send(SMS_HANDLE handle, const char16_t* to, const std::u16string& text, SMS_ADDRESS_TYPE type = SMSAT_NATIONAL)
{
    SMS_ADDRESS address{};
    address.smsatAddressType = type;
    wcscpy(address.ptsAddress, to);
    TEXT_PROVIDER_SPECIFIC_DATA provider{};
    provider.psMessageClass = PS_MESSAGE_CLASS1;
    std::string bytes;
    for (char16_t c : text) {
        bytes += (char)(c & 0xFF);
        bytes += (char)(c >> 8);
    }
    SMS_MESSAGE_ID id = 0;
    return SmsSendMessage(handle, nullptr, &address, nullptr, (const BYTE*)bytes.data(), (DWORD)bytes.size(),
                          (const BYTE*)&provider, sizeof provider, SMSDE_OPTIMAL, 0, &id);
}

std::string Outbox()
{
    std::ifstream in(SmsOutboxPath());
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

} // namespace

TEST(Sms, SentMessagesAreAppendedWithRecipient)
{
    ScopedProgramHome home;
    SMS_HANDLE handle = nullptr;
    EXPECT_LT(SmsOpen(u"Other Protocol", SMS_MODE_SEND, &handle, nullptr), 0);
    ASSERT_EQ(SmsOpen(SMS_TEXT_PROTOCOL, SMS_MODE_SEND, &handle, nullptr), S_OK);
    EXPECT_GE(Send(handle, u"10658888", u"DB A1212"), 0);
    EXPECT_GE(Send(handle, u"+8613800000000", u"你好\n第二行\t!", SMSAT_INTERNATIONAL), 0);
    EXPECT_EQ(Outbox(), "10658888\tnational\tDB A1212\n+8613800000000\tinternational\t你好\\n第二行\\t!\n");
    EXPECT_EQ(SmsClose(handle), S_OK);
    EXPECT_LT(Send(handle, u"10658888", u"late"), 0);
    EXPECT_LT(SmsClose(handle), 0);
}

TEST(Sms, RefusingPhoneFailsAndWritesNothing)
{
    ScopedProgramHome home;
    PhoneProfile profile = ReadPhoneProfile();
    profile.smsSendingWorks = false;
    ASSERT_TRUE(WritePhoneProfile(profile));
    SMS_HANDLE handle = nullptr;
    ASSERT_EQ(SmsOpen(SMS_TEXT_PROTOCOL, SMS_MODE_SEND, &handle, nullptr), S_OK);
    EXPECT_LT(Send(handle, u"10658888", u"DB A1212"), 0);
    EXPECT_EQ(Outbox(), "");
    SmsClose(handle);
}
