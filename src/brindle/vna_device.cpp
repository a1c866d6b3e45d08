#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <new>
#include <string>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "brindle/brindle.h"
#include "brindle/driver.h"

using brindle::driver;
using brindle::Handle;
using brindle::InvalidHandle;

namespace {

constexpr std::size_t LogCapacity = 1000000;
// Flushed once it holds more than this; the rest keeps room for the longest
// entry of a command frame.
constexpr std::size_t LogFlushAt = 998976;
// A log file that has grown past this is kept as vnalog.txt.1 (replacing
// the one kept before) and a new one is begun: a sweep left running for a
// week must not fill the disk. Room for about 100,000 transfers.
constexpr std::uintmax_t LogFileLimit = 16u * 1024 * 1024;
constexpr int NoInstance = 255;
constexpr std::uint32_t ReadCapacity = 255;

// One name for every open, as the driver's device names go: the last
// character is the instance digit.
std::string& deviceName()
{
    static std::string name = "\\\\.\\ezusb-0";
    return name;
}

// "%02x " without the cost of a formatted print per byte: the log takes
// every byte of every transfer.
void appendHexByte(std::string& out, unsigned char b)
{
    static const char digits[] = "0123456789abcdef";
    out += digits[b >> 4];
    out += digits[b & 15];
    out += ' ';
}

// The log file for appending, or -1. Only a regular file of the user's own
// is written: a link planted in its place (the state folder may have been
// set to a shared one) must not make the log append to whatever it names,
// and a pipe or device there must not hang or swallow the transfers.
int openLogFile(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0666);
    if (fd < 0)
        return -1;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::geteuid()) {
        ::close(fd);
        return -1;
    }
    return fd;
}

void appendAll(int fd, const char* data, std::size_t size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
}

} // namespace

struct VNADevice::Private {
    std::int32_t readPipe = 1;
    std::int32_t writePipe = 0;
    unsigned char deviceDescriptor[18] = {};
    unsigned char driverInfo[6] = {};
    unsigned char configDescriptor[9] = {};
    Handle handle = InvalidHandle;
    std::uint32_t bytesReturned = 0;
    std::int32_t instance = NoInstance;
    // The log; null when it could not be had, and then nothing is logged.
    std::unique_ptr<char[]> log;
    std::size_t logUsed = 0;

    void flushLog()
    {
        if (logUsed == 0)
            return;
        const std::string path = brindle::logFilePath();
        if (!path.empty()) {
            std::error_code ec;
            std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
            int fd = openLogFile(path);
            struct stat st {};
            if (fd >= 0 && ::fstat(fd, &st) == 0 && static_cast<std::uintmax_t>(st.st_size) + logUsed > LogFileLimit) {
                ::close(fd);
                std::filesystem::rename(path, path + ".1", ec);
                fd = openLogFile(path);
            }
            if (fd >= 0) {
                appendAll(fd, log.get(), logUsed);
                ::close(fd);
            }
        }
        // A log file that cannot be written loses this part of the log; the
        // transfers must not suffer for it.
        logUsed = 0;
    }

    // The driver's cause of the failure just seen, as a line of its own.
    void logCause(const char* what)
    {
        const std::string cause = driver().lastError();
        if (!cause.empty())
            logEntry(what + cause + "\n");
    }

    void logEntry(const std::string& entry)
    {
        if (!log)
            return;
        if (logUsed > LogFlushAt || logUsed + entry.size() > LogCapacity)
            flushLog();
        const std::size_t n = entry.size() < LogCapacity ? entry.size() : LogCapacity;
        std::memcpy(log.get() + logUsed, entry.data(), n);
        logUsed += n;
    }
};

VNADevice::VNADevice() : d_(new Private)
{
    OpenDevice();
    CloseDevice();
    d_->log.reset(new (std::nothrow) char[LogCapacity]);
    d_->logEntry("Cache created\n");
    // The log is where an owner looks when the program could not reach the
    // instrument: say why.
    if (state_ != 1)
        d_->logCause("Open failed: ");
}

VNADevice::~VNADevice()
{
    CloseDevice();
    if (d_->log) {
        d_->logEntry("Cache closed\n");
        d_->flushLog();
    }
    delete d_;
}

bool VNADevice::OpenDevice()
{
    // A handle still open would be lost: close it first.
    CloseDevice();
    std::string& name = deviceName();
    if (d_->instance == NoInstance) {
        for (int digit = 0; digit <= 9; ++digit) {
            name.back() = static_cast<char>('0' + digit);
            d_->handle = driver().open(name);
            if (d_->handle != InvalidHandle) {
                d_->instance = digit;
                break;
            }
        }
    } else {
        name.back() = static_cast<char>('0' + d_->instance);
        d_->handle = driver().open(name);
    }
    state_ = d_->handle != InvalidHandle ? 1 : -1;
    return state_ == 1;
}

void VNADevice::CloseDevice()
{
    if (d_->handle != InvalidHandle)
        driver().close(d_->handle);
    d_->handle = InvalidHandle;
}

bool VNADevice::Init()
{
    OpenDevice();
    struct Request {
        std::uint32_t code;
        unsigned char* buffer;
        std::uint32_t size;
    };
    const Request requests[3] = {
        {brindle::IoctlGetDeviceDescriptor, d_->deviceDescriptor, sizeof d_->deviceDescriptor},
        {brindle::IoctlGetDriverInfo, d_->driverInfo, sizeof d_->driverInfo},
        {brindle::IoctlGetConfigDescriptor, d_->configDescriptor, sizeof d_->configDescriptor},
    };
    for (const Request& r : requests) {
        lastResult_ = d_->handle != InvalidHandle
                      && driver().control(d_->handle, r.code, nullptr, 0, r.buffer, r.size, d_->bytesReturned);
        if (!lastResult_)
            return false;
    }
    CloseDevice();
    return true;
}

int VNADevice::get_State() { return state_; }

int VNADevice::get_BytesReturned() { return static_cast<int>(d_->bytesReturned); }

int VNADevice::get_Instance() { return d_->instance; }

bool VNADevice::set_Instance(int instance)
{
    if (static_cast<unsigned>(instance) > 9u)
        return false;
    d_->instance = instance;
    return true;
}

bool VNADevice::Start() { return ControlCpu(false); }

bool VNADevice::Stop() { return ControlCpu(true); }

bool VNADevice::ControlCpu(bool hold)
{
    // Vendor request 0xA0 writes one byte to the controller's CPU control
    // register at 0x7F92: 1 holds the CPU in reset, 0 lets it run.
    const unsigned char request[10] = {0xA0, 0x00, 0x92, 0x7F, 0x00, 0x00, 0x01, 0x00, 0x00,
                                       static_cast<unsigned char>(hold ? 1 : 0)};
    OpenDevice();
    lastResult_ = d_->handle != InvalidHandle
                  && driver().control(d_->handle, brindle::IoctlVendorRequest, request, sizeof request, nullptr, 0,
                                      d_->bytesReturned);
    CloseDevice();
    return lastResult_;
}

bool VNADevice::Read(_VNA_RXBUFFER* buffer)
{
    if (!buffer)
        return false;
    d_->readPipe = 1;
    if (d_->handle == InvalidHandle)
        OpenDevice();
    d_->bytesReturned = 0;
    lastResult_ = d_->handle != InvalidHandle
                  && driver().control(d_->handle, brindle::IoctlBulkRead, &d_->readPipe, sizeof d_->readPipe, buffer,
                                      ReadCapacity, d_->bytesReturned);
    if (d_->bytesReturned > ReadCapacity)
        d_->bytesReturned = ReadCapacity;
    if (d_->log) {
        char head[64];
        std::snprintf(head, sizeof head, "Read command, count = %d Data =", static_cast<int>(d_->bytesReturned));
        std::string entry = head;
        if (d_->bytesReturned >= 1 && d_->bytesReturned <= 254) {
            entry.reserve(entry.size() + 3 * d_->bytesReturned + 1);
            for (std::uint32_t i = 0; i < d_->bytesReturned; ++i)
                appendHexByte(entry, buffer[i]);
        }
        entry += '\n';
        d_->logEntry(entry);
        if (!lastResult_)
            d_->logCause("Read failed: ");
    }
    return lastResult_;
}

bool VNADevice::Write(_VNA_TXBUFFER* buffer, int length)
{
    if (!buffer || length < 0)
        return false;
    d_->writePipe = 0;
    if (d_->handle == InvalidHandle)
        OpenDevice();
    if (d_->log) {
        char head[48];
        std::snprintf(head, sizeof head, "Write Length %d: Message = ", length);
        std::string entry = head;
        entry.reserve(entry.size() + 3 * static_cast<std::size_t>(length) + 1);
        for (int i = 0; i < length; ++i)
            appendHexByte(entry, buffer[i]);
        entry += '\n';
        d_->logEntry(entry);
    }
    lastResult_ = d_->handle != InvalidHandle
                  && driver().control(d_->handle, brindle::IoctlBulkWrite, &d_->writePipe, sizeof d_->writePipe,
                                      buffer, static_cast<std::uint32_t>(length), d_->bytesReturned);
    if (!lastResult_ && d_->log)
        d_->logCause("Write failed: ");
    return lastResult_;
}
