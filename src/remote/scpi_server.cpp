#include "remote/scpi_server.h"

#include "remote/socket_io.h"

namespace orbilan::remote {

namespace {

constexpr const char* BusyLine = "-221,\"Settings conflict;another client controls Orbilan\"\n";

} // namespace

ScpiServer::ScpiServer(ScpiEngine& engine) : engine_(engine)
{
    engine_.send = [this](std::uint64_t client, const std::string& line) { sendLine(client, line); };
}

ScpiServer::~ScpiServer()
{
    close();
    engine_.send = nullptr;
}

std::string ScpiServer::listen(const Options& options)
{
    close();
    options_ = options;
    if (options_.maxLineBytes == 0)
        options_.maxLineBytes = 1;
    return net::listenTcp(options.address, options.port, listenFd_, port_);
}

void ScpiServer::close()
{
    if (clientFd_ >= 0)
        dropClient("the server stopped");
    const int fd = listenFd_;
    listenFd_ = -1;
    if (fd >= 0 && onClientChange)
        onClientChange();
    net::closeSocket(fd);
}

bool ScpiServer::wantsToRead() const
{
    return clientFd_ >= 0 && !clientClosed_ && inbox_.size() < options_.maxLineBytes + 1 &&
           engine_.pendingLines() < options_.maxPendingLines;
}

void ScpiServer::poll(int timeoutMs)
{
    if (listenFd_ < 0 && clientFd_ < 0) {
        engine_.dispatch();
        return;
    }
    std::vector<net::Watch> watches;
    if (listenFd_ >= 0)
        watches.push_back({listenFd_, true, false});
    const bool roomForLines = engine_.pendingLines() < options_.maxPendingLines;
    const bool roomForBytes = inbox_.size() < options_.maxLineBytes + 1;
    if (clientFd_ >= 0)
        watches.push_back({clientFd_, !clientClosed_ && roomForBytes, !outbox_.empty()});
    // Lines already read may wait for room in the queue; then there is
    // nothing to wait for.
    const bool linesWaiting = roomForLines && inbox_.find('\n') != std::string::npos;
    net::waitFor(watches, linesWaiting ? 0 : timeoutMs);

    for (const net::Watch& w : watches) {
        if (w.fd == listenFd_ && w.readable)
            acceptWaiting();
        else if (w.fd == clientFd_ && w.fd >= 0) {
            if (w.writable)
                flush();
            if (w.readable && clientFd_ >= 0)
                readClient();
        }
    }
    if (clientFd_ >= 0)
        takeLines(clientClosed_);
    if (clientFd_ >= 0 && clientClosed_ && inbox_.empty())
        dropClient("disconnected");
    engine_.dispatch();
}

void ScpiServer::acceptWaiting()
{
    for (;;) {
        std::string peer;
        const int fd = net::acceptClient(listenFd_, peer);
        if (fd < 0)
            return;
        if (clientFd_ >= 0) {
            net::writeSome(fd, BusyLine);
            net::closeSocket(fd);
            if (log)
                log("client " + peer + " refused: " + peer_ + " controls the instrument");
            continue;
        }
        clientFd_ = fd;
        client_ = ++lastClient_;
        peer_ = peer;
        inbox_.clear();
        outbox_.clear();
        skippingLongLine_ = false;
        clientClosed_ = false;
        if (log)
            log("client " + peer_ + " connected");
        if (onClientChange)
            onClientChange();
    }
}

void ScpiServer::readClient()
{
    const std::size_t room = options_.maxLineBytes + 1 > inbox_.size() ? options_.maxLineBytes + 1 - inbox_.size() : 0;
    if (net::readSome(clientFd_, inbox_, room) == net::ReadResult::Closed)
        clientClosed_ = true;
}

void ScpiServer::takeLines(bool atEnd)
{
    while (engine_.pendingLines() < options_.maxPendingLines) {
        const std::size_t end = inbox_.find('\n');
        if (end == std::string::npos) {
            if (inbox_.size() > options_.maxLineBytes) {
                // Too long to be a command: skip to its end, then say so.
                inbox_.clear();
                if (!skippingLongLine_) {
                    skippingLongLine_ = true;
                    engine_.receiveOverlongLine(client_, options_.maxLineBytes);
                }
            } else if (atEnd && !inbox_.empty()) {
                // The last line of a client that has closed needs no line end.
                if (!skippingLongLine_)
                    engine_.receiveLine(client_, std::move(inbox_));
                inbox_.clear();
            }
            return;
        }
        std::string line = inbox_.substr(0, end);
        inbox_.erase(0, end + 1);
        if (skippingLongLine_) {
            skippingLongLine_ = false;
            continue;
        }
        if (line.size() > options_.maxLineBytes) {
            engine_.receiveOverlongLine(client_, options_.maxLineBytes);
            continue;
        }
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.find_first_not_of(" \t") == std::string::npos)
            continue;
        engine_.receiveLine(client_, std::move(line));
    }
}

void ScpiServer::sendLine(std::uint64_t client, const std::string& line)
{
    // Answers to a client that has gone are not for whoever came next.
    if (client != client_ || clientFd_ < 0)
        return;
    outbox_ += line;
    outbox_ += '\n';
    if (outbox_.size() > options_.maxOutputBytes) {
        dropClient("does not read its answers");
        return;
    }
    flush();
}

void ScpiServer::flush()
{
    while (!outbox_.empty() && clientFd_ >= 0) {
        const long n = net::writeSome(clientFd_, outbox_);
        if (n < 0) {
            dropClient("disconnected");
            return;
        }
        if (n == 0)
            return;
        outbox_.erase(0, static_cast<std::size_t>(n));
    }
}

void ScpiServer::dropClient(const std::string& why)
{
    const int fd = clientFd_;
    clientFd_ = -1;
    client_ = 0;
    inbox_.clear();
    outbox_.clear();
    skippingLongLine_ = false;
    clientClosed_ = false;
    if (log)
        log("client " + peer_ + " " + why);
    // Watchers let go of the socket before it is closed and its number reused.
    if (onClientChange)
        onClientChange();
    net::closeSocket(fd);
}

} // namespace orbilan::remote
