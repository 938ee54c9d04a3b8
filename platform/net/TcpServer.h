// A small loopback TCP layer for the stand-in server and its tests: a listener that runs one thread per
// accepted connection, and a plain client connection. Sockets never leave this layer; callers see handles.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <thread>

// One open TCP connection. Results: Read returns the byte count, 0 when the peer closed, -1 on error,
// -2 when nothing arrived within the timeout. WriteAll returns 1 when every byte went out, else 0.
class CTcpConnection {
public:
    explicit CTcpConnection(int handle = -1) : handle(handle) {}
    ~CTcpConnection();
    CTcpConnection(const CTcpConnection&) = delete;
    CTcpConnection& operator=(const CTcpConnection&) = delete;

    // Connects to 127.0.0.1:port (or the given dotted address); 1 on success.
    int Connect(unsigned short port, int timeoutMs = 2000, const char* address = "127.0.0.1");
    int Read(void* buffer, int size, int timeoutMs);
    int WriteAll(const void* data, int size, int timeoutMs = 10000);
    // Ends our sending side; the peer reads end of stream.
    void ShutdownWrite();
    // Wakes any thread blocked on this connection and makes later calls fail.
    void Abort();
    void Close();
    bool IsOpen() const { return handle >= 0; }

    // What the handler tells the server: waiting for the peer since a moment (a new request, or the first byte
    // of one that is still coming), or busy answering. A full server closes the longest waiting first.
    void MarkWaiting();
    void MarkBusy() { waitingSince = BUSY; }
    long long GetWaitingSince() const { return waitingSince; }
    static constexpr long long BUSY = -1;

private:
    std::atomic<int> handle;
    std::atomic<long long> waitingSince{0}; // steady clock, milliseconds
    std::mutex closeLock;                   // Abort from another thread must not meet a handle being closed and reused
};

class CTcpServer {
public:
    using Handler = std::function<void(CTcpConnection&)>;

    CTcpServer() = default;
    ~CTcpServer();
    CTcpServer(const CTcpServer&) = delete;
    CTcpServer& operator=(const CTcpServer&) = delete;

    // Listens on 127.0.0.1:port (0 picks a free port). Returns the bound port, or -1.
    int Listen(unsigned short port);
    unsigned short GetPort() const { return port; }
    // Starts the accept thread; every connection runs the handler on its own thread and is closed after it.
    int Start(Handler handler);
    // Stops accepting, aborts every live connection and joins all threads.
    void Stop();
    int GetLiveConnections();
    // At most this many connections at once (a thread each is cheap, thousands are not), and at most
    // perAddress of them from one peer address. A connection beyond either limit takes the place of the
    // connection (of that address, or of any) that has waited longest for its peer; when every one is busy
    // answering, the new one is closed at once.
    void SetMaxConnections(int limit) { maxConnections = limit; }
    void SetMaxConnectionsPerAddress(int limit) { maxPerAddress = limit; }
    // Accept failures for want of descriptors (each one sheds a waiting connection and pauses the loop).
    long long GetAcceptFailures() const { return acceptFailures; }

private:
    struct Worker {
        std::thread thread;
        std::shared_ptr<CTcpConnection> connection;
        uint32_t address = 0;
        std::atomic<bool> done{false};
        bool shed = false; // closed by the server to make room; no longer counted
    };
    void AcceptLoop();
    void ReapFinished(bool all);
    // Closes the connection that has waited longest (of the address when one is given); false when none waits.
    bool ShedLongestWaiting(const uint32_t* address);
    bool Admit(uint32_t address);

    int listenHandle = -1;
    unsigned short port = 0;
    Handler handler;
    std::atomic<bool> stopping{false};
    std::atomic<int> maxConnections{1024};
    std::atomic<int> maxPerAddress{256};
    std::atomic<long long> acceptFailures{0};
    std::thread acceptThread;
    std::mutex workersLock;
    std::list<std::unique_ptr<Worker>> workers;
};
