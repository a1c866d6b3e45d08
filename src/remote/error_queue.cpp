#include "remote/error_queue.h"

namespace orbilan::remote {

void ErrorQueue::push(ScpiError error)
{
    if (errors_.size() >= capacity_)
        return;
    if (errors_.size() + 1 == capacity_)
        errors_.push_back(ScpiError::of(scpi::QueueOverflow));
    else
        errors_.push_back(std::move(error));
}

std::string ErrorQueue::next()
{
    if (errors_.empty())
        return scpiErrorLine(ScpiError::of(0));
    const ScpiError error = std::move(errors_.front());
    errors_.pop_front();
    return scpiErrorLine(error);
}

} // namespace orbilan::remote
