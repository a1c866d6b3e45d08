#include "remote/socket_io.h"

#include <cerrno>
#include <cstring>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace orbilan::remote::net {

namespace {

bool setNonBlocking(int fd)
{
    const int flags = ::fcntl(fd, F_GETFL, 0);
    return flags >= 0 && ::fcntl(fd, F_SETFL, flags | O_NONBLOCK) == 0;
}

int portOf(const sockaddr_storage& a)
{
    if (a.ss_family == AF_INET)
        return ntohs(reinterpret_cast<const sockaddr_in&>(a).sin_port);
    if (a.ss_family == AF_INET6)
        return ntohs(reinterpret_cast<const sockaddr_in6&>(a).sin6_port);
    return 0;
}

} // namespace

std::string listenTcp(const std::string& address, int port, int& fd, int& boundPort)
{
    fd = -1;
    boundPort = 0;
    if (port < 0 || port > 65535)
        return "the port is 0 to 65535";
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_PASSIVE | AI_NUMERICSERV;
    addrinfo* found = nullptr;
    const std::string service = std::to_string(port);
    if (const int rc = ::getaddrinfo(address.c_str(), service.c_str(), &hints, &found); rc != 0)
        return "cannot use the address " + address + ": " + ::gai_strerror(rc);
    std::string why = "no address to listen on";
    for (addrinfo* a = found; a; a = a->ai_next) {
        const int s = ::socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC, a->ai_protocol);
        if (s < 0) {
            why = std::strerror(errno);
            continue;
        }
        // A server restarted at once must not wait for the old connections' TIME_WAIT.
        const int on = 1;
        ::setsockopt(s, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
        if (::bind(s, a->ai_addr, a->ai_addrlen) != 0 || ::listen(s, 4) != 0 || !setNonBlocking(s)) {
            why = std::strerror(errno);
            ::close(s);
            continue;
        }
        sockaddr_storage bound{};
        socklen_t length = sizeof bound;
        ::getsockname(s, reinterpret_cast<sockaddr*>(&bound), &length);
        fd = s;
        boundPort = portOf(bound);
        break;
    }
    ::freeaddrinfo(found);
    if (fd < 0)
        return "cannot listen on " + address + " port " + service + ": " + why;
    return {};
}

bool isLoopbackAddress(const std::string& address)
{
    if (address == "localhost")
        return true;
    in_addr v4{};
    if (::inet_pton(AF_INET, address.c_str(), &v4) == 1)
        return (ntohl(v4.s_addr) >> 24) == 127;
    in6_addr v6{};
    if (::inet_pton(AF_INET6, address.c_str(), &v6) == 1)
        return IN6_IS_ADDR_LOOPBACK(&v6) != 0;
    return false;
}

int acceptClient(int listenFd, std::string& peer)
{
    sockaddr_storage from{};
    socklen_t length = sizeof from;
    const int fd = ::accept4(listenFd, reinterpret_cast<sockaddr*>(&from), &length, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0)
        return -1;
    char text[INET6_ADDRSTRLEN] = "?";
    if (from.ss_family == AF_INET)
        ::inet_ntop(AF_INET, &reinterpret_cast<sockaddr_in&>(from).sin_addr, text, sizeof text);
    else if (from.ss_family == AF_INET6)
        ::inet_ntop(AF_INET6, &reinterpret_cast<sockaddr_in6&>(from).sin6_addr, text, sizeof text);
    peer = std::string(text) + ":" + std::to_string(portOf(from));
    return fd;
}

ReadResult readSome(int fd, std::string& into, std::size_t max)
{
    char buf[4096];
    const std::size_t want = max < sizeof buf ? max : sizeof buf;
    if (want == 0)
        return ReadResult::Nothing;
    for (;;) {
        const ssize_t n = ::recv(fd, buf, want, 0);
        if (n > 0) {
            into.append(buf, static_cast<std::size_t>(n));
            return ReadResult::Data;
        }
        if (n == 0)
            return ReadResult::Closed;
        if (errno == EINTR)
            continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK)
            return ReadResult::Nothing;
        return ReadResult::Closed;
    }
}

long writeSome(int fd, std::string_view data)
{
    for (;;) {
        // MSG_NOSIGNAL: a client that has gone is an error here, not a SIGPIPE.
        const ssize_t n = ::send(fd, data.data(), data.size(), MSG_NOSIGNAL);
        if (n >= 0)
            return static_cast<long>(n);
        if (errno == EINTR)
            continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK)
            return 0;
        return -1;
    }
}

void closeSocket(int fd)
{
    if (fd >= 0)
        ::close(fd);
}

void waitFor(std::vector<Watch>& watches, int timeoutMs)
{
    std::vector<pollfd> fds;
    fds.reserve(watches.size());
    for (const Watch& w : watches)
        fds.push_back({w.fd, static_cast<short>((w.read ? POLLIN : 0) | (w.write ? POLLOUT : 0)), 0});
    // A signal ends the wait early (not retried), so that the caller sees
    // its stop request at once.
    const int rc = ::poll(fds.data(), fds.size(), timeoutMs < 0 ? 0 : timeoutMs);
    for (std::size_t i = 0; i < watches.size(); ++i) {
        const short r = rc > 0 ? fds[i].revents : 0;
        watches[i].readable = (r & (POLLIN | POLLHUP | POLLERR | POLLNVAL)) != 0 && watches[i].read;
        watches[i].writable = (r & (POLLOUT | POLLERR | POLLHUP)) != 0 && watches[i].write;
    }
}

} // namespace orbilan::remote::net
