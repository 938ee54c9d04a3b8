// HTTP exchange of one request: connect (straight or through the gateway), send the POST, read the reply,
// decode its body, and turn every failure into an error record set the caller reads like a reply.
#include "core/HttpClient.h"

#include "core/CipherFilter.h"
#include "core/CompressFilter.h"
#include "core/DataSet.h"
#include "core/HttpReplyReader.h"
#include "core/NetEnvironment.h"
#include "core/ReplyDecoder.h"
#include "platform/device/BuildSettings.h"
#include "platform/device/CallInterface.h"
#include "platform/win/CodePage.h"
#include "platform/win/Sync.h"
#include "platform/win/Time.h"
#include "platform/win/Winsock.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace {

// Written by the worker, read by the caption bar on the GUI thread.
std::atomic<int> networkState{-1};

std::string Gbk(const char16_t* text)
{
    char buffer[256];
    int n = WideCharToMultiByte(CP_ACP, 0, text, -1, buffer, (int)sizeof buffer, nullptr, nullptr);
    return n > 0 ? std::string(buffer) : std::string();
}

const char16_t* CodeText(int code)
{
    switch (code) {
    case CHttpClient::ERROR_NO_NETWORK:
        return u"无法建立网络连接";
    case CHttpClient::ERROR_CONNECT:
        return u"无法连接到服务器";
    case CHttpClient::ERROR_SEND:
        return u"发送请求失败，请重试";
    case CHttpClient::ERROR_RECEIVE:
        return u"接收数据失败，请重试";
    default:
        return u"";
    }
}

int ToInt(const char* text)
{
    if (!text)
        return 0;
    long value = strtol(text, nullptr, 10);
    if (value > 0x7FFFFFFF)
        return 0x7FFFFFFF;
    if (value < -0x7FFFFFFF - 1)
        return -0x7FFFFFFF - 1;
    return (int)value;
}

} // namespace

int GetNetworkState()
{
    return networkState;
}

CHttpClient::CHttpClient()
{
    sentEvent = CreateEvent(nullptr, FALSE, FALSE, nullptr);
    strncpy(gatewayHost, GetGatewayAddress(), sizeof gatewayHost - 1);
}

CHttpClient::~CHttpClient()
{
    Close();
    if (socketsStarted)
        WSACleanup();
    if (sentEvent)
        CloseHandle(sentEvent);
}

const char* CHttpClient::SetServer(const char* newHost, int newPort)
{
    if (newHost && newHost != host) {
        strncpy(host, newHost, sizeof host - 1);
        host[sizeof host - 1] = 0;
    }
    port = newPort;
    // Through the gateway the connection does not depend on the server named in the header.
    if (!proxyMode)
        reconnect = 1;
    return host;
}

void CHttpClient::SetProxyMode(int on)
{
    if (on != proxyMode) {
        proxyMode = on;
        reconnect = 1;
    }
}

void CHttpClient::Close()
{
    connected = 0;
    socket.Close();
}

void CHttpClient::SetSilenceBudget(int milliseconds)
{
    silenceBudget = milliseconds;
    socket.SetSilenceBudget(milliseconds);
}

void CHttpClient::SetGateway(const char* address, int newPort)
{
    memset(gatewayHost, 0, sizeof gatewayHost);
    if (address)
        strncpy(gatewayHost, address, sizeof gatewayHost - 1);
    gatewayPort = newPort;
}

int CHttpClient::Startup()
{
    if (socketsStarted == 1)
        return 1;
    WSADATA data;
    // A start that failed took no reference, so there is nothing to release (a release here would take
    // another user's).
    if (WSAStartup(MAKEWORD(1, 1), &data) != 0) {
        socketsStarted = 0;
        return 0;
    }
    if (host[0] == 0) {
        CNetEnvironment* environment = GetNetEnvironment();
        // Copied before the next look-up, which may reuse the text's storage.
        char address[sizeof host] = {};
        if (const char* text = environment->GetConfig("Server_Addr"))
            strncpy(address, text, sizeof address - 1);
        SetServer(address, ToInt(environment->GetConfig("Server_Port")));
    }
    socketsStarted = 1;
    return 1;
}

void CHttpClient::EnsureNetwork()
{
    if (QueryNetWorkStatus() == 1) {
        networkState = 0;
        // A failed dial shows up as a failed connect.
        Dial_StartGprsConnect2(nullptr, 5);
    }
}

void CHttpClient::FormatError(const char* text, int textLength)
{
    std::string message = Gbk(u"错误(") + std::to_string(errorCode) + Gbk(u")：");
    if (text)
        message.append(text, (size_t)(textLength < 0 ? (int)strlen(text) : textLength));
    else
        message += Gbk(CodeText(errorCode));
    // A body taken as text ends at its first zero byte.
    message = message.c_str();
    reply.SetSize(0);
    CDataSet error(message.c_str(), 0);
    error.SetError();
    BYTE* bytes = nullptr;
    int size = (int)error.Serialize(&bytes);
    if (bytes && size > 0)
        reply.Append(bytes, (UINT)size);
    free(bytes);
    error.Destroy();
}

void CHttpClient::ParseETag(const char* value)
{
    int* fields[4] = {&replyResult, &spareValue, &compressType, &cipherType};
    const char* piece = value;
    for (int i = 0; i < 4 && piece; ++i) {
        *fields[i] = ToInt(piece);
        piece = strchr(piece, ',');
        if (piece)
            ++piece;
    }
}

int CHttpClient::Fail(int code, const char* text, int textLength)
{
    errorCode = code;
    FormatError(text, textLength);
    return 0;
}

int CHttpClient::OpenConnection()
{
    if (!Startup())
        return Fail(ERROR_NO_NETWORK);
    if (reconnect) {
        reconnect = 0;
        Close();
    }
    if (!connected) {
        // Only a new connection needs the data connection dialled: an open one is proof enough that it is up,
        // and asking for the phone's status costs a settings read on every request of a kept-open connection.
        EnsureNetwork();
        networkState = 1;
        int rc = proxyMode ? socket.Connect(gatewayHost, gatewayPort) : socket.Connect(host, port & 0xFFFF);
        if (rc == -1) {
            Close();
            return -1;
        }
        if (rc == 0)
            return Fail(ERROR_CONNECT);
        connected = 1;
    }
    return 1;
}

int CHttpClient::Exchange(const char* text, CByteBuffer& received)
{
    // A text that would not fit the body is refused before anything is built from it.
    size_t textLength = text ? strlen(text) : 0;
    if (textLength > MAX_REQUEST_TEXT)
        return Fail(ERROR_SEND);
    char body[MAX_BODY];
    int bodyLength = snprintf(body, sizeof body, "tc_service=300&tc_isunicode=0&%s", text ? text : "");
    char message[MAX_BODY + 512];
    int headerLength = snprintf(message, sizeof message,
                                "POST / HTTP/1.1\r\nUser-Agent: ZRQ,WinMobile\r\nAccept: image/png\r\n"
                                "Content-Length: %d\r\n",
                                bodyLength);
    if (proxyMode)
        headerLength += snprintf(message + headerLength, sizeof message - (size_t)headerLength,
                                 "X-Online-Host: %s:%d\r\n", host, port);
    headerLength += snprintf(message + headerLength, sizeof message - (size_t)headerLength, "\r\n");
    memcpy(message + headerLength, body, (size_t)bodyLength);
    int messageLength = headerLength + bodyLength;

    networkState = 2;
    int rc = socket.Send((const BYTE*)message, messageLength);
    if (rc == -1) {
        Close();
        return -1;
    }
    if (rc == 0) {
        Close();
        return Fail(ERROR_SEND);
    }
    GetNetEnvironment()->AddTraffic(messageLength, 0);
    SetEvent(sentEvent);

    rc = Receive(received, silenceBudget);
    if (rc == -1) {
        Close();
        reply.SetSize(0);
        return -1;
    }
    if (rc == 0) {
        Close();
        return Fail(ERROR_RECEIVE);
    }
    return 1;
}

int CHttpClient::Request(const char* text, BYTE** outData, int* outLength)
{
    errorCode = ERROR_NONE;
    reply.SetSize(0);
    auto result = [&](int rc) {
        if (outData)
            *outData = reply.GetSize() ? reply.data : nullptr;
        if (outLength)
            *outLength = (int)reply.GetSize();
        return rc;
    };

    // A text that would not fit the body is refused before a connection is opened.
    if (text != nullptr && strlen(text) > MAX_REQUEST_TEXT)
        return result(Fail(ERROR_SEND));
    int rc = OpenConnection();
    if (rc != 1)
        return result(rc);
    CByteBuffer received(64);
    rc = Exchange(text, received);
    if (rc != 1)
        return result(rc);

    reply.SetSize(0);
    if (replyResult >= 1)
        return result(
            Fail(ERROR_SERVER, received.GetSize() ? (const char*)received.data : "", (int)received.GetSize()));

    CCipherFilter cipher;
    CCompressFilter compress;
    CReplyDecoder decoder;
    decoder.SetCipherFilter(&cipher);
    decoder.SetCompressFilter(&compress);
    decoder.SetCipherType(cipherType);
    decoder.SetCompressType(compressType);
    decoder.SetKey(GetNetEnvironment()->GetSessionKey());
    decoder.TakeInput(received);
    int decodedLength = 0;
    const BYTE* decoded = decoder.Finish(1, &decodedLength);
    // A body of more record sets than any reply has (a few kilobytes of zlib can unpack to millions of empty
    // sets) is refused whole, before anything is built from it.
    if (decoded && CountDataSets(decoded, (DWORD)decodedLength, MAX_REPLY_SETS) > MAX_REPLY_SETS)
        return result(Fail(ERROR_RECEIVE));
    if (!decoder.MoveResultTo(reply))
        return result(Fail(ERROR_RECEIVE));
    // A body that decodes to nothing answers nothing: taken as a failed receive (the retry on a fresh connection),
    // it reaches the window as the error record set, where an empty reply would reach nobody and leave it waiting.
    if (reply.GetSize() == 0) {
        Close();
        return result(Fail(ERROR_RECEIVE));
    }
    return result(1);
}

void CHttpClient::TakeReply(CByteBuffer& out)
{
    out = std::move(reply);
    reply = CByteBuffer(64);
}

int CHttpClient::Receive(CByteBuffer& body, int budget)
{
    networkState = 3;
    CHttpReplyReader reader;
    bool etagTaken = false;
    std::vector<BYTE> buffer((size_t)readSize);
    DWORD quietSince = GetTickCount();
    // A small reply on a near server is there within tens of microseconds: for that long the socket is asked
    // again before the thread sleeps on it, which spares it a wake-up as costly as the exchange itself.
    auto spinUntil = std::chrono::steady_clock::now() + std::chrono::microseconds(50);
    for (;;) {
        int received = 0;
        int rc = socket.Recv(buffer.data(), readSize, &received);
        if (rc != 1)
            return rc;
        if (received == 0) {
            // Silence is measured between reads only, however long the whole transfer takes.
            if (budget > 0 && (int)(GetTickCount() - quietSince) > budget)
                return 0;
            if (std::chrono::steady_clock::now() < spinUntil)
                continue;
            socket.WaitReadable(CClientSocket::POLL_INTERVAL_MS);
            continue;
        }
        quietSince = GetTickCount();
        GetNetEnvironment()->AddTraffic(received, 1);
        int state = reader.Feed(buffer.data(), received, body);
        if (!etagTaken && reader.HeaderSeen()) {
            etagTaken = true;
            if (reader.GetETag())
                ParseETag(reader.GetETag());
        }
        if (state == CHttpReplyReader::COMPLETE)
            return 1;
        if (state == CHttpReplyReader::MALFORMED)
            return 0;
    }
}
