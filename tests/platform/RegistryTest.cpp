// The registry: keys and values that survive in the device directory, and the buffer rules of the real calls.
#include "platform/device/Registry.h"
#include "platform/win/LastError.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <sys/stat.h>

namespace {

DWORD Bytes(const char16_t* text)
{
    return (DWORD)((std::char_traits<char16_t>::length(text) + 1) * 2);
}

} // namespace

TEST(Registry, CreatedKeyAndValuesPersistInTheDeviceFile)
{
    ScopedProgramHome home;
    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyEx(HKEY_CLASSES_ROOT, u"Dizezo", 0, 0, &key), ERROR_FILE_NOT_FOUND);

    DWORD disposition = 0;
    ASSERT_EQ(RegCreateKeyEx(HKEY_CLASSES_ROOT, u"Dizezo", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, (DWORD)REG_CREATED_NEW_KEY);
    ASSERT_EQ(RegSetValueEx(key, u"Focus", 0, REG_SZ, (const BYTE*)u"abc", Bytes(u"abc")), ERROR_SUCCESS);
    DWORD number = 0x12345678;
    ASSERT_EQ(RegSetValueEx(key, u"Count", 0, REG_DWORD, (const BYTE*)&number, 4), ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueEx(key, u"Bad", 0, REG_DWORD, (const BYTE*)&number, 2), ERROR_INVALID_PARAMETER);
    ASSERT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);

    struct stat info {};
    EXPECT_EQ(stat(home.DeviceFile("registry.dat").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u); // its sign-up values give the log-in password to whoever reads them
    EXPECT_EQ(stat(home.DeviceFile("").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);

    // Key and value names ignore case; the other roots are separate.
    ASSERT_EQ(RegOpenKeyEx(HKEY_CLASSES_ROOT, u"DIZEZO", 0, KEY_READ, &key), ERROR_SUCCESS);
    WCHAR text[8] = {};
    DWORD size = sizeof text, type = 0;
    ASSERT_EQ(RegQueryValueEx(key, u"focus", nullptr, &type, (BYTE*)text, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, (DWORD)REG_SZ);
    EXPECT_EQ(size, 8u);
    EXPECT_EQ(std::u16string(text), u"abc");
    DWORD read = 0;
    size = 4;
    ASSERT_EQ(RegQueryValueEx(key, u"Count", nullptr, &type, (BYTE*)&read, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, (DWORD)REG_DWORD);
    EXPECT_EQ(read, 0x12345678u);
    RegCloseKey(key);
    EXPECT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, u"Dizezo", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
}

TEST(Registry, ValueLargerThanBufferIsNotReadAndSizeIsReported)
{
    ScopedProgramHome home;
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyEx(HKEY_LOCAL_MACHINE, u"Software\\Korvat", 0, nullptr, 0, 0, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueEx(key, u"Name", 0, REG_SZ, (const BYTE*)u"0123456789", Bytes(u"0123456789")), ERROR_SUCCESS);

    WCHAR buffer[16];
    memset(buffer, 0x55, sizeof buffer);
    DWORD size = 20; // one character short of the terminator
    EXPECT_EQ(RegQueryValueEx(key, u"Name", nullptr, nullptr, (BYTE*)buffer, &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, 22u);
    EXPECT_EQ(buffer[0], 0x5555); // untouched

    size = 0;
    EXPECT_EQ(RegQueryValueEx(key, u"Name", nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 22u);
    EXPECT_EQ(RegQueryValueEx(key, u"Name", nullptr, nullptr, (BYTE*)buffer, nullptr), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegQueryValueEx(key, u"Missing", nullptr, nullptr, (BYTE*)buffer, &size), ERROR_FILE_NOT_FOUND);

    // Parent keys were created on the way.
    HKEY parent = nullptr;
    EXPECT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, u"Software", 0, 0, &parent), ERROR_SUCCESS);
    RegCloseKey(parent);
    RegCloseKey(key);
}

TEST(Registry, DeletedValuesAndKeysAreGone)
{
    ScopedProgramHome home;
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyEx(HKEY_CLASSES_ROOT, u"Dizezo", 0, nullptr, 0, 0, nullptr, &key, nullptr), ERROR_SUCCESS);
    RegSetValueEx(key, u"On", 0, REG_SZ, (const BYTE*)u"x", 4);
    EXPECT_EQ(RegDeleteValue(key, u"On"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteValue(key, u"On"), ERROR_FILE_NOT_FOUND);
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueEx(key, u"On", nullptr, nullptr, nullptr, &size), ERROR_FILE_NOT_FOUND);
    RegCloseKey(key);

    HKEY child = nullptr;
    ASSERT_EQ(RegCreateKeyEx(HKEY_CLASSES_ROOT, u"Dizezo\\Child", 0, nullptr, 0, 0, nullptr, &child, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(child);
    EXPECT_EQ(RegDeleteKey(HKEY_CLASSES_ROOT, u"Dizezo"), ERROR_ACCESS_DENIED); // still has a subkey
    EXPECT_EQ(RegDeleteKey(HKEY_CLASSES_ROOT, u"Dizezo\\Child"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteKey(HKEY_CLASSES_ROOT, u"Dizezo"), ERROR_SUCCESS);
    EXPECT_EQ(RegOpenKeyEx(HKEY_CLASSES_ROOT, u"Dizezo", 0, 0, &key), ERROR_FILE_NOT_FOUND);
}

TEST(Registry, OddNamesAndBinaryDataSurviveTheFile)
{
    ScopedProgramHome home;
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, u"键[1]=%", 0, nullptr, 0, 0, nullptr, &key, nullptr), ERROR_SUCCESS);
    const BYTE binary[] = {0, '\n', ']', '=', 0xFF};
    ASSERT_EQ(RegSetValueEx(key, u"a=b\n[c]", 0, REG_BINARY, binary, sizeof binary), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueEx(key, u"", 0, REG_SZ, (const BYTE*)u"", 2), ERROR_SUCCESS);
    RegCloseKey(key);

    ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, u"键[1]=%", 0, 0, &key), ERROR_SUCCESS);
    BYTE read[8] = {};
    DWORD size = sizeof read, type = 0;
    ASSERT_EQ(RegQueryValueEx(key, u"a=b\n[c]", nullptr, &type, read, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, (DWORD)REG_BINARY);
    ASSERT_EQ(size, sizeof binary);
    EXPECT_EQ(0, memcmp(read, binary, sizeof binary));
    size = sizeof read;
    EXPECT_EQ(RegQueryValueEx(key, u"", nullptr, &type, read, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 2u);
    RegCloseKey(key);
}

TEST(Registry, DamagedFileKeepsWhatCanBeRead)
{
    ScopedProgramHome home;
    mkdir(home.DeviceFile("").c_str(), 0755);
    std::ofstream(home.DeviceFile("registry.dat"))
        << "MORWICK REGISTRY 1\n[HKEY_CLASSES_ROOT\\Dizezo]\nOn=1:6\nFocus=1:610000\ngarbage\nOne=x:zz\n";
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyEx(HKEY_CLASSES_ROOT, u"Dizezo", 0, 0, &key), ERROR_SUCCESS);
    WCHAR text[4] = {};
    DWORD size = sizeof text;
    EXPECT_EQ(RegQueryValueEx(key, u"Focus", nullptr, nullptr, (BYTE*)text, &size), ERROR_SUCCESS);
    EXPECT_EQ(std::u16string(text), u"a");
    EXPECT_EQ(RegQueryValueEx(key, u"On", nullptr, nullptr, (BYTE*)text, &size), ERROR_FILE_NOT_FOUND);
    RegCloseKey(key);
}

TEST(Registry, WriteFailureIsReportedAndOldValueKept)
{
    ScopedProgramHome home;
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyEx(HKEY_CLASSES_ROOT, u"Dizezo", 0, nullptr, 0, 0, nullptr, &key, nullptr), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueEx(key, u"Focus", 0, REG_SZ, (const BYTE*)u"old", 8), ERROR_SUCCESS);
    {
        ScopedFullDisk full;
        EXPECT_NE(RegSetValueEx(key, u"Focus", 0, REG_SZ, (const BYTE*)u"new", 8), ERROR_SUCCESS);
    }
    WCHAR text[4] = {};
    DWORD size = sizeof text;
    EXPECT_EQ(RegQueryValueEx(key, u"Focus", nullptr, nullptr, (BYTE*)text, &size), ERROR_SUCCESS);
    EXPECT_EQ(std::u16string(text), u"old");
    RegCloseKey(key);
}

TEST(Registry, AnUnreadableFileIsNeverReplacedByWrites)
{
    ScopedProgramHome home;
    mkdir(home.DeviceFile("").c_str(), 0755);
    // A folder where the file should be: it is there, yet cannot be read.
    ASSERT_EQ(mkdir(home.DeviceFile("registry.dat").c_str(), 0755), 0);
    HKEY key = nullptr;
    EXPECT_NE(RegCreateKeyEx(HKEY_CLASSES_ROOT, u"Dizezo", 0, nullptr, 0, 0, nullptr, &key, nullptr), ERROR_SUCCESS);
    struct stat info {};
    ASSERT_EQ(stat(home.DeviceFile("registry.dat").c_str(), &info), 0);
    EXPECT_TRUE(S_ISDIR(info.st_mode));
}

TEST(Registry, AValueSetToWhatItHoldsLeavesTheFileAsItIs)
{
    ScopedProgramHome home;
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyEx(HKEY_CLASSES_ROOT, u"Dizezo", 0, nullptr, 0, 0, nullptr, &key, nullptr), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueEx(key, u"Focus", 0, REG_SZ, (const BYTE*)u"abc", Bytes(u"abc")), ERROR_SUCCESS);
    auto fileId = [&] {
        struct stat info {};
        stat(home.DeviceFile("registry.dat").c_str(), &info);
        return info.st_ino; // a rewrite replaces the file
    };
    ino_t written = fileId();
    {
        ScopedFullDisk full; // nothing could be written: the value is there already
        EXPECT_EQ(RegSetValueEx(key, u"FOCUS", 0, REG_SZ, (const BYTE*)u"abc", Bytes(u"abc")), ERROR_SUCCESS);
    }
    EXPECT_EQ(fileId(), written);
    // Another type or other bytes are a change.
    ASSERT_EQ(RegSetValueEx(key, u"Focus", 0, REG_BINARY, (const BYTE*)u"abc", Bytes(u"abc")), ERROR_SUCCESS);
    EXPECT_NE(fileId(), written);
    written = fileId();
    ASSERT_EQ(RegSetValueEx(key, u"Focus", 0, REG_BINARY, (const BYTE*)u"abd", Bytes(u"abd")), ERROR_SUCCESS);
    EXPECT_NE(fileId(), written);
    RegCloseKey(key);
}

TEST(Registry, AValueOrKeyWhoseSaveFailedIsNotTakenAsSavedUntilASaveSucceeds)
{
    ScopedProgramHome home;
    HKEY key = nullptr, sub = nullptr;
    ASSERT_EQ(RegCreateKeyEx(HKEY_CLASSES_ROOT, u"Dizezo", 0, nullptr, 0, 0, nullptr, &key, nullptr), ERROR_SUCCESS);
    {
        // Each save renames the file in but cannot flush its folder: the file holds it, the disk may not.
        ScopedFolderFlushFailure failing(EIO);
        for (int again = 0; again < 2; ++again) {
            SCOPED_TRACE(again);
            EXPECT_NE(RegSetValueEx(key, u"Focus", 0, REG_SZ, (const BYTE*)u"abc", Bytes(u"abc")), ERROR_SUCCESS);
            EXPECT_NE(RegCreateKeyEx(key, u"Sub", 0, nullptr, 0, 0, nullptr, &sub, nullptr), ERROR_SUCCESS);
        }
    }
    DWORD disposition = 0;
    ASSERT_EQ(RegCreateKeyEx(key, u"Sub", 0, nullptr, 0, 0, nullptr, &sub, &disposition), ERROR_SUCCESS);
    EXPECT_EQ(disposition, (DWORD)REG_OPENED_EXISTING_KEY);
    RegCloseKey(sub);
    ScopedFullDisk full; // saved now: the same value again needs no write
    EXPECT_EQ(RegSetValueEx(key, u"Focus", 0, REG_SZ, (const BYTE*)u"abc", Bytes(u"abc")), ERROR_SUCCESS);
    RegCloseKey(key);
}
