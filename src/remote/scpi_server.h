// The raw-socket side of the SCPI server: one listening socket, one
// controlling client at a time, lines in, answer lines out.
//
// One client controls the instrument. A second connection, while the first
// is open, is told so in one line (-221,"Settings conflict;another client
// controls Orbilan") and closed: two programs steering one sweep would each
// read the other's answers.
//
// Everything is bounded: a line longer than maxLineBytes is skipped up to its
// end and answered with -102 (the connection stays usable); a client that
// sends faster than the commands run is simply not read from until the
// queue has room again; one that does not read its answers is dropped once
// maxOutputBytes wait for it.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "remote/scpi_engine.h"

namespace orbilan::remote {

class ScpiServer {
public:
    struct Options {
        std::string address = "127.0.0.1";
        int port = 5025;
        std::size_t maxLineBytes = 4096;
        std::size_t maxPendingLines = 64;
        std::size_t maxOutputBytes = 8u << 20;
    };

    explicit ScpiServer(ScpiEngine& engine);
    ~ScpiServer();
    ScpiServer(const ScpiServer&) = delete;
    ScpiServer& operator=(const ScpiServer&) = delete;

    // Starts listening; "" or why it could not.
    std::string listen(const Options& options);
    int port() const { return port_; }

    // Takes in what has arrived (waiting up to timeoutMs for the first of
    // it), sends what waits to be sent, then lets the engine run commands.
    void poll(int timeoutMs);
    // Closes every connection and the listening socket.
    void close();

    // For a front end that watches the sockets itself (-1 when none).
    int listenDescriptor() const { return listenFd_; }
    int clientDescriptor() const { return clientFd_; }
    bool hasClient() const { return clientFd_ >= 0; }
    // True while answers wait to be written.
    bool wantsToWrite() const { return !outbox_.empty(); }
    // True while the client may send and there is room for what it sends.
    bool wantsToRead() const;

    // Connections coming and going, one line each ("client 127.0.0.1:40112 connected").
    std::function<void(const std::string&)> log;
    // The controlling client changed (a front end re-arms its watches); a
    // client that leaves is announced before its socket is closed.
    std::function<void()> onClientChange;

private:
    void acceptWaiting();
    void readClient();
    void takeLines(bool atEnd);
    void flush();
    void dropClient(const std::string& why);
    void sendLine(std::uint64_t client, const std::string& line);

    ScpiEngine& engine_;
    Options options_;
    int listenFd_ = -1;
    int port_ = 0;
    int clientFd_ = -1;
    std::uint64_t client_ = 0;     // the controlling client's number, 0 when none
    std::uint64_t lastClient_ = 0;
    std::string peer_;
    std::string inbox_;            // bytes read, not yet taken as lines
    bool skippingLongLine_ = false;
    bool clientClosed_ = false;    // the client has sent its last byte
    std::string outbox_;
};

} // namespace orbilan::remote
