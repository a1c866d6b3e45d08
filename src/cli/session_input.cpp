#include "cli/session_input.h"

#include <cerrno>

#include <poll.h>
#include <unistd.h>

#include "cli/session_protocol.h"

namespace orbilan::cli {

LineSource::Status StreamLineSource::next(std::string& line, bool)
{
    line.clear();
    std::streambuf* buf = in_.rdbuf();
    bool tooLong = false;
    bool any = false;
    for (;;) {
        const int c = buf->sbumpc();
        if (c == std::char_traits<char>::eof()) {
            in_.setstate(std::ios::eofbit);
            if (!any)
                return Status::End;
            break;
        }
        any = true;
        if (c == '\n')
            break;
        // Kept only up to the limit: a line without end must not fill memory.
        if (line.size() < MaxLineBytes + 1)
            line += static_cast<char>(c);
        else
            tooLong = true;
    }
    if (tooLong || line.size() > MaxLineBytes) {
        line.clear();
        return Status::TooLong;
    }
    return Status::Line;
}

LineSource::Status FdLineSource::next(std::string& line, bool wait)
{
    line.clear();
    for (;;) {
        const auto end = buffer_.find('\n');
        if (end != std::string::npos) {
            if (dropping_) {
                buffer_.erase(0, end + 1);
                dropping_ = false;
                return Status::TooLong;
            }
            line = buffer_.substr(0, end);
            buffer_.erase(0, end + 1);
            if (line.size() > MaxLineBytes) {
                line.clear();
                return Status::TooLong;
            }
            return Status::Line;
        }
        if (dropping_ || buffer_.size() > MaxLineBytes) {
            dropping_ = true;
            buffer_.clear();
        }
        if (ended_) {
            if (dropping_) {
                dropping_ = false;
                return Status::TooLong;
            }
            if (buffer_.empty())
                return Status::End;
            line.swap(buffer_);
            return Status::Line;
        }
        if (!wait) {
            pollfd p{fd_, POLLIN, 0};
            const int ready = ::poll(&p, 1, 0);
            if (ready == 0 || (ready < 0 && errno == EINTR))
                return Status::NotYet;
        }
        char chunk[65536];
        const ssize_t n = ::read(fd_, chunk, sizeof chunk);
        if (n > 0)
            buffer_.append(chunk, static_cast<std::size_t>(n));
        else if (n == 0 || errno != EINTR)
            ended_ = true; // an input that cannot be read has ended
    }
}

} // namespace orbilan::cli
