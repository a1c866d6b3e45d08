// Runs the clients' lines through the command table, one unit at a time, in
// the order they came, on the window's one thread.
//
// Most commands run to their end before the next one starts. A few start
// something that lasts (a sweep, a calibration) and "return at once": they
// run their action through runInBackground(), and while the window yields
// inside it (once per measured point, or while a calibration prompt waits)
// the front end calls dispatch() again and later commands run there,
// re-entrantly, as a click on Stop runs inside a sweep. *OPC? and *WAI hold
// the queue until every such operation has ended, or waits on the client (a
// prompt that only CALibration:ANSWer can close).
//
// A line is parsed and every unit of it checked before its first unit runs:
// a line with a syntax error, an unknown header or an unfit parameter runs
// nothing, and answers nothing.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "remote/command_table.h"
#include "remote/error_queue.h"

namespace orbilan::remote {

class ScpiEngine {
public:
    // How deeply commands that return at once may nest inside each other
    // (a single sweep started inside a continuous one ...).
    static constexpr int MaxBackgroundDepth = 4;

    ScpiEngine(const CommandTable& table, ErrorQueue& errors);
    ScpiEngine(const ScpiEngine&) = delete;
    ScpiEngine& operator=(const ScpiEngine&) = delete;

    // Where answers go: one line (without its line end) for a client.
    std::function<void(std::uint64_t client, const std::string& line)> send;
    // Waits up to timeoutMs for client input and takes it in (calling
    // receiveLine and dispatch); used while a prompt waits for its answer.
    std::function<void(int timeoutMs)> pump;

    // A client's line, without its line end. It runs at the next dispatch().
    void receiveLine(std::uint64_t client, std::string line);
    // A line refused unread because it was too long; its error is queued in
    // turn, as the line's own would be.
    void receiveOverlongLine(std::uint64_t client, std::size_t limit);
    std::size_t pendingLines() const { return lines_.size(); }

    // Runs the queued units as far as they may run now: not inside a command
    // that runs to its end, not past a waiting *OPC? or *WAI, and not past
    // the answer to the prompt that is being waited for.
    void dispatch();

    // For a command's handler: runs `action`, during which later commands
    // may run whenever the window yields. `operation`: *OPC? and *WAI wait
    // for it. `fromFirstPoint`: only from the first measured point on (see
    // pointMeasured()), since a sweep button yields once before its loop
    // sets the sweep going, and a Stop taken there would be undone by it.
    // False (nothing run) when too many are nested already.
    bool runInBackground(const std::function<void()>& action, bool operation, bool fromFirstPoint = false);
    // A sweep has measured a point: what waited for the first point may run.
    void pointMeasured();
    bool operationsPending() const { return operations_ > 0 && modal_.empty(); }
    int backgroundDepth() const { return background_; }

    // Serves the clients until `done` holds or the server stops: a prompt
    // that waits for its answer. Commands that act on the window are refused
    // meanwhile, as a modal dialog refuses clicks.
    void serveModal(const std::function<bool()>& done);
    bool modal() const { return !modal_.empty(); }

    // The server is going down: prompts give up, nothing more runs.
    void stop() { stopping_ = true; }
    bool stopping() const { return stopping_; }

    // The command of the unit being run (for messages): "SENS:FREQ:STAR".
    const std::string& currentHeader() const { return currentHeader_; }

private:
    struct Unit {
        const CommandDef* def = nullptr;
        std::vector<BoundValue> args;
        std::string header;
    };
    struct Line {
        std::uint64_t client = 0;
        std::string text;
        std::size_t overlongLimit = 0; // > 0: refused unread
        bool prepared = false;
        std::vector<Unit> units;
        std::size_t next = 0;          // the next unit to start
        std::vector<std::string> answers;
        std::size_t queriesLeft = 0;
    };
    struct Frame {
        bool background = false;
        bool held = false; // until the first measured point
    };

    // Parses and checks a line; false (its error queued) when it may not run.
    bool prepare(Line& line);
    void execute(const std::shared_ptr<Line>& line, std::size_t index);
    void answered(const std::shared_ptr<Line>& line, std::optional<std::string> answer);
    bool mayDispatchHere() const;

    const CommandTable& table_;
    ErrorQueue& errors_;
    std::deque<std::shared_ptr<Line>> lines_;
    std::vector<Frame> frames_;
    std::vector<std::function<bool()>> modal_;
    int operations_ = 0;
    int background_ = 0;
    bool stopping_ = false;
    std::string currentHeader_;
};

} // namespace orbilan::remote
