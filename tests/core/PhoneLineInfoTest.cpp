// The line identity as the phone reports it: with a cellular line, without one, and without a subscriber number.
#include "core/PhoneLineInfo.h"
#include "platform/device/PhoneProfile.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

TEST(PhoneLineInfo, CellularLineGivesSerialAndSubscriberNumbers)
{
    ScopedProgramHome home;
    PhoneProfile profile;
    profile.serialNumber = "356938035643809";
    profile.subscriberNumber = "13912345678";
    ASSERT_TRUE(WritePhoneProfile(profile));

    CPhoneLineInfo info;
    EXPECT_EQ(std::u16string(info.GetInfo(0)), u""); // not open yet
    ASSERT_EQ(info.Open(), 1);
    EXPECT_EQ(std::u16string(info.GetInfo(0)), u"356938035643809");
    EXPECT_EQ(std::u16string(info.GetInfo(1)), u"13912345678");
    EXPECT_EQ(std::u16string(info.GetInfo(2)), u"");

    // Later calls answer from the record already read.
    profile.subscriberNumber = "13800000000";
    WritePhoneProfile(profile);
    EXPECT_EQ(std::u16string(info.GetInfo(1)), u"13912345678");
}

TEST(PhoneLineInfo, NoCellularLineFailsToOpen)
{
    ScopedProgramHome home;
    PhoneProfile profile;
    profile.cellularLine = false;
    profile.serialNumber = "356938035643809";
    ASSERT_TRUE(WritePhoneProfile(profile));
    CPhoneLineInfo info;
    EXPECT_EQ(info.Open(), 0);
    EXPECT_EQ(std::u16string(info.GetInfo(0)), u"");
    EXPECT_EQ(std::u16string(info.GetInfo(1)), u"");
}

TEST(PhoneLineInfo, AbsentSubscriberNumberIsEmptyOnEveryCall)
{
    ScopedProgramHome home;
    PhoneProfile profile;
    profile.serialNumber = "356938035643809";
    ASSERT_TRUE(WritePhoneProfile(profile));
    CPhoneLineInfo info;
    ASSERT_EQ(info.Open(), 1);
    EXPECT_EQ(std::u16string(info.GetInfo(1)), u"");
    EXPECT_EQ(std::u16string(info.GetInfo(0)), u"356938035643809");
    EXPECT_EQ(std::u16string(info.GetInfo(1)), u"");
}
