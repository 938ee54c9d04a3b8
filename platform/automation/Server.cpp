// The automation's Unix socket: one command line in, one JSON line out, connections served one after another.
#include "platform/automation/Automation.h"
#include "platform/win/Message.h"

#include <atomic>
#include <chrono>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <string>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

namespace morwick::automation {

namespace {

std::atomic<int> listenFd{-1};
std::atomic<bool> looping{false};
std::mutex servingLock; // held while the served connection is hung up or closed, so its number is never reused
int servingFd = -1;     // the connection being served, hung up by StopServer
std::thread serverThread;
std::string socketPath;

bool WriteAll(int fd, const std::string& s)
{
    size_t done = 0;
    while (done < s.size()) {
        ssize_t n = send(fd, s.data() + done, s.size() - done, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += (size_t)n;
    }
    return true;
}

void Serve(int client)
{
    std::string pending;
    char buffer[4096];
    for (;;) {
        ssize_t n = recv(client, buffer, sizeof buffer, 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        pending.append(buffer, (size_t)n);
        if (pending.size() > 65536) // no command is that long
            break;
        size_t nl;
        while ((nl = pending.find('\n')) != std::string::npos) {
            std::string line = pending.substr(0, nl);
            pending.erase(0, nl + 1);
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            if (line.empty())
                continue;
            if (!WriteAll(client, RunCommand(line) + "\n"))
                return;
        }
    }
}

// Only the user running the client drives it: the socket's mode keeps others from connecting, and the peer's
// credentials are checked again in case the mode was widened or the folder swapped.
bool FromThisUser(int client)
{
    ucred peer{};
    socklen_t length = sizeof peer;
    return getsockopt(client, SOL_SOCKET, SO_PEERCRED, &peer, &length) == 0 && length == sizeof peer &&
           peer.uid == getuid();
}

void Loop(int fd)
{
    for (;;) {
        int client = accept(fd, nullptr, nullptr);
        if (client < 0) {
            if (errno == EINTR)
                continue;
            break; // closed by StopServer
        }
        {
            std::lock_guard<std::mutex> guard(servingLock);
            servingFd = client;
        }
        if (!FromThisUser(client))
            WriteAll(client, "{\"ok\":false,\"error\":\"another user's client\"}\n");
        else if (listenFd.load() >= 0) // not stopping
            Serve(client);
        std::lock_guard<std::mutex> guard(servingLock);
        servingFd = -1;
        close(client);
    }
    looping.store(false);
}

} // namespace

bool StartServer(const std::string& path)
{
    if (listenFd.load() >= 0 || path.empty())
        return false;
    sockaddr_un a{};
    if (path.size() >= sizeof a.sun_path)
        return false;
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    a.sun_family = AF_UNIX;
    std::memcpy(a.sun_path, path.c_str(), path.size() + 1);
    unlink(path.c_str());
    // The mode is narrowed before listening, so no one connects while the umask's mode holds; the socket left
    // there must be this user's own, not something put in its place.
    struct stat info {};
    if (bind(fd, (sockaddr*)&a, sizeof a) != 0 || chmod(path.c_str(), 0600) != 0 || lstat(path.c_str(), &info) != 0 ||
        !S_ISSOCK(info.st_mode) || info.st_uid != getuid() || (info.st_mode & 077) != 0 || listen(fd, 4) != 0) {
        close(fd);
        return false;
    }
    listenFd.store(fd);
    socketPath = path;
    looping.store(true);
    serverThread = std::thread(Loop, fd);
    return true;
}

void StopServer()
{
    int fd = listenFd.exchange(-1);
    if (fd < 0)
        return;
    shutdown(fd, SHUT_RDWR);
    close(fd);
    // A command still running may be waiting for this thread (most run on the GUI thread): keep answering sent
    // messages until the server thread has finished it, or the join would wait for ever. A peer that keeps its
    // connection open is hung up on: the client ends whether or not the peer does.
    while (looping.load()) {
        {
            std::lock_guard<std::mutex> guard(servingLock);
            if (servingFd >= 0)
                shutdown(servingFd, SHUT_RD); // an answer under way still goes out
        }
        MSG msg;
        PeekMessage(&msg, nullptr, 0, 0, PM_NOREMOVE);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    if (serverThread.joinable())
        serverThread.join();
    unlink(socketPath.c_str());
}

} // namespace morwick::automation

namespace morwick::automation {

int Connect(const std::string& path)
{
    sockaddr_un a{};
    if (path.size() >= sizeof a.sun_path)
        return -1;
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    a.sun_family = AF_UNIX;
    std::memcpy(a.sun_path, path.c_str(), path.size() + 1);
    if (connect(fd, (sockaddr*)&a, sizeof a) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

std::string Exchange(int connection, const std::string& line)
{
    std::string answer;
    if (connection >= 0 && WriteAll(connection, line + "\n")) {
        char c;
        while (recv(connection, &c, 1, 0) == 1 && c != '\n')
            answer += c;
    }
    return answer;
}

bool WaitForHangUp(int connection, int milliseconds)
{
    timeval patience{milliseconds / 1000, (milliseconds % 1000) * 1000};
    setsockopt(connection, SOL_SOCKET, SO_RCVTIMEO, &patience, sizeof patience);
    char c;
    ssize_t n;
    while ((n = recv(connection, &c, 1, 0)) > 0) {
    }
    return n == 0;
}

std::string SendCommand(const std::string& path, const std::string& line)
{
    int fd = Connect(path);
    std::string answer = Exchange(fd, line);
    if (fd >= 0)
        close(fd);
    return answer;
}

} // namespace morwick::automation
