// UTF-16 file calls and the atomic whole-file write.
#include "platform/win/FileIo.h"
#include "platform/win/LastError.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <set>
#include <sys/stat.h>
#include <fcntl.h>
#include <ctime>
#include <cerrno>
#include <memory>

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

TEST(FileIo, EveryFileAndFolderTheClientCreatesIsTheUsersAlone)
{
    TempFolder folder;
    ASSERT_TRUE(WriteFileAtomically(Wide(folder.File("DefParam.dat")).c_str(), "x", 1));
    FILE* f = _wfopen(Wide(folder.File("written.dat")).c_str(), u"wb");
    ASSERT_NE(f, nullptr);
    fclose(f);
    f = _wfopen(Wide(folder.File("appended.txt")).c_str(), u"a+");
    ASSERT_NE(f, nullptr);
    fclose(f);
    ASSERT_TRUE(CreateDirectoryW(Wide(folder.File("folder")).c_str(), nullptr));
    struct {
        const char* name;
        unsigned mode;
    } expected[] = {{"DefParam.dat", 0600}, {"written.dat", 0600}, {"appended.txt", 0600}, {"folder", 0700}};
    for (const auto& e : expected) {
        struct stat info {};
        ASSERT_EQ(stat(folder.File(e.name).c_str(), &info), 0) << e.name;
        EXPECT_EQ(info.st_mode & 0777, e.mode) << e.name;
    }
}

TEST(FileIo, TemporariesLeftByAnInterruptedWriteGoAtTheNextWriteOfTheSameFile)
{
    TempFolder folder;
    auto leave = [&](const std::string& name, int ageSeconds) {
        std::ofstream(folder.File(name)) << "a copy of the settings";
        timespec times[2] = {{time(nullptr) - ageSeconds, 0}, {time(nullptr) - ageSeconds, 0}};
        utimensat(AT_FDCWD, folder.File(name).c_str(), times, 0);
    };
    leave("DefParam.dat.tmp-a1B2c3", 600);
    leave("DefParam.dat.tmp-Zz9xY8", 600);
    leave("DefParam.dat.tmp-young1", 0);   // a write still in progress
    leave("MyQuotes.dat.tmp-a1B2c3", 600); // another file's
    leave("DefParam.dat.tmp-toolong", 600);
    ASSERT_TRUE(WriteFileAtomically(Wide(folder.File("DefParam.dat")).c_str(), "new", 3));
    std::set<std::string> left;
    for (const auto& entry : std::filesystem::directory_iterator(folder.Path()))
        left.insert(entry.path().filename().string());
    EXPECT_EQ(left, (std::set<std::string>{"DefParam.dat", "DefParam.dat.tmp-young1", "MyQuotes.dat.tmp-a1B2c3",
                                           "DefParam.dat.tmp-toolong"}));
}

TEST(FileIo, AFolderThatCannotBeFlushedFailsTheWriteUnlessItsFileSystemFlushesNoFoldersAtAll)
{
    struct Case {
        int error;
        bool ok;
    };
    for (Case c : {Case{EINVAL, true}, Case{EIO, false}}) {
        SCOPED_TRACE(c.error);
        TempFolder folder;
        ScopedFolderFlushFailure failing(c.error);
        EXPECT_EQ(WriteFileAtomicallyNative(folder.File("DefParam.dat"), "new", 3), c.ok);
        EXPECT_EQ(ReadAll(folder.File("DefParam.dat")), "new") << "renamed in either way";
        EXPECT_EQ(CreatePrivateFolderNative(folder.File("brokerage")), c.ok);
        EXPECT_TRUE(std::filesystem::is_directory(folder.File("brokerage")));
    }
}

TEST(FileIo, AnUnchangedWriteIsSkippedOnlyWhileNoWriteFailedSinceTheLastThatSucceeded)
{
    TempFolder folder;
    std::string path = folder.File("registry.dat");
    auto fileId = [&] {
        struct stat info {};
        stat(path.c_str(), &info);
        return info.st_ino; // a write replaces the file
    };
    enum Fault { NONE, FULL_DISK, FOLDER_FLUSH };
    struct Step {
        Fault fault;
        const char* bytes;
        bool ok, written;
    };
    const Step steps[] = {
        {NONE, "a", true, true},
        {FULL_DISK, "a", true, false}, // held already: nothing to write
        {FOLDER_FLUSH, "b", false, true},
        {FOLDER_FLUSH, "b", false, true}, // in the file, but never flushed: not taken as saved
        {NONE, "b", true, true},
        {FULL_DISK, "b", true, false},
    };
    bool failed = false;
    for (size_t i = 0; i < std::size(steps); ++i) {
        const Step& s = steps[i];
        SCOPED_TRACE(i);
        ino_t before = fileId();
        std::unique_ptr<ScopedFullDisk> full(s.fault == FULL_DISK ? new ScopedFullDisk : nullptr);
        std::unique_ptr<ScopedFolderFlushFailure> flush(s.fault == FOLDER_FLUSH ? new ScopedFolderFlushFailure(EIO)
                                                                                : nullptr);
        EXPECT_EQ(WriteFileIfChangedNative(path, s.bytes, 1, &failed), s.ok);
        EXPECT_EQ(fileId() != before, s.written);
        EXPECT_EQ(ReadAll(path), s.bytes);
    }
}
