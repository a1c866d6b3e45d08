#include "remote/scpi_engine.h"

#include <exception>

namespace orbilan::remote {

ScpiEngine::ScpiEngine(const CommandTable& table, ErrorQueue& errors) : table_(table), errors_(errors) {}

void ScpiEngine::receiveLine(std::uint64_t client, std::string line)
{
    auto l = std::make_shared<Line>();
    l->client = client;
    l->text = std::move(line);
    lines_.push_back(std::move(l));
}

void ScpiEngine::receiveOverlongLine(std::uint64_t client, std::size_t limit)
{
    auto l = std::make_shared<Line>();
    l->client = client;
    l->overlongLimit = limit == 0 ? 1 : limit;
    lines_.push_back(std::move(l));
}

bool ScpiEngine::prepare(Line& line)
{
    line.prepared = true;
    if (line.overlongLimit > 0) {
        errors_.push(ScpiError::of(scpi::SyntaxError,
                                   "a line is longer than " + std::to_string(line.overlongLimit) + " bytes"));
        return false;
    }
    const ParsedScpiLine parsed = parseScpiLine(line.text);
    line.text.clear();
    line.text.shrink_to_fit();
    if (parsed.error) {
        errors_.push(*parsed.error);
        return false;
    }
    std::vector<std::string> path;
    for (const ScpiUnit& u : parsed.units) {
        ScpiError error;
        const auto found = table_.find(u, path, error);
        if (!found) {
            errors_.push(error);
            return false;
        }
        auto args = table_.bind(*found->def, u, error);
        if (!args) {
            errors_.push(error);
            return false;
        }
        path = found->path;
        line.units.push_back({found->def, std::move(*args), headerText(u)});
        if (found->def->query)
            ++line.queriesLeft;
    }
    return true;
}

bool ScpiEngine::mayDispatchHere() const
{
    if (stopping_)
        return false;
    // Inside a command that runs to its end, its own yields run nothing else.
    if (!frames_.empty() && (!frames_.back().background || frames_.back().held))
        return false;
    // The prompt being waited for has its answer: let its wait return first,
    // as a dialog closes before the next click reaches the window.
    if (!modal_.empty() && modal_.back()())
        return false;
    return true;
}

void ScpiEngine::dispatch()
{
    while (!lines_.empty() && mayDispatchHere()) {
        const std::shared_ptr<Line> line = lines_.front();
        if (!line->prepared && !prepare(*line)) {
            lines_.pop_front();
            continue;
        }
        if (line->next >= line->units.size()) {
            lines_.pop_front();
            continue;
        }
        Unit& unit = line->units[line->next];
        if (unit.def->waitsForOperations && operationsPending())
            return;
        ++line->next;
        if (line->next >= line->units.size())
            lines_.pop_front(); // every unit started; the line lives on while one runs
        if (!modal_.empty() && unit.def->actsOnWindow) {
            errors_.push(ScpiError::of(scpi::SettingsConflict,
                                       unit.header + ": a calibration prompt waits for CALibration:ANSWer"));
            if (unit.def->query)
                answered(line, std::nullopt);
            continue;
        }
        execute(line, line->next - 1);
    }
}

void ScpiEngine::execute(const std::shared_ptr<Line>& line, std::size_t index)
{
    Unit& unit = line->units[index];
    CommandCall call(unit.args);
    const int group = unit.def->group;
    auto sameGroup = [&](std::size_t other) {
        return group != 0 && other < line->units.size() && line->units[other].def->group == group;
    };
    call.setGroupPosition(index == 0 || !sameGroup(index - 1), sameGroup(index + 1));
    const std::string outerHeader = currentHeader_;
    currentHeader_ = unit.header;
    frames_.push_back({});
    try {
        unit.def->run(call);
    } catch (const std::exception& e) {
        call.fail(scpi::ExecutionError, unit.header + ": internal fault: " + e.what());
    }
    frames_.pop_back();
    currentHeader_ = outerHeader;
    if (call.error())
        errors_.push(*call.error());
    if (unit.def->query)
        answered(line, call.error() ? std::nullopt : call.answerText());
}

void ScpiEngine::answered(const std::shared_ptr<Line>& line, std::optional<std::string> answer)
{
    if (answer)
        line->answers.push_back(std::move(*answer));
    if (line->queriesLeft > 0 && --line->queriesLeft == 0 && !line->answers.empty() && send) {
        // The answers of one line go back as one line, as the standard joins them.
        std::string joined;
        for (std::size_t i = 0; i < line->answers.size(); ++i)
            joined += (i ? ";" : "") + line->answers[i];
        line->answers.clear();
        send(line->client, joined);
    }
}

void ScpiEngine::pointMeasured()
{
    for (Frame& f : frames_)
        f.held = false;
}

bool ScpiEngine::runInBackground(const std::function<void()>& action, bool operation, bool fromFirstPoint)
{
    if (frames_.empty() || background_ >= MaxBackgroundDepth)
        return false;
    // The frame is the running command's own: found again by index, since
    // nested commands push and pop frames of their own meanwhile.
    const std::size_t frame = frames_.size() - 1;
    frames_[frame].background = true;
    frames_[frame].held = fromFirstPoint;
    ++background_;
    if (operation)
        ++operations_;
    struct Restore {
        ScpiEngine& e;
        std::size_t frame;
        bool operation;
        ~Restore()
        {
            --e.background_;
            if (operation)
                --e.operations_;
            e.frames_[frame].background = false;
            e.frames_[frame].held = false;
        }
    } restore{*this, frame, operation};
    action();
    return true;
}

void ScpiEngine::serveModal(const std::function<bool()>& done)
{
    modal_.push_back(done);
    // The wait serves the clients whatever command is running around it.
    frames_.push_back({true});
    struct Restore {
        ScpiEngine& e;
        ~Restore()
        {
            e.frames_.pop_back();
            e.modal_.pop_back();
        }
    } restore{*this};
    dispatch();
    while (!stopping_ && !done()) {
        if (pump)
            pump(50);
        else
            break;
        dispatch();
    }
}

} // namespace orbilan::remote
