#include "cli/session.h"

#include <cstdio>
#include <exception>

#include "display/canvas.h"
#include "display/png.h"
#include "ui/number_text.h"
#include "ui/state_registry.h"

namespace orbilan::cli {

namespace {

// Answer lines must stay one printable line whatever a reason quotes: an
// echoed ESC would reach the user's terminal.
std::string oneLine(const std::string& s) { return answerLine(s); }

std::string okValue(const std::string& value) { return "ok " + value; }
std::string boolText(bool b) { return b ? "true" : "false"; }

std::string colourText(ui::Rgb colour)
{
    char buf[8];
    std::snprintf(buf, sizeof buf, "%06X", static_cast<unsigned>(colour & 0xFFFFFF));
    return buf;
}

std::string valueText(const ui::StateValue& value)
{
    if (const auto* text = std::get_if<std::string>(&value))
        return quoteText(*text);
    return ui::stateValueText(value);
}

} // namespace

Session::Session(std::ostream& out, app::ProgramOptions options, SimulatorHooks simulator)
    : out_(out), platform_(out), simulator_(std::move(simulator))
{
    platform_.beforeMessage = simulator_.prompt;
    window_ = std::make_unique<app::MainWindow>(platform_, std::move(options));
    // The window shows once its start-up has run; until then no one can reach it.
    window_->controls().at("MainWindow").setVisible(false);
    input_ = std::make_unique<app::UserInput>(*window_);
    window_->onPointYield = [this] { pointMeasured(); };
    window_->onCalibrationFinished = [this] {
        if (simulator_.calibrationDone)
            simulator_.calibrationDone();
    };
    window_->onConfigurationRead = simulator_.configured;
}

Session::~Session() = default;

namespace {

// Sweeps started by lines read during a sweep, one inside another: beyond
// this a line is refused rather than nested deeper.
constexpr int MaxSweepNesting = 8;

const std::string TooLongAnswer = "error the line is longer than " + std::to_string(MaxLineBytes) + " bytes";

} // namespace

int Session::run(std::istream& in)
{
    StreamLineSource source(in);
    return run(source);
}

int Session::run(LineSource& source)
{
    source_ = &source;
    std::string line;
    while (!over_ && !inputEnded_) {
        const LineSource::Status status = source.next(line, true);
        if (status == LineSource::Status::End)
            break;
        if (status == LineSource::Status::TooLong)
            writeAnswer(TooLongAnswer);
        else
            handleLine(line);
    }
    source_ = nullptr;
    return 0;
}

void Session::writeAnswer(const std::string& line) { out_ << oneLine(line) << '\n' << std::flush; }

void Session::stopSweep()
{
    if (!window_->sweepingUntilStopped())
        return;
    // Pause, as a user would press it; should it be out of reach, the flag
    // its handler sets.
    if (!input_->click("SweepButton(2)").empty())
        window_->sweep.StopSweep = true;
}

void Session::readWhileSweeping()
{
    if (!source_ || inputEnded_ || over_ || window_->ended() || !deferred_.empty() ||
        !window_->sweepingUntilStopped())
        return;
    std::string line;
    const LineSource::Status status = source_->next(line, false);
    switch (status) {
    case LineSource::Status::NotYet:
        return;
    case LineSource::Status::End:
        inputEnded_ = true;
        stopSweep();
        return;
    case LineSource::Status::TooLong:
        writeAnswer(TooLongAnswer);
        return;
    case LineSource::Status::Line:
        break;
    }
    if (readDepth_ >= MaxSweepNesting) {
        const ParsedLine parsed = parseSessionLine(line);
        if (!parsed.command || parsed.command->verb != SessionCommand::Verb::Quit) {
            if (parsed.command || parsed.isError())
                writeAnswer("error too many sweeps started inside one another; pause one first");
            return;
        }
    }
    ++readDepth_;
    struct Leave {
        int& depth;
        ~Leave() { --depth; }
    } leave{readDepth_};
    handleLine(line);
    if (over_)
        stopSweep();
}

bool Session::handleLine(std::string line)
{
    if (over_)
        return false;
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    const ParsedLine parsed = parseSessionLine(line);
    if (!parsed.command && !parsed.isError())
        return true;
    std::string answer;
    if (parsed.isError()) {
        answer = "error " + parsed.error;
    } else {
        try {
            answer = execute(*parsed.command);
        } catch (const std::exception& e) {
            answer = std::string("error internal fault: ") + e.what();
        }
    }
    if (window_->ended()) {
        // The program's own end answers the command that caused it, once
        // (the click of a sweep it ended inside unwinds without a word).
        if (!endReported_)
            out_ << "> end\nok\n" << std::flush;
        endReported_ = true;
        over_ = true;
        return false;
    }
    out_ << oneLine(answer) << '\n' << std::flush;
    return !over_;
}

std::string Session::execute(const SessionCommand& cmd)
{
    using Verb = SessionCommand::Verb;
    auto userAction = [this](const std::string& refused) { return refused.empty() ? "ok" : "error " + refused; };
    switch (cmd.verb) {
    case Verb::Start:
        if (started_)
            return "error already started";
        started_ = true;
        window_->deliver([this] { window_->Form_Load(); });
        window_->controls().at("MainWindow").setVisible(true);
        return "ok";
    case Verb::Quit:
        over_ = true;
        return "ok";
    case Verb::Answer:
        platform_.queue(cmd.answer);
        return "ok";
    case Verb::Get:
        return get(cmd.name);
    case Verb::Canvas:
        return writeCanvas(cmd.text);
    case Verb::Sim: {
        if (!simulator_.setDut)
            return "error no simulated instrument (start the session with --simulate)";
        const std::string why = simulator_.setDut(cmd.text);
        return why.empty() ? "ok" : "error " + why;
    }
    case Verb::After:
        deferred_.push_back({cmd.count, cmd.then});
        return "ok";
    default:
        break;
    }
    if (!started_ && !window_->controls().at("MainWindow").visible())
        return "error the window is not open yet: start first";
    switch (cmd.verb) {
    case Verb::Click: return userAction(input_->click(cmd.name));
    case Verb::Type: return userAction(input_->type(cmd.name, cmd.text));
    case Verb::Key: return userAction(input_->key(cmd.name, cmd.text));
    case Verb::Choose: return userAction(input_->choose(cmd.name, cmd.text));
    case Verb::Focus: return userAction(input_->focus(cmd.name));
    case Verb::Leave: return userAction(input_->leave(cmd.name));
    default: return "error unknown command";
    }
}

void Session::pointMeasured()
{
    std::vector<Deferred> due;
    std::vector<Deferred> waiting;
    for (Deferred& d : deferred_) {
        if (--d.remaining <= 0)
            due.push_back(std::move(d));
        else
            waiting.push_back(std::move(d));
    }
    deferred_ = std::move(waiting);
    for (const Deferred& d : due) {
        if (window_->ended())
            return;
        const ParsedLine parsed = parseSessionLine(d.line);
        std::string answer;
        try {
            answer = parsed.command ? execute(*parsed.command) : "error " + parsed.error;
        } catch (const std::exception& e) {
            answer = std::string("error internal fault: ") + e.what();
        }
        out_ << "> after " << oneLine(d.line) << " -> " << oneLine(answer) << '\n' << std::flush;
    }
    readWhileSweeping();
}

std::string Session::get(const std::string& name)
{
    const auto dot = name.rfind('.');
    if (dot != std::string::npos)
        return getProperty(name.substr(0, dot), name.substr(dot + 1));

    std::string base;
    int index = -1;
    if (!ui::parseControlKey(name, base, index))
        return "error unknown name " + name;
    const ui::StateRegistry& state = window_->state();
    if (!state.has(base)) {
        if (input_->resolve(name).control)
            return "error " + name + " is a control: name a property (" + name + ".Caption, " + name + ".Text ...)";
        return "error unknown name " + base;
    }
    if (state.isArray(base) != (index >= 0))
        return "error " + base + (index >= 0 ? " has no index" : " needs an index: " + base + "(i)");
    const auto value = index >= 0 ? state.get(base, index) : state.get(base);
    if (!value)
        return "error index " + std::to_string(index) + " is outside " + base;
    return okValue(valueText(*value));
}

std::string Session::getProperty(const std::string& object, const std::string& property)
{
    const app::UserInput::Target t = input_->resolve(object);
    if (!t.control) {
        if (input_->resolve(object + "." + property).control)
            return "error " + object + "." + property + " is a control: name a property";
        return "error unknown control " + object;
    }
    const ui::Control& c = *t.control;
    if (property == "Caption")
        return okValue(quoteText(c.caption()));
    if (property == "Text")
        return okValue(quoteText(c.text()));
    if (property == "ToolTip")
        return okValue(quoteText(c.toolTip()));
    if (property == "Visible")
        return okValue(boolText(c.visible()));
    if (property == "Enabled")
        return okValue(boolText(c.enabled()));
    if (property == "Value")
        return okValue(std::to_string(c.value()));
    if (property == "Colour" || property == "BackColour")
        return okValue(colourText(c.backColour()));
    if (property == "ForeColour")
        return okValue(colourText(c.foreColour()));
    if (property == "Bold")
        return okValue(boolText(c.bold()));
    if (property == "ListCount")
        return okValue(std::to_string(c.list().size()));
    if (property == "ListIndex")
        return okValue(std::to_string(c.listIndex()));
    if (property == "Focus")
        return okValue(boolText(t.set->focused() == c.key()));
    if (property == "Kind")
        return okValue(ui::kindName(c.kind()));
    std::string base;
    int index = -1;
    if (ui::parseControlKey(property, base, index) && base == "List" && index >= 0) {
        if (index >= static_cast<int>(c.list().size()))
            return "error " + object + " has " + std::to_string(c.list().size()) + " entries";
        return okValue(quoteText(c.list()[static_cast<std::size_t>(index)]));
    }
    return "error unknown property " + property;
}

std::string Session::writeCanvas(const std::string& path)
{
    if (!display::writePng(window_->plotCanvas().image(), path))
        return "error cannot write " + quoteText(path);
    return "ok";
}

} // namespace orbilan::cli
