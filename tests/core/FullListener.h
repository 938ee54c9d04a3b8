// A loopback listener that never accepts, its queue of connections full: on Linux a further connect to its port is
// neither accepted nor refused (the handshake is dropped, and retried), so it stays pending until the side that
// connects gives up or closes it. On any machine, unlike an address that is assumed never to answer.
#pragma once

#include <vector>

class FullListener {
public:
    FullListener();
    ~FullListener();
    FullListener(const FullListener&) = delete;
    FullListener& operator=(const FullListener&) = delete;

    // 0 when the listener could not be set up.
    int Port() const { return port; }
    // Connects to this port still waiting for the handshake, as the system's table of connections lists them.
    int PendingConnects() const;

private:
    int listener = -1;
    std::vector<int> queued;
    int port = 0;
};
