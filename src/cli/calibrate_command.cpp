// orbilan-cli calibrate: set the sweep, choose the mode, press Calibrate,
// answer the standards' prompts, press Save Cal.
#include <iostream>

#include "app/dialog_text.h"
#include "cli/commands.h"
#include "cli/measurement_commands.h"

#include <unistd.h>

namespace orbilan::cli {

namespace {

const char* modeName(int mode) { return mode == 1 ? "reflection" : "transmission"; }

// The standards a calibration measures, each one full sweep.
int standardsOf(int mode, bool cds) { return mode == 1 ? 3 : (cds ? 1 : 2); }

void calibrate(const CalibrateArgs& a, CommandIo io)
{
    SimulatorHooks hooks;
    if (const std::string why = startSimulator(a.instrument, hooks); !why.empty())
        throw CommandFailed{2, why};
    ProgramRun run("calibrate", a.instrument, hooks, io, a.quiet);
    app::MainWindow& w = run.window();
    run.start();
    run.setSweep(a.sweep);
    run.note(run.shownDialogs());

    run.click("ModeButton(" + std::to_string(a.mode) + ")");
    run.failOnMessage(run.shownDialogs(), 1);

    const int points = w.settings.SweepPoints;
    run.beginProgress(points * standardsOf(a.mode, w.sweep.CdsOn));
    run.click("CalibrateButton");
    run.endProgress();
    auto dialogs = run.shownDialogs();
    if (w.ended())
        run.failOnEnd(dialogs, "the program ended during the calibration");
    if (!run.platform().cancelledAt().empty())
        run.fail(1, "calibration cancelled at \"" + run.platform().cancelledAt() + "\"; nothing was written");
    const bool valid = a.mode == 1 ? w.cal.ReflCalValid : w.cal.TransCalValid;
    if (!valid) {
        // A fault stops the standard's sweep with its own message.
        for (const ui::DialogRecord& d : dialogs)
            if (d.kind == ui::DialogRecord::Kind::Message && !app::IsStandardPrompt(d.title) &&
                d.title != app::UnsavedCalTitle)
                run.fail(1, dialogLine(d));
        run.fail(1, std::string("the ") + modeName(a.mode) + " calibration did not complete");
    }

    run.platform().calSavePath = a.output;
    run.click("SaveCalButton");
    dialogs = run.shownDialogs();
    if (w.cal.CalUnsaved != 0) {
        run.failOnMessage(dialogs, 1);
        run.fail(1, "the calibration file was not written");
    }
    run.note(dialogs);

    if (!a.quiet)
        io.out << modeName(a.mode) << " calibration of " << points << " points, " << w.cal.CalFreq[1] << " to "
               << w.cal.CalFreq[static_cast<std::size_t>(w.cal.CalFreq[0])] << " Hz"
               << (w.sweep.CdsOn ? ", CDS on" : "") << ", written to " << a.output << '\n';
}

} // namespace

int calibrateCommand(const std::vector<std::string>& args, CommandIo io)
{
    return reportFailures("calibrate", io.err, [&] {
        const CalibrateArgs a = parseCalibrateArgs(args);
        if (!a.help.empty())
            io.out << a.help;
        else
            calibrate(a, io);
        return 0;
    });
}

int runCalibrate(const Args& args)
{
    return calibrateCommand(args, CommandIo{std::cin, std::cout, std::cerr, isatty(STDERR_FILENO) != 0,
                                       isatty(STDIN_FILENO) != 0});
}

} // namespace orbilan::cli
