// HTTP framing, keep-alive, the proxy form, compression and cipher switches, and faults of the stand-in server.
#include "ServerTestClient.h"

#include "core/HttpReplyReader.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <thread>
#include <vector>

namespace {

const std::string RANKED = "tc_mfuncno=31000&tc_sfuncno=3&market=0&class=0&type=21&direct=1&offset=0&count=20"
                           "&field=4|3|16|20|21|13|11|1";

struct HttpFixture : ::testing::Test {
    CServerUnderTest server;
    CTestClient client{server};
    void SetUp() override { client.LogIn(); }
    TestReply Ranked() { return client.Exchange(RANKED + "&" + client.CommonFields()); }
};

std::string ControlRequest(int port, const std::string& path)
{
    CTcpConnection c;
    if (!c.Connect(static_cast<unsigned short>(port)))
        return std::string();
    std::string request = "GET " + path + " HTTP/1.1\r\n\r\n";
    c.WriteAll(request.data(), static_cast<int>(request.size()));
    std::string answer;
    char buffer[1024];
    int n;
    while ((n = c.Read(buffer, sizeof buffer, 2000)) > 0)
        answer.append(buffer, static_cast<size_t>(n));
    return answer;
}

} // namespace

TEST_F(HttpFixture, ManyRequestsShareOneConnectionAndTheProxyFormIsServedAlike)
{
    TestReply first = Ranked();
    ASSERT_TRUE(first.ok);
    for (int i = 0; i < 5; ++i) {
        TestReply again = Ranked();
        ASSERT_TRUE(again.ok);
        EXPECT_EQ(again.plain, first.plain); // the market is frozen in tests
    }
    // As the operator's gateway would pass it on.
    std::string body = "tc_service=300&tc_isunicode=0&" + RANKED + "&" + client.CommonFields();
    std::string proxied = "POST http://10.0.0.172:80/ HTTP/1.1\r\nUser-Agent: ZRQ,WinMobile\r\nAccept: image/png\r\n"
                          "Content-Length: " +
                          std::to_string(body.size()) + "\r\nX-Online-Host: 127.0.0.1:8002\r\n\r\n" + body;
    ASSERT_TRUE(client.Connection().WriteAll(proxied.data(), static_cast<int>(proxied.size())));
    TestReply viaProxy;
    ASSERT_TRUE(ReadReply(client.Connection(), viaProxy));
    DecodeBody(viaProxy, client.sessionKey);
    EXPECT_EQ(viaProxy.plain, first.plain);
}

TEST_F(HttpFixture, RequestBytesArrivingOneAtATimeAreAssembled)
{
    std::string body = "tc_service=300&tc_isunicode=0&" + RANKED + "&" + client.CommonFields();
    std::string message = "POST / HTTP/1.1\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
    for (size_t i = 0; i < message.size(); i += 7) {
        std::string piece = message.substr(i, 7);
        ASSERT_TRUE(client.Connection().WriteAll(piece.data(), static_cast<int>(piece.size())));
    }
    TestReply r;
    ASSERT_TRUE(ReadReply(client.Connection(), r));
    EXPECT_EQ(r.etag[0], 0);
}

TEST_F(HttpFixture, ChunkedRepliesCarryTheSameBodyAsPlainOnes)
{
    TestReply plain = Ranked();
    server.Http().SetChunked(true);
    TestReply chunked = Ranked();
    ASSERT_TRUE(chunked.ok);
    EXPECT_TRUE(chunked.chunked);
    EXPECT_EQ(chunked.header.find("Content-Length"), std::string::npos);
    EXPECT_EQ(chunked.plain, plain.plain);
    // Awkward splits: tiny chunks, size lines and CR LF written apart.
    server.Http().Faults().Arm(FAULT_SPLIT, 1);
    TestReply split = Ranked();
    ASSERT_TRUE(split.ok);
    EXPECT_EQ(split.plain, plain.plain);
}

TEST_F(HttpFixture, CompressionAndCipherSwitchesAreHonouredAndDecodeWithTheClientCodecs)
{
    TestReply automatic = Ranked();
    EXPECT_EQ(automatic.etag[2], 18); // a ranked page is over the threshold, and zlib is understood
    EXPECT_EQ(automatic.etag[3], 0);  // market data goes plain
    server.Http().Control("set?compress=off");
    TestReply reference = Ranked();
    EXPECT_EQ(reference.etag[2], 0);
    EXPECT_EQ(automatic.plain, reference.plain);
    server.Http().Control("set?compress=lzss");
    TestReply lzss = Ranked();
    EXPECT_EQ(lzss.etag[2], 17);
    EXPECT_LT(lzss.body.size(), reference.body.size());
    EXPECT_EQ(lzss.plain, reference.plain);
    server.Http().Control("set?compress=zlib&cipher=on");
    TestReply both = Ranked();
    EXPECT_EQ(both.etag[2], 18);
    EXPECT_EQ(both.etag[3], 36);
    EXPECT_EQ(both.plain, reference.plain);
    server.Http().Control("set?compress=off&cipher=off");
    TestReply none = Ranked();
    EXPECT_EQ(none.etag[2], 0);
    EXPECT_EQ(none.etag[3], 0);
    EXPECT_EQ(none.body, reference.plain);
}

TEST(HttpPacking, AutomaticPackingSendsSmallRepliesPlainAndLargerOnesInZlib)
{
    CServerUnderTest server(CServerUnderTest::Options(CServerOptions().compressThreshold));
    CTestClient client{server};
    client.LogIn();
    struct Case {
        int rows;
        int compression; // ETag's
    };
    for (const Case& c : {Case{20, 0}, Case{60, 18}}) {
        std::string request = "tc_mfuncno=31000&tc_sfuncno=3&market=0&class=0&type=21&direct=1&offset=0&count=" +
                              std::to_string(c.rows) + "&field=4|3|16|20|21|13|11|1&";
        server.Http().Control("set?compress=auto");
        TestReply automatic = client.Exchange(request + client.CommonFields());
        server.Http().Control("set?compress=off");
        TestReply plain = client.Exchange(request + client.CommonFields());
        EXPECT_EQ(automatic.etag[2], c.compression) << c.rows << " rows, " << plain.plain.size() << " bytes";
        EXPECT_EQ(automatic.plain, plain.plain);
        EXPECT_EQ(plain.plain.size() >= static_cast<size_t>(CServerOptions().compressThreshold), c.compression != 0);
    }
}

TEST_F(HttpFixture, ErrorResultFaultSendsTheTextInGb2312)
{
    server.Http().Faults().Arm(FAULT_ERROR, 1, 7, Gb("系统维护中"));
    TestReply r = Ranked();
    EXPECT_EQ(r.etag[0], 7);
    EXPECT_EQ(GbToUtf8(r.body), "系统维护中");
    EXPECT_EQ(Ranked().etag[0], 0); // a count of 1 fires once
}

TEST_F(HttpFixture, CloseInMidBodyAndWrongLengthBreakOnlyTheirConnection)
{
    server.Http().Faults().Arm(FAULT_CLOSE_MID_BODY, 1);
    TestReply cut = Ranked();
    EXPECT_FALSE(cut.ok);
    ASSERT_TRUE(client.Reconnect());
    EXPECT_TRUE(Ranked().ok);

    server.Http().Faults().Arm(FAULT_WRONG_LENGTH, 1, 16);
    TestReply longer;
    ASSERT_TRUE(client.Send(RANKED + "&" + client.CommonFields()));
    EXPECT_FALSE(ReadReply(client.Connection(), longer, 2000)); // the promised bytes never come; the server closes
    ASSERT_TRUE(client.Reconnect());
    EXPECT_TRUE(Ranked().ok);
}

TEST_F(HttpFixture, GarbageBodyKeepsTheFramingButNotTheData)
{
    TestReply reference = Ranked();
    server.Http().Faults().Arm(FAULT_GARBAGE, 1);
    TestReply garbage = Ranked();
    ASSERT_TRUE(garbage.ok);
    EXPECT_EQ(garbage.etag[0], 0);
    EXPECT_EQ(garbage.body.size(), reference.body.size());
    EXPECT_NE(garbage.body, reference.body);
}

TEST_F(HttpFixture, SilenceAndDelayHoldTheReply)
{
    server.Http().Faults().Arm(FAULT_DELAY, 1, 300);
    auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(Ranked().ok);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(280));

    server.Http().Faults().Arm(FAULT_SILENCE, 1);
    TestReply silent;
    ASSERT_TRUE(client.Send(RANKED + "&" + client.CommonFields()));
    EXPECT_FALSE(ReadReply(client.Connection(), silent, 400));
    ASSERT_TRUE(client.Reconnect());
    EXPECT_TRUE(Ranked().ok);
}

TEST_F(HttpFixture, ControlPortArmsFaultsAndExpiresSessions)
{
    std::string answer = ControlRequest(server.ControlPort(), "/fault?kind=error&arg=9&count=1&text=%E5%BF%99");
    EXPECT_NE(answer.find("ok"), std::string::npos);
    TestReply r = Ranked();
    EXPECT_EQ(r.etag[0], 9);
    EXPECT_EQ(GbToUtf8(r.body), "忙");
    ControlRequest(server.ControlPort(), "/expire");
    EXPECT_EQ(Ranked().etag[0], 100);
    EXPECT_NE(ControlRequest(server.ControlPort(), "/status").find("requests"), std::string::npos);
    EXPECT_NE(ControlRequest(server.ControlPort(), "/fault?kind=bogus").find("unknown"), std::string::npos);
}

TEST(ServerHttp, OversizedOrNegativeRequestLengthsAreRefused)
{
    CServerUnderTest server;
    CTestClient client(server);
    std::string message = "POST / HTTP/1.1\r\nContent-Length: 999999999\r\n\r\n";
    ASSERT_TRUE(client.Connection().WriteAll(message.data(), static_cast<int>(message.size())));
    TestReply r;
    ASSERT_TRUE(ReadReply(client.Connection(), r));
    EXPECT_GE(r.etag[0], 1);
    EXPECT_LE(r.etag[0], 99);
}

TEST(ServerHttp, ASlowHeaderFloodLeavesGoodRequestsAnswered)
{
    CServerUnderTest server;
    server.Http().SetLimits(1000, 64, 32);
    // A bounded flood on loopback: more half-sent headers than the server takes, each left hanging.
    std::vector<std::unique_ptr<CTcpConnection>> flood;
    const std::string half = "POST / HTTP/1.1\r\nContent-Le";
    for (int i = 0; i < 100; ++i) {
        auto c = std::make_unique<CTcpConnection>();
        if (c->Connect(static_cast<unsigned short>(server.Port())))
            c->WriteAll(half.data(), static_cast<int>(half.size()));
        flood.push_back(std::move(c));
    }
    // A good client arriving in the middle of it is answered.
    CTestClient client(server);
    client.LogIn();
    TestReply ranked = client.Exchange(RANKED + "&" + client.CommonFields());
    EXPECT_TRUE(ranked.ok);
    // Every hanging request is closed by the server once its time is up; the flood ends there.
    for (auto& c : flood) {
        char b[64];
        int n = c->Read(b, sizeof b, 20000);
        EXPECT_TRUE(n == 0 || n == -1) << n;
    }
}

TEST(ServerHttp, PricesMoveWhileTheServerRuns)
{
    CServerOptions o;
    o.seed = 5;
    o.startMinute = 10;
    o.today = 20251208;
    o.marketMinutesPerSecond = 60; // a market hour a second
    CServerFunctions functions(o, &CServerUnderTest::Keys());
    CHttpServer http(functions);
    ASSERT_TRUE(http.Start(0, -1));
    CTcpConnection c;
    ASSERT_TRUE(c.Connect(static_cast<unsigned short>(http.GetPort())));
    std::string login = "tc_service=300&tc_isunicode=0&TC_MFUNCNO=100&TC_SFUNCNO=1&loginType=0&hwID=1,2&softName=RuvAv";
    std::string request = "POST / HTTP/1.1\r\nContent-Length: " + std::to_string(login.size()) + "\r\n\r\n" + login;
    ASSERT_TRUE(c.WriteAll(request.data(), static_cast<int>(request.size())));
    TestReply r;
    ASSERT_TRUE(ReadReply(c, r));
    TestSets sets(r.body);
    ASSERT_TRUE(sets[0].MoveFirst());
    std::string session = sets[0].GetString("session");
    auto minute = [&] {
        std::string body = "tc_service=300&tc_isunicode=0&tc_mfuncno=31000&tc_sfuncno=9&code=600010.2&time=0&offset=0"
                           "&direct=1&count=1&hwID=1,2&softName=RuvAv&TC_SESSION={" +
                           session + "}";
        std::string m = "POST / HTTP/1.1\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
        c.WriteAll(m.data(), static_cast<int>(m.size()));
        TestReply d;
        ReadReply(c, d);
        TestSets s(d.body);
        return s.size() == 2 && s[1].MoveFirst() ? s[1].GetShort("tm") : -1;
    };
    int before = minute();
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    int after = minute();
    EXPECT_GT(before, 0);
    EXPECT_NE(after, before);
    http.Stop();
}

TEST_F(HttpFixture, TheClientsReplyReaderTakesEveryFramingAsItArrives)
{
    server.Http().Control("set?compress=off");
    TestReply reference = Ranked();
    ASSERT_TRUE(reference.ok);
    struct Mode {
        bool chunked;
        bool split;
    };
    for (Mode mode : {Mode{false, false}, Mode{true, false}, Mode{true, true}}) {
        server.Http().SetChunked(mode.chunked);
        if (mode.split)
            server.Http().Faults().Arm(FAULT_SPLIT, 1);
        ASSERT_TRUE(client.Send(RANKED + "&" + client.CommonFields()));
        CHttpReplyReader reader;
        CByteBuffer body(64);
        int result = CHttpReplyReader::NEED_MORE;
        char buffer[4096];
        while (result == CHttpReplyReader::NEED_MORE) {
            int n = client.Connection().Read(buffer, sizeof buffer, 3000);
            ASSERT_GT(n, 0);
            result = reader.Feed(reinterpret_cast<const BYTE*>(buffer), n, body);
        }
        ASSERT_EQ(result, CHttpReplyReader::COMPLETE) << mode.chunked << mode.split;
        EXPECT_EQ(reader.IsChunked(), mode.chunked);
        ASSERT_NE(reader.GetETag(), nullptr);
        EXPECT_STREQ(reader.GetETag(), "0,0,0,0");
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(body.data), body.count), reference.plain);
    }
}
