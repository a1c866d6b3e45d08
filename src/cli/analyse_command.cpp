// orbilan-cli analyse: reads a Touchstone file (the program's or any tool's)
// and prints what the analysis layer finds in it, one name=value per line.
#include "cli/analyse_command.h"

#include <charconv>
#include <cmath>
#include <iostream>

#include "analysis/summary.h"
#include "cli/commands.h"
#include "touchstone/touchstone.h"

#include <unistd.h>

namespace orbilan::cli {

const char* const AnalyseUsage =
    "usage: orbilan-cli analyse FILE.s1p|FILE.s2p [--drop N] [--swr S] [--json]\n"
    "Reads a Touchstone file and prints one name=value line per result, in plain SI units\n"
    "(Hz, dB, ohm). Lines that do not apply or cannot be found are left out; the reason\n"
    "goes to standard error and the exit status is 1.\n"
    "  .s2p (S21): peak_hz, peak_db, bw_low_hz, bw_high_hz, bw_hz, centre_hz, q\n"
    "              (the band N dB below the peak; centre is the geometric mean of its edges,\n"
    "              q = centre / bandwidth)\n"
    "  .s1p (S11): min_swr_hz, min_swr, resonance_hz, resonance_r_ohm (where the reactance\n"
    "              crosses zero nearest the best match), swr_low_hz, swr_high_hz, swr_bw_hz\n"
    "              (the band around the best match where SWR <= S)\n"
    "  --drop N    dB below the peak for the bandwidth, default 3 (.s2p)\n"
    "  --swr S     the SWR that bounds the matched band, above 1, default 2 (.s1p)\n"
    "  --json      the same values as one JSON object\n"
    "Exit status: 0 all found, 1 a value not found, 2 bad usage or an unreadable file.\n";

namespace {

[[noreturn]] void bad(const std::string& text) { throw CommandFailed{2, text}; }

double number(const std::string& option, const std::string& text)
{
    double v = 0;
    const char* end = text.data() + text.size();
    const auto r = std::from_chars(text.data(), end, v);
    if (text.empty() || r.ec != std::errc() || r.ptr != end || !std::isfinite(v))
        bad(option + " needs a number, not '" + text + "'");
    return v;
}

} // namespace

AnalyseArgs parseAnalyseArgs(const std::vector<std::string>& args)
{
    AnalyseArgs out;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&]() -> const std::string& {
            if (i + 1 >= args.size())
                bad(a + " needs a value");
            return args[++i];
        };
        if (a == "--help" || a == "-h")
            out.help = true;
        else if (a == "--drop")
            out.drop = number(a, value());
        else if (a == "--swr")
            out.swr = number(a, value());
        else if (a == "--json")
            out.json = true;
        else if (!a.empty() && a[0] == '-' && a != "-")
            bad("unexpected argument '" + a + "'");
        else if (!out.file.empty())
            bad("one file at a time ('" + out.file + "' and '" + a + "')");
        else
            out.file = a;
    }
    if (out.help)
        return out;
    if (out.file.empty())
        bad("the Touchstone file is missing");
    if (touchstone::PortsOfName(out.file) == 0)
        bad(out.file + ": the name must end in .s1p or .s2p");
    if (!(out.drop > 0))
        bad("--drop needs a number of dB above 0");
    if (!(out.swr > 1))
        bad("--swr needs an SWR above 1");
    return out;
}

int analyseCommand(const std::vector<std::string>& args, CommandIo io)
{
    try {
        const AnalyseArgs a = parseAnalyseArgs(args);
        if (a.help) {
            io.out << AnalyseUsage;
            return 0;
        }
        touchstone::Data data;
        std::string error;
        if (!touchstone::ReadFile(a.file, touchstone::PortsOfName(a.file), data, error))
            throw CommandFailed{2, error};
        const analysis::Summary summary =
            analysis::Summarise(analysis::TraceOfFile(data), analysis::SummaryOptions{a.drop, a.swr});
        io.out << (a.json ? analysis::SummaryJson(summary) : analysis::SummaryText(summary));
        for (const std::string& reason : summary.missing)
            io.err << "orbilan-cli analyse: " << reason << '\n';
        return summary.complete() ? 0 : 1;
    } catch (const CommandFailed& f) {
        io.err << "orbilan-cli analyse: " << f.text << '\n';
        if (f.status == 2 && f.text.find("unexpected argument") != std::string::npos)
            io.err << AnalyseUsage;
        return f.status;
    }
}

int runAnalyse(const Args& args)
{
    return analyseCommand(args, CommandIo{std::cin, std::cout, std::cerr, isatty(STDERR_FILENO) != 0, false});
}

} // namespace orbilan::cli
