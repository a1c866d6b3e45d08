// The command lines of calibrate and measure.
#include <cctype>
#include <cstdint>
#include <filesystem>

#include "cli/measurement_commands.h"
#include "cli/option_values.h"
#include "sweep/freq_list.h"
#include "ui/number_text.h"

namespace orbilan::cli {

namespace {

[[noreturn]] void bad(const std::string& text) { throw UsageError{text, {}}; }

void checked(const std::string& why)
{
    if (!why.empty())
        bad(why);
}

std::string lowerExtension(const std::string& path)
{
    return ui::toLowerAscii(std::filesystem::path(path).extension().string());
}

// Numbers whose range the sweep panel checks with its own messages are
// only held to their form here.
constexpr std::uint64_t AnyCount = 1000000;

std::string countText(const std::string& option, const std::string& text)
{
    std::uint64_t n = 0;
    return checkWholeNumber(option, text, 0, AnyCount, n);
}

// The options both commands share beyond the instrument's.
struct CommonArgs {
    InstrumentOptions instrument;
    std::string mode;
    std::string start, stop, centre, span;
    SweepRequest sweep;
    std::string output;
    bool quiet = false;
    bool tdrGrid = false;
};

void declareSweep(OptionParser& p, CommonArgs& c, const char* tdrGridHelp)
{
    p.value("--start", "F", "the sweep's first frequency, typed as in the sweep panel:\n"
                            "10m, 1.5m, 500k or 1000000 (Hz)",
            c.start, checkFrequencyText)
        .value("--stop", "F", "its last frequency", c.stop, checkFrequencyText)
        .value("--centre, --center", "F", "the sweep's centre frequency, with --span instead of --start and --stop",
               c.centre, checkFrequencyText)
        .value("--span", "F", "its width", c.span, checkFrequencyText)
        .flag("--tdr-grid", tdrGridHelp, c.tdrGrid)
        .value("--steps", "N", "frequency steps, 1 to 400 (N + 1 points)", c.sweep.steps, countText)
        .value("--wait", "MS", "ADC settling wait per reading, 0 to 250 ms", c.sweep.wait, countText)
        .value("--averages", "N", "readings averaged per point, 1 to 100", c.sweep.averages, countText);
}

void declareEnd(OptionParser& p, CommonArgs& c, const char* outputHelp)
{
    p.value("-o, --output", "FILE", outputHelp, c.output)
        .flag("-q, --quiet", "no progress line and no summary", c.quiet);
    addInstrumentOptions(p, c.instrument);
}

// --tdr-grid --stop F --steps N: the Start+End sweep of the whole multiples
// of its step, written as plain hertz for the panel.
void harmonicSweep(CommonArgs& c)
{
    if (!c.start.empty() || !c.centre.empty() || !c.span.empty())
        bad("--tdr-grid sets the start itself: give --stop and --steps only");
    if (c.stop.empty() || c.sweep.steps.empty())
        bad("--tdr-grid needs --stop and --steps");
    std::int32_t stop = 0;
    std::uint64_t steps = 0;
    checked(checkFrequency("--stop", c.stop, stop));
    checked(checkWholeNumber("--steps", c.sweep.steps, 1, 400, steps));
    sweep::ListBounds bounds;
    if (!sweep::HarmonicBounds(stop, static_cast<int>(steps) + 1, bounds)) {
        if (stop > sweep::MaxFreqHz)
            bad("--tdr-grid: --stop lies above " + std::to_string(sweep::MaxFreqHz) + " Hz");
        bad("--tdr-grid: " + std::to_string(steps) + " steps need a stop of at least " +
            std::to_string(static_cast<long long>(steps + 1) * sweep::MinFreqHz) +
            " Hz, since the step is also the start and no sweep starts below " + std::to_string(sweep::MinFreqHz) +
            " Hz");
    }
    c.start = std::to_string(bounds.start);
    c.stop = std::to_string(bounds.end);
}

// What holds for both commands once their options are read.
void checkCommon(CommonArgs& c)
{
    checkInstrumentOptions(c.instrument);
    if (c.tdrGrid)
        harmonicSweep(c);
    const bool startStop = !c.start.empty() || !c.stop.empty();
    const bool centreSpan = !c.centre.empty() || !c.span.empty();
    if (startStop && centreSpan)
        bad("give either --start and --stop or --centre and --span, not both");
    if (startStop && (c.start.empty() || c.stop.empty()))
        bad("--start and --stop go together");
    if (centreSpan && (c.centre.empty() || c.span.empty()))
        bad("--centre and --span go together");
    c.sweep.centreSpan = centreSpan;
    c.sweep.f1 = centreSpan ? c.centre : c.start;
    c.sweep.f2 = centreSpan ? c.span : c.stop;
    if (c.output.empty())
        bad("-o FILE is missing");
}

} // namespace

CalibrateArgs parseCalibrateArgs(const std::vector<std::string>& args)
{
    CommonArgs c;
    bool cds = false;
    OptionParser p(
        "usage: orbilan-cli calibrate --mode reflection|transmission [--cds]\n"
        "                             (--start F --stop F | --centre F --span F | --tdr-grid --stop F)\n"
        "                             --steps N [--wait MS] [--averages N] -o FILE.cal [--quiet]\n"
        "                             [instrument options]\n",
        "Runs the program's calibration of the mode over the sweep and writes its calibration file.\n"
        "Each standard is asked for on the terminal (Enter when connected, q to cancel), unless the\n"
        "simulator connects it itself (--simulate without --no-auto-follow).\n");
    p.value("--mode", "M", "reflection (open, short, load) or transmission (thru, isolation)", c.mode)
        .flag("--cds", "correlated double sampling on (off without it)", cds);
    declareSweep(p, c,
                 "sweep the whole multiples of the step up to --stop (start = step), the\n"
                 "harmonic sweep a low-pass 'orbilan-cli tdr' needs");
    declareEnd(p, c, "the calibration file to write");

    CalibrateArgs out;
    if (!p.parse(args)) {
        out.help = p.help();
        return out;
    }
    if (c.mode == "reflection")
        out.mode = 1;
    else if (c.mode == "transmission")
        out.mode = 0;
    else
        bad(c.mode.empty() ? "--mode is missing (reflection or transmission)"
                           : "--mode is reflection or transmission, not '" + c.mode + "'");
    checkCommon(c);
    if (c.sweep.f1.empty())
        bad("the sweep is missing: --start and --stop, or --centre and --span");
    if (c.sweep.steps.empty())
        bad("--steps is missing");
    out.instrument = c.instrument;
    out.sweep = c.sweep;
    // A calibration is made with CDS on or off, never "as it happens to be".
    out.sweep.cds = cds;
    out.output = c.output;
    out.quiet = c.quiet;
    return out;
}

MeasureArgs parseMeasureArgs(const std::vector<std::string>& args)
{
    CommonArgs c;
    MeasureArgs out;
    std::string aperture;
    OptionParser p(
        "usage: orbilan-cli measure --mode transmission|reflection|groupdelay --cal FILE.cal\n"
        "                           [(--start F --stop F | --centre F --span F | --tdr-grid --stop F)]\n"
        "                           [--steps N] [--wait MS]\n"
        "                           [--averages N] [--display NAME] [--aperture HZ] [--sweeps N]\n"
        "                           [--comment TEXT] [--limits FILE] -o OUT [--quiet] [instrument options]\n",
        "Loads the calibration as the program does, sweeps once (or N times) and writes OUT by its\n"
        "extension: .csv the program's data export for the display type; .s1p (reflection) or .s2p\n"
        "(transmission, S21 only) Touchstone 1.1 in RI format.\n"
        "Without sweep options the calibration's own sweep is measured; another sweep must lie inside\n"
        "the calibration's range and is then interpolated.\n");
    p.value("--mode", "M", "transmission, reflection or groupdelay", c.mode)
        .value("--cal", "FILE.cal", "the calibration to measure with", out.calFile);
    declareSweep(p, c,
                 "sweep the whole multiples of the step up to --stop (start = step, needs\n"
                 "--steps): the harmonic sweep a low-pass 'orbilan-cli tdr' needs");
    p.value("--display", "NAME",
            "an entry of the program's display list (dB,deg  mag,deg  |Z|,deg  rho,deg\n"
            "Rs,Xs  Rp,Xp  SWR  RL,deg  Smith  dB,us); it decides the .csv columns",
            out.display)
        .value("--aperture", "HZ", "group-delay aperture, a frequency as --start takes it", aperture,
               checkFrequencyText)
        .whole("--sweeps", "N", "measure N sweeps, each to its own file (OUT-1, OUT-2 ...)", 1, 100000, out.sweeps)
        .value("--comment", "TEXT", "the comment line of the file", out.comment)
        .value("--limits", "FILE",
               "check every sweep against the limit lines in FILE (see the README);\n"
               "the points outside go to standard error and the exit status is 3",
               out.limitsFile);
    declareEnd(p, c, "the file to write: .csv, .s1p or .s2p");

    if (!p.parse(args)) {
        out.help = p.help();
        return out;
    }
    if (c.mode == "transmission")
        out.mode = 0;
    else if (c.mode == "reflection")
        out.mode = 1;
    else if (c.mode == "groupdelay")
        out.mode = 2;
    else
        bad(c.mode.empty() ? "--mode is missing (transmission, reflection or groupdelay)"
                           : "--mode is transmission, reflection or groupdelay, not '" + c.mode + "'");
    if (out.calFile.empty())
        bad("--cal FILE is missing");
    checkCommon(c);
    if (!aperture.empty() && out.mode != 2)
        bad("--aperture belongs to --mode groupdelay");
    if (!aperture.empty()) {
        // The aperture box takes hertz: a unit letter is worked out here.
        std::int32_t hz = 0;
        checked(checkFrequency("--aperture", aperture, hz));
        out.aperture = std::to_string(hz);
    }

    const std::string ext = lowerExtension(c.output);
    if (ext == ".csv") {
        out.kind = OutputKind::Csv;
    } else if (ext == ".s1p") {
        if (out.mode != 1)
            bad("a .s1p file holds a reflection measurement: use --mode reflection, or write .s2p or .csv");
        out.kind = OutputKind::Touchstone1;
    } else if (ext == ".s2p") {
        if (out.mode != 0)
            bad("a .s2p file holds a transmission measurement: use --mode transmission, or write .s1p or .csv");
        out.kind = OutputKind::Touchstone2;
    } else {
        bad("the output's extension says what to write: .csv, .s1p or .s2p");
    }
    out.instrument = c.instrument;
    out.sweep = c.sweep;
    out.output = c.output;
    out.quiet = c.quiet;
    return out;
}

std::string numberedOutput(const std::string& output, int n, int count)
{
    if (count <= 1)
        return output;
    const std::filesystem::path p(output);
    std::filesystem::path numbered = p.parent_path() / (p.stem().string() + "-" + std::to_string(n));
    numbered += p.extension();
    return numbered.string();
}

} // namespace orbilan::cli
