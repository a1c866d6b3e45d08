// orbilan-cli analyse: reads a Touchstone file (the program's or any tool's)
// and prints what the analysis layer finds in it, one name=value per line.
#include "cli/analyse_command.h"

#include <iostream>

#include "analysis/summary.h"
#include "cli/commands.h"
#include "touchstone/touchstone.h"

#include <unistd.h>

namespace orbilan::cli {

AnalyseArgs parseAnalyseArgs(const std::vector<std::string>& args)
{
    AnalyseArgs out;
    OptionParser p(
        "usage: orbilan-cli analyse FILE.s1p|FILE.s2p [--drop N] [--swr S] [--json]\n",
        "Reads a Touchstone file and prints one name=value line per result, in plain SI units\n"
        "(Hz, dB, ohm). Lines that do not apply or cannot be found are left out; the reason\n"
        "goes to standard error and the exit status is 1.\n"
        "  .s2p (S21): peak_hz, peak_db, bw_low_hz, bw_high_hz, bw_hz, centre_hz, q\n"
        "              (the band N dB below the peak; centre is the geometric mean of its edges,\n"
        "              q = centre / bandwidth)\n"
        "  .s1p (S11): min_swr_hz, min_swr, resonance_hz, resonance_r_ohm (where the reactance\n"
        "              crosses zero nearest the best match), swr_low_hz, swr_high_hz, swr_bw_hz\n"
        "              (the band around the best match where SWR <= S)\n"
        "Exit status: 0 all found, 1 a value not found, 2 bad usage or an unreadable file.\n");
    p.positional("FILE", out.file)
        .number("--drop", "N", "dB below the peak for the bandwidth, above 0, default 3 (.s2p)", out.drop)
        .number("--swr", "S", "the SWR that bounds the matched band, above 1, default 2 (.s1p)", out.swr)
        .flag("--json", "the same values as one JSON object", out.json);
    if (!p.parse(args)) {
        out.help = p.help();
        return out;
    }
    if (out.file.empty())
        throw UsageError{"the Touchstone file is missing", {}};
    if (touchstone::PortsOfName(out.file) == 0)
        throw UsageError{out.file + ": the name must end in .s1p or .s2p", {}};
    if (!(out.drop > 0))
        throw UsageError{"--drop needs a number of dB above 0", {}};
    if (!(out.swr > 1))
        throw UsageError{"--swr needs an SWR above 1", {}};
    return out;
}

int analyseCommand(const std::vector<std::string>& args, CommandIo io)
{
    return reportFailures("analyse", io.err, [&] {
        const AnalyseArgs a = parseAnalyseArgs(args);
        if (!a.help.empty()) {
            io.out << a.help;
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
    });
}

int runAnalyse(const Args& args)
{
    return analyseCommand(args, CommandIo{std::cin, std::cout, std::cerr, isatty(STDERR_FILENO) != 0, false});
}

} // namespace orbilan::cli
