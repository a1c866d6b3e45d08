// User actions (clicks, focus changes, list choices) reach the window models
// in the order they happened, one at a time, from the event loop: never from
// inside Qt's own focus or mouse handling, and never while the program waits
// on the instrument or shows a dialog. A sweep that lets the window run (its
// per-point yield) runs the queued actions there, which is how Stop works.
#pragma once

#include <deque>
#include <functional>

#include <QObject>

namespace orbilan::gui {

class ActionQueue : public QObject {
    Q_OBJECT
public:
    using Action = std::function<void()>;

    explicit ActionQueue(QObject* parent = nullptr);

    void post(Action action);
    // Runs what is queued, unless held. Safe to call from inside an action.
    void drain();
    bool idle() const { return actions_.empty(); }
    std::size_t pending() const { return actions_.size(); }
    // Forgets the actions still queued (a cancelled validation keeps the
    // focus where it was, so the click that would have moved it never happened).
    void dropPending() { actions_.clear(); }

    // Nested holds; queued actions wait until the last release.
    void hold() { ++holds_; }
    void release();
    bool held() const { return holds_ > 0; }

    // Called after every action (the front end repaints what changed).
    std::function<void()> afterAction;

private:
    void schedule();

    std::deque<Action> actions_;
    int holds_ = 0;
    bool scheduled_ = false;
};

// Holds a queue for the lifetime of a scope.
class QueueHold {
public:
    explicit QueueHold(ActionQueue* queue) : queue_(queue)
    {
        if (queue_)
            queue_->hold();
    }
    ~QueueHold()
    {
        if (queue_)
            queue_->release();
    }
    QueueHold(const QueueHold&) = delete;
    QueueHold& operator=(const QueueHold&) = delete;

private:
    ActionQueue* queue_;
};

} // namespace orbilan::gui
