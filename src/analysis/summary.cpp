#include "analysis/summary.h"

#include <cmath>

#include "analysis/bandwidth.h"
#include "analysis/reflection.h"
#include "ui/number_text.h"

namespace orbilan::analysis {

namespace {

std::string hzText(double hz) { return SummaryNumber(hz) + " Hz"; }

void transmission(const std::vector<double>& hz, const std::vector<double>& db, double drop, Summary& out)
{
    const auto bw = FindBandwidth(hz, db, drop);
    if (!bw) {
        out.missing.push_back("the trace has no finite values");
        return;
    }
    const std::string n = SummaryNumber(drop);
    out.lines.push_back({"peak_hz", bw->peakHz});
    out.lines.push_back({"peak_db", bw->peakDb});
    if (bw->lowHz)
        out.lines.push_back({"bw_low_hz", *bw->lowHz});
    else
        out.missing.push_back("bw_low_hz: the trace does not fall " + n + " dB below its peak at " +
                              hzText(bw->peakHz) + " between the start of the sweep and the peak");
    if (bw->highHz)
        out.lines.push_back({"bw_high_hz", *bw->highHz});
    else
        out.missing.push_back("bw_high_hz: the trace does not fall " + n + " dB below its peak at " +
                              hzText(bw->peakHz) + " between the peak and the end of the sweep");
    if (bw->complete()) {
        out.lines.push_back({"bw_hz", bw->bandwidthHz()});
        out.lines.push_back({"centre_hz", bw->centreHz()});
        out.lines.push_back({"q", bw->q()});
    } else {
        out.missing.push_back("bw_hz, centre_hz, q: need both edges of the -" + n + " dB band");
    }
}

void reflection(const Trace& t, double swr, Summary& out)
{
    const auto minimum = FindMinimumSwr(t);
    if (!minimum) {
        out.missing.push_back("the trace has no points");
        return;
    }
    out.lines.push_back({"min_swr_hz", minimum->hz});
    const bool finite = std::isfinite(minimum->swr);
    if (finite)
        out.lines.push_back({"min_swr", minimum->swr});
    else
        out.missing.push_back("min_swr: |rho| is 1 or more at every point, so the SWR is infinite");

    if (const auto r = FindResonance(t)) {
        out.lines.push_back({"resonance_hz", r->hz});
        out.lines.push_back({"resonance_r_ohm", r->resistance});
    } else {
        out.missing.push_back("resonance_hz, resonance_r_ohm: the reactance does not cross zero inside the sweep");
    }

    const std::string s = SummaryNumber(swr);
    const auto band = FindSwrBand(t, swr);
    if (!band) {
        out.missing.push_back("swr_low_hz, swr_high_hz, swr_bw_hz: the SWR does not come down to " + s +
                              " inside the sweep (" +
                              (finite ? "least " + SummaryNumber(minimum->swr) + " at " + hzText(minimum->hz)
                                      : std::string("infinite everywhere")) +
                              ")");
        return;
    }
    if (band->lowHz)
        out.lines.push_back({"swr_low_hz", *band->lowHz});
    else
        out.missing.push_back("swr_low_hz: the SWR stays at or below " + s + " down to the start of the sweep");
    if (band->highHz)
        out.lines.push_back({"swr_high_hz", *band->highHz});
    else
        out.missing.push_back("swr_high_hz: the SWR stays at or below " + s + " up to the end of the sweep");
    if (band->complete())
        out.lines.push_back({"swr_bw_hz", band->bandwidthHz()});
    else
        out.missing.push_back("swr_bw_hz: needs both edges of the band");
}

} // namespace

std::string SummaryNumber(double value) { return ui::formatGeneral(value, 10, '.'); }

Summary Summarise(const Trace& trace, const SummaryOptions& options)
{
    if (trace.reflection)
        return SummariseReflection(trace, options.swr);
    std::vector<double> db;
    db.reserve(trace.size());
    for (const Cx& s : trace.s)
        db.push_back(DbOf(s));
    return SummariseBandwidth(trace.hz, db, options.drop);
}

Summary SummariseBandwidth(const std::vector<double>& hz, const std::vector<double>& db, double drop)
{
    Summary out;
    transmission(hz, db, drop, out);
    return out;
}

Summary SummariseReflection(const Trace& trace, double swr)
{
    Summary out;
    reflection(trace, swr, out);
    return out;
}

std::string SummaryText(const Summary& summary)
{
    std::string out;
    for (const SummaryLine& line : summary.lines)
        out += line.name + "=" + SummaryNumber(line.value) + "\n";
    return out;
}

std::string SummaryJson(const Summary& summary)
{
    std::string out = "{";
    for (const SummaryLine& line : summary.lines) {
        if (out.size() > 1)
            out += ", ";
        out += "\"" + line.name + "\": " + SummaryNumber(line.value);
    }
    return out + "}\n";
}

} // namespace orbilan::analysis
