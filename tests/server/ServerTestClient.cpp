// Test client for the stand-in server.
#include "ServerTestClient.h"

#include "core/Base64.h"
#include "platform/device/Rsa.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>

TestSets::TestSets(const std::string& plain)
{
    DWORD remaining = static_cast<DWORD>(plain.size());
    const BYTE* p = reinterpret_cast<const BYTE*>(plain.data());
    while (remaining > 0) {
        auto set = std::make_unique<CDataSet>();
        DWORD before = remaining;
        if (set->Parse(p, &remaining) != 0)
            break;
        p += before - remaining;
        sets.push_back(std::move(set));
    }
}

namespace {

bool ReadMore(CTcpConnection& c, std::string& data, int timeoutMs)
{
    char buffer[4096];
    int n = c.Read(buffer, sizeof buffer, timeoutMs);
    if (n <= 0)
        return false;
    data.append(buffer, static_cast<size_t>(n));
    return true;
}

} // namespace

bool ReadReply(CTcpConnection& c, TestReply& r, int timeoutMs)
{
    r = TestReply();
    std::string data;
    size_t end;
    while ((end = data.find("\r\n\r\n")) == std::string::npos)
        if (!ReadMore(c, data, timeoutMs))
            return false;
    r.header = data.substr(0, end + 2);
    std::string lower = ToLower(r.header);
    std::string rest = data.substr(end + 4);
    size_t e = r.header.find("ETag: ");
    if (e != std::string::npos) {
        r.hasEtag = true;
        std::string value = r.header.substr(e + 6, r.header.find("\r\n", e) - e - 6);
        std::vector<std::string> parts = Split(value, ',');
        for (size_t i = 0; i < parts.size() && i < 4; ++i)
            r.etag[i] = std::atoi(parts[i].c_str());
    }
    if (lower.find("transfer-encoding:") != std::string::npos) {
        r.chunked = true;
        size_t at = 0;
        for (;;) {
            size_t line;
            while ((line = rest.find("\r\n", at)) == std::string::npos)
                if (!ReadMore(c, rest, timeoutMs))
                    return false;
            size_t size = std::strtoul(rest.substr(at, line - at).c_str(), nullptr, 16);
            at = line + 2;
            if (size == 0) {
                while (rest.size() < at + 2)
                    if (!ReadMore(c, rest, timeoutMs))
                        return false;
                r.ok = rest.compare(at, 2, "\r\n") == 0;
                return r.ok;
            }
            while (rest.size() < at + size + 2)
                if (!ReadMore(c, rest, timeoutMs))
                    return false;
            r.body += rest.substr(at, size);
            if (rest.compare(at + size, 2, "\r\n") != 0)
                return false;
            at += size + 2;
        }
    }
    size_t l = lower.find("content-length:");
    if (l == std::string::npos)
        return false;
    size_t length = std::strtoul(r.header.c_str() + l + 15, nullptr, 10);
    while (rest.size() < length)
        if (!ReadMore(c, rest, timeoutMs))
            return false;
    r.body = rest.substr(0, length);
    r.ok = rest.size() == length;
    return r.ok;
}

bool DecodeBody(TestReply& r, const std::string& key)
{
    std::string data = r.body;
    if (r.etag[0] > 0) {
        r.plain = data;
        return true;
    }
    if (r.etag[3] == 36) {
        std::vector<BYTE> out(data.size() + 8);
        int n = DecryptPacket(key.c_str(), reinterpret_cast<const BYTE*>(data.data()), static_cast<int>(data.size()),
                              out.data());
        if (n < 0)
            return false;
        data.assign(reinterpret_cast<const char*>(out.data()), static_cast<size_t>(n));
    }
    if (r.etag[2] == 17) {
        CLzssCodec codec;
        BYTE* out = nullptr;
        int n = 0;
        if (!data.empty() &&
            !codec.Process(reinterpret_cast<const BYTE*>(data.data()), static_cast<UINT>(data.size()), &out, &n, 0))
            return false;
        data = data.empty() ? std::string() : std::string(reinterpret_cast<const char*>(out), static_cast<size_t>(n));
    } else if (r.etag[2] == 18) {
        CZlibBuffer zlib;
        BYTE* out = nullptr;
        int n = 0;
        zlib.Unpack(reinterpret_cast<const BYTE*>(data.data()), static_cast<int>(data.size()), &out, &n, 0);
        if (!out)
            return false;
        data.assign(reinterpret_cast<const char*>(out), static_cast<size_t>(n));
    }
    r.plain = data;
    return true;
}

const CRsaKeyPair& CServerUnderTest::Keys()
{
    static CRsaKeyPair* keys = [] {
        auto* k = new CRsaKeyPair;
        k->Generate(2048);
        return k;
    }();
    return *keys;
}

std::string CServerUnderTest::PublicKeyPath()
{
    // Written once per test program and removed when it ends.
    struct KeyFile {
        std::string path;
        KeyFile()
        {
            path = (std::filesystem::temp_directory_path() /
                    ("morwick-server-test-" + std::to_string(std::random_device()()) + "-pubkey.bin"))
                       .string();
            Keys().ExportPublicKey(path);
        }
        ~KeyFile()
        {
            std::error_code ec;
            std::filesystem::remove(path, ec);
        }
    };
    static KeyFile file;
    return file.path;
}

CServerOptions CServerUnderTest::Options(int compressThreshold, double minutesPerSecond)
{
    CServerOptions o;
    o.seed = 7;
    o.startMinute = 60;
    o.today = 20251208;
    o.marketMinutesPerSecond = minutesPerSecond;
    o.compressThreshold = compressThreshold;
    return o;
}

CServerUnderTest::CServerUnderTest(int compressThreshold) : CServerUnderTest(Options(compressThreshold)) {}

CServerUnderTest::CServerUnderTest(const CServerOptions& o)
{
    functions = std::make_unique<CServerFunctions>(o, &Keys());
    http = std::make_unique<CHttpServer>(*functions);
    http->Start(0, 0);
}

CServerUnderTest::~CServerUnderTest()
{
    http->Stop();
}

CTestClient::CTestClient(CServerUnderTest& s) : server(s)
{
    connection.Connect(static_cast<unsigned short>(s.Port()));
}

bool CTestClient::Reconnect()
{
    return connection.Connect(static_cast<unsigned short>(server.Port())) != 0;
}

std::string CTestClient::CommonFields()
{
    std::string f = "hwID=352099001761481,460001234567890&netaddr=13800138000&softName=RuvAv&sysVer=3.2.2.0.0"
                    "&tc_packageid=" +
                    std::to_string(packetCounter++) + "&supportCompress=18";
    if (!session.empty())
        f += "&TC_SESSION={" + session + "}";
    return f;
}

bool CTestClient::Send(const std::string& text, const std::string& extraHeaders)
{
    std::string body = "tc_service=300&tc_isunicode=0&" + text;
    std::string message = "POST / HTTP/1.1\r\nUser-Agent: ZRQ,WinMobile\r\nAccept: image/png\r\nContent-Length: " +
                          std::to_string(body.size()) + "\r\n" + extraHeaders + "\r\n" + body;
    return connection.WriteAll(message.data(), static_cast<int>(message.size())) != 0;
}

TestReply CTestClient::Exchange(const std::string& text)
{
    TestReply r;
    if (Send(text) && ReadReply(connection, r))
        DecodeBody(r, sessionKey);
    return r;
}

TestReply CTestClient::Call(int mfunc, int sfunc, const std::string& part)
{
    std::string text = "TC_MFUNCNO=" + std::to_string(mfunc) + "&TC_SFUNCNO=" + std::to_string(sfunc) + "&" + part;
    if (!text.empty() && text.back() != '&')
        text += "&";
    return Exchange(text + CommonFields());
}

TestReply CTestClient::CallEnciphered(int mfunc, int sfunc, const std::string& part)
{
    std::string whole = part + "&" + CommonFields();
    std::string plainList, business;
    for (const std::string& pair : Split(whole, '&')) {
        if (pair.empty())
            continue;
        bool tc = pair.size() > 4 && (pair[0] == 't' || pair[0] == 'T') && (pair[1] == 'c' || pair[1] == 'C') &&
                  pair[2] == '_';
        std::string& list = tc ? plainList : business;
        if (!list.empty())
            list += "&";
        list += pair;
    }
    std::vector<BYTE> packet(business.size() + 32);
    int n = EncryptPacket(sessionKey.c_str(), reinterpret_cast<const BYTE*>(business.data()),
                          static_cast<int>(business.size()), packet.data());
    std::string text = "TC_MFUNCNO=" + std::to_string(mfunc) + "&TC_SFUNCNO=" + std::to_string(sfunc) + "&";
    if (n > 0) {
        std::vector<BYTE> base64(static_cast<size_t>(n) * 4 / 3 + 8);
        Base64Encode(packet.data(), base64.data(), static_cast<uint32_t>(n));
        text += "TC_REQDATA=" + std::string(reinterpret_cast<const char*>(base64.data())) +
                "&TC_REQLENGTH=" + std::to_string(business.size()) + "&" + plainList + "&TC_ENCRYPT=36";
    } else {
        text += business + "&" + plainList + "&TC_ENCRYPT=0";
    }
    return Exchange(text);
}

TestReply CTestClient::LogIn(const std::string& identity)
{
    CRSA rsa;
    std::string part;
    if (rsa.LoadPublicKey(CServerUnderTest::PublicKeyPath().c_str())) {
        BYTE out[256];
        DWORD length = sizeof out;
        if (rsa.Encrypt(reinterpret_cast<const BYTE*>(sessionKey.data()), static_cast<DWORD>(sessionKey.size()), out,
                        &length))
            part = "userKey=" + HexLower(out, length) + "&";
    }
    part += identity;
    TestReply r = Call(100, 1, part);
    TestSets sets(r.plain);
    if (sets.size() > 0 && sets[0].MoveFirst() && sets[0].GetString("session"))
        session = sets[0].GetString("session");
    return r;
}
