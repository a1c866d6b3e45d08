#include "cli/touchstone.h"

#include <charconv>
#include <cmath>

#include "cal/cal_file.h"
#include "cal/display_quantities.h"
#include "ui/number_text.h"

namespace orbilan::cli {

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

} // namespace

std::string TouchstoneText(const TouchstoneSource& source, int ports, const std::vector<TouchstonePoint>& points)
{
    const bool twoPort = ports == 2;
    // The reference impedance is a single-precision setting: seven digits
    // say all it holds, where fifteen would print its binary residue.
    const std::string z0 = ui::formatGeneral(source.z0, 7, '.');

    std::string out;
    comment(out, "Orbilan software for Kesp VNA version " + source.version + " (orbilan-cli)");
    comment(out, "Measured " + source.date + " " + source.time);
    comment(out, "Calibration file: " + source.calFile +
                     (source.calStatus.empty() ? std::string() : " (" + source.calStatus + ")"));
    comment(out, "Averages per point: " + integerText(source.averages) + "  ADC wait: " +
                     integerText(source.adcWaitMs) + " ms  ADC type: " + integerText(source.adcType) +
                     "  ADC mode: " + integerText(source.adcMode) + "  CDS: " + (source.cds ? "on" : "off"));
    if (twoPort) {
        comment(out, "Transmission: S21 measured. S11, S12 and S22 were not measured and are written as 0.");
    } else {
        comment(out, "Reflection: S11 from the measured impedance against " + z0 + " ohm.");
    }
    out += "# HZ S RI R " + z0 + Eol;
    comment(out, twoPort ? "freq/Hz  reS11 imS11  reS21 imS21  reS12 imS12  reS22 imS22" : "freq/Hz  reS11 imS11");

    const cal::Complex zero{0, 0};
    for (const TouchstonePoint& p : points) {
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

cal::Complex ReflectionOfPoint(cal::Complex point, cal::Complex refImpedance)
{
    return cal::ConvertPoint(point, cal::CodeSmith, refImpedance);
}

cal::Complex TransmissionOfPoint(cal::Complex point)
{
    // dB of a voltage ratio: the magnitude is 10^(dB/20).
    return cal::CFromPolar({std::pow(10.0, point.re / 20), point.im * cal::DegToRad});
}

} // namespace orbilan::cli
