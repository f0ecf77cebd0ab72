#pragma once

#include <cstddef>

namespace tallux::server {

// What one connection may take of the server. A connection holds a request
// slot from accept until its answer is sent; every limit here bounds how long
// a client that is slow, silent or hostile keeps it, so the slots keep
// turning over for the clients that send a request and read the answer.
struct ConnectionLimits {
    std::size_t maxConnections = 256;  // request slots in all
    // Slots one peer address may hold; beyond it a connection is answered 503
    // at once and takes none. A counter keeps one or two connections open; an
    // office behind one address stays well below this, and so do the tests on
    // loopback, while one address cannot hold more than an eighth of the
    // slots.
    std::size_t maxPerPeer = 32;
    int headTimeoutMs = 5000;  // the whole head, counted from accept
    // Once the head is in, each byte received since accept earns the request
    // 1/minBodyBytesPerSecond s beyond the head timeout: a body has to keep up
    // that rate on average. 0: no minimum.
    std::size_t minBodyBytesPerSecond = 1024;
    int idleTimeoutMs = 10000;  // without any progress, in either direction
    // After an error answer the client may still be sending; what it sends is
    // read and dropped for up to lingerMs (by the poll thread, never a worker)
    // so that the close does not reset the connection and lose the answer.
    // Lingering connections take no slot; beyond maxLingering the oldest is
    // closed.
    int lingerMs = 1000;
    std::size_t maxLingering = 256;
};

}  // namespace tallux::server
