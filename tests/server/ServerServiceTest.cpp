// The customer-service card, the update announcement and the package ranges of the stand-in server, and faults
// aimed at one function.
#include "ServerTestClient.h"

#include "platform/device/ServerCipher.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

std::string Text(CDataSet& set, const char* field)
{
    const char* s = set.GetString(field);
    return s ? s : "";
}

// A package of n bytes that are not all alike, written to path.
std::string WritePackage(const std::string& path, size_t n)
{
    std::string bytes(n, '\0');
    for (size_t i = 0; i < n; ++i)
        bytes[i] = static_cast<char>((i * 131 + i / 977) & 0xFF);
    std::ofstream(path, std::ios::binary).write(bytes.data(), (std::streamsize)bytes.size());
    return bytes;
}

} // namespace

TEST(ServerService, CustomerServiceCardHasTheAccountManagerAndTheServiceNumbers)
{
    CServerUnderTest server;
    CTestClient client(server);
    ASSERT_TRUE(client.LogIn().ok);
    TestReply r = client.Call(800, 1, "");
    ASSERT_TRUE(r.ok);
    TestSets sets(r.plain);
    ASSERT_EQ(sets.size(), 2u);
    EXPECT_STREQ(sets[0].GetName(), "kfjl");
    ASSERT_TRUE(sets[0].MoveFirst());
    EXPECT_EQ(Text(sets[0], "mobile"), "13911112222");
    EXPECT_EQ(GbToUtf8(Text(sets[0], "name")), "王晓明");
    EXPECT_STREQ(sets[1].GetName(), "kfdh");
    EXPECT_EQ(sets[1].GetRowCount(), 3);
}

TEST(ServerService, UpdateIsAnnouncedOnlyToOlderClientsAndServedByRanges)
{
    CServerUnderTest server;
    std::string path =
        (std::filesystem::temp_directory_path() / ("morwick-package-" + std::to_string(getpid()))).string();
    std::string package = WritePackage(path, 300000);
    std::string error;
    ASSERT_TRUE(server.Functions().LoadPackage(path, &error)) << error;
    std::filesystem::remove(path);
    CTestClient client(server);
    ASSERT_TRUE(client.LogIn().ok);

    // The server's version is 3.2.2.0.1; the client says its own in "sysVer".
    struct {
        const char* sysVer;
        bool offered;
    } cases[] = {{"3.2.2.0.0", true}, {"3.1.9.9.9", true}, {"3.2.2.0.1", false}, {"3.3.0.0.0", false}};
    for (const auto& c : cases) {
        TestReply r = client.Call(800, 2, std::string("sysVer=") + c.sysVer);
        ASSERT_TRUE(r.ok);
        TestSets sets(r.plain);
        ASSERT_GE(sets.size(), 1u);
        sets[0].MoveFirst();
        if (!c.offered) {
            EXPECT_TRUE(sets[0].IsError()) << c.sysVer;
            continue;
        }
        EXPECT_EQ(Text(sets[0], "version"), "3.2.2.0.1");
        EXPECT_EQ(sets[0].GetAsInt("size"), 300000);
        EXPECT_EQ(Text(sets[0], "md5"), ServerMd5Hex(package));
    }

    // Ranges come back as they are (never packed), the last one short; a range outside the package is refused.
    struct {
        long long offset;
        int length;
        int result;
        size_t size;
    } ranges[] = {
        {0, 100000, 0, 100000}, {250000, 100000, 0, 50000}, {300000, 10, 1, 0}, {-1, 10, 1, 0}, {0, 2000000, 1, 0}};
    for (const auto& range : ranges) {
        TestReply r =
            client.Call(800, 3, "offset=" + std::to_string(range.offset) + "&length=" + std::to_string(range.length));
        ASSERT_TRUE(r.ok);
        EXPECT_EQ(r.etag[0], range.result) << range.offset;
        if (range.result == 0) {
            EXPECT_EQ(r.etag[2], 0);
            EXPECT_EQ(r.body, package.substr((size_t)range.offset, range.size));
        }
    }
}

TEST(ServerService, AFaultAimedAtOneFunctionWaitsForItsReply)
{
    CServerUnderTest server;
    CTestClient client(server);
    ASSERT_TRUE(client.LogIn().ok);
    EXPECT_EQ(server.Http().Control("fault?kind=error&count=1&func=800/1"), "ok\n");
    EXPECT_EQ(server.Http().Control("fault?kind=error&func=eight"), "func must be M/S\n");
    EXPECT_EQ(server.Http().Control("fault?kind=error&count=1&func=800/1"), "ok\n");
    // Another function passes untouched; the aimed one takes the fault once.
    EXPECT_EQ(client.Call(20000, 50, "").etag[0], 0);
    EXPECT_EQ(client.Call(800, 1, "").etag[0], 5);
    EXPECT_EQ(client.Call(800, 1, "").etag[0], 0);
}
