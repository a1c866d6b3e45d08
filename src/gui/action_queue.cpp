#include "gui/action_queue.h"

#include <QMetaObject>

namespace orbilan::gui {

ActionQueue::ActionQueue(QObject* parent) : QObject(parent) {}

void ActionQueue::post(Action action)
{
    actions_.push_back(std::move(action));
    schedule();
}

void ActionQueue::schedule()
{
    if (scheduled_ || actions_.empty())
        return;
    scheduled_ = true;
    // A posted call rather than a timer: it runs in the next processEvents,
    // including the one a sweep makes after every point.
    QMetaObject::invokeMethod(
        this,
        [this] {
            scheduled_ = false;
            drain();
        },
        Qt::QueuedConnection);
}

void ActionQueue::release()
{
    if (holds_ > 0 && --holds_ == 0)
        schedule();
}

void ActionQueue::drain()
{
    while (!actions_.empty() && holds_ == 0) {
        Action action = std::move(actions_.front());
        actions_.pop_front();
        {
            Busy busy(*this);
            action();
        }
        if (afterAction)
            afterAction();
    }
}

} // namespace orbilan::gui
