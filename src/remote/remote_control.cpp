#include "remote/remote_control.h"

#include <variant>

#include "app/dialog_text.h"
#include "remote/scpi_parser.h"

// The control's core: the dialogs, the helpers the commands share, and the
// common commands. The instrument's own commands are in remote_commands.cpp.

namespace orbilan::remote {

RemoteControl::RemoteControl(app::MainWindow& window, const std::string& dataFolder)
    : window_(window), input_(window), engine_(table_, errors_), folder_(dataFolder)
{
    addCommonCommands();
    addSweepCommands();
    addTriggerCommands();
    addCalibrationCommands();
    addFileCommands();
    addDisplayCommands();
    addDataCommands();
    // Commands that came during a sweep's first yield wait for its first
    // point; the window's own hook is kept.
    auto chained = std::move(window_.onPointYield);
    window_.onPointYield = [this, chained] {
        if (chained)
            chained();
        engine_.pointMeasured();
    };
}

void RemoteControl::rememberStartUp()
{
    startUp_.f1 = static_cast<std::int32_t>(integer("SweepF1"));
    startUp_.f2 = static_cast<std::int32_t>(integer("SweepF2"));
    startUp_.points = static_cast<int>(integer("SweepPoints"));
    startUp_.waitMs = static_cast<int>(integer("AdcWaitMs"));
    startUp_.averages = static_cast<int>(integer("AdcAverages"));
}

// ------------------------------------------------------------------ dialogs

ui::MsgResult RemoteControl::messageBox(const std::string& text, ui::MsgButtons buttons, const std::string& title)
{
    if (buttons != ui::MsgButtons::Ok && app::IsStandardPrompt(title)) {
        Prompt prompt{title, text, buttons, std::nullopt};
        Prompt* outer = prompt_;
        prompt_ = &prompt;
        if (onPromptOpened)
            onPromptOpened(title, text, buttons);
        engine_.serveModal([&prompt] { return prompt.answer.has_value(); });
        prompt_ = outer;
        if (onPromptClosed)
            onPromptClosed();
        // A server that stops before the answer cancels: no standard is
        // measured that no one confirmed.
        return prompt.answer.value_or(buttons == ui::MsgButtons::YesNo ? ui::MsgResult::No : ui::MsgResult::Cancel);
    }
    if (buttons == ui::MsgButtons::YesNo && title == app::UnsavedCalTitle)
        return ui::MsgResult::No;
    errors_.push(ScpiError::dialog(app::DialogLine(title, text)));
    return buttons == ui::MsgButtons::YesNo ? ui::MsgResult::Yes : ui::MsgResult::Ok;
}

bool RemoteControl::answerPrompt(ui::MsgResult result)
{
    if (!prompt_ || prompt_->answer)
        return false;
    prompt_->answer = result;
    return true;
}

std::optional<std::string> RemoteControl::inputBox(const std::string& prompt, const std::string& title,
                                                   const std::string& defaultText)
{
    if (inputAnswer_) {
        std::string answer = std::move(*inputAnswer_);
        inputAnswer_.reset();
        return answer;
    }
    errors_.push(ScpiError::dialog(app::DialogLine(title, prompt)));
    return defaultText;
}

std::optional<std::string> RemoteControl::fileDialog(const ui::FileDialogRequest& request)
{
    if (fileAnswer_ && fileAnswer_->title == request.title) {
        std::string path = std::move(fileAnswer_->path);
        fileAnswer_.reset();
        return path;
    }
    errors_.push(ScpiError::dialog(app::DialogLine(request.title, "no file named by a MMEMory command")));
    return std::nullopt;
}

// ------------------------------------------------------------------ helpers

bool RemoteControl::click(CommandCall& call, const std::string& control, const std::string& why)
{
    const std::string refused = input_.refusal(control);
    if (refused.empty())
        input_.click(control);
    if (refused.empty() && !window_.ended())
        return true;
    call.fail(scpi::SettingsConflict, !refused.empty() && !why.empty() ? why : refused);
    return false;
}

bool RemoteControl::type(CommandCall& call, const std::string& control, const std::string& text)
{
    const std::string refused = input_.type(control, text);
    if (refused.empty() && !window_.ended())
        return true;
    call.fail(scpi::SettingsConflict, refused);
    return false;
}

std::int64_t RemoteControl::integer(const std::string& name) const
{
    const auto value = window_.state().get(name);
    if (!value)
        return 0;
    if (const auto* i = std::get_if<std::int64_t>(&*value))
        return *i;
    if (const auto* b = std::get_if<bool>(&*value))
        return *b ? 1 : 0;
    if (const auto* d = std::get_if<double>(&*value))
        return static_cast<std::int64_t>(*d);
    if (const auto* f = std::get_if<float>(&*value))
        return static_cast<std::int64_t>(*f);
    return 0;
}

bool RemoteControl::flag(const std::string& name) const { return integer(name) != 0; }

bool RemoteControl::calibrated() const
{
    const auto mode = integer("MeasMode");
    return mode == 1 ? flag("ReflCalValid") : flag("TransCalValid");
}

std::string RemoteControl::modeName() const
{
    switch (integer("MeasMode")) {
    case 1: return "reflection";
    case 2: return "group delay";
    default: return "transmission";
    }
}

bool RemoteControl::sweepRunning() const { return !flag("StopSweep"); }

bool RemoteControl::continuousRunning() const { return sweepRunning() && !flag("SingleSweep"); }

void RemoteControl::pauseSweeps()
{
    if (sweepRunning() && reachable("SweepButton(2)"))
        input_.click("SweepButton(2)");
}

void RemoteControl::exitProgram()
{
    if (!window_.ended() && reachable("End_Button"))
        input_.click("End_Button");
}

// ------------------------------------------------------------------ common commands

CommandDef& RemoteControl::command(const std::string& pattern, const std::string& syntax,
                                   std::vector<ParamDef> params, const std::string& help, Run run)
{
    return table_.add(pattern, std::move(params), syntax, help, std::move(run));
}

CommandDef& RemoteControl::query(const std::string& pattern, const std::string& syntax,
                                 std::vector<ParamDef> params, const std::string& help, Run run)
{
    return table_.add(pattern, std::move(params), syntax, help, std::move(run)).readOnly();
}

void RemoteControl::addCommonCommands()
{
    query("*IDN?", "", {}, "Orbilan,Kesp VNA,0,<version>", [this](CommandCall& c) {
        const auto version = window_.state().get("VersionText");
        const auto* text = version ? std::get_if<std::string>(&*version) : nullptr;
        c.answer("Orbilan,Kesp VNA,0," + (text ? *text : std::string("?")));
    });
    command("*RST", "", {}, "the sweep, mode and display of the start-up; calibrations are kept",
            [this](CommandCall& c) {
                pauseSweeps();
                // A calibration made with CDS stays usable: CDS stays on for it.
                const auto modes = integer("CalModes");
                SweepChange change;
                change.kind = 1;
                change.f1 = startUp_.f1;
                change.f2 = startUp_.f2;
                change.points = startUp_.points;
                change.waitMs = startUp_.waitMs;
                change.averages = startUp_.averages;
                change.cds = modes >= 10 && modes % 10 != 0 && flag("CdsOn");
                changeSweep(c, change);
                if (!c.error())
                    click(c, "ModeButton(0)");
            });
    query("*CLS", "", {}, "clears the error queue", [this](CommandCall&) { errors_.clear(); });
    query("*OPC?", "", {}, "1 once every sweep and calibration started before it has ended (or waits for an answer); "
          "continuous sweeping does not count",
          [](CommandCall& c) { c.answer("1"); })
        .waitsForOperations = true;
    query("*WAI", "", {}, "later commands wait likewise", [](CommandCall&) {}).waitsForOperations = true;
    query("SYSTem:ERRor[:NEXT]?", "", {}, "the oldest error as code,\"text\", or 0,\"No error\"",
          [this](CommandCall& c) { c.answer(errors_.next()); });
    query("SYSTem:ERRor:COUNt?", "", {}, "how many errors wait",
          [this](CommandCall& c) { c.answer(std::to_string(errors_.size())); });
}

// ------------------------------------------------------------------ help

std::string commandHelp(const CommandTable& table)
{
    std::string out;
    for (const CommandDef& def : table.commands()) {
        std::string left = def.pattern;
        if (!def.syntax.empty())
            left += " " + def.syntax;
        std::string line = "  " + left;
        if (line.size() < 44)
            line.append(44 - line.size(), ' ');
        else
            line += "\n" + std::string(44, ' ');
        out += line + def.help + "\n";
    }
    return out;
}

} // namespace orbilan::remote
