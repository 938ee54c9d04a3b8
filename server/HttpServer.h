// The HTTP side of the stand-in server: keep-alive connections on loopback, requests framed by
// Content-Length, replies framed by Content-Length or chunked with the "ETag: result,spare,compression,cipher"
// header, and faults on request, armed by options or through a second loopback port for control.
#pragma once

#include "platform/net/TcpServer.h"

#include <atomic>
#include <mutex>
#include <string>

class CServerFunctions;
struct CServerReply;

enum FaultKind {
    FAULT_NONE,
    FAULT_DELAY,          // wait arg milliseconds before answering
    FAULT_SILENCE,        // read the request and never answer
    FAULT_CLOSE_MID_BODY, // send the header and half the body, then close
    FAULT_WRONG_LENGTH,   // Content-Length off by arg bytes
    FAULT_GARBAGE,        // a body of random bytes with a normal ETag
    FAULT_ERROR,          // result arg (1..99) with a GB2312 text body
    FAULT_SPLIT,          // chunked, in small chunks written one by one, lines split across writes
    FAULT_EMPTY,          // a normal reply with no body
};

struct CFault {
    FaultKind kind = FAULT_NONE;
    int arg = 0;
    std::string text; // GB2312
};

// Faults waiting for the next replies; a count of -1 keeps a fault until it is cleared. A fault armed for one
// function ("800/3") waits for the replies of that function and lets the others pass.
class CFaultPlan {
public:
    void Arm(FaultKind kind, int count, int arg = 0, const std::string& gbText = std::string(), int mfunc = -1,
             int sfunc = -1);
    void Clear();
    CFault Take(int mfunc = -1, int sfunc = -1);

private:
    std::mutex lock;
    CFault fault;
    int remaining = 0;
    int onlyMfunc = -1;
    int onlySfunc = -1;
};

// "M/S" into the main and sub function numbers of a fault's filter; false for another form.
bool ParseFaultFunction(const std::string& text, int* mfunc, int* sfunc);

// Parses a fault name as the options and the control port spell it ("delay", "silence", "close", "length",
// "garbage", "error", "split", "empty", "none"); -1 for an unknown name.
int ParseFaultKind(const std::string& name);

class CHttpServer {
public:
    explicit CHttpServer(CServerFunctions& functions);
    ~CHttpServer();

    // Listens on the port (0 picks one) and, when controlPort is not negative, the control port
    // (0 picks one). Returns 1 on success.
    int Start(int port, int controlPort);
    void Stop();
    int GetPort() const { return server.GetPort(); }
    int GetControlPort() const { return control.GetPort(); }

    void SetChunked(bool on) { chunked = on; }
    // One line per request on standard output: function, result, packing, size, time, oddities.
    void SetVerbose(bool on) { verbose = on; }
    CFaultPlan& Faults() { return faults; }
    // Limits against peers that hold connections: the time one request (header and body) may take from its
    // first byte (default 10 s), all connections at once (1024) and those of one address (256). A full
    // server closes the connection that has waited longest for its peer.
    void SetLimits(int requestMilliseconds, int connections, int perAddress);
    // Runs one control command ("fault?kind=close&count=1", "expire", "set?compress=off", ...); the answer text.
    std::string Control(const std::string& command);
    long long GetRequestCount() const { return requests; }

private:
    void Serve(CTcpConnection& connection);
    // Hands a request's body to the functions and writes their reply, as the armed fault has it; false: close.
    bool Answer(CTcpConnection& connection, const std::string& body);
    // The reply as an error, empty or garbage fault turns it.
    void SpoilReply(CServerReply& reply, const CFault& fault);
    void ServeControl(CTcpConnection& connection);
    bool WriteReply(CTcpConnection& connection, int result, const std::string& body, int compression, int cipher,
                    const CFault& fault);
    bool Sleep(int milliseconds);

    CServerFunctions& functions;
    CTcpServer server;
    CTcpServer control;
    CFaultPlan faults;
    std::atomic<bool> chunked{false};
    std::atomic<bool> verbose{false};
    std::atomic<bool> stopping{false};
    std::atomic<long long> requests{0};
    std::atomic<int> requestTimeLimit{10000};
};
