// A test client for the stand-in server over raw sockets: it writes requests byte for byte as the phone
// client does and reads replies with its own small HTTP reader, so the server is checked independently of
// the client's transport. Decoding of bodies uses the client's own codecs, which is what must agree.
#pragma once

#include "core/DataSet.h"
#include "core/LzssCodec.h"
#include "core/PacketCipher.h"
#include "core/ZlibBuffer.h"
#include "platform/device/RsaKeyPair.h"
#include "platform/net/TcpServer.h"
#include "server/HttpServer.h"
#include "server/ServerFunctions.h"
#include "server/ServerText.h"

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

struct TestReply {
    bool ok = false; // a complete reply was read
    std::string header;
    bool chunked = false;
    int etag[4] = {-1, -1, -1, -1};
    bool hasEtag = false;
    std::string body;  // as sent
    std::string plain; // deciphered and unpacked
};

// Parsed record sets of a plain body; owns them.
struct TestSets {
    std::vector<std::unique_ptr<CDataSet>> sets;
    explicit TestSets(const std::string& plain);
    size_t size() const { return sets.size(); }
    CDataSet& operator[](size_t i) { return *sets[i]; }
};

// Reads one reply from the connection; false on close, time-out or malformed framing.
bool ReadReply(CTcpConnection& connection, TestReply& reply, int timeoutMs = 5000);
// Deciphers with the key and unpacks as the ETag says, with the client's codecs.
bool DecodeBody(TestReply& reply, const std::string& key);

// A server on loopback with a fixed market: seed 7, 60 minutes into Monday 8 December 2025, frozen.
class CServerUnderTest {
public:
    explicit CServerUnderTest(int compressThreshold = 1024);
    // The same with the market running at the given speed (minutes per second).
    static CServerOptions Options(int compressThreshold = 1024, double minutesPerSecond = 0);
    explicit CServerUnderTest(const CServerOptions& options);
    ~CServerUnderTest();

    CServerFunctions& Functions() { return *functions; }
    CHttpServer& Http() { return *http; }
    int Port() const { return http->GetPort(); }
    int ControlPort() const { return http->GetControlPort(); }
    static const CRsaKeyPair& Keys();
    static std::string PublicKeyPath(); // "pubkey.bin" of the test keys, written once

private:
    std::unique_ptr<CServerFunctions> functions;
    std::unique_ptr<CHttpServer> http;
};

// One client with its connection, session key and session, building requests as the phone does.
class CTestClient {
public:
    explicit CTestClient(CServerUnderTest& server);

    std::string sessionKey = "AbCdEfGh01234567";
    std::string session;
    int packetCounter = 0;

    // Common fields of every request.
    std::string CommonFields();
    // Sends "tc_service=300&tc_isunicode=0&" + text; false when the connection failed.
    bool Send(const std::string& text, const std::string& extraHeaders = std::string());
    TestReply Exchange(const std::string& text);
    // The envelope with function numbers, the window part and the common fields.
    TestReply Call(int mfunc, int sfunc, const std::string& part);
    // The same with the business fields enciphered as the client's networked window does.
    TestReply CallEnciphered(int mfunc, int sfunc, const std::string& part);
    // Log-in 100/1 with the session key enciphered by the client's RSA code; keeps the session text.
    TestReply LogIn(const std::string& identity = "loginType=0");
    CTcpConnection& Connection() { return connection; }
    bool Reconnect();

private:
    CServerUnderTest& server;
    CTcpConnection connection;
};
