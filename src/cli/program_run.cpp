#include "cli/program_run.h"

#include "app/dialog_text.h"
#include "cli/option_values.h"
#include "sweep/freq_list.h"
#include "ui/number_text.h"

namespace orbilan::cli {

std::string frequencyFieldText(const std::string& given)
{
    const std::string upper = ui::toUpperAscii(given);
    if (upper.find_first_of("MKH") != std::string::npos)
        return given;
    return ui::trimBlanks(given) + "h";
}

ProgramRun::ProgramRun(std::string command, const InstrumentOptions& options, const SimulatorHooks& hooks,
                       CommandIo io, bool quiet)
    : command_(std::move(command)), io_(io), quiet_(quiet), platform_(io.in, io.err), hooks_(hooks)
{
    platform_.realSleep = !options.instant();
    platform_.beforeMessage = hooks_.prompt;
    platform_.echoLineEnd = !io.typedAnswers;
    platform_.standardsConnectThemselves = options.program.simulate && options.autoFollow();
    platform_.beforeAsking = [this] {
        if (progress_)
            progress_->pause();
    };
    platform_.afterAsking = [this] {
        if (progress_)
            progress_->resume();
    };
    window_ = std::make_unique<app::MainWindow>(platform_, options.program);
    input_ = std::make_unique<app::UserInput>(*window_);
    window_->onCalibrationFinished = [this] {
        if (hooks_.calibrationDone)
            hooks_.calibrationDone();
    };
    window_->onConfigurationRead = hooks_.configured;
    window_->onPointYield = [this] {
        if (progress_)
            progress_->step();
    };
}

ProgramRun::~ProgramRun()
{
    // The window's callbacks point here; the bar ends its line before any
    // message that follows.
    endProgress();
    window_->onPointYield = nullptr;
    window_->onCalibrationFinished = nullptr;
}

int reportFailures(const std::string& command, std::ostream& err, const std::function<int()>& body)
{
    try {
        return body();
    } catch (const UsageError& e) {
        err << "orbilan-cli " << command << ": " << e.text << '\n';
        if (!e.usage.empty())
            err << e.usage << "'orbilan-cli " << command << " --help' describes every option.\n";
        return 2;
    } catch (const CommandFailed& f) {
        err << "orbilan-cli " << command << ": " << f.text << '\n';
        return f.status;
    }
}

void ProgramRun::fail(int status, const std::string& text) const { throw CommandFailed{status, text}; }

void ProgramRun::note(const std::vector<ui::DialogRecord>& dialogs)
{
    if (quiet_)
        return;
    for (const ui::DialogRecord& d : dialogs)
        if (d.kind == ui::DialogRecord::Kind::Message)
            io_.err << "orbilan-cli " << command_ << ": note: " << dialogLine(d) << '\n';
}

void ProgramRun::failOnMessage(const std::vector<ui::DialogRecord>& dialogs, int status)
{
    for (const ui::DialogRecord& d : dialogs)
        if (d.kind == ui::DialogRecord::Kind::Message)
            fail(status, dialogLine(d));
}

void ProgramRun::failOnEnd(const std::vector<ui::DialogRecord>& dialogs, const std::string& otherwise)
{
    for (auto it = dialogs.rbegin(); it != dialogs.rend(); ++it)
        if (it->kind == ui::DialogRecord::Kind::Message && it->buttons == ui::MsgButtons::Ok &&
            !app::IsStandardPrompt(it->title))
            fail(1, dialogLine(*it));
    fail(1, otherwise);
}

void ProgramRun::start()
{
    window_->deliver([this] { window_->Form_Load(); });
    const auto dialogs = shownDialogs();
    if (window_->ended()) {
        // The last word before the end says why: the instrument did not
        // answer, or a library was missing.
        for (auto it = dialogs.rbegin(); it != dialogs.rend(); ++it) {
            if (it->kind != ui::DialogRecord::Kind::Message)
                continue;
            if (it->title == "VNA Not Responding") {
                // The box's last line offers OK to retry; a command has no
                // buttons and does not retry: it says what to do instead.
                ui::DialogRecord said = *it;
                said.text = said.text.substr(0, said.text.find('\r'));
                fail(1, dialogLine(said) + " Not retried: correct vna.ini or the connection, then run the command again.");
            }
            fail(1, dialogLine(*it));
        }
        fail(1, "the program ended while starting");
    }
    note(dialogs);
}

void ProgramRun::click(const std::string& name)
{
    const std::string refused = input_->click(name);
    if (!refused.empty())
        fail(1, "cannot click " + name + ": " + refused);
}

void ProgramRun::type(const std::string& name, const std::string& text)
{
    const std::string refused = input_->type(name, text);
    if (!refused.empty())
        fail(1, "cannot enter " + name + ": " + refused);
}

void ProgramRun::choose(const std::string& name, const std::string& entry)
{
    const std::string refused = input_->choose(name, entry);
    if (!refused.empty())
        fail(1, "cannot choose in " + name + ": " + refused);
}

const ui::Control& ProgramRun::control(const std::string& name, int index)
{
    const ui::Control* c = window_->controls().find(name, index);
    if (!c)
        fail(1, "the window has no control " + ui::controlKey(name, index));
    return *c;
}

void ProgramRun::setSweep(const SweepRequest& r)
{
    // Every box the panel shows while it is being filled in is a refusal of
    // what the command line asked for.
    auto step = [this](auto&& action) {
        action();
        failOnMessage(shownDialogs(), 2);
    };
    if (!r.f1.empty()) {
        // The panel's own checks, said as what the command line asked: the
        // panel would go on with a corrected value ("Sweep will start at
        // 50 kHz"), where a command stops.
        const std::string first = r.centreSpan ? "--centre" : "--start";
        const std::string second = r.centreSpan ? "--span" : "--stop";
        std::int32_t f1 = 0, f2 = 0;
        if (const std::string why = checkFrequency(first, r.f1, f1); !why.empty())
            fail(2, why);
        if (const std::string why = checkFrequency(second, r.f2, f2); !why.empty())
            fail(2, why);
        const int kind = r.centreSpan ? sweep::KindCentreSpan : sweep::KindStartEnd;
        if (const sweep::SweepCheck* check = sweep::FirstFailingCheck(kind, f1, f2))
            fail(2, first + " " + r.f1 + " " + second + " " + r.f2 + ": " + check->title);
    }
    step([&] { click("SetSweepButton"); });
    if (!r.f1.empty()) {
        step([&] { click(r.centreSpan ? "Centre_Span" : "Start_End"); });
        step([&] { type("F1text", frequencyFieldText(r.f1)); });
        step([&] { type("F2text", frequencyFieldText(r.f2)); });
    }
    const struct {
        const std::string& value;
        const char* button;
        const char* list;
    } values[] = {
        {r.steps, "StepsButton", "NumberOfSteps"},
        {r.wait, "WaitButton", "ADCwaits"},
        {r.averages, "AvgButton", "ADCaverages"},
    };
    for (const auto& v : values) {
        if (v.value.empty())
            continue;
        step([&] { click(v.button); });
        step([&] { type(v.list, v.value); });
    }
    if (r.cds && (control("CDS_check").value() != 0) != *r.cds)
        step([&] { click("CDS_check"); });
    step([&] { click("ButtonSweepOK"); });
    if (!window_->sweep.SweepValid || control("SetupSweep").visible())
        fail(2, "the sweep panel did not accept the sweep");
}

void ProgramRun::beginProgress(int total)
{
    progress_.reset();
    if (!quiet_ && io_.terminal)
        progress_ = std::make_unique<ProgressBar>(io_.err, total, steadySeconds);
}

void ProgramRun::endProgress()
{
    if (progress_)
        progress_->finish();
    progress_.reset();
}

} // namespace orbilan::cli
