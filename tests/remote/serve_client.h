// `orbilan-cli serve` run as its own process on a free port, and a plain
// socket client that talks to it line by line, as lab software does.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include <sys/types.h>

namespace orbilan::test {

class ServeProcess {
public:
    // Starts `orbilan-cli serve --port 0 ARGS...` in `folder` and waits for
    // its "listening on" line.
    ServeProcess(const std::string& folder, const std::vector<std::string>& args);
    ~ServeProcess();
    ServeProcess(const ServeProcess&) = delete;
    ServeProcess& operator=(const ServeProcess&) = delete;

    bool started() const { return port_ > 0; }
    int port() const { return port_; }
    pid_t pid() const { return pid_; }
    // Sends SIGTERM and waits; the exit status, or -1 when it had to be killed.
    int stop();
    // What it wrote to stderr so far.
    std::string log() const;
    // How many file descriptors the process holds open now.
    int openDescriptors() const;

private:
    pid_t pid_ = -1;
    int port_ = 0;
    std::string errPath_;
};

class ScpiClient {
public:
    explicit ScpiClient(int port);
    ~ScpiClient();
    ScpiClient(const ScpiClient&) = delete;
    ScpiClient& operator=(const ScpiClient&) = delete;

    bool connected() const { return fd_ >= 0; }
    void send(const std::string& line);
    void sendRaw(const std::string& bytes);
    // The next line, or nullopt after timeoutMs or when the server closed.
    std::optional<std::string> readLine(int timeoutMs = 10000);
    // Sends a query and reads its answer ("<none>" when none came).
    std::string query(const std::string& line, int timeoutMs = 10000);
    // True when the server closes the connection within timeoutMs.
    bool closedByServer(int timeoutMs = 5000);
    void close();

private:
    int fd_ = -1;
    std::string buffer_;
    bool eof_ = false;
};

} // namespace orbilan::test
