#include "touchstone/touchstone.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <numbers>
#include <sstream>

#include "cal/text_file.h"
#include "ui/number_text.h"

namespace orbilan::touchstone {

namespace {

bool allFinite(const std::array<Cx, 4>& s)
{
    for (const Cx& z : s)
        if (!std::isfinite(z.real()) || !std::isfinite(z.imag()))
            return false;
    return true;
}

// One line at a time, ended by LF, CR-LF or CR alone: files that passed
// through an old Mac tool end their lines in CR.
bool nextLine(std::istream& in, std::string& line)
{
    line.clear();
    int ch = in.get();
    if (ch == std::char_traits<char>::eof())
        return false;
    while (ch != std::char_traits<char>::eof() && ch != '\n' && ch != '\r') {
        line += static_cast<char>(ch);
        ch = in.get();
    }
    if (ch == '\r' && in.peek() == '\n')
        in.get();
    return true;
}

// Far beyond any sweep's data: 100,000 two-port points take about 20 MB.
constexpr std::size_t MaxFileBytes = 64u << 20;

std::string ohmsText(double z0) { return ui::formatGeneral(z0, 7, '.'); }

} // namespace

int PortsOfName(std::string_view path)
{
    if (path.size() < 4)
        return 0;
    const std::string tail = ui::toLowerAscii(std::string(path.substr(path.size() - 4)));
    return tail == ".s1p" ? 1 : tail == ".s2p" ? 2 : 0;
}

bool Parse(std::istream& in, int ports, Data& out, std::string& error)
{
    const std::size_t perPoint = 1 + 2 * static_cast<std::size_t>(ports * ports);
    double unit = 1e9;
    enum { DB, MA, RI } format = MA;
    bool optionsSeen = false;
    bool noiseSection = false;
    std::vector<double> pending;
    out = Data{};
    out.ports = ports;

    std::string line;
    int lineNo = 0;
    while (!noiseSection && nextLine(in, line)) {
        ++lineNo;
        std::string_view rest(line);
        if (auto bang = rest.find('!'); bang != std::string_view::npos)
            rest = rest.substr(0, bang);
        rest = ui::trimWhitespace(rest);
        if (rest.empty())
            continue;
        std::istringstream tokens{std::string(rest)};
        std::string token;
        const std::string where = "line " + std::to_string(lineNo) + ": ";
        if (rest.front() == '[') {
            error = where + "Touchstone 2 keywords are not supported; save the data in version 1 form";
            return false;
        }
        if (rest.front() == '#') {
            if (optionsSeen)
                continue; // only the first option line counts
            optionsSeen = true;
            tokens.get();
            while (tokens >> token) {
                const std::string t = ui::toLowerAscii(token);
                if (t == "hz") unit = 1;
                else if (t == "khz") unit = 1e3;
                else if (t == "mhz") unit = 1e6;
                else if (t == "ghz") unit = 1e9;
                else if (t == "db") format = DB;
                else if (t == "ma") format = MA;
                else if (t == "ri") format = RI;
                else if (t == "s") continue;
                else if (t == "y" || t == "z" || t == "h" || t == "g") {
                    error = where + "only S parameters are supported";
                    return false;
                } else if (t == "r") {
                    std::string value;
                    auto r = (tokens >> value) ? ui::parseFiniteNumber(value) : std::nullopt;
                    if (!r || *r <= 0) {
                        error = where + "the reference impedance must be a positive number";
                        return false;
                    }
                    out.z0 = *r;
                } else {
                    error = where + "unknown option " + ui::quotedText(token);
                    return false;
                }
            }
            continue;
        }
        bool firstToken = true;
        while (tokens >> token) {
            auto value = ui::parseFiniteNumber(token);
            if (!value) {
                error = where + ui::quotedText(token) + " is not a number";
                return false;
            }
            // Two-port files of version 1 may end with noise parameters; they
            // start where the frequency stops rising.
            if (firstToken && pending.empty() && ports == 2 && !out.hz.empty() &&
                *value * unit <= out.hz.back()) {
                noiseSection = true;
                break;
            }
            firstToken = false;
            pending.push_back(*value);
            if (pending.size() == perPoint) {
                double hz = pending[0] * unit;
                if (hz < 0 || (!out.hz.empty() && hz <= out.hz.back())) {
                    error = where + "frequencies must rise from point to point";
                    return false;
                }
                std::array<Cx, 4> s{};
                for (int k = 0; k < ports * ports; ++k) {
                    double a = pending[1 + 2 * k], b = pending[2 + 2 * k];
                    if (format == RI)
                        s[k] = Cx(a, b);
                    else
                        s[k] = std::polar(format == MA ? a : std::pow(10.0, a / 20), b * std::numbers::pi / 180);
                }
                // Version-1 two-port data lines run S11, S21, S12, S22,
                // which is the order of Param.
                // A number that is finite as written may not be once scaled
                // (GHz, dB).
                if (!std::isfinite(hz) || !allFinite(s)) {
                    error = where + "a value is too large";
                    return false;
                }
                out.hz.push_back(hz);
                out.s.push_back(s);
                pending.clear();
            }
        }
    }
    if (!pending.empty()) {
        error = "the last data point is incomplete (" + std::to_string(perPoint) + " numbers per point)";
        return false;
    }
    if (out.hz.empty()) {
        error = "no data points";
        return false;
    }
    return true;
}

bool ReadFile(const std::string& path, int ports, Data& out, std::string& error)
{
    // Read whole, as a regular file of bounded size: a link to a device or a
    // pipe would give a line without end, or nothing ever.
    std::string text;
    if (const auto failed = cal::ReadWholeFile(path, text, MaxFileBytes)) {
        error = "cannot open " + path + ": " + failed->description;
        return false;
    }
    std::istringstream in(std::move(text));
    if (!Parse(in, ports, out, error)) {
        error = path + ": " + error;
        return false;
    }
    return true;
}

bool Renormalise(Data& data, double z0, std::string& error)
{
    if (data.z0 == z0)
        return true;
    // S' = (S - gI)(I - gS)^-1 with g = (z0 - R)/(z0 + R); the two factors
    // commute, so the order is free.
    const double g = (z0 - data.z0) / (z0 + data.z0);
    std::vector<std::array<Cx, 4>> renormalised = data.s;
    for (auto& s : renormalised) {
        if (data.ports == 1) {
            s[S11] = (s[S11] - g) / (1.0 - g * s[S11]);
            continue;
        }
        Cx a11 = s[S11] - g, a12 = s[S12], a21 = s[S21], a22 = s[S22] - g;
        Cx b11 = 1.0 - g * s[S11], b12 = -g * s[S12], b21 = -g * s[S21], b22 = 1.0 - g * s[S22];
        Cx det = b11 * b22 - b12 * b21;
        Cx i11 = b22 / det, i12 = -b12 / det, i21 = -b21 / det, i22 = b11 / det;
        s[S11] = a11 * i11 + a12 * i21;
        s[S12] = a11 * i12 + a12 * i22;
        s[S21] = a21 * i11 + a22 * i21;
        s[S22] = a21 * i12 + a22 * i22;
    }
    // Renormalising a value that is not a passive network's can divide by
    // zero.
    for (const auto& s : renormalised) {
        if (!allFinite(s)) {
            error = "the data cannot be renormalised to " + ohmsText(z0) +
                    " ohm from the reference impedance of the file";
            return false;
        }
    }
    data.s = std::move(renormalised);
    data.z0 = z0;
    return true;
}

Cx At(const Data& data, Param which, double hz)
{
    const auto& f = data.hz;
    if (f.empty())
        return {0, 0};
    if (hz <= f.front())
        return data.s.front()[which];
    if (hz >= f.back())
        return data.s.back()[which];
    const auto hi = static_cast<std::size_t>(std::upper_bound(f.begin(), f.end(), hz) - f.begin());
    const std::size_t lo = hi - 1;
    const double t = (hz - f[lo]) / (f[hi] - f[lo]);
    return data.s[lo][which] + (data.s[hi][which] - data.s[lo][which]) * t;
}

std::optional<Cx> Within(const Data& data, Param which, double hz)
{
    if (data.hz.empty() || hz < data.hz.front() || hz > data.hz.back())
        return std::nullopt;
    return At(data, which, hz);
}

} // namespace orbilan::touchstone
