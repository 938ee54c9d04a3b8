// The sign-up record in the registry: the shift of 48, texts up to their field size surviving a save,
// repeated loads, and deleting the sign-up values.
#include "core/DeviceRegRecord.h"
#include "platform/device/Registry.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

namespace {

std::u16string Stored(const char16_t* name)
{
    HKEY key = nullptr;
    if (RegOpenKeyEx(HKEY_CLASSES_ROOT, u"Dizezo", 0, KEY_READ, &key) != ERROR_SUCCESS)
        return u"<no key>";
    WCHAR text[64] = {};
    DWORD size = sizeof text;
    LONG result = RegQueryValueEx(key, name, nullptr, nullptr, (BYTE*)text, &size);
    RegCloseKey(key);
    return result == ERROR_SUCCESS ? std::u16string(text) : u"<none>";
}

} // namespace

TEST(DeviceRegRecord, NoKeyGivesEmptyRecordAndFirstSaveCreatesIt)
{
    ScopedProgramHome home;
    DeviceRegRecord record;
    EXPECT_EQ(record.Load(), 0);
    EXPECT_EQ(std::u16string(record.GetFocus()), u"");
    EXPECT_EQ(std::u16string(record.GetOne()), u"");
    record.Set(u"13912345678", nullptr, u"356938035643809", u" ");
    ASSERT_EQ(record.Save(), 1);
    EXPECT_EQ(record.Load(), 1);
}

TEST(DeviceRegRecord, MobileNumberIsStoredShiftedBy48AndReadsBackPlain)
{
    ScopedProgramHome home;
    {
        DeviceRegRecord record;
        record.Set(u"13912345678", u"A1B2", u"356938035643809", u"13912345678");
        ASSERT_EQ(record.Save(), 1);
    }
    std::u16string focus = Stored(u"Focus");
    ASSERT_EQ(focus.size(), 11u);
    for (char16_t c : focus) {
        EXPECT_GE(c, 96);
        EXPECT_LE(c, 105);
    }
    EXPECT_EQ(focus[0], u'1' + 48);
    EXPECT_EQ(Stored(u"One"), u"356938035643809"); // line identifiers are plain

    DeviceRegRecord again;
    EXPECT_EQ(std::u16string(again.GetFocus()), u"13912345678");
    EXPECT_EQ(std::u16string(again.GetOn()), u"A1B2");
    EXPECT_EQ(std::u16string(again.GetThing()), u"13912345678");
}

TEST(DeviceRegRecord, EveryTextThatSetAcceptsReadsBackAfterSave)
{
    ScopedProgramHome home;
    {
        DeviceRegRecord record;
        // The longest texts each field holds: 19, 9, 29 and 29 characters.
        record.Set(u"1234567890123456789", u"ABCDEFGHI", u"12345678901234567890123456789",
                   u"abcdefghijabcdefghijabcdefghi");
        EXPECT_EQ(std::u16string(record.GetOn()), u"ABCDEFGHI");
        ASSERT_EQ(record.Save(), 1);
        // One character more is refused and leaves the field as it was.
        record.Set(u"12345678901234567890", u"ABCDEFGHIJ", nullptr, nullptr);
        EXPECT_EQ(std::u16string(record.GetFocus()), u"1234567890123456789");
        EXPECT_EQ(std::u16string(record.GetOn()), u"ABCDEFGHI");
    }
    DeviceRegRecord again;
    EXPECT_EQ(std::u16string(again.GetFocus()), u"1234567890123456789");
    EXPECT_EQ(std::u16string(again.GetOn()), u"ABCDEFGHI"); // a 9-character sign-up code keeps the user signed up
    EXPECT_EQ(std::u16string(again.GetOne()), u"12345678901234567890123456789");
    EXPECT_EQ(std::u16string(again.GetThing()), u"abcdefghijabcdefghijabcdefghi");
}

TEST(DeviceRegRecord, SecondLoadDoesNotShiftTextsItDidNotRead)
{
    ScopedProgramHome home;
    DeviceRegRecord record;
    record.Set(u"13912345678", u"CODE1", nullptr, nullptr);
    ASSERT_EQ(record.Save(), 1);

    // Another writer leaves a value too long to read; the text in memory must stay as it was.
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyEx(HKEY_CLASSES_ROOT, u"Dizezo", 0, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
    const char16_t longCode[] = u"xxxxxxxxxxxxxxxxxxxxxxxxx";
    RegSetValueEx(key, u"On", 0, REG_SZ, (const BYTE*)longCode, sizeof longCode);
    RegDeleteValue(key, u"Focus");
    RegCloseKey(key);

    EXPECT_EQ(record.Load(), 1);
    EXPECT_EQ(record.Load(), 1);
    EXPECT_EQ(std::u16string(record.GetFocus()), u"13912345678");
    EXPECT_EQ(std::u16string(record.GetOn()), u"CODE1");
}

TEST(DeviceRegRecord, DeleteSignUpValuesRemovesFocusThenOn)
{
    ScopedProgramHome home;
    EXPECT_EQ(DeleteSignUpValues(), 0); // no key
    DeviceRegRecord record;
    record.Set(u"13912345678", u"CODE1", u"1", u"2");
    ASSERT_EQ(record.Save(), 1);
    EXPECT_EQ(DeleteSignUpValues(), 1);
    EXPECT_EQ(Stored(u"Focus"), u"<none>");
    EXPECT_EQ(Stored(u"On"), u"<none>");
    EXPECT_EQ(Stored(u"One"), u"1");
    EXPECT_EQ(std::u16string(record.GetFocus()), u"13912345678"); // memory unchanged
    EXPECT_EQ(DeleteSignUpValues(), 0);                           // nothing left to delete
}
