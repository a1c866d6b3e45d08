// The few operating-system calls the server makes, kept here so that the
// rest of it is plain C++: a listening TCP socket, accepting, non-blocking
// reads and writes, and waiting for any of them.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace orbilan::remote::net {

// Listens on address:port (port 0 lets the system choose). On success fd
// and boundPort are set and "" is returned; otherwise why not.
std::string listenTcp(const std::string& address, int port, int& fd, int& boundPort);

// True for an address only this machine reaches (127.0.0.0/8, ::1, "localhost").
bool isLoopbackAddress(const std::string& address);

// A waiting connection, non-blocking, or -1 when there is none. `peer` is
// its address as text.
int acceptClient(int listenFd, std::string& peer);

enum class ReadResult { Data, Nothing, Closed };
// Appends up to max bytes that have arrived.
ReadResult readSome(int fd, std::string& into, std::size_t max);

// Writes as much of data as the connection takes now: the count written,
// or -1 when the connection is broken.
long writeSome(int fd, std::string_view data);

void closeSocket(int fd);

struct Watch {
    int fd = -1;
    bool read = false;
    bool write = false;
    // Filled in:
    bool readable = false;
    bool writable = false;
};
// Waits up to timeoutMs (0: just looks) until one of the watched sockets is
// ready; a hang-up or an error counts as readable, so that the read sees it.
void waitFor(std::vector<Watch>& watches, int timeoutMs);

} // namespace orbilan::remote::net
