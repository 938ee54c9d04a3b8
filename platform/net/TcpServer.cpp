// Loopback TCP listener and connections over POSIX sockets.
#include "platform/net/TcpServer.h"

#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>

namespace {

// Waits for the handle to become readable (or writable); 1 ready, 0 timed out, -1 error.
int WaitFor(int handle, short events, int timeoutMs)
{
    pollfd p{handle, events, 0};
    for (;;) {
        int r = poll(&p, 1, timeoutMs < 0 ? -1 : timeoutMs);
        if (r < 0 && errno == EINTR)
            continue;
        if (r < 0)
            return -1;
        return r == 0 ? 0 : 1;
    }
}

long long NowMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

constexpr int OUT_OF_DESCRIPTORS_PAUSE_MS = 50;

// The longest queue of connections not yet accepted that the system allows: a burst of connects beyond a
// shorter queue has its handshakes dropped and retried a second later.
int ListenBacklog()
{
    int backlog = SOMAXCONN;
    if (FILE* f = std::fopen("/proc/sys/net/core/somaxconn", "r")) {
        int system = 0;
        if (std::fscanf(f, "%d", &system) == 1 && system > backlog)
            backlog = system;
        std::fclose(f);
    }
    return backlog;
}

} // namespace

CTcpConnection::~CTcpConnection()
{
    Close();
}

void CTcpConnection::MarkWaiting()
{
    waitingSince = NowMs();
}

int CTcpConnection::Connect(unsigned short port, int timeoutMs, const char* address)
{
    Close();
    std::lock_guard<std::mutex> guard(closeLock);
    int h = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (h < 0)
        return 0;
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    if (inet_pton(AF_INET, address ? address : "127.0.0.1", &a.sin_addr) != 1) {
        ::close(h);
        return 0;
    }
    int flags = fcntl(h, F_GETFL, 0);
    fcntl(h, F_SETFL, flags | O_NONBLOCK);
    int r = connect(h, reinterpret_cast<sockaddr*>(&a), sizeof a);
    if (r < 0 && errno == EINPROGRESS) {
        if (WaitFor(h, POLLOUT, timeoutMs) != 1) {
            ::close(h);
            return 0;
        }
        int err = 0;
        socklen_t len = sizeof err;
        getsockopt(h, SOL_SOCKET, SO_ERROR, &err, &len);
        r = err == 0 ? 0 : -1;
    }
    if (r < 0) {
        ::close(h);
        return 0;
    }
    fcntl(h, F_SETFL, flags);
    int one = 1;
    setsockopt(h, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    handle = h;
    return 1;
}

int CTcpConnection::Read(void* buffer, int size, int timeoutMs)
{
    int h = handle;
    if (h < 0 || size <= 0)
        return -1;
    int w = WaitFor(h, POLLIN, timeoutMs);
    if (w == 0)
        return -2;
    if (w < 0)
        return -1;
    for (;;) {
        ssize_t n = recv(h, buffer, static_cast<size_t>(size), 0);
        if (n < 0 && errno == EINTR)
            continue;
        return n < 0 ? -1 : static_cast<int>(n);
    }
}

int CTcpConnection::WriteAll(const void* data, int size, int timeoutMs)
{
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
        int h = handle;
        if (h < 0)
            return 0;
        if (WaitFor(h, POLLOUT, timeoutMs) != 1)
            return 0;
        ssize_t n = send(h, p, static_cast<size_t>(size), MSG_NOSIGNAL);
        if (n < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        if (n <= 0)
            return 0;
        p += n;
        size -= static_cast<int>(n);
    }
    return 1;
}

void CTcpConnection::ShutdownWrite()
{
    int h = handle;
    if (h >= 0)
        shutdown(h, SHUT_WR);
}

void CTcpConnection::Abort()
{
    std::lock_guard<std::mutex> guard(closeLock);
    int h = handle;
    if (h >= 0)
        shutdown(h, SHUT_RDWR);
}

void CTcpConnection::Close()
{
    std::lock_guard<std::mutex> guard(closeLock);
    int h = handle.exchange(-1);
    if (h >= 0)
        ::close(h);
}

CTcpServer::~CTcpServer()
{
    Stop();
}

int CTcpServer::Listen(unsigned short wanted)
{
    int h = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (h < 0)
        return -1;
    int one = 1;
    setsockopt(h, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(wanted);
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (bind(h, reinterpret_cast<sockaddr*>(&a), sizeof a) < 0 || listen(h, ListenBacklog()) < 0) {
        ::close(h);
        return -1;
    }
    socklen_t len = sizeof a;
    getsockname(h, reinterpret_cast<sockaddr*>(&a), &len);
    listenHandle = h;
    port = ntohs(a.sin_port);
    return port;
}

int CTcpServer::Start(Handler h)
{
    if (listenHandle < 0 || acceptThread.joinable())
        return 0;
    handler = std::move(h);
    stopping = false;
    acceptThread = std::thread([this] { AcceptLoop(); });
    return 1;
}

void CTcpServer::AcceptLoop()
{
    while (!stopping) {
        int w = WaitFor(listenHandle, POLLIN, 100);
        ReapFinished(false);
        if (w != 1)
            continue;
        sockaddr_in peer{};
        socklen_t peerLength = sizeof peer;
        int c = accept4(listenHandle, reinterpret_cast<sockaddr*>(&peer), &peerLength, SOCK_CLOEXEC);
        if (c < 0) {
            if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM) {
                // The pending connection stays readable: without a pause this loop would spin. Shed the
                // longest waiting connection so that the next accept finds a descriptor.
                ++acceptFailures;
                ShedLongestWaiting(nullptr);
                std::this_thread::sleep_for(std::chrono::milliseconds(OUT_OF_DESCRIPTORS_PAUSE_MS));
            }
            continue;
        }
        int one = 1;
        setsockopt(c, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        uint32_t address = peer.sin_addr.s_addr;
        if (!Admit(address)) {
            ::close(c);
            continue;
        }
        auto worker = std::make_unique<Worker>();
        worker->address = address;
        worker->connection = std::make_shared<CTcpConnection>(c);
        worker->connection->MarkWaiting();
        Worker* raw = worker.get();
        std::lock_guard<std::mutex> guard(workersLock);
        if (stopping) {
            worker->connection->Close();
            break;
        }
        raw->thread = std::thread([this, raw] {
            handler(*raw->connection);
            raw->connection->Close();
            raw->done = true;
        });
        workers.push_back(std::move(worker));
    }
}

void CTcpServer::ReapFinished(bool all)
{
    std::list<std::unique_ptr<Worker>> finished;
    {
        std::lock_guard<std::mutex> guard(workersLock);
        for (auto it = workers.begin(); it != workers.end();) {
            if (all || (*it)->done) {
                finished.push_back(std::move(*it));
                it = workers.erase(it);
            } else {
                ++it;
            }
        }
    }
    for (auto& w : finished)
        if (w->thread.joinable())
            w->thread.join();
}

void CTcpServer::Stop()
{
    stopping = true;
    if (acceptThread.joinable())
        acceptThread.join();
    {
        std::lock_guard<std::mutex> guard(workersLock);
        for (auto& w : workers)
            w->connection->Abort();
    }
    ReapFinished(true);
    if (listenHandle >= 0) {
        ::close(listenHandle);
        listenHandle = -1;
    }
}

int CTcpServer::GetLiveConnections()
{
    std::lock_guard<std::mutex> guard(workersLock);
    int n = 0;
    for (auto& w : workers)
        n += w->done || w->shed ? 0 : 1;
    return n;
}

bool CTcpServer::Admit(uint32_t address)
{
    int total = 0, fromAddress = 0;
    {
        std::lock_guard<std::mutex> guard(workersLock);
        for (auto& w : workers)
            if (!w->done && !w->shed) {
                ++total;
                fromAddress += w->address == address ? 1 : 0;
            }
    }
    if (fromAddress >= maxPerAddress)
        return ShedLongestWaiting(&address);
    if (total >= maxConnections)
        return ShedLongestWaiting(nullptr);
    return true;
}

bool CTcpServer::ShedLongestWaiting(const uint32_t* address)
{
    std::lock_guard<std::mutex> guard(workersLock);
    Worker* longest = nullptr;
    long long since = 0;
    for (auto& w : workers) {
        if (w->done || w->shed || (address != nullptr && w->address != *address))
            continue;
        long long t = w->connection->GetWaitingSince();
        if (t == CTcpConnection::BUSY)
            continue;
        if (longest == nullptr || t < since) {
            longest = w.get();
            since = t;
        }
    }
    if (longest == nullptr)
        return false;
    longest->shed = true;
    longest->connection->Abort();
    return true;
}
