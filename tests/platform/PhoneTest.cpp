// The dialler: a call goes to "phone.exe" with the number, recorded like every program the client starts; what
// is not a number is refused before the dialler sees it.
#include "platform/device/Phone.h"
#include "platform/win/Shell.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

TEST(Phone, ACallHandsTheDiallerTheNumberAndAnythingElseIsRefused)
{
    struct {
        const char16_t* number;
        LONG result;
        std::string started;
    } cases[] = {
        {u"95588", 0, "phone.exe 95588"},
        {u"010-6600 1234", 0, "phone.exe 01066001234"},
        {u"+8613911112222", 0, "phone.exe +8613911112222"},
        {u"", 87, ""},
        {u"- -", 87, ""},
        {u"95588 --help", 87, ""},
        {u"123;reboot", 87, ""},
    };
    TakeStartedPrograms();
    for (const auto& c : cases) {
        PHONEMAKECALLINFO call{};
        call.cbSize = sizeof call;
        call.dwFlags = PMCF_DEFAULT;
        call.pszDestAddress = c.number;
        EXPECT_EQ(PhoneMakeCall(&call), c.result) << c.started;
        std::vector<std::string> started = TakeStartedPrograms();
        EXPECT_EQ(started.empty() ? std::string() : started[0], c.started);
    }
    EXPECT_NE(PhoneMakeCall(nullptr), 0);
}
