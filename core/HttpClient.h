// One request text carried to the server as an HTTP/1.1 POST over a kept-open connection, straight or through
// the operator's gateway; the reply body is deciphered and unpacked as its "ETag: " header says. Failures come
// back as an error record set in the reply buffer. Runs on the request worker's thread.
#pragma once

#include "core/ClientSocket.h"
#include "core/GrowArray.h"
#include "platform/win/WinTypes.h"

// Connection activity for the caption bar: -1 at start, 0 dialling, 1 connecting, 2 sending, 3 receiving.
int GetNetworkState();

class CHttpClient {
public:
    enum ErrorCode {
        ERROR_NONE = -1,
        ERROR_NO_NETWORK = 0,
        ERROR_CONNECT = 1,
        ERROR_SEND = 2,
        ERROR_RECEIVE = 3,
        ERROR_SERVER = 4,
    };
    // The body prefix plus the request text and its terminator fit 2048 bytes.
    enum { MAX_BODY = 2048, MAX_REQUEST_TEXT = 2017, GATEWAY_PORT = 80 };

    CHttpClient();
    virtual ~CHttpClient();
    CHttpClient(const CHttpClient&) = delete;
    CHttpClient& operator=(const CHttpClient&) = delete;

    // Reads one reply, appending its body. Returns 1, 0 (failure, peer closed, silence over budget) or -1.
    // A silence budget of 0 waits without end.
    virtual int Receive(CByteBuffer& body, int silenceBudget);
    // Returns 1 success, 0 failure (out = the error record set), -1 cancelled (out empty). Out values point
    // into the reply buffer until the next request.
    virtual int Request(const char* text, BYTE** outData, int* outLength);
    // Hands the last reply's buffer over to `out` (whose old block is freed), for a record set to read in place;
    // what Request gave out no longer points anywhere.
    void TakeReply(CByteBuffer& out);

    const char* SetServer(const char* host, int port);
    const char* GetHost() const { return host; }
    int GetPort() const { return port; }
    void SetProxyMode(int on);
    int GetProxyMode() const { return proxyMode; }
    void Close();
    int GetErrorCode() const { return errorCode; }
    BOOL HasError() const { return errorCode >= 0; }

    // The values of the last reply that had an "ETag: " header.
    int GetReplyResult() const { return replyResult; }
    int GetCompressType() const { return compressType; }
    int GetCipherType() const { return cipherType; }

    // Waiting limits, shortened by tests: silence between reads (default 80 s) and connect polls.
    void SetSilenceBudget(int milliseconds);
    void SetConnectPolls(int polls) { socket.SetConnectPolls(polls); }
    // The operator gateway for proxy mode; defaults to the build setting and port 80.
    void SetGateway(const char* address, int gatewayPort);
    // Talks to the server and gateway another client talks to: a second worker goes to the session's server,
    // which the log-on may have moved from the configured one. While the other names no server yet, this one
    // reads the configured server as usual.
    void UseServerOf(const CHttpClient& other);

    // Signalled (auto-reset) each time a request has gone out completely; the log-out at exit waits on it.
    HANDLE sentEvent = nullptr;

protected:
    int Startup();
    // Up to an open connection (socket library, reconnect, packet-data dial, connect): 1, 0 (error 0 or 1 with
    // its error record set in the reply buffer) or -1 (cancelled, connection closed).
    int OpenConnection();
    // Sends text as the POST body over the open connection and reads the reply (Receive) into received:
    // 1, 0 (error 2 or 3 with its error record set; the connection is closed) or -1 (cancelled).
    int Exchange(const char* text, CByteBuffer& received);
    // Sets the error code and its error record set; returns 0.
    int Fail(int code, const char* text = nullptr, int textLength = -1);
    void EnsureNetwork();
    // Puts the error record set for the current error code into the reply buffer; text = the code's own
    // text when null.
    void FormatError(const char* text, int textLength);
    void ParseETag(const char* value);
    int RecvSome(BYTE* buffer, int size, int* received) { return socket.Recv(buffer, size, received); }

    int replyResult = 0;
    int compressType = -1;
    int cipherType = -1;
    int spareValue = -1;
    int socketsStarted = 0;
    int proxyMode = 0;
    char host[64] = {};
    int port = 0;
    int reconnect = 0;
    int connected = 0;
    CClientSocket socket;
    int errorCode = ERROR_NONE;
    CByteBuffer reply{64};

    int silenceBudget = CClientSocket::DEFAULT_SILENCE_BUDGET_MS;
    // Bytes asked of the socket per read: 2048 for replies; the package download reads larger blocks.
    int readSize = 2048;
    char gatewayHost[64] = {};
    int gatewayPort = GATEWAY_PORT;
};
