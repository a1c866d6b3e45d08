#include "cli/tdr_command.h"

#include <charconv>
#include <cmath>
#include <iostream>

#include "cal/text_file.h"
#include "cli/commands.h"
#include "cli/option_values.h"
#include "touchstone/touchstone.h"
#include "ui/number_text.h"

#include <unistd.h>

namespace orbilan::cli {

namespace {

[[noreturn]] void bad(const std::string& text) { throw UsageError{text, {}}; }

analysis::TdrWindow windowOption(const std::string& text)
{
    const std::string lower = ui::toLowerAscii(text);
    if (lower == "hann")
        return {analysis::WindowShape::Hann, 0};
    if (lower == "none")
        return {analysis::WindowShape::None, 0};
    if (lower == "kaiser")
        return {analysis::WindowShape::Kaiser, analysis::TdrWindow{}.beta};
    if (lower.rfind("kaiser:", 0) == 0) {
        double beta = 0;
        if (const std::string why = checkNumber("--window kaiser:BETA", text.substr(7), beta); !why.empty())
            bad(why);
        if (beta < 0 || beta > analysis::MaxKaiserBeta)
            bad("--window kaiser:BETA takes a beta from 0 to " + ui::formatGeneral(analysis::MaxKaiserBeta));
        return {analysis::WindowShape::Kaiser, beta};
    }
    bad("--window is kaiser, kaiser:BETA, hann or none, not '" + text + "'");
}

std::string number(double v)
{
    char buffer[32];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, v, std::chars_format::general, 10);
    return ec == std::errc() ? std::string(buffer, end) : std::string("0");
}

// A length for the summary: metres and feet.
std::string lengthText(double metres)
{
    return ui::formatPattern(metres, "#0.00") + " m (" + ui::formatPattern(metres / analysis::MetresPerFoot, "#0.0") +
           " ft)";
}

std::string windowText(const analysis::TdrWindow& w)
{
    switch (w.shape) {
    case analysis::WindowShape::None: return "no window";
    case analysis::WindowShape::Hann: return "Hann window";
    case analysis::WindowShape::Kaiser: return "Kaiser window, beta " + ui::formatGeneral(w.beta);
    }
    return "";
}

void run(const TdrArgs& a, CommandIo io)
{
    touchstone::Data data;
    std::string error;
    if (!touchstone::ReadFile(a.input, 1, data, error))
        throw CommandFailed{1, error};
    analysis::TdrInput input;
    input.hz = data.hz;
    input.z0 = data.z0;
    for (const auto& s : data.s)
        input.s11.push_back(s[touchstone::S11]);

    const bool lowPass = a.options.mode == analysis::TdrMode::LowPass;
    const analysis::FrequencyGrid grid = analysis::ExamineGrid(input.hz);
    if (lowPass && grid.even && !grid.harmonic)
        bad("low-pass needs a harmonic sweep, every frequency a whole multiple of the step: " + grid.why +
            ". Measure one with 'orbilan-cli measure --tdr-grid --stop F --steps N' (start = step), or use "
            "--mode bandpass");
    analysis::TdrResult result;
    if (!analysis::TimeDomain(input, a.options, result, error)) {
        if (lowPass && !grid.harmonic)
            bad(error + ". Measure one with 'orbilan-cli measure --tdr-grid --stop F --steps N' (start = step)");
        throw CommandFailed{1, a.input + ": " + error};
    }

    const double range = analysis::DistanceOfTime(result.aliasFreeTime, a.velocityFactor);
    if (a.maxDistance > range)
        io.err << "orbilan-cli tdr: warning: --max-distance " << ui::formatGeneral(a.maxDistance)
               << " m lies beyond the alias-free range of " << lengthText(range)
               << "; reflections from further away fold back into it. The rows end at the range.\n";

    const std::string csv = TdrCsv(result, a.velocityFactor, a.maxDistance);
    if (const auto failed = cal::ReplaceFileContents(a.output, csv))
        throw CommandFailed{1, "Error " + std::to_string(failed->number) + ": " + failed->description + ": " +
                                   a.output};
    if (a.quiet)
        return;
    std::size_t rows = 0;
    for (char c : csv)
        rows += c == '\n';
    io.out << (lowPass ? "low-pass" : "band-pass") << ", " << windowText(a.options.window) << ", velocity factor "
           << ui::formatGeneral(a.velocityFactor) << ": " << rows - 1 << " rows written to " << a.output << '\n'
           << "resolution " << lengthText(analysis::DistanceOfTime(result.resolutionTime, a.velocityFactor))
           << ", alias-free range " << lengthText(range) << '\n';
    if (lowPass)
        io.out << "reflection at DC " << ui::formatPattern(result.dc, "0.0000")
               << (result.dcExtrapolated ? " (carried on from the lowest two points)" : " (measured)") << '\n';
}

} // namespace

TdrArgs parseTdrArgs(const std::vector<std::string>& args)
{
    TdrArgs out;
    std::string window, mode;
    OptionParser p(
        "usage: orbilan-cli tdr IN.s1p [--vf F] [--window kaiser[:BETA]|hann|none] [--mode lowpass|bandpass]\n"
        "                      [--max-distance M] -o OUT.csv [--quiet]\n",
        "Turns a reflection measurement into time domain (TDR) and writes one CSV row per time point,\n"
        "from 0 to the alias-free range or M metres, under the header\n"
        "distance_m,time_s,impulse,step_rho,impedance_ohm (band-pass leaves the last two empty).\n"
        "Low-pass needs a harmonic sweep (start = step): measure one with\n"
        "'orbilan-cli measure --tdr-grid --stop F --steps N'.\n");
    p.positional("IN.s1p", out.input)
        .value("--vf", "F",
               "velocity factor of the line, above 0 up to 1 (default 1; solid PE 0.66,\n"
               "foam 0.82, air 1.0)",
               [&](const std::string& option, const std::string& text) {
                   if (const std::string why = checkNumber(option, text, out.velocityFactor); !why.empty())
                       bad(why);
                   if (!(out.velocityFactor > 0 && out.velocityFactor <= 1))
                       bad(option + " is a velocity factor above 0 and at most 1, not '" + text + "'");
               })
        .value("--window", "W", "kaiser (beta 6), kaiser:BETA (0 to 30), hann or none (default kaiser)", window)
        .value("--mode", "M",
               "lowpass (default: impulse, step and impedance) or bandpass (impulse\n"
               "magnitude, any evenly spaced sweep)",
               mode)
        .value("--max-distance", "M", "last row at M metres (one-way distance along the line)",
               [&](const std::string& option, const std::string& text) {
                   if (const std::string why = checkNumber(option, text, out.maxDistance); !why.empty())
                       bad(why);
                   if (!(out.maxDistance > 0))
                       bad(option + " is a distance in metres above 0, not '" + text + "'");
               })
        .value("-o, --output", "FILE", "the CSV file to write", out.output)
        .flag("-q, --quiet", "no summary", out.quiet);
    if (!p.parse(args)) {
        out.help = p.help();
        return out;
    }
    if (out.input.empty())
        bad("the input file is missing: orbilan-cli tdr IN.s1p ...");
    if (touchstone::PortsOfName(out.input) != 1)
        bad("tdr reads a reflection measurement, a Touchstone .s1p file, not '" + out.input + "'");
    if (!window.empty())
        out.options.window = windowOption(window);
    if (mode == "bandpass")
        out.options.mode = analysis::TdrMode::BandPass;
    else if (!mode.empty() && mode != "lowpass")
        bad("--mode is lowpass or bandpass, not '" + mode + "'");
    if (out.output.empty())
        bad("-o FILE is missing");
    return out;
}

std::string TdrCsv(const analysis::TdrResult& result, double velocityFactor, double maxDistance)
{
    std::string text = "distance_m,time_s,impulse,step_rho,impedance_ohm\r\n";
    const bool lowPass = result.mode == analysis::TdrMode::LowPass;
    for (std::size_t i = 0; i < result.size(); ++i) {
        const double distance = analysis::DistanceOfTime(result.time[i], velocityFactor);
        if (maxDistance > 0 && distance > maxDistance)
            break;
        text += number(distance) + ',' + number(result.time[i]) + ',' + number(result.impulse[i]) + ',';
        if (lowPass)
            text += number(result.step[i]) + ',' + number(result.impedance[i]);
        else
            text += ',';
        text += "\r\n";
    }
    return text;
}

int tdrCommand(const std::vector<std::string>& args, CommandIo io)
{
    return reportFailures("tdr", io.err, [&] {
        const TdrArgs a = parseTdrArgs(args);
        if (!a.help.empty())
            io.out << a.help;
        else
            run(a, io);
        return 0;
    });
}

int runTdr(const Args& args)
{
    return tdrCommand(args, CommandIo{std::cin, std::cout, std::cerr, isatty(STDERR_FILENO) != 0,
                                      isatty(STDIN_FILENO) != 0});
}

} // namespace orbilan::cli
