#include "touchstone/touchstone.h"

#include <charconv>
#include <cmath>

#include "cal/cal_file.h"
#include "ui/number_text.h"

namespace orbilan::touchstone {

namespace {

constexpr const char* Eol = "\r\n";

std::string integerText(std::int64_t v)
{
    char buf[32];
    const auto r = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, r.ptr);
}

// A comment must stay on its line: a line break in a file name would start
// a data line of its own.
std::string oneLine(const std::string& s)
{
    std::string out;
    for (char c : s)
        out += (c == '\r' || c == '\n') ? ' ' : c;
    return out;
}

void comment(std::string& out, const std::string& text)
{
    out += "! ";
    out += oneLine(text);
    out += Eol;
}

void appendComplex(std::string& out, cal::Complex z)
{
    out += ' ';
    out += cal::FileNumber(z.re);
    out += ' ';
    out += cal::FileNumber(z.im);
}

bool finite(const Point& p) { return std::isfinite(p.s.re) && std::isfinite(p.s.im); }

} // namespace

std::optional<std::int32_t> FirstNonFinite(const std::vector<Point>& points)
{
    for (const Point& p : points)
        if (!finite(p))
            return p.hz;
    return std::nullopt;
}

std::string Text(const Header& header, int ports, const std::vector<Point>& points)
{
    const bool twoPort = ports == 2;
    // The reference impedance is a single-precision setting: seven digits
    // say all it holds, where fifteen would print its binary residue.
    const std::string z0 = ui::formatGeneral(header.z0, 7, '.');

    std::string out;
    comment(out, "Orbilan software for Kesp VNA version " + header.version + " (" + header.program + ")");
    if (!header.comment.empty())
        comment(out, header.comment);
    comment(out, "Measured " + header.date + " " + header.time);
    comment(out, "Calibration file: " + header.calFile +
                     (header.calStatus.empty() ? std::string() : " (" + header.calStatus + ")"));
    comment(out, "Averages per point: " + integerText(header.averages) + "  ADC wait: " +
                     integerText(header.adcWaitMs) + " ms  ADC type: " + integerText(header.adcType) +
                     "  ADC mode: " + integerText(header.adcMode) + "  CDS: " + (header.cds ? "on" : "off"));
    if (twoPort) {
        comment(out, "Transmission: S21 measured. S11, S12 and S22 were not measured and are written as 0.");
    } else {
        comment(out, "Reflection: S11 from the measured impedance against " + z0 + " ohm.");
    }
    out += "# HZ S RI R " + z0 + Eol;
    comment(out, twoPort ? "freq/Hz  reS11 imS11  reS21 imS21  reS12 imS12  reS22 imS22" : "freq/Hz  reS11 imS11");

    const cal::Complex zero{0, 0};
    for (const Point& p : points) {
        if (!finite(p)) {
            comment(out, integerText(p.hz) + " Hz left out: its value is not a finite number");
            continue;
        }
        out += integerText(p.hz);
        if (twoPort) {
            // Two-port data lines run S11, S21, S12, S22.
            appendComplex(out, zero);
            appendComplex(out, p.s);
            appendComplex(out, zero);
            appendComplex(out, zero);
        } else {
            appendComplex(out, p.s);
        }
        out += Eol;
    }
    return out;
}

std::optional<SweepFile> FromSweep(const cal::MeasuredSweep& sweep, const std::string& program)
{
    if (sweep.mode != 0 && sweep.mode != 1)
        return std::nullopt;
    SweepFile file;
    Header& h = file.header;
    h.program = program;
    h.version = sweep.version;
    h.date = sweep.date;
    h.time = sweep.time;
    h.calFile = sweep.calFile;
    h.calStatus = sweep.calStatusText;
    h.averages = sweep.averages;
    h.adcWaitMs = sweep.adcWaitMs;
    h.adcType = sweep.adcType;
    h.adcMode = sweep.adcMode;
    h.cds = sweep.cds;
    h.z0 = sweep.z0();
    file.ports = sweep.mode == 1 ? 1 : 2;
    file.points.reserve(sweep.size());
    for (std::size_t k = 0; k < sweep.size(); ++k)
        file.points.push_back({sweep.hz[k], cal::SParameterOf(sweep, k)});
    return file;
}

} // namespace orbilan::touchstone
