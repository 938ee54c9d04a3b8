// UTF-16 file calls and the atomic whole-file write.
#include "platform/win/FileIo.h"
#include "platform/win/LastError.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/stat.h>

namespace {

std::u16string Wide(const std::string& utf8)
{
    std::u16string out;
    for (char c : utf8)
        out += (char16_t)(unsigned char)c; // test paths are ASCII
    return out;
}

std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

} // namespace

TEST(FileIo, WideOpenWritesAndReadsBackUnderAChineseName)
{
    TempFolder folder;
    std::u16string path = Wide(folder.Path()) + u"自选股.dat";
    FILE* f = _wfopen(path.c_str(), u"wb");
    ASSERT_NE(f, nullptr);
    fwrite("abc", 1, 3, f);
    fclose(f);
    EXPECT_EQ(ReadAll(folder.Path() + "自选股.dat"), "abc");

    f = _wfopen(path.c_str(), u"rt");
    ASSERT_NE(f, nullptr);
    char buf[8] = {};
    EXPECT_EQ(fread(buf, 1, sizeof buf, f), 3u);
    fclose(f);

    EXPECT_TRUE(DeleteFileW(path.c_str()));
    SetLastError(0);
    EXPECT_EQ(_wfopen(path.c_str(), u"rb"), nullptr);
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(DeleteFileW(path.c_str()));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_FILE_NOT_FOUND);
}

TEST(FileIo, AtomicWriteReplacesWholeFileAndLeavesNoTemporary)
{
    TempFolder folder;
    std::u16string path = Wide(folder.File("DefParam.dat"));
    ASSERT_TRUE(WriteFileAtomically(path.c_str(), "first version, long", 19));
    ASSERT_TRUE(WriteFileAtomically(path.c_str(), "second", 6));
    EXPECT_EQ(ReadAll(folder.File("DefParam.dat")), "second");
    ASSERT_TRUE(WriteFileAtomically(path.c_str(), nullptr, 0));
    EXPECT_EQ(ReadAll(folder.File("DefParam.dat")), "");

    int entries = 0;
    for (auto& entry : std::filesystem::directory_iterator(folder.Path())) {
        (void)entry;
        ++entries;
    }
    EXPECT_EQ(entries, 1);
}

TEST(FileIo, AtomicWriteFailureKeepsOldFileAndReportsIt)
{
    TempFolder folder;
    std::u16string path = Wide(folder.File("DefParam.dat"));
    ASSERT_TRUE(WriteFileAtomically(path.c_str(), "kept", 4));

    // A target in a folder that does not exist cannot be written.
    std::u16string missing = Wide(folder.File("no/such/folder/x.dat"));
    SetLastError(0);
    EXPECT_FALSE(WriteFileAtomically(missing.c_str(), "x", 1));
    EXPECT_NE(GetLastError(), (DWORD)ERROR_SUCCESS);

    // A full disk stops the write half-way; the old file stays whole and no temporary is left.
    {
        ScopedFullDisk full;
        EXPECT_FALSE(WriteFileAtomically(path.c_str(), "replacement", 11));
        EXPECT_EQ(GetLastError(), (DWORD)ERROR_DISK_FULL);
    }
    EXPECT_EQ(ReadAll(folder.File("DefParam.dat")), "kept");
    int entries = 0;
    for (auto& entry : std::filesystem::directory_iterator(folder.Path())) {
        (void)entry;
        ++entries;
    }
    EXPECT_EQ(entries, 1);
}

TEST(FileIo, BackslashesAndEightBitPathsBecomeOnDiskPaths)
{
    EXPECT_EQ(NativePath(u"a\\b\\c.dat"), "a/b/c.dat");
    EXPECT_EQ(NativePathFromAnsi("\xd6\xd0.bin"), "中.bin");
    EXPECT_EQ(NativePath(nullptr), "");
}
