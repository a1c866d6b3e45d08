// Where a session's command lines come from. A continuous sweep runs inside
// the click that started it, so the session also looks for lines between
// its points, without waiting for one (as a window takes a click on Pause).
#pragma once

#include <istream>
#include <string>

namespace orbilan::cli {

class LineSource {
public:
    enum class Status {
        Line,    // a line, without its LF
        TooLong, // a line longer than MaxLineBytes, dropped as it was read
        NotYet,  // no whole line has arrived (only when not waiting)
        End,     // the input has ended
    };
    virtual ~LineSource() = default;
    // The next line; with wait false, NotYet rather than waiting for one.
    virtual Status next(std::string& line, bool wait) = 0;
};

// The lines of a stream: all of them are there, so it never says NotYet.
class StreamLineSource : public LineSource {
public:
    explicit StreamLineSource(std::istream& in) : in_(in) {}
    Status next(std::string& line, bool wait) override;

private:
    std::istream& in_;
};

// The lines of a file descriptor (stdin), read as they arrive: a look
// without waiting asks the system whether anything is there.
class FdLineSource : public LineSource {
public:
    explicit FdLineSource(int fd) : fd_(fd) {}
    Status next(std::string& line, bool wait) override;

private:
    int fd_;
    std::string buffer_;
    bool ended_ = false;
    bool dropping_ = false; // inside a line that was too long
};

} // namespace orbilan::cli
