// The stand-in server against the client's own HTTP client: every packing the server can choose must come out
// of the client's transport as the same record sets, and errors and expiry as the client expects them.
#include "ServerTestClient.h"

#include "core/HttpClient.h"
#include "core/NetEnvironment.h"

#include <gtest/gtest.h>

namespace {

class TestEnvironment : public CNetEnvironment {
public:
    std::string key = "AbCdEfGh01234567";
    const char* GetConfig(const char*) override { return nullptr; }
    void SetConfig(const char*, const char*, int) override {}
    void AddTraffic(int, int) override {}
    const char* GetSessionKey() override { return key.c_str(); }
    int GetConnectFallback() override { return 0; }
    void SetConnectFallback(int) override {}
};

struct TransportFixture : ::testing::Test {
    CServerUnderTest server;
    TestEnvironment environment;
    CTestClient helper{server};
    CHttpClient http;

    void SetUp() override
    {
        SetNetEnvironment(&environment);
        http.SetServer("127.0.0.1", server.Port());
        helper.sessionKey = environment.key;
        helper.LogIn();
    }
    void TearDown() override { SetNetEnvironment(nullptr); }

    // The request through the client's HTTP client; the decoded reply bytes.
    std::string Request(const std::string& text, int* ok)
    {
        BYTE* data = nullptr;
        int length = 0;
        std::string whole = text + "&" + helper.CommonFields();
        *ok = http.Request(whole.c_str(), &data, &length);
        return data && length > 0 ? std::string(reinterpret_cast<const char*>(data), static_cast<size_t>(length))
                                  : std::string();
    }
};

const char* const RANKED = "tc_mfuncno=31000&tc_sfuncno=3&market=0&class=0&type=21&direct=1&offset=0&count=20"
                           "&field=4|3|16|20|21|13|11|1";

} // namespace

TEST_F(TransportFixture, EveryPackingDecodesToTheSameRecordSets)
{
    server.Http().Control("set?compress=off&cipher=off");
    int ok = 0;
    std::string plain = Request(RANKED, &ok);
    ASSERT_EQ(ok, 1);
    ASSERT_FALSE(plain.empty());
    for (const char* setting : {"set?compress=lzss", "set?compress=zlib", "set?compress=off&cipher=on",
                                "set?compress=lzss&cipher=on", "set?compress=zlib&cipher=on&chunked=1"}) {
        server.Http().Control(setting);
        EXPECT_EQ(Request(RANKED, &ok), plain) << setting;
        EXPECT_EQ(ok, 1) << setting;
    }
    server.Http().Faults().Arm(FAULT_SPLIT, 1);
    EXPECT_EQ(Request(RANKED, &ok), plain);
}

TEST_F(TransportFixture, ErrorResultsAndExpiryReachTheClientAsItsErrorFour)
{
    server.Http().Faults().Arm(FAULT_ERROR, 1, 5, Gb("系统繁忙"));
    int ok = 1;
    std::string reply = Request(RANKED, &ok);
    EXPECT_EQ(ok, 0);
    EXPECT_EQ(http.GetErrorCode(), 4);
    EXPECT_EQ(http.GetReplyResult(), 5);
    TestSets sets(reply);
    ASSERT_EQ(sets.size(), 1u);
    ASSERT_TRUE(sets[0].MoveFirst());
    EXPECT_NE(GbToUtf8(sets[0].GetString(0)).find("系统繁忙"), std::string::npos);

    server.Http().Control("expire");
    Request(RANKED, &ok);
    EXPECT_EQ(http.GetErrorCode(), 4);
    EXPECT_EQ(http.GetReplyResult(), 100);
}

TEST_F(TransportFixture, ACutReplyIsAReceiveFailureAndTheNextRequestConnectsAfresh)
{
    server.Http().Faults().Arm(FAULT_CLOSE_MID_BODY, 1);
    int ok = 1;
    Request(RANKED, &ok);
    EXPECT_EQ(ok, 0);
    EXPECT_EQ(http.GetErrorCode(), 3);
    Request(RANKED, &ok);
    EXPECT_EQ(ok, 1);
}
