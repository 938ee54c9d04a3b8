// The stand-in server's own input: arbitrary bytes sent on a loopback connection to its HTTP port (request
// framing: header, Content-Length, pipelined requests) and to its control port, and arbitrary control command
// texts. The server must answer or close, never crash, and its connections must all end.
#include "fuzz/FuzzServer.h"
#include "platform/net/TcpServer.h"
#include "server/HttpServer.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace {

struct Servers {
    CServerFunctions functions{FrozenServerOptions(), nullptr};
    // Framing goes to a server whose faults no input can arm; control texts to one that serves no requests.
    CHttpServer framing{functions};
    CHttpServer commands{functions};
    Servers()
    {
        framing.SetLimits(500, 64, 64);
        framing.Start(0, -1);
        commands.Start(0, 0);
    }
};

// Sends the bytes, ends the sending side and reads until the server closes (or stays silent for a while).
void Exchange(int port, const uint8_t* data, size_t size)
{
    CTcpConnection c;
    if (!c.Connect(static_cast<unsigned short>(port)))
        return;
    c.WriteAll(data, static_cast<int>(size), 1000);
    c.ShutdownWrite();
    char buffer[4096];
    while (c.Read(buffer, sizeof buffer, 1000) > 0) {
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Servers servers;
    if (size < 1 || size > 64 * 1024)
        return 0;
    const uint8_t* rest = data + 1;
    size_t left = size - 1;
    switch (data[0] % 3) {
    case 0:
        Exchange(servers.framing.GetPort(), rest, left);
        break;
    case 1:
        Exchange(servers.commands.GetControlPort(), rest, left);
        break;
    default: {
        // Commands that would hold later replies are harmless here: the command server answers no requests.
        CHttpServer idle(servers.functions);
        idle.Control(std::string(reinterpret_cast<const char*>(rest), left));
        break;
    }
    }
    return 0;
}
