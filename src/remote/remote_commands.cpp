#include "remote/remote_control.h"

#include "app/dialog_text.h"
#include "display/scales.h"
#include "remote/scpi_parser.h"
#include "sweep/freq_list.h"
#include "sweep/frequency.h"

// The instrument's commands: the sweep, the mode, starting and stopping
// sweeps, calibration, files and the display type.

namespace orbilan::remote {

namespace {

using Type = ParamDef::Type;

ParamDef frequencyParam(std::string name, double min = sweep::MinFreqHz)
{
    return {Type::Frequency, std::move(name), min, sweep::MaxFreqHz, {}, false};
}

ParamDef countParam(std::string name, double min, double max)
{
    return {Type::Count, std::move(name), min, max, {}, false};
}

ParamDef booleanParam(std::string name) { return {Type::Boolean, std::move(name), 0, 1, {}, false}; }

ParamDef choiceParam(std::string name, std::vector<std::string> choices)
{
    return {Type::Choice, std::move(name), 0, 0, std::move(choices), false};
}

ParamDef stringParam(std::string name, bool optional = false)
{
    return {Type::String, std::move(name), 0, 0, {}, optional};
}

std::string hzText(std::int64_t hz) { return std::to_string(hz); }

// A file name without an extension gets the one its kind of file has.
std::string withExtension(const std::string& name, const std::string& extension)
{
    const auto slash = name.rfind('/');
    const auto dot = name.rfind('.');
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash + 1))
        return name;
    return name + extension;
}

} // namespace

// ------------------------------------------------------------------ sweep

int RemoteControl::sweepKind() const
{
    const auto kind = integer("SweepKind");
    // Before any sweep the panel starts as Start+End.
    return kind == sweep::KindCentreSpan || kind == sweep::KindSingle ? static_cast<int>(kind) : sweep::KindStartEnd;
}

std::int32_t RemoteControl::frequencyOf(int which) const
{
    const auto f1 = static_cast<std::int32_t>(integer("SweepF1"));
    const auto f2 = static_cast<std::int32_t>(integer("SweepF2"));
    switch (sweepKind()) {
    case sweep::KindSingle: return which == 3 ? 0 : f1;
    case sweep::KindCentreSpan: {
        const auto startEnd = sweep::StartEndFromCentreSpan(f1, f2);
        const std::int32_t values[4] = {startEnd.f1, startEnd.f2, f1, f2};
        return values[which];
    }
    default: {
        const auto centreSpan = sweep::CentreSpanFromStartEnd(f1, f2);
        const std::int32_t values[4] = {f1, f2, centreSpan.f1, centreSpan.f2};
        return values[which];
    }
    }
}

void RemoteControl::changeSweep(CommandCall& call, const SweepChange& change)
{
    // The fields as the panel will hold them once the kind is chosen: a
    // change between Start+End and Centre+Span converts them as it does.
    const int current = sweepKind();
    const int kind = change.kind.value_or(current);
    std::int32_t f1 = static_cast<std::int32_t>(integer("SweepF1"));
    std::int32_t f2 = static_cast<std::int32_t>(integer("SweepF2"));
    if (kind == sweep::KindStartEnd && current == sweep::KindCentreSpan) {
        const auto p = sweep::StartEndFromCentreSpan(f1, f2);
        f1 = p.f1;
        f2 = p.f2;
    } else if (kind == sweep::KindCentreSpan && current == sweep::KindStartEnd) {
        const auto p = sweep::CentreSpanFromStartEnd(f1, f2);
        f1 = p.f1;
        f2 = p.f2;
    }
    f1 = change.f1.value_or(f1);
    f2 = change.f2.value_or(f2);

    // Checked first with the panel's own checks, so that a refused sweep
    // leaves the window as it was.
    if (kind != sweep::KindSingle) {
        if (const sweep::SweepCheck* failed = sweep::FirstFailingCheck(kind, f1, f2)) {
            call.fail(scpi::DataOutOfRange, failed->title);
            return;
        }
    } else if (change.points) {
        call.fail(scpi::SettingsConflict, "a single frequency has no points: set a swept sweep first");
        return;
    }
    if (kind == sweep::KindSingle && current != sweep::KindSingle && integer("MeasMode") == 2) {
        call.fail(scpi::SettingsConflict, "group delay measures no single frequency");
        return;
    }

    if (!click(call, "SetSweepButton", "the sweep cannot be set now"))
        return;
    auto refuse = [&](bool ok) {
        if (!ok && reachable("FreqCancel"))
            input_.click("FreqCancel");
        return !ok;
    };
    if (kind != current || kind != sweep::KindSingle) {
        const char* option = kind == sweep::KindSingle       ? "SingleFreqSweep"
                             : kind == sweep::KindCentreSpan ? "Centre_Span"
                                                             : "Start_End";
        if (refuse(click(call, option)))
            return;
    }
    if (change.f1 && refuse(type(call, "F1text", hzText(*change.f1) + "H")))
        return;
    if (change.f2 && kind != sweep::KindSingle && refuse(type(call, "F2text", hzText(*change.f2) + "H")))
        return;
    const struct {
        const std::optional<int>& value;
        int offset;
        const char* button;
        const char* list;
    } lists[] = {
        {change.points, -1, "StepsButton", "NumberOfSteps"},
        {change.waitMs, 0, "WaitButton", "ADCwaits"},
        {change.averages, 0, "AvgButton", "ADCaverages"},
    };
    for (const auto& l : lists) {
        if (!l.value)
            continue;
        if (refuse(click(call, l.button)) || refuse(type(call, l.list, std::to_string(*l.value + l.offset))))
            return;
    }
    if (change.cds && flag("CdsOn") != *change.cds && refuse(click(call, "CDS_check")))
        return;
    if (refuse(click(call, "ButtonSweepOK")))
        return;
    if (window_.controls().at("SetupSweep").visible() || !flag("SweepValid")) {
        refuse(false);
        call.fail(scpi::DataOutOfRange, "the sweep panel refused the sweep");
    }
}

void RemoteControl::sweepCommand(CommandCall& call, const SweepChange& change)
{
    if (call.groupStarts())
        pendingSweep_.reset();
    if (pendingSweep_ && pendingSweep_->kind && change.kind && *pendingSweep_->kind != *change.kind) {
        // Fields of another kind of sweep mean other things: the earlier
        // change is made first.
        const SweepChange earlier = *pendingSweep_;
        pendingSweep_.reset();
        changeSweep(call, earlier);
        if (call.error())
            return;
    }
    SweepChange& merged = pendingSweep_ ? *pendingSweep_ : pendingSweep_.emplace();
    if (change.kind)
        merged.kind = change.kind;
    if (change.f1)
        merged.f1 = change.f1;
    if (change.f2)
        merged.f2 = change.f2;
    if (change.points)
        merged.points = change.points;
    if (change.waitMs)
        merged.waitMs = change.waitMs;
    if (change.averages)
        merged.averages = change.averages;
    if (change.cds)
        merged.cds = change.cds;
    if (call.groupContinues())
        return;
    const SweepChange all = merged;
    pendingSweep_.reset();
    changeSweep(call, all);
}

void RemoteControl::addSweepCommands()
{
    // The group of the commands that the sweep panel carries out.
    constexpr int SweepGroup = 1;
    static const char* const names[4] = {"STARt", "STOP", "CENTer", "SPAN"};
    static const char* const what[4] = {"start frequency", "stop frequency", "centre frequency", "span"};
    for (int which = 0; which < 4; ++which) {
        const std::string pattern = std::string("[SENSe:]FREQuency:") + names[which];
        // From 0 Hz: below the instrument's range the panel's checks say what is wrong.
        command(pattern, "<Hz>", {frequencyParam(what[which], 0)},
                std::string("the sweep's ") + what[which] + " (Hz; suffixes k, M, Hz, kHz, MHz)",
                [this, which](CommandCall& c) {
                    SweepChange change;
                    change.kind = which < 2 ? sweep::KindStartEnd : sweep::KindCentreSpan;
                    // The other field of the pair keeps its value.
                    const auto hz = static_cast<std::int32_t>(c.arg(0).number);
                    if (which == 0 || which == 2)
                        change.f1 = hz;
                    else
                        change.f2 = hz;
                    sweepCommand(c, change);
                }).group = SweepGroup;
        query(pattern + "?", "", {}, std::string("the ") + what[which] + " in Hz",
              [this, which](CommandCall& c) { c.answer(hzText(frequencyOf(which))); });
    }
    command("[SENSe:]FREQuency:CW", "<Hz>", {frequencyParam("frequency")}, "measure at one frequency (Single Freq)",
            [this](CommandCall& c) {
                SweepChange change;
                change.kind = sweep::KindSingle;
                change.f1 = static_cast<std::int32_t>(c.arg(0).number);
                sweepCommand(c, change);
            }).group = SweepGroup;
    query("[SENSe:]FREQuency:CW?", "", {}, "the single frequency (a sweep's centre)",
          [this](CommandCall& c) { c.answer(hzText(frequencyOf(2))); });

    command("[SENSe:]SWEep:POINts", "<n>", {countParam("points", 2, sweep::MaxPoints)},
            "points of the sweep, 2 to 401", [this](CommandCall& c) {
                SweepChange change;
                change.points = static_cast<int>(c.arg(0).number);
                sweepCommand(c, change);
            }).group = SweepGroup;
    query("[SENSe:]SWEep:POINts?", "", {}, "points of the sweep (1 at a single frequency)",
          [this](CommandCall& c) { c.answer(std::to_string(integer("SweepPoints"))); });
    command("[SENSe:]AVERage:COUNt", "<n>", {countParam("averages", 1, 100)},
            "ADC readings averaged per point, 1 to 100", [this](CommandCall& c) {
                SweepChange change;
                change.averages = static_cast<int>(c.arg(0).number);
                sweepCommand(c, change);
            }).group = SweepGroup;
    query("[SENSe:]AVERage:COUNt?", "", {}, "readings averaged per point",
          [this](CommandCall& c) { c.answer(std::to_string(integer("AdcAverages"))); });
    command("[SENSe:]ADC:WAIT", "<ms>", {{Type::Milliseconds, "ADC wait", 0, 250, {}, false}},
            "ADC settling time, 0 to 250 ms (suffixes ms, s)", [this](CommandCall& c) {
                SweepChange change;
                change.waitMs = static_cast<int>(c.arg(0).number);
                sweepCommand(c, change);
            }).group = SweepGroup;
    query("[SENSe:]ADC:WAIT?", "", {}, "ADC settling time in ms",
          [this](CommandCall& c) { c.answer(std::to_string(integer("AdcWaitMs"))); });
    command("[SENSe:]CDS", "ON|OFF", {booleanParam("CDS")},
            "correlated double sampling; a calibration made otherwise then no longer applies",
            [this](CommandCall& c) {
                SweepChange change;
                change.cds = c.arg(0).flag;
                sweepCommand(c, change);
            }).group = SweepGroup;
    query("[SENSe:]CDS?", "", {}, "1 when CDS is on", [this](CommandCall& c) { c.answer(flag("CdsOn") ? "1" : "0"); });

    command("[SENSe:]MODE", "TRANsmission|REFLection|GDELay",
            {choiceParam("mode", {"TRANsmission", "REFLection", "GDELay"})}, "the measurement mode (the mode buttons)",
            [this](CommandCall& c) {
                click(c, "ModeButton(" + std::to_string(c.arg(0).choice) + ")", "the mode cannot change now");
            });
    query("[SENSe:]MODE?", "", {}, "TRAN, REFL or GDEL", [this](CommandCall& c) {
        static const char* const shortNames[3] = {"TRAN", "REFL", "GDEL"};
        const auto mode = integer("MeasMode");
        c.answer(shortNames[mode >= 0 && mode <= 2 ? mode : 0]);
    });
}

// ------------------------------------------------------------------ sweeps

void RemoteControl::addTriggerCommands()
{
    auto startSweep = [this](CommandCall& c, const std::string& button, bool operation) {
        if (!calibrated()) {
            c.fail(scpi::SettingsConflict, "the " + modeName() + " mode is not calibrated");
            return;
        }
        if (!reachable(button)) {
            c.fail(scpi::SettingsConflict, "a sweep cannot start now");
            return;
        }
        if (!engine_.runInBackground([&] { input_.click(button); }, operation, true))
            c.fail(scpi::SettingsConflict, "too many sweeps started inside each other");
    };
    command("INITiate[:IMMediate]", "", {}, "one single sweep (completing a paused one); returns at once",
            [startSweep](CommandCall& c) { startSweep(c, "SweepButton(3)", true); });
    command("INITiate:CONTinuous", "ON|OFF", {booleanParam("continuous")},
            "continuous sweeping; OFF completes the pass under way", [this, startSweep](CommandCall& c) {
                if (c.arg(0).flag) {
                    if (!continuousRunning())
                        startSweep(c, "SweepButton(1)", false);
                } else if (continuousRunning()) {
                    // As Single Sweep does: the pass under way completes, then the sweep stops.
                    startSweep(c, "SweepButton(3)", true);
                }
            });
    query("INITiate:CONTinuous?", "", {}, "1 while sweeping continuously",
          [this](CommandCall& c) { c.answer(continuousRunning() ? "1" : "0"); });
    command("ABORt", "", {}, "pauses the sweep after its present point", [this](CommandCall&) { pauseSweeps(); });
}

// ------------------------------------------------------------------ calibration

void RemoteControl::addCalibrationCommands()
{
    command("CALibration:STARt", "", {},
            "the mode's calibration; returns at once, each standard's prompt waits for CALibration:ANSWer",
            [this](CommandCall& c) {
                if (!reachable("CalibrateButton")) {
                    c.fail(scpi::SettingsConflict, "no sweep to calibrate: set one first");
                    return;
                }
                if (!engine_.runInBackground([this] { input_.click("CalibrateButton"); }, true))
                    c.fail(scpi::SettingsConflict, "too many operations started inside each other");
            });
    query("CALibration:PROMpt?", "", {}, "the prompt that waits for an answer, or \"\"", [this](CommandCall& c) {
        const bool waiting = prompt_ && !prompt_->answer;
        c.answer(quoteScpiString(waiting ? app::FlattenedDialogText(prompt_->text) : std::string()));
    });
    query("CALibration:ANSWer", "OK|CANCel|YES|NO", {choiceParam("answer", {"OK", "CANCel", "YES", "NO"})},
          "answers the prompt as the user would (OK and YES go on, CANCel and NO stop)", [this](CommandCall& c) {
              if (!prompt_ || prompt_->answer) {
                  c.fail(scpi::SettingsConflict, "no calibration prompt waits for an answer");
                  return;
              }
              const bool go = c.arg(0).choice == 0 || c.arg(0).choice == 2;
              if (prompt_->buttons == ui::MsgButtons::YesNo)
                  prompt_->answer = go ? ui::MsgResult::Yes : ui::MsgResult::No;
              else
                  prompt_->answer = go ? ui::MsgResult::Ok : ui::MsgResult::Cancel;
          });
    query("CALibration:STATe?", "", {}, "NONE, CAL or INTERP (interpolated) for the present mode",
          [this](CommandCall& c) {
              if (!calibrated())
                  c.answer("NONE");
              else
                  c.answer(integer("CalStatus") == 3 ? "INTERP" : "CAL");
          });
}

// ------------------------------------------------------------------ files

void RemoteControl::withFile(CommandCall& call, const std::string& control, const char* title, const std::string& path,
                             const std::string& comment)
{
    fileAnswer_ = FileAnswer{title, path};
    if (!comment.empty() || control == "SaveDataButton")
        inputAnswer_ = comment;
    click(call, control);
    if (fileAnswer_ && !call.error())
        call.fail(scpi::ExecutionError, "the window asked for no file");
    fileAnswer_.reset();
    inputAnswer_.reset();
}

void RemoteControl::addFileCommands()
{
    command("MMEMory:STORe:CALibration", "\"NAME\"", {stringParam("file name")},
            "saves the calibration (Save Cal) in the data folder; .cal is added to a bare name",
            [this](CommandCall& c) {
                std::string why;
                const auto path = folder_.forWriting(withExtension(c.arg(0).text, ".cal"), why);
                if (!path) {
                    c.fail(scpi::ExecutionError, why);
                    return;
                }
                if (!reachable("SaveCalButton")) {
                    c.fail(scpi::SettingsConflict, "no calibration to save for the present sweep");
                    return;
                }
                withFile(c, "SaveCalButton", app::SaveCalTitle, *path);
            });
    command("MMEMory:LOAD:CALibration", "\"NAME\"", {stringParam("file name")},
            "loads a calibration file (Load Cal) from the data folder (NAME or NAME.cal); its sweep becomes the sweep",
            [this](CommandCall& c) {
                std::string why;
                auto path = folder_.forReading(c.arg(0).text, why);
                // A bare name is also looked for as a .cal file, as it is saved.
                if (!path && withExtension(c.arg(0).text, ".cal") != c.arg(0).text) {
                    std::string bareWhy;
                    path = folder_.forReading(withExtension(c.arg(0).text, ".cal"), bareWhy);
                }
                if (!path) {
                    c.fail(scpi::ExecutionError, why);
                    return;
                }
                if (!reachable("CalLoadButton")) {
                    c.fail(scpi::SettingsConflict, "a calibration cannot be loaded now");
                    return;
                }
                withFile(c, "CalLoadButton", app::LoadCalTitle, *path);
            });
    command("MMEMory:STORe:DATA", "\"NAME\"[,\"COMMENT\"]", {stringParam("file name"), stringParam("comment", true)},
            "Save Data: the displayed sweep as CSV, or as Touchstone for a .s1p/.s2p name; .csv is added to a bare name",
            [this](CommandCall& c) {
                std::string why;
                const auto path = folder_.forWriting(withExtension(c.arg(0).text, ".csv"), why);
                if (!path) {
                    c.fail(scpi::ExecutionError, why);
                    return;
                }
                if (!reachable("SaveDataButton")) {
                    c.fail(scpi::SettingsConflict, "no complete sweep on show to save");
                    return;
                }
                withFile(c, "SaveDataButton", app::SaveDataTitle, *path, c.arg(1).text);
            });
}

// ------------------------------------------------------------------ display

void RemoteControl::addDisplayCommands()
{
    command("DISPlay:FORMat", "\"ENTRY\"", {stringParam("display")},
            "a display-list entry of the mode (\"dB,deg\", \"Smith\", \"SWR\" ...)", [this](CommandCall& c) {
                const auto mode = integer("MeasMode");
                const auto entries = display::SplitList(display::DisplayList(static_cast<int>(mode)));
                const std::string entry = display::FindDisplayEntry(entries, c.arg(0).text);
                if (entry.empty()) {
                    std::string known;
                    for (const std::string& e : entries)
                        known += (known.empty() ? "" : " ") + e;
                    c.fail(scpi::IllegalParameterValue,
                           "the " + modeName() + " mode displays " + known + ", not " + c.arg(0).text);
                    return;
                }
                if (!click(c, "DisplayButton", "the display is chosen once the " + modeName() + " mode is calibrated"))
                    return;
                const std::string refused = input_.choose("displaycombo", entry);
                if (!refused.empty()) {
                    c.fail(scpi::SettingsConflict, refused);
                    return;
                }
                std::size_t index = 0;
                while (index < entries.size() && entries[index] != entry)
                    ++index;
                if (integer("DisplayCode") != mode * 10 + static_cast<std::int64_t>(index))
                    c.fail(scpi::SettingsConflict, "the window kept its display: " + entry +
                                                       " is not shown at a single frequency");
            });
    query("DISPlay:FORMat?", "", {}, "the display-list entry on show", [this](CommandCall& c) {
        const auto code = integer("DisplayCode");
        const auto entries = display::SplitList(display::DisplayList(static_cast<int>(code / 10)));
        std::string entry = code >= 0 && static_cast<std::size_t>(code % 10) < entries.size()
                                ? entries[static_cast<std::size_t>(code % 10)]
                                : std::string();
        if (!entry.empty() && entry.back() == ',')
            entry.pop_back();
        // Answers stay ASCII (a VISA client decodes them so): microseconds are "us".
        const std::string micro = "\xC2\xB5";
        if (const auto at = entry.find(micro); at != std::string::npos)
            entry.replace(at, micro.size(), "u");
        c.answer(quoteScpiString(entry));
    });
}

} // namespace orbilan::remote
