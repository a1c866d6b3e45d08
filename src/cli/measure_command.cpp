// orbilan-cli measure: Load Cal, choose the mode, set the sweep and the
// display, press Single Sweep, then Save Data or write the corrected points
// as Touchstone.
#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>
#include <iostream>

#include "analysis/limits.h"
#include "cal/display_quantities.h"
#include "cal/text_file.h"
#include "cli/commands.h"
#include "cli/measurement_commands.h"
#include "display/scales.h"
#include "touchstone/touchstone.h"
#include "ui/number_text.h"

#include <unistd.h>

namespace orbilan::cli {

namespace {

const char* kindName(int mode) { return mode == 1 ? "reflection" : "transmission"; }

// Why the mode in view may not measure, in the program's terms.
std::string notCalibratedReason(app::MainWindow& w, const MeasureArgs& a)
{
    const int units = w.cal.CalModes % 10;
    const bool wantsReflection = a.mode == 1;
    const bool held = wantsReflection ? (units == 1 || units == 3) : (units == 2 || units == 3);
    const std::string label = w.controls().at("CalLabel").caption();
    if (!held)
        return label + ": " + a.calFile + " holds no " + kindName(a.mode) + " calibration";
    if ((w.cal.CalModes >= 11) != w.sweep.CdsOn)
        return label + ": the CDS setting differs from the calibration's";
    const auto& cf = w.cal.CalFreq;
    const int nc = cf[0] >= 1 && cf[0] <= 401 ? cf[0] : 1;
    const int n = w.settings.SweepPoints >= 1 && w.settings.SweepPoints <= 401 ? w.settings.SweepPoints : 1;
    return label + ": the sweep " + std::to_string(w.sweep.FreqList[1]) + " to " +
           std::to_string(w.sweep.FreqList[static_cast<std::size_t>(n)]) +
           " Hz is not covered by the calibration (" + std::to_string(cf[1]) + " to " +
           std::to_string(cf[static_cast<std::size_t>(nc)]) + " Hz)";
}

void chooseDisplay(ProgramRun& run, const std::string& name)
{
    run.click("DisplayButton");
    run.failOnMessage(run.shownDialogs(), 1);
    const ui::Control& list = run.control("displaycombo");
    const std::string entry = display::FindDisplayEntry(list.list(), name);
    std::string known;
    for (const std::string& e : list.list())
        known += (known.empty() ? "" : "  ") + e;
    if (entry.empty())
        run.fail(2, "--display " + name + " is not a display of this mode (" + known + ")");
    run.choose("displaycombo", entry);
    run.failOnMessage(run.shownDialogs(), 2);
}

void setAperture(ProgramRun& run, const std::string& hz)
{
    auto step = [&run](auto&& action) {
        action();
        run.failOnMessage(run.shownDialogs(), 2);
    };
    step([&] { run.click("GDwindowButton"); });
    step([&] { run.click("GDAselect(0)"); });
    step([&] { run.type("GDAHzBox", hz); });
    step([&] { run.click("GDwindowOKbutton"); });
    if (run.control("GDwindowFrame").visible())
        run.fail(2, "the aperture " + hz + " Hz was not accepted");
}

std::string notANumber(std::int32_t hz, const std::string& path)
{
    return "the corrected value at " + std::to_string(hz) +
           " Hz is not a finite number (the calibration cannot correct its reading); nothing was written to " + path;
}

void writeTouchstone(ProgramRun& run, const MeasureArgs& a, const std::string& path)
{
    const auto& measured = run.window().lastSweep();
    auto file = measured ? touchstone::FromSweep(*measured, "orbilan-cli") : std::nullopt;
    if (!file)
        run.fail(1, "no complete sweep to write to " + path);
    // The header names the calibration file as the user gave it.
    file->header.calFile = a.calFile;
    file->header.comment = a.comment;
    if (const auto hz = touchstone::FirstNonFinite(file->points))
        run.fail(1, notANumber(*hz, path));
    if (const auto error = cal::ReplaceFileContents(path, touchstone::Text(file->header, file->ports, file->points)))
        run.fail(1, "Error " + std::to_string(error->number) + ": " + error->description + ": " + path);
}

void writeCsv(ProgramRun& run, const std::string& path)
{
    // The export would mark such a value as none; a measurement that has
    // none is a failed one.
    const app::MainWindow& w = run.window();
    const bool oneValue = w.disp.DisplayCode == cal::CodeSwr;
    for (int k = 1; k <= w.settings.SweepPoints && k <= 401; ++k) {
        const auto i = static_cast<std::size_t>(k);
        if (!std::isfinite(w.disp.Y1Trace[i]) || (!oneValue && !std::isfinite(w.disp.Y2Trace[i])))
            run.fail(1, notANumber(w.sweep.FreqList[i], path));
    }
    run.platform().dataSavePath = path;
    run.click("SaveDataButton");
    run.failOnMessage(run.shownDialogs(), 1);
}

// The limit lines of --limits, read before the instrument is touched so that
// a bad file costs no sweep.
std::vector<analysis::LimitSegment> readLimits(const MeasureArgs& a)
{
    std::vector<analysis::LimitSegment> limits;
    if (a.limitsFile.empty())
        return limits;
    std::string text;
    if (const auto error = cal::ReadWholeFile(a.limitsFile, text, 1 << 20))
        throw CommandFailed{1, "Error " + std::to_string(error->number) + ": " + error->description + ": " +
                                   a.limitsFile};
    std::string why;
    if (!analysis::ParseLimits(text, limits, why))
        throw CommandFailed{1, a.limitsFile + ": " + why};
    const bool applies = std::any_of(limits.begin(), limits.end(),
                                     [&a](const analysis::LimitSegment& s) { return s.quantity->existsIn(a.mode); });
    if (!applies)
        throw CommandFailed{2, a.limitsFile + " holds no limit on a quantity of this mode"};
    return limits;
}

// Checks one sweep; the points outside go to the error stream. True when
// every point lies inside.
bool checkLimits(ProgramRun& run, const MeasureArgs& a, const std::vector<analysis::LimitSegment>& limits, int n,
                 CommandIo io)
{
    const auto& measured = run.window().lastSweep();
    if (limits.empty() || !measured)
        return true;
    const analysis::LimitCheck check = analysis::CheckLimits(limits, *measured);
    const std::string prefix = a.sweeps > 1 ? "sweep " + std::to_string(n) + ": " : "";
    for (const analysis::LimitFailure& f : check.failures)
        io.err << prefix << analysis::FailureText(f) << '\n';
    if (!a.quiet)
        io.out << prefix << "limits: "
               << (check.passed() ? "pass" : std::to_string(check.failures.size()) + " outside") << " ("
               << check.pointsChecked << " points checked)\n";
    return check.passed();
}

int measure(const MeasureArgs& a, CommandIo io)
{
    const std::vector<analysis::LimitSegment> limits = readLimits(a);
    bool inside = true;
    SimulatorHooks hooks;
    if (const std::string why = startSimulator(a.instrument, hooks); !why.empty())
        throw CommandFailed{2, why};
    ProgramRun run("measure", a.instrument, hooks, io, a.quiet);
    app::MainWindow& w = run.window();
    run.platform().comment = a.comment;
    run.start();

    run.platform().calLoadPath = a.calFile;
    run.click("CalLoadButton");
    auto dialogs = run.shownDialogs();
    run.failOnMessage(dialogs, 1);
    if (w.cal.CalFreq[0] == 0 || w.cal.CalModes % 10 == 0)
        run.fail(1, a.calFile + " holds no calibration");

    run.click("ModeButton(" + std::to_string(a.mode) + ")");
    run.failOnMessage(run.shownDialogs(), 1);
    if (a.sweep.any()) {
        run.setSweep(a.sweep);
        run.note(run.shownDialogs());
    }
    const bool ready = a.mode == 1 ? w.cal.ReflCalValid : w.cal.TransCalValid;
    if (!ready)
        run.fail(1, notCalibratedReason(w, a));

    if (!a.display.empty())
        chooseDisplay(run, a.display);
    if (!a.aperture.empty())
        setAperture(run, a.aperture);

    const int points = w.settings.SweepPoints;
    // The sweep panel's estimate for the sweep as it now stands, to show
    // beside the time each sweep took.
    w.deliver([&w] { w.EstTime(); });
    const std::string estimate = w.controls().at("TimeEstimate").caption();
    for (int s = 1; s <= a.sweeps; ++s) {
        run.beginProgress(points);
        const auto started = std::chrono::steady_clock::now();
        run.click("SweepButton(3)");
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - started;
        run.endProgress();
        dialogs = run.shownDialogs();
        if (w.ended())
            run.failOnEnd(dialogs, "the program ended during the sweep");
        if (!w.sweep.PassDone) {
            run.failOnMessage(dialogs, 1);
            run.fail(1, "the sweep stopped before its last point");
        }
        run.note(dialogs);
        const std::string path = numberedOutput(a.output, s, a.sweeps);
        if (a.kind == OutputKind::Csv)
            writeCsv(run, path);
        else
            writeTouchstone(run, a, path);
        if (!a.quiet) {
            char seconds[32];
            const auto end = std::to_chars(seconds, seconds + sizeof seconds - 1, took.count(),
                                           std::chars_format::fixed, 2).ptr;
            *end = '\0';
            io.out << points << " points, " << w.sweep.FreqList[1] << " to "
                   << w.sweep.FreqList[static_cast<std::size_t>(points)] << " Hz ("
                   << w.controls().at("CalLabel").caption() << "), swept in " << seconds << " s (estimate "
                   << estimate << " s), written to " << path << '\n';
        }
        if (!checkLimits(run, a, limits, s, io))
            inside = false;
    }
    return inside ? 0 : 3;
}

} // namespace

int measureCommand(const std::vector<std::string>& args, CommandIo io)
{
    return reportFailures("measure", io.err, [&] {
        const MeasureArgs a = parseMeasureArgs(args);
        if (!a.help.empty()) {
            io.out << a.help;
            return 0;
        }
        return measure(a, io);
    });
}

int runMeasure(const Args& args)
{
    return measureCommand(args, CommandIo{std::cin, std::cout, std::cerr, isatty(STDERR_FILENO) != 0,
                                       isatty(STDIN_FILENO) != 0});
}

} // namespace orbilan::cli
