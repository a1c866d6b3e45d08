// The command lines of calibrate and measure.
#include <cctype>
#include <cstdint>
#include <filesystem>
#include <utility>

#include "cli/measurement_commands.h"
#include "cli/option_values.h"
#include "sweep/freq_list.h"
#include "ui/number_text.h"

namespace orbilan::cli {

const char* const CalibrateUsage =
    "usage: orbilan-cli calibrate --mode reflection|transmission [--cds]\n"
    "                             (--start F --stop F | --centre F --span F | --tdr-grid --stop F)\n"
    "                             --steps N [--wait MS] [--averages N] -o FILE.cal [--quiet]\n"
    "                             [instrument options]\n"
    "Runs the program's calibration of the mode over the sweep and writes its calibration file.\n"
    "Each standard is asked for on the terminal (Enter when connected, q to cancel), unless the\n"
    "simulator connects it itself (--simulate without --no-auto-follow).\n"
    "Frequencies are typed as in the sweep panel: 10m, 500k, 1000000 (Hz).\n"
    "  --mode M           reflection (open, short, load) or transmission (thru, isolation)\n"
    "  --cds              correlated double sampling on\n"
    "  --steps N          frequency steps, 1 to 400 (N + 1 points)\n"
    "  --tdr-grid         sweep the whole multiples of the step up to --stop (start = step), the\n"
    "                     harmonic sweep a low-pass 'orbilan-cli tdr' needs\n"
    "  --wait MS          ADC settling wait per reading, 0 to 250 ms\n"
    "  --averages N       readings averaged per point, 1 to 100\n"
    "  -o FILE            the calibration file to write\n"
    "  --quiet            no progress line and no summary\n";

const char* const MeasureUsage =
    "usage: orbilan-cli measure --mode transmission|reflection|groupdelay --cal FILE.cal\n"
    "                           [(--start F --stop F | --centre F --span F | --tdr-grid --stop F)]\n"
    "                           [--steps N] [--wait MS]\n"
    "                           [--averages N] [--display NAME] [--aperture HZ] [--sweeps N]\n"
    "                           [--comment TEXT] [--limits FILE] -o OUT [--quiet] [instrument options]\n"
    "Loads the calibration as the program does, sweeps once (or N times) and writes OUT by its\n"
    "extension: .csv the program's data export for the display type; .s1p (reflection) or .s2p\n"
    "(transmission, S21 only) Touchstone 1.1 in RI format.\n"
    "Without sweep options the calibration's own sweep is measured; another sweep must lie inside\n"
    "the calibration's range and is then interpolated.\n"
    "  --tdr-grid         sweep the whole multiples of the step up to --stop (start = step, needs\n"
    "                     --steps): the harmonic sweep a low-pass 'orbilan-cli tdr' needs\n"
    "  --display NAME     an entry of the program's display list (dB,deg  mag,deg  |Z|,deg  rho,deg\n"
    "                     Rs,Xs  Rp,Xp  SWR  RL,deg  Smith  dB,us); it decides the .csv columns\n"
    "  --aperture HZ      group-delay aperture\n"
    "  --sweeps N         measure N sweeps, each to its own file (OUT-1, OUT-2 ...)\n"
    "  --comment TEXT     the comment line of the file\n"
    "  --limits FILE      check every sweep against the limit lines in FILE (see the README);\n"
    "                     the points outside go to standard error and the exit status is 3\n"
    "  --quiet            no progress line and no summary\n";

namespace {

[[noreturn]] void bad(const std::string& text) { throw CommandFailed{2, text}; }

std::string lowerExtension(const std::string& path)
{
    return ui::toLowerAscii(std::filesystem::path(path).extension().string());
}

// Numbers whose range the sweep panel checks with its own messages are
// only held to their form here.
constexpr std::uint64_t AnyCount = 1000000;

void checked(const std::string& why)
{
    if (!why.empty())
        bad(why);
}

// The options both commands share beyond the instrument's.
struct CommonArgs {
    InstrumentOptions instrument;
    std::string mode;
    std::string start, stop, centre, span;
    SweepRequest sweep;
    std::string output;
    bool quiet = false;
    bool help = false;
    bool tdrGrid = false;
};

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

// Reads the command line; `extra` takes the options of one command only
// (returns false for an option it does not know).
template <typename Extra>
CommonArgs readArgs(const std::vector<std::string>& args, Extra&& extra)
{
    CommonArgs c;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&]() -> const std::string& {
            if (i + 1 >= args.size() || args[i + 1].empty())
                bad(a + " needs a value");
            return args[++i];
        };
        std::string error;
        const OptionTaken taken = takeInstrumentOption(args, i, c.instrument, error);
        if (taken == OptionTaken::Error)
            bad(error);
        if (taken == OptionTaken::Yes)
            continue;
        if (a == "--help" || a == "-h")
            c.help = true;
        else if (a == "--mode")
            c.mode = value();
        else if (a == "--start")
            c.start = value();
        else if (a == "--stop")
            c.stop = value();
        else if (a == "--centre" || a == "--center")
            c.centre = value();
        else if (a == "--span")
            c.span = value();
        else if (a == "--steps")
            c.sweep.steps = value();
        else if (a == "--wait")
            c.sweep.wait = value();
        else if (a == "--averages")
            c.sweep.averages = value();
        else if (a == "-o" || a == "--output")
            c.output = value();
        else if (a == "--quiet" || a == "-q")
            c.quiet = true;
        else if (a == "--tdr-grid")
            c.tdrGrid = true;
        else if (!extra(a, value))
            bad("unexpected argument '" + a + "'");
    }
    if (c.help)
        return c;
    if (const std::string why = checkInstrumentOptions(c.instrument); !why.empty())
        bad(why);
    std::int32_t hz = 0;
    std::uint64_t count = 0;
    for (const auto& [option, text] : {std::pair{"--start", &c.start}, {"--stop", &c.stop}, {"--centre", &c.centre},
                                       {"--span", &c.span}})
        if (!text->empty())
            checked(checkFrequency(option, *text, hz));
    for (const auto& [option, text] :
         {std::pair{"--steps", &c.sweep.steps}, {"--wait", &c.sweep.wait}, {"--averages", &c.sweep.averages}})
        if (!text->empty())
            checked(checkWholeNumber(option, *text, 0, AnyCount, count));
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
    return c;
}

} // namespace

CalibrateArgs parseCalibrateArgs(const std::vector<std::string>& args)
{
    bool cds = false;
    const CommonArgs c = readArgs(args, [&](const std::string& a, auto&&) {
        if (a != "--cds")
            return false;
        cds = true;
        return true;
    });
    CalibrateArgs out;
    out.help = c.help;
    if (c.help)
        return out;
    if (c.mode == "reflection")
        out.mode = 1;
    else if (c.mode == "transmission")
        out.mode = 0;
    else
        bad(c.mode.empty() ? "--mode is missing (reflection or transmission)"
                           : "--mode is reflection or transmission, not '" + c.mode + "'");
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
    MeasureArgs out;
    std::string sweeps;
    const CommonArgs c = readArgs(args, [&](const std::string& a, auto&& value) {
        if (a == "--cal")
            out.calFile = value();
        else if (a == "--display")
            out.display = value();
        else if (a == "--aperture")
            out.aperture = value();
        else if (a == "--sweeps")
            sweeps = value();
        else if (a == "--comment")
            out.comment = value();
        else if (a == "--limits")
            out.limitsFile = value();
        else
            return false;
        return true;
    });
    out.help = c.help;
    if (c.help)
        return out;
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
    if (!sweeps.empty()) {
        std::uint64_t n = 0;
        checked(checkWholeNumber("--sweeps", sweeps, 1, 100000, n));
        out.sweeps = static_cast<int>(n);
    }
    if (!out.aperture.empty() && out.mode != 2)
        bad("--aperture belongs to --mode groupdelay");
    if (!out.aperture.empty()) {
        // The aperture box takes hertz: a unit letter is worked out here.
        std::int32_t hz = 0;
        checked(checkFrequency("--aperture", out.aperture, hz));
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
