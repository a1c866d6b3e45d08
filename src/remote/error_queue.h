// The instrument's error queue: errors wait, oldest first, until a client
// reads them with SYSTem:ERRor?. It is bounded, so that a client that never
// reads cannot make the server grow: when one place is left, the error that
// would take it is replaced by -350 "Queue overflow", and later errors are
// lost until the client reads.
#pragma once

#include <cstddef>
#include <deque>
#include <string>

#include "remote/scpi_error.h"

namespace orbilan::remote {

class ErrorQueue {
public:
    static constexpr std::size_t DefaultCapacity = 32;

    explicit ErrorQueue(std::size_t capacity = DefaultCapacity) : capacity_(capacity < 2 ? 2 : capacity) {}

    void push(ScpiError error);
    // The oldest error's line, taken off the queue; 0,"No error" when empty.
    std::string next();
    void clear() { errors_.clear(); }
    std::size_t size() const { return errors_.size(); }
    std::size_t capacity() const { return capacity_; }

private:
    std::size_t capacity_;
    std::deque<ScpiError> errors_;
};

} // namespace orbilan::remote
