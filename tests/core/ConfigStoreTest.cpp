// The settings file "DefParam.dat" and the named data files, on disk in a folder of their own per test.
#include "core/ConfigStore.h"

#include "platform/win/FileIo.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <vector>

namespace {

std::u16string Wide(const std::string& s)
{
    return std::u16string(s.begin(), s.end());
}

std::vector<BYTE> Records(int count, const char* key0 = nullptr)
{
    std::vector<BYTE> bytes(size_t(count) * 64, 0);
    for (int i = 0; i < count; ++i) {
        const char* key = CConfigStore::DefaultKey(i);
        if (i == 0 && key0 != nullptr) {
            key = key0;
        }
        std::string value = "v" + std::to_string(i);
        if (key != nullptr) {
            strcpy(reinterpret_cast<char*>(&bytes[size_t(i) * 64]), key);
        }
        strcpy(reinterpret_cast<char*>(&bytes[size_t(i) * 64 + 32]), value.c_str());
    }
    return bytes;
}

} // namespace

class ConfigStoreFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(folder.Path().empty());
        dir = folder.Path();
        wideDir = Wide(dir);
    }

    std::u16string PathOf(const char* name) { return wideDir + Wide(name); }

    void WriteParamFile(const std::vector<BYTE>& bytes)
    {
        ASSERT_TRUE(WriteFileAtomically(PathOf("DefParam.dat").c_str(), bytes.data(), bytes.size()));
    }

    std::string ReadFile(const char* name)
    {
        std::string path = dir + name;
        FILE* f = fopen(path.c_str(), "rb");
        if (f == nullptr) {
            return "<missing>";
        }
        std::string data;
        char chunk[4096];
        size_t n;
        while ((n = fread(chunk, 1, sizeof chunk, f)) > 0) {
            data.append(chunk, n);
        }
        fclose(f);
        return data;
    }

    TempFolder folder; // the test's own, removed with it
    std::string dir;
    std::u16string wideDir;
};

TEST_F(ConfigStoreFiles, FirstStartWritesTheDefaultsAndTheDefaultStockList)
{
    CConfigStore store(wideDir.c_str());
    CAString version;
    store.Load(&version);
    EXPECT_EQ(store.GetRecordCount(), 23u);
    EXPECT_EQ(version.GetLength(), 0u); // stays empty until the log-on reply sets it
    EXPECT_STREQ(store.GetConfig("Server_Port"), "8002");
    EXPECT_STREQ(store.GetConfig("System_Version"), "3.2.2.0.0");
    EXPECT_STREQ(store.GetConfig("Sms_Content"), "db a");
    EXPECT_STREQ(store.GetConfig("Screen_Lock"), "1");
    std::string file = ReadFile("DefParam.dat");
    ASSERT_EQ(file.size(), 1472u);
    EXPECT_STREQ(file.c_str() + 22 * 64, "Screen_Lock");
    EXPECT_EQ(ReadFile("MyQuotes.dat"), std::string("000001.02,399001.01,100100.03,101400.03", 40));

    // A later start leaves the user's emptied list alone.
    CConfigStore again(wideDir.c_str());
    ASSERT_TRUE(again.WriteDataFile("MyQuotes", "", 0));
    remove((dir + "DefParam.dat").c_str());
    again.Load(&version);
    EXPECT_EQ(ReadFile("MyQuotes.dat"), "");
}

TEST_F(ConfigStoreFiles, OlderFileOfTwentyRecordsGainsTheNewerDefaults)
{
    std::vector<BYTE> old = Records(20);
    strcpy(reinterpret_cast<char*>(&old[12 * 64 + 32]), "3.1.7.0.0");
    WriteParamFile(old);
    CConfigStore store(wideDir.c_str());
    CAString version;
    store.Load(&version);
    EXPECT_STREQ(version.GetText(), "3.1.7.0.0");
    EXPECT_EQ(store.GetRecordCount(), 23u);
    EXPECT_STREQ(store.GetConfig("Server_Port"), "v1");
    EXPECT_STREQ(store.GetConfig("Sms_Content"), "db a");
    EXPECT_STREQ(store.GetConfig("Screen_Mode"), "4");
    EXPECT_STREQ(store.GetConfig("System_Version"), "3.2.7.0.0");
    std::string file = ReadFile("DefParam.dat");
    ASSERT_EQ(file.size(), 23u * 64); // written back whole
    EXPECT_STREQ(file.c_str() + 12 * 64 + 32, "3.2.7.0.0");
    EXPECT_STREQ(file.c_str() + 21 * 64 + 32, "4");
}

TEST_F(ConfigStoreFiles, HundredByteFileYieldsOneRecordThenDefaults)
{
    std::vector<BYTE> bytes = Records(2);
    bytes.resize(100);
    WriteParamFile(bytes);
    CConfigStore store(wideDir.c_str());
    store.Load(nullptr);
    EXPECT_EQ(store.GetRecordCount(), 23u);
    EXPECT_STREQ(store.GetConfig("Server_Addr"), "v0");
    EXPECT_STREQ(store.GetConfig("Server_Port"), "8002"); // the tail record is ignored
    EXPECT_EQ(ReadFile("DefParam.dat").size(), 1472u);
}

TEST_F(ConfigStoreFiles, RecordsMatchDefaultsByPositionSoAMovedKeyIsMissing)
{
    WriteParamFile(Records(23, "Some_Other_Key"));
    CConfigStore store(wideDir.c_str());
    store.Load(nullptr);
    EXPECT_EQ(store.GetConfig("Server_Addr"), nullptr);
    EXPECT_STREQ(store.GetConfig("some_other_key"), "v0");
    // Callers that need a number get their default instead of atoi(null).
    EXPECT_EQ(store.GetConfigInt("Server_Addr", 7), 7);
    EXPECT_EQ(store.GetConfigInt("Quote_RefeWait", 10), 0); // "v11" is no number: atoi's 0, as before
    ASSERT_TRUE(store.SetConfig("Quote_RefeWait", "15", 0));
    EXPECT_EQ(store.GetConfigInt("Quote_RefeWait", 10), 15);
    char out[4] = "xxx";
    EXPECT_FALSE(store.CopyConfig("Server_Addr", out, sizeof out));
    EXPECT_STREQ(out, "");
    ASSERT_TRUE(store.CopyConfig("Sms_Content", out, sizeof out));
    EXPECT_STREQ(out, "v20");
}

TEST_F(ConfigStoreFiles, KeysCompareWithoutCaseButWithTheirLength)
{
    CConfigStore store(wideDir.c_str());
    store.Load(nullptr);
    EXPECT_STREQ(store.GetConfig("server_port"), "8002");
    EXPECT_EQ(store.GetConfig("Server_Por"), nullptr);
    EXPECT_EQ(store.GetConfig(nullptr), nullptr);
}

TEST_F(ConfigStoreFiles, UnknownKeysAreNeverAddedOrSaved)
{
    CConfigStore store(wideDir.c_str());
    store.Load(nullptr);
    std::string before = ReadFile("DefParam.dat");
    EXPECT_FALSE(store.SetConfig("No_Such_Key", "1", 1));
    EXPECT_EQ(store.GetRecordCount(), 23u);
    EXPECT_EQ(ReadFile("DefParam.dat"), before);
}

TEST_F(ConfigStoreFiles, StoringAValueReadBackFromTheStoreKeepsIt)
{
    CConfigStore store(wideDir.c_str());
    store.Load(nullptr);
    ASSERT_TRUE(store.SetConfig("Quote_RefeWait", store.GetConfig("Quote_RefeWait"), 1));
    EXPECT_STREQ(store.GetConfig("Quote_RefeWait"), "10");
    EXPECT_STREQ(ReadFile("DefParam.dat").c_str() + 11 * 64 + 32, "10");
    ASSERT_TRUE(store.SetConfig("Quote_RefeWait", store.GetConfig("Quote_RefeWait") + 1, 0)); // overlapping
    EXPECT_STREQ(store.GetConfig("Quote_RefeWait"), "0");
}

TEST_F(ConfigStoreFiles, LongValuesAndUnterminatedFieldsAreCutAtThirtyOneCharacters)
{
    CConfigStore store(wideDir.c_str());
    store.Load(nullptr);
    std::string forty(40, 'x');
    ASSERT_TRUE(store.SetConfig("Trade_ZJZH", forty.c_str(), 1));
    EXPECT_EQ(std::string(store.GetConfig("Trade_ZJZH")), std::string(31, 'x'));
    std::string file = ReadFile("DefParam.dat");
    EXPECT_EQ(file[8 * 64 + 32 + 31], '\0');

    std::vector<BYTE> garbage(64 * 2, 'G'); // no terminators anywhere
    store.LoadFromBytes(garbage.data(), UINT(garbage.size()));
    EXPECT_EQ(store.GetRecordCount(), 23u);
    EXPECT_EQ(std::string(store.GetConfig(std::string(31, 'g').c_str())), std::string(31, 'G'));
}

TEST_F(ConfigStoreFiles, FixVersionKeepsTheTextFromTheSecondDot)
{
    CConfigStore store(wideDir.c_str());
    store.Load(nullptr);
    ASSERT_TRUE(store.FixVersion("3.1.7.0.0"));
    EXPECT_STREQ(store.GetConfig("System_Version"), "3.2.7.0.0");
    ASSERT_TRUE(store.FixVersion("4.0"));
    EXPECT_STREQ(store.GetConfig("System_Version"), "3.2");
    std::string longVersion = "1.2." + std::string(80, '9'); // from the server: must not overflow
    ASSERT_TRUE(store.FixVersion(longVersion.c_str()));
    EXPECT_EQ(std::string(store.GetConfig("System_Version")), "3.2." + std::string(27, '9'));
}

TEST_F(ConfigStoreFiles, SavingWhatTheFileHoldsWritesNothingAndAFailedSaveIsTriedAgain)
{
    auto fileId = [&] {
        struct stat info {};
        stat((dir + "DefParam.dat").c_str(), &info);
        return info.st_ino; // a rewrite replaces the file
    };
    {
        CConfigStore first(wideDir.c_str());
        first.Load(nullptr); // the first start writes the defaults
    }
    CConfigStore store(wideDir.c_str());
    store.Load(nullptr);
    ino_t written = fileId();
    {
        ScopedFullDisk full;
        EXPECT_TRUE(store.FixVersion(store.GetConfig("System_Version"))); // every start's check: no change
        EXPECT_EQ(fileId(), written);
        EXPECT_FALSE(store.SetConfig("Font_Size", "30", 1));
    }
    // The value the failed save kept in memory is not on disk yet: the same value again is written.
    EXPECT_TRUE(store.SetConfig("Font_Size", "30", 1));
    EXPECT_NE(fileId(), written);
    {
        // Saves that rename the file in but cannot flush its folder: the file holds them, the disk may not.
        ScopedFolderFlushFailure failing(EIO);
        EXPECT_FALSE(store.SetConfig("Font_Size", "28", 1));
        EXPECT_FALSE(store.SetConfig("Font_Size", "30", 1));
        EXPECT_FALSE(store.SetConfig("Font_Size", "30", 1)) << "held by the file, yet never flushed";
    }
    EXPECT_TRUE(store.SetConfig("Font_Size", "30", 1));
    CConfigStore reread(wideDir.c_str());
    reread.Load(nullptr);
    EXPECT_STREQ(reread.GetConfig("Font_Size"), "30");
}

TEST_F(ConfigStoreFiles, AnUnchangedSaveStillWritesAFileSomeoneElseRemovedOrReplaced)
{
    // The store's settings are acknowledged as saved only when the file holds them, whoever touched it since.
    const std::function<void()> changes[] = {
        [&] { std::remove((dir + "DefParam.dat").c_str()); },
        [&] { WriteParamFile(Records(3)); },
    };
    for (const auto& change : changes) {
        CConfigStore store(wideDir.c_str());
        store.Load(nullptr);
        CByteBuffer held(64);
        store.Serialize(&held);
        change();
        EXPECT_TRUE(store.SetConfig("Font_Size", store.GetConfig("Font_Size"), 1));
        EXPECT_EQ(ReadFile("DefParam.dat"), std::string(reinterpret_cast<const char*>(held.data), held.count));
    }
}

TEST_F(ConfigStoreFiles, DataFilesRoundTripAndMissingOnesReadAsMinusOne)
{
    CConfigStore store(wideDir.c_str());
    const char text[] = "600000.01,000002.02";
    ASSERT_TRUE(store.WriteDataFile("MyQuotes", text, sizeof text - 1));
    BYTE* data = nullptr;
    ASSERT_EQ(store.ReadDataFile("MyQuotes", &data), int(sizeof text - 1));
    EXPECT_STREQ(reinterpret_cast<char*>(data), text); // zeros after the data terminate it
    free(data);

    BYTE* untouched = reinterpret_cast<BYTE*>(&data);
    BYTE* keep = untouched;
    EXPECT_EQ(store.ReadDataFile("yyb", &keep), -1);
    EXPECT_EQ(keep, untouched);
}

TEST_F(ConfigStoreFiles, WriteFailuresAreReportedAndLeaveTheOldFile)
{
    CConfigStore store(wideDir.c_str());
    store.Load(nullptr);
    // A folder where the data file should be: the replacement cannot land.
    ASSERT_EQ(system(("mkdir -p '" + dir + "Menus.dat'").c_str()), 0);
    EXPECT_FALSE(store.WriteDataFile("Menus", "abc", 3));

    std::string before = ReadFile("DefParam.dat");
    CConfigStore elsewhere((wideDir + u"no-such-folder/").c_str());
    elsewhere.Load(nullptr);
    EXPECT_FALSE(elsewhere.SetConfig("Font_Size", "30", 1));
    EXPECT_FALSE(elsewhere.Save());
    EXPECT_EQ(ReadFile("DefParam.dat"), before);
}

TEST_F(ConfigStoreFiles, WorkerThreadReadsWholeValuesWhileTheGuiThreadWrites)
{
    CConfigStore store(wideDir.c_str());
    store.Load(nullptr);
    const std::string a(31, 'a');
    const std::string b = "b";
    // One of the two values before the reader starts: it may well read before the first write below.
    ASSERT_TRUE(store.SetConfig("Server_Addr", b.c_str(), 0));
    std::atomic<bool> stop{false};
    std::atomic<int> torn{0};
    std::atomic<int> reads{0};
    std::thread worker([&] {
        char value[32];
        while (!stop.load()) {
            store.CopyConfig("Server_Addr", value, sizeof value);
            if (value != a && value != b) {
                ++torn;
            }
            ++reads;
        }
    });
    // Keep writing until the reader has really overlapped the writes, however late it was scheduled.
    for (int i = 0; i < 20000 || reads.load() < 1000; ++i) {
        store.SetConfig("Server_Addr", (i % 2 == 0 ? a : b).c_str(), 0);
    }
    stop = true;
    worker.join();
    EXPECT_EQ(torn.load(), 0);
}

TEST_F(ConfigStoreFiles, AnUnreadableSettingsFileIsNeverOverwrittenWithTheDefaults)
{
    // A folder standing where the file should be: it exists, yet cannot be read as settings.
    ASSERT_EQ(system(("mkdir -p '" + dir + "DefParam.dat'").c_str()), 0);
    CConfigStore store(wideDir.c_str());
    store.Load(nullptr);
    ASSERT_NE(store.GetConfig("Server_Port"), nullptr);
    EXPECT_STREQ(store.GetConfig("Server_Port"), "8002");
    EXPECT_EQ(ReadFile("MyQuotes.dat"), "<missing>");
    FILE* f = fopen((dir + "DefParam.dat").c_str(), "rb");
    ASSERT_NE(f, nullptr); // still the folder, not a file of defaults
    fclose(f);
    EXPECT_EQ(system(("test -d '" + dir + "DefParam.dat'").c_str()), 0);
}

TEST_F(ConfigStoreFiles, AnUnreadableStockListIsNotReplacedByTheDefaultCodesOnFirstStart)
{
    // No settings yet (a first start), but a stock list that is there and cannot be read.
    ASSERT_EQ(system(("mkdir -p '" + dir + "MyQuotes.dat'").c_str()), 0);
    CConfigStore store(wideDir.c_str());
    store.Load(nullptr);
    EXPECT_EQ(system(("test -d '" + dir + "MyQuotes.dat'").c_str()), 0);
    EXPECT_NE(ReadFile("DefParam.dat"), "<missing>");
}

TEST_F(ConfigStoreFiles, AServerPortInTheEnvironmentWinsOverTheStoredOneWhenItIsAPort)
{
    {
        CConfigStore first(wideDir.c_str());
        first.Load(nullptr);
        ASSERT_TRUE(first.SetConfig("Server_Port", "8100", 1));
    }
    struct Case {
        const char* environment; // null: unset
        const char* port;
    };
    const Case cases[] = {{nullptr, "8100"}, {"9123", "9123"},  {"", "8100"},
                          {"80a", "8100"},   {"70000", "8100"}, {"0", "8100"}};
    for (const Case& c : cases) {
        if (c.environment != nullptr) {
            setenv("MORWICK_PORT", c.environment, 1);
        } else {
            unsetenv("MORWICK_PORT");
        }
        CConfigStore store(wideDir.c_str());
        store.Load(nullptr);
        EXPECT_STREQ(store.GetConfig("Server_Port"), c.port) << (c.environment ? c.environment : "unset");
    }
    unsetenv("MORWICK_PORT");
}
