// The HTTP client against a scripted loopback server: framing, reuse of the connection, ETag handling,
// error record sets, proxy mode and the silence budget.
#include "core/DataSet.h"
#include "core/HttpClient.h"
#include "core/ZlibBuffer.h"
#include "core/PacketCipher.h"
#include "core/ReplyRecordSet.h"
#include "platform/win/CodePage.h"
#include "platform/win/Sync.h"
#include "tests/core/TestBodies.h"
#include "tests/core/TransportTestSupport.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

std::string Gbk(const char16_t* text)
{
    char buffer[256] = {};
    WideCharToMultiByte(CP_ACP, 0, text, -1, buffer, (int)sizeof buffer, nullptr, nullptr);
    return buffer;
}

struct Outcome {
    int rc = -2;
    std::string bytes;
};

Outcome Ask(CHttpClient& client, const char* text = "tc_mfuncno=100&tc_sfuncno=1")
{
    BYTE* data = nullptr;
    int length = -1;
    Outcome o;
    o.rc = client.Request(text, &data, &length);
    if (data && length > 0)
        o.bytes.assign((const char*)data, (size_t)length);
    return o;
}

std::string ErrorText(const Outcome& o)
{
    CReplyRecordSet records((const BYTE*)o.bytes.data(), (DWORD)o.bytes.size());
    return records.hasError ? records.GetErrorText() : "<no error>";
}

std::string Packet(const std::string& plain, const char* key)
{
    std::vector<BYTE> packet((size_t)PacketSize((int)plain.size()));
    EncryptPacket(key, (const BYTE*)plain.data(), (int)plain.size(), packet.data());
    return std::string(packet.begin(), packet.end());
}

struct HttpClientTest : ::testing::Test {
    HttpClientTest()
    {
        client.SetServer("127.0.0.1", server.Port());
        client.SetSilenceBudget(2000);
        client.SetConnectPolls(100);
    }
    TestEnvironment environment;
    ScriptedServer server;
    CHttpClient client;
};

} // namespace

TEST_F(HttpClientTest, PostsTheRequestAndReadsAHeaderSplitAcrossReads)
{
    std::string reply = HttpReply("record bytes");
    server.Add(Exchange{{reply.substr(0, 20), reply.substr(20, 25), reply.substr(45)}, 0, 15});
    Outcome o = Ask(client, "tc_mfuncno=31000&code=600000");
    EXPECT_EQ(o.rc, 1);
    EXPECT_EQ(o.bytes, "record bytes");
    EXPECT_EQ(client.GetErrorCode(), -1);
    std::string body = "tc_service=300&tc_isunicode=0&tc_mfuncno=31000&code=600000";
    EXPECT_EQ(server.LastRequest(), "POST / HTTP/1.1\r\nUser-Agent: ZRQ,WinMobile\r\nAccept: image/png\r\n"
                                    "Content-Length: " +
                                        std::to_string(body.size()) + "\r\n\r\n" + body);
    EXPECT_EQ(environment.up, (int)server.LastRequest().size());
    EXPECT_EQ(environment.down, (int)reply.size());
    EXPECT_EQ(WaitForSingleObject(client.sentEvent, 0), WAIT_OBJECT_0);
}

TEST_F(HttpClientTest, ChunkedRepliesSplitAnywhereReuseOneConnection)
{
    std::string reply = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\nContent-Length: 2\r\n\r\n"
                        "6\r\nchunk1\r\n10\r\n0123456789abcdef\r\n0\r\n\r\n";
    std::vector<size_t> cuts;
    for (size_t cut = 50; cut < reply.size(); cut += 3)
        cuts.push_back(cut);
    for (size_t cut : cuts)
        server.Add(Exchange{{reply.substr(0, cut), reply.substr(cut)}, 0, 3});
    for (size_t cut : cuts) {
        Outcome o = Ask(client);
        ASSERT_EQ(o.rc, 1) << cut;
        EXPECT_EQ(o.bytes, "chunk10123456789abcdef") << cut;
    }
    EXPECT_EQ(server.Connections(), 1);
}

TEST_F(HttpClientTest, PeerClosingMidBodyIsAReceiveFailureAndTheNextRequestReconnects)
{
    std::string reply = HttpReply(std::string(100, 'b'));
    server.Add(Exchange{{reply.substr(0, reply.size() - 40)}, 0, 0, true});
    Outcome o = Ask(client);
    EXPECT_EQ(o.rc, 0);
    EXPECT_EQ(client.GetErrorCode(), 3);
    EXPECT_EQ(ErrorText(o), Gbk(u"错误(3)：接收数据失败，请重试"));

    server.Reply(HttpReply("again"));
    o = Ask(client);
    EXPECT_EQ(o.rc, 1);
    EXPECT_EQ(o.bytes, "again");
    EXPECT_EQ(server.Connections(), 2);
}

TEST_F(HttpClientTest, ReplyWithoutFramingIsAReceiveFailure)
{
    server.Add(Exchange{{"HTTP/1.1 200 OK\r\nServer: odd\r\n\r\nbody"}});
    Outcome o = Ask(client);
    EXPECT_EQ(o.rc, 0);
    EXPECT_EQ(client.GetErrorCode(), 3);
}

TEST_F(HttpClientTest, ETagTypesCarryOverToAReplyWithoutTheHeader)
{
    std::string plain;
    for (int i = 0; i < 200; ++i)
        plain += "price=" + std::to_string(1000 + i % 7) + ";";
    auto packed = LzssTestEncode((const uint8_t*)plain.data(), plain.size());
    std::string body = Packet(std::string(packed.begin(), packed.end()), environment.key);
    server.Reply(HttpReply(body, "0,0,17,36"));
    server.Reply(HttpReply(body));
    server.Reply(HttpReply("plain again", "\"0,1,0,0\""));
    server.Reply(HttpReply("still plain"));
    EXPECT_EQ(Ask(client).bytes, plain);
    EXPECT_EQ(Ask(client).bytes, plain); // no header: deciphered and unpacked with the old types
    EXPECT_EQ(client.GetCompressType(), 17);
    EXPECT_EQ(Ask(client).bytes, "plain again");
    EXPECT_EQ(client.GetCompressType(), 0);
    EXPECT_EQ(client.GetCipherType(), 0);
    EXPECT_EQ(Ask(client).bytes, "still plain");
}

TEST_F(HttpClientTest, ZlibOnlyAndUndecodableBodies)
{
    std::string plain(5000, 'z');
    auto zlib = ZlibTestBody(plain, (uint32_t)plain.size());
    server.Reply(HttpReply(std::string(zlib.begin(), zlib.end()), "0,0,18,0"));
    EXPECT_EQ(Ask(client).bytes, plain);
    // A size field that does not match: the body is passed on as it came.
    auto wrong = ZlibTestBody(plain, (uint32_t)plain.size() + 1);
    server.Reply(HttpReply(std::string(wrong.begin(), wrong.end()), "0,0,18,0"));
    EXPECT_EQ(Ask(client).bytes, std::string(wrong.begin(), wrong.end()));
}

TEST_F(HttpClientTest, ABodyOfMoreRecordSetsThanAnyReplyIsAReceiveFailure)
{
    const std::string emptySet(28, '\0');
    std::string many;
    for (int i = 0; i <= MAX_REPLY_SETS; ++i)
        many += emptySet;
    // 64 MB of zero bytes: a few kilobytes of zlib that would parse into millions of empty sets.
    std::string zeros(CZlibBuffer::MAX_UNPACKED, '\0');
    auto bomb = ZlibTestBody(zeros, (uint32_t)zeros.size());
    zeros.clear();
    zeros.shrink_to_fit();
    struct Case {
        std::string body, etag;
        int rc;
    } cases[] = {
        {many.substr(emptySet.size()), "0,0,0,0", 1}, // as many as a reply may hold
        {many, "0,0,0,0", 0},
        {std::string(bomb.begin(), bomb.end()), "0,0,18,0", 0},
    };
    for (const Case& c : cases) {
        server.Reply(HttpReply(c.body, c.etag));
        Outcome o = Ask(client);
        EXPECT_EQ(o.rc, c.rc) << c.body.size();
        if (c.rc == 0) {
            EXPECT_EQ(client.GetErrorCode(), CHttpClient::ERROR_RECEIVE);
            EXPECT_EQ(ErrorText(o), Gbk(u"错误(3)：接收数据失败，请重试"));
        } else {
            EXPECT_EQ(o.bytes.size(), c.body.size());
        }
    }
}

TEST_F(HttpClientTest, ServerErrorResultGivesErrorFourWithTheServerText)
{
    std::string message = Gbk(u"会话已过期");
    server.Reply(HttpReply(message, "5"));
    Outcome o = Ask(client);
    EXPECT_EQ(o.rc, 0);
    EXPECT_EQ(client.GetErrorCode(), 4);
    EXPECT_EQ(ErrorText(o), Gbk(u"错误(4)：") + message);
    // The connection stays open; a later normal reply sets the result back.
    server.Reply(HttpReply("fine", "0"));
    EXPECT_EQ(Ask(client).rc, 1);
    EXPECT_EQ(server.Connections(), 1);
}

// A body that decodes to nothing answers nothing: it is a failed receive with the error record set, so that the
// worker retries it and the window hears of it, rather than a reply nobody is given.
TEST_F(HttpClientTest, AnEmptyBodyIsAFailedReceive)
{
    for (const char* etag : {"0,0,0,0", "0,0,17,0"}) {
        server.Reply(HttpReply("", etag));
        Outcome o = Ask(client);
        EXPECT_EQ(o.rc, 0) << etag;
        EXPECT_EQ(client.GetErrorCode(), CHttpClient::ERROR_RECEIVE) << etag;
        EXPECT_EQ(ErrorText(o), Gbk(u"错误(3)：接收数据失败，请重试")) << etag;
    }
}

TEST_F(HttpClientTest, ProxyModeGoesThroughTheGatewayAndNamesTheServer)
{
    client.SetGateway("127.0.0.1", server.Port());
    client.SetServer("10.20.30.40", 8080);
    client.SetProxyMode(1);
    server.Reply(HttpReply("via gateway"));
    server.Reply(HttpReply("same connection"));
    EXPECT_EQ(Ask(client).bytes, "via gateway");
    EXPECT_NE(server.LastRequest().find("\r\nX-Online-Host: 10.20.30.40:8080\r\n\r\n"), std::string::npos);
    // Changing the server named in the header does not reconnect.
    client.SetServer("10.20.30.41", 8081);
    EXPECT_EQ(Ask(client).bytes, "same connection");
    EXPECT_NE(server.LastRequest().find("X-Online-Host: 10.20.30.41:8081\r\n"), std::string::npos);
    EXPECT_EQ(server.Connections(), 1);
    // Leaving proxy mode reconnects, straight to the server, without the header.
    client.SetServer("127.0.0.1", server.Port());
    client.SetProxyMode(0);
    server.Reply(HttpReply("direct"));
    EXPECT_EQ(Ask(client).bytes, "direct");
    EXPECT_EQ(server.LastRequest().find("X-Online-Host"), std::string::npos);
    EXPECT_EQ(server.Connections(), 2);
}

TEST_F(HttpClientTest, SilenceLongerThanTheBudgetFailsButSlowSteadyRepliesDoNot)
{
    // Gaps far below the budget, so a busy machine running the server late cannot look like silence; the whole
    // reply still takes longer than the budget.
    client.SetSilenceBudget(800);
    std::string reply = HttpReply(std::string(40, 's'));
    std::vector<std::string> pieces;
    for (size_t i = 0; i < reply.size(); i += 5)
        pieces.push_back(reply.substr(i, 5));
    ASSERT_GT(pieces.size() * 50, 900u);
    server.Add(Exchange{pieces, 0, 50}); // over a second in all, never 800 ms quiet
    EXPECT_EQ(Ask(client).rc, 1);

    server.Add(Exchange{{reply}, 1300});
    Outcome o = Ask(client);
    EXPECT_EQ(o.rc, 0);
    EXPECT_EQ(client.GetErrorCode(), 3);
}

TEST_F(HttpClientTest, ConnectFailureAndOverlongTextAreReported)
{
    std::string longText(CHttpClient::MAX_REQUEST_TEXT + 1, 'x');
    Outcome o = Ask(client, longText.c_str());
    EXPECT_EQ(o.rc, 0);
    EXPECT_EQ(client.GetErrorCode(), 2);
    EXPECT_EQ(ErrorText(o), Gbk(u"错误(2)：发送请求失败，请重试"));
    EXPECT_TRUE(server.Requests().empty());

    // The longest text that fits goes out whole.
    std::string longest(CHttpClient::MAX_REQUEST_TEXT, 'y');
    server.Reply(HttpReply("ok"));
    EXPECT_EQ(Ask(client, longest.c_str()).rc, 1);
    EXPECT_NE(server.LastRequest().find(longest), std::string::npos);

    CHttpClient nowhere;
    nowhere.SetConnectPolls(20);
    nowhere.SetServer("no-such-host.invalid", 1);
    // The over-long text is refused before any connection is tried.
    EXPECT_EQ(Ask(nowhere, longText.c_str()).rc, 0);
    EXPECT_EQ(nowhere.GetErrorCode(), 2);
    o = Ask(nowhere);
    EXPECT_EQ(o.rc, 0);
    EXPECT_EQ(nowhere.GetErrorCode(), 1);
    EXPECT_EQ(ErrorText(o), Gbk(u"错误(1)：无法连接到服务器"));
}

TEST_F(HttpClientTest, EmptyHostIsTakenFromTheSettings)
{
    environment.SetConfig("Server_Addr", "127.0.0.1", 0);
    environment.SetConfig("Server_Port", std::to_string(server.Port()).c_str(), 0);
    CHttpClient fresh;
    server.Reply(HttpReply("configured"));
    EXPECT_EQ(Ask(fresh).bytes, "configured");
    EXPECT_STREQ(fresh.GetHost(), "127.0.0.1");
    EXPECT_EQ(fresh.GetPort(), server.Port());
}
