// Program and device directories: the executable's folder, the environment's overrides, creation on first use.
#include "platform/win/ModulePath.h"
#include "platform/win/LastError.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>
#include <filesystem>

namespace {

std::string Narrow(const std::u16string& text)
{
    std::string out;
    for (char16_t c : text)
        out += (char)c;
    return out;
}

} // namespace

TEST(ModulePath, ProgramDirectoryIsExecutableFolderUnlessHomeIsSet)
{
    unsetenv("MORWICK_HOME");
    WCHAR name[4096];
    DWORD n = GetModuleFileNameW(nullptr, name, 4096);
    ASSERT_GT(n, 0u);
    std::string full = Narrow(std::u16string(name, n));
    std::string dir = Narrow(GetProgramDirectory());
    ASSERT_EQ(dir.back(), '/');
    EXPECT_EQ(full.substr(0, dir.size()), dir);
    EXPECT_EQ(full.find('/', dir.size()), std::string::npos);

    setenv("MORWICK_HOME", "/tmp/some-home", 1); // no final separator: one is added
    EXPECT_EQ(Narrow(GetProgramDirectory()), "/tmp/some-home/");
    n = GetModuleFileNameW(nullptr, name, 4096);
    EXPECT_EQ(Narrow(std::u16string(name, n)).rfind("/tmp/some-home/", 0), 0u);
    unsetenv("MORWICK_HOME");
}

TEST(ModulePath, ShortBufferIsCutAndTerminated)
{
    setenv("MORWICK_HOME", "/tmp/some-home", 1);
    WCHAR name[6];
    SetLastError(0);
    EXPECT_EQ(GetModuleFileNameW(nullptr, name, 6), 6u);
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(std::u16string(name), u"/tmp/");
    unsetenv("MORWICK_HOME");
}

TEST(ModulePath, DeviceDirectoryDefaultsIntoProgramDirectoryAndIsCreated)
{
    ScopedProgramHome home;
    EXPECT_EQ(GetDeviceDirectoryNative(), home.Path() + "device/");
    EXPECT_TRUE(std::filesystem::is_directory(home.Path() + "device"));

    TempFolder other;
    std::string nested = other.Path() + "phone/one";
    setenv("MORWICK_DEVICE", nested.c_str(), 1);
    EXPECT_EQ(Narrow(GetDeviceDirectory()), nested + "/");
    EXPECT_TRUE(std::filesystem::is_directory(nested));
}

TEST(ModulePath, BuildServerAddressIsSet)
{
    EXPECT_NE(GetBuildServerAddress(), nullptr);
    EXPECT_GT(strlen(GetBuildServerAddress()), 0u);
}
