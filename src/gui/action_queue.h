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

    // True while the window model's own code runs (an action, the program's
    // start-up), and false again while it lets the window process events.
    // Focus moves Qt makes on its own in that time (the focused control was
    // hidden) are not the user's.
    bool modelActive() const { return active_ > 0; }
    class Busy {
    public:
        explicit Busy(ActionQueue& q) : q_(q) { ++q_.active_; }
        ~Busy() { --q_.active_; }
        Busy(const Busy&) = delete;
        Busy& operator=(const Busy&) = delete;

    private:
        ActionQueue& q_;
    };
    class Yield {
    public:
        explicit Yield(ActionQueue* q) : q_(q), saved_(q ? q->active_ : 0)
        {
            if (q_)
                q_->active_ = 0;
        }
        ~Yield()
        {
            if (q_)
                q_->active_ = saved_;
        }
        Yield(const Yield&) = delete;
        Yield& operator=(const Yield&) = delete;

    private:
        ActionQueue* q_;
        int saved_;
    };

    // Called after every action (the front end repaints what changed).
    std::function<void()> afterAction;

private:
    void schedule();

    std::deque<Action> actions_;
    int holds_ = 0;
    int active_ = 0;
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
