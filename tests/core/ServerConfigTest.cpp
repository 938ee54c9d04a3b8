// The server configuration table read back from the data file "config".
#include "core/ServerConfig.h"

#include "core/ConfigStore.h"
#include "core/KeyValueMap.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

std::vector<std::string> shown;

void RecordMessage(const char* text, DWORD milliseconds)
{
    shown.push_back(std::string(text) + "@" + std::to_string(milliseconds));
}

// The bytes the log-on window saves: the configuration reply's data set of rows {key, value}.
std::vector<BYTE> ConfigReply(const std::vector<std::pair<const char*, const char*>>& rows)
{
    CDataSet set;
    set.SetName("config");
    FieldInfo key = {};
    strcpy(key.name, "key");
    key.type = FIELD_TEXT;
    FieldInfo value = {};
    strcpy(value.name, "value");
    value.type = FIELD_TEXT;
    set.AddField(&key, 0);
    set.AddField(&value, 1);
    for (const auto& row : rows) {
        set.InsertRow(-1);
        set.SetString(0, row.first);
        set.SetString(1, row.second);
    }
    BYTE* bytes = nullptr;
    DWORD size = set.Serialize(&bytes);
    std::vector<BYTE> out(bytes, bytes + size);
    free(bytes);
    return out;
}

} // namespace

class ServerConfigFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(folder.Path().empty());
        const std::string& dir = folder.Path();
        wideDir = std::u16string(dir.begin(), dir.end());
        store = std::make_unique<CConfigStore>(wideDir.c_str());
        shown.clear();
    }
    TempFolder folder; // the test's own, removed with it
    std::u16string wideDir;
    std::unique_ptr<CConfigStore> store;
};

TEST_F(ServerConfigFile, GetIgnoresCaseWhilePairListsDoNot)
{
    std::vector<BYTE> reply = ConfigReply({{"market", "1^SH#2^SZ#"}, {"Tech", "MACD^1#KDJ^2"}, {"market", "later"}});
    ASSERT_TRUE(store->WriteDataFile("config", reply.data(), UINT(reply.size())));
    CServerConfig config(store.get(), RecordMessage);
    config.Load(0);
    EXPECT_TRUE(shown.empty());
    EXPECT_STREQ(config.Get("MARKET"), "1^SH#2^SZ#"); // the first matching row
    EXPECT_STREQ(config.Get("tech"), "MACD^1#KDJ^2");
    EXPECT_EQ(config.Get("sort"), nullptr);
    EXPECT_EQ(config.Get(""), nullptr);
    EXPECT_EQ(config.Get(nullptr), nullptr);

    KeyValueMap tech(config.Get("tech"));
    EXPECT_STREQ(tech.FindValue("KDJ"), "2");
    EXPECT_EQ(tech.FindValue("kdj"), nullptr);

    config.Load(1); // only drops the table
    EXPECT_EQ(config.Get("tech"), nullptr);
}

TEST_F(ServerConfigFile, MissingFileShowsTheEmptyReplyTextAndLeavesNoTable)
{
    CServerConfig config(store.get(), RecordMessage);
    config.Load(0);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0], "\xce\xb4\xc8\xa1\xb5\xbd\xb4\xed\xce\xf3\xd0\xc5\xcf\xa2@5000"); // 未取到错误信息
    EXPECT_EQ(config.Get("market"), nullptr);
}

TEST_F(ServerConfigFile, TableWithoutRowsFindsNothing)
{
    std::vector<BYTE> reply = ConfigReply({});
    CServerConfig config(store.get(), RecordMessage);
    config.LoadFromBytes(reply.data(), DWORD(reply.size()));
    EXPECT_TRUE(shown.empty());
    EXPECT_EQ(config.Get("market"), nullptr);
}

TEST_F(ServerConfigFile, PlainConstructorUsesTheSharedStore)
{
    std::vector<BYTE> reply = ConfigReply({{"sort", "0^up#1^down"}});
    ASSERT_TRUE(store->WriteDataFile("config", reply.data(), UINT(reply.size())));
    CServerConfig::SetServices(store.get(), RecordMessage);
    CServerConfig config;
    config.Load(0);
    EXPECT_STREQ(config.Get("Sort"), "0^up#1^down");
    CServerConfig::SetServices(nullptr, nullptr);
}
