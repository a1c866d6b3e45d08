#include "sim/network.h"

#include "touchstone/touchstone.h"
#include "ui/number_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <memory>
#include <numbers>

namespace orbilan::sim {

namespace {

// The largest |S| the bench takes from a file: a gain of 120 dB, far beyond
// any device the instrument measures, and still finite in every reading.
constexpr double MaxBenchMagnitude = 1e6;

std::string formatNumber(double v) { return ui::formatGeneral(v, 7, '.'); }

std::string lower(std::string_view s)
{
    std::string out(s);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char ch) { return static_cast<char>(std::tolower(ch)); });
    return out;
}

bool endsWithNoCase(std::string_view s, std::string_view tail)
{
    return s.size() >= tail.size() && lower(s.substr(s.size() - tail.size())) == tail;
}

// A lumped element: R, L and C in series or in parallel; an absent part is
// simply not there (a series circuit without C has no capacitor in it).
struct Lumped {
    std::optional<double> r, l, c; // ohm, henry, farad
    bool parallel = false;
};

// An impedance that may be an ideal open or short, so that a series C at 0 Hz
// or a parallel L at 0 Hz come out exact instead of as a division by zero.
struct Immittance {
    enum Kind { Finite, Open, Short } kind = Finite;
    Cx z;
};

Immittance immittanceAt(const Lumped& e, double hz)
{
    const double w = 2 * std::numbers::pi * hz;
    if (!e.parallel) {
        Cx z = e.r.value_or(0.0) + Cx(0, w * e.l.value_or(0.0));
        if (e.c) {
            if (w * *e.c == 0)
                return {Immittance::Open, {}};
            z += 1.0 / Cx(0, w * *e.c);
        }
        return {Immittance::Finite, z};
    }
    Cx y = 0;
    if (e.r) {
        if (*e.r == 0)
            return {Immittance::Short, {}};
        y += 1.0 / *e.r;
    }
    if (e.l) {
        if (w * *e.l == 0)
            return {Immittance::Short, {}};
        y += 1.0 / Cx(0, w * *e.l);
    }
    y += Cx(0, w * e.c.value_or(0.0));
    if (y == Cx(0))
        return {Immittance::Open, {}};
    return {Immittance::Finite, 1.0 / y};
}

Cx gammaOf(const Immittance& z)
{
    switch (z.kind) {
    case Immittance::Open: return 1.0;
    case Immittance::Short: return -1.0;
    default: return (z.z - BenchOhms) / (z.z + BenchOhms);
    }
}

// S21 of an impedance in series between two 50-ohm ports.
Cx seriesS21(const Immittance& z)
{
    switch (z.kind) {
    case Immittance::Open: return 0.0;
    case Immittance::Short: return 1.0;
    default: return 2 * BenchOhms / (2 * BenchOhms + z.z);
    }
}

// S21 of an impedance from the line to ground between two 50-ohm ports.
Cx shuntS21(const Immittance& z)
{
    switch (z.kind) {
    case Immittance::Open: return 1.0;
    case Immittance::Short: return 0.0;
    default: return 2.0 * z.z / (2.0 * z.z + BenchOhms);
    }
}

// "R=10,L=1u,C=100p,topology=series"; allowed names the keys this kind takes.
bool parseLumped(std::string_view text, bool allowTopology, Lumped& out, std::string& error)
{
    bool seen[4] = {false, false, false, false};
    while (!text.empty()) {
        std::size_t comma = text.find(',');
        std::string_view item = ui::trimWhitespace(text.substr(0, comma));
        text = comma == std::string_view::npos ? std::string_view() : text.substr(comma + 1);
        std::size_t eq = item.find('=');
        if (eq == std::string_view::npos) {
            error = "expected name=value, found " + ui::quotedText(item);
            return false;
        }
        std::string key = lower(ui::trimWhitespace(item.substr(0, eq)));
        std::string_view value = ui::trimWhitespace(item.substr(eq + 1));
        int slot = key == "r" ? 0 : key == "l" ? 1 : key == "c" ? 2 : key == "topology" ? 3 : -1;
        if (slot < 0 || (slot == 3 && !allowTopology)) {
            error = "unknown parameter " + ui::quotedText(key);
            return false;
        }
        if (seen[slot]) {
            error = "parameter " + ui::quotedText(key) + " given twice";
            return false;
        }
        seen[slot] = true;
        if (slot == 3) {
            std::string t = lower(value);
            if (t != "series" && t != "parallel") {
                error = "topology must be series or parallel";
                return false;
            }
            out.parallel = t == "parallel";
            continue;
        }
        auto number = parseSiValue(value);
        if (!number) {
            error = ui::quotedText(value) + " is not a value (number with optional p n u m k M G)";
            return false;
        }
        if (*number < 0) {
            error = "parameter " + ui::quotedText(key) + " must not be negative";
            return false;
        }
        (slot == 0 ? out.r : slot == 1 ? out.l : out.c) = *number;
    }
    return true;
}

} // namespace

std::optional<double> parseSiValue(std::string_view text)
{
    text = ui::trimWhitespace(text);
    if (text.empty())
        return std::nullopt;
    double scale = 1;
    switch (text.back()) {
    case 'p': scale = 1e-12; break;
    case 'n': scale = 1e-9; break;
    case 'u': scale = 1e-6; break;
    case 'm': scale = 1e-3; break;
    case 'k': scale = 1e3; break;
    case 'M': scale = 1e6; break;
    case 'G': scale = 1e9; break;
    default: break;
    }
    if (scale != 1)
        text.remove_suffix(1);
    auto value = ui::parseFiniteNumber(text);
    if (!value)
        return std::nullopt;
    return *value * scale;
}

bool parseDevice(std::string_view description, Device& out, std::string& error)
{
    std::string_view text = ui::trimWhitespace(description);
    Device device;
    device.text = std::string(text);

    if (endsWithNoCase(text, ".s1p") || endsWithNoCase(text, ".s2p")) {
        const int ports = endsWithNoCase(text, ".s1p") ? 1 : 2;
        auto data = std::make_shared<touchstone::Data>();
        if (!touchstone::ReadFile(std::string(text), ports, *data, error))
            return false;
        // The bridge and the detector are 50-ohm: the file's data is seen
        // against that.
        if (!touchstone::Renormalise(*data, BenchOhms, error)) {
            error = std::string(text) + ": " + error;
            return false;
        }
        device.path = ports == 1 ? Path::Reflection : Path::Transmission;
        const touchstone::Param which = ports == 1 ? touchstone::S11 : touchstone::S21;
        // Values far beyond any network's overflow the bench's arithmetic and
        // read as no instrument at all; the file is what to correct.
        for (std::size_t k = 0; k < data->hz.size(); ++k) {
            const double magnitude = std::abs(data->s[k][which]);
            if (magnitude > MaxBenchMagnitude) {
                error = std::string(text) + ": |" + (ports == 1 ? "S11" : "S21") + "| is " +
                        formatNumber(magnitude) + " at " + formatNumber(data->hz[k]) +
                        " Hz, beyond what the simulated bench can measure (" + formatNumber(MaxBenchMagnitude) +
                        " at most)";
                return false;
            }
        }
        device.response = [data, which](double hz) { return touchstone::At(*data, which, hz); };
        out = std::move(device);
        return true;
    }

    std::size_t colon = text.find(':');
    const std::string head = lower(ui::trimWhitespace(text.substr(0, colon)));
    std::string_view rest = colon == std::string_view::npos ? std::string_view() : ui::trimWhitespace(text.substr(colon + 1));
    const bool hasRest = colon != std::string_view::npos;

    auto fixed = [&](Path path, Cx value) {
        if (hasRest) {
            error = ui::quotedText(head) + " takes no parameters";
            return false;
        }
        device.path = path;
        device.response = [value](double) { return value; };
        out = std::move(device);
        return true;
    };
    if (head == "open")
        return fixed(Path::Reflection, 1.0);
    if (head == "short")
        return fixed(Path::Reflection, -1.0);
    if (head == "thru")
        return fixed(Path::Transmission, 1.0);
    if (head == "isolation")
        return fixed(Path::Transmission, 0.0);

    if (head == "load") {
        // The calibration's load model: R in series with L, the pair shunted by C.
        Lumped parts;
        if (hasRest && !parseLumped(rest, false, parts, error))
            return false;
        const double r = parts.r.value_or(BenchOhms), l = parts.l.value_or(0), c = parts.c.value_or(0);
        device.path = Path::Reflection;
        device.response = [r, l, c](double hz) {
            const double w = 2 * std::numbers::pi * hz;
            const Cx zs(r, w * l);
            if (zs == Cx(0))
                return Cx(-1.0);
            const Cx y = 1.0 / zs + Cx(0, w * c);
            return (1.0 - BenchOhms * y) / (1.0 + BenchOhms * y);
        };
        out = std::move(device);
        return true;
    }

    if (head == "refl" || head == "trans") {
        int kind = 0; // 0 one-port, 1 series two-port, 2 shunt two-port
        if (head == "trans") {
            std::size_t colon2 = rest.find(':');
            const std::string how = lower(ui::trimWhitespace(rest.substr(0, colon2)));
            if (how != "series" && how != "shunt") {
                error = "trans needs series: or shunt:, e.g. trans:series:R=100";
                return false;
            }
            kind = how == "series" ? 1 : 2;
            rest = colon2 == std::string_view::npos ? std::string_view() : rest.substr(colon2 + 1);
        }
        Lumped parts;
        if (!parseLumped(rest, true, parts, error))
            return false;
        if (!parts.r && !parts.l && !parts.c) {
            error = "give at least one of R, L, C";
            return false;
        }
        device.path = kind == 0 ? Path::Reflection : Path::Transmission;
        device.response = [parts, kind](double hz) {
            const Immittance z = immittanceAt(parts, hz);
            return kind == 0 ? gammaOf(z) : kind == 1 ? seriesS21(z) : shuntS21(z);
        };
        out = std::move(device);
        return true;
    }

    error = text.empty() ? "no device given"
                         : "unknown device " + ui::quotedText(text) +
                               " (open, short, load, thru, isolation, refl:..., trans:series:..., "
                               "trans:shunt:..., or a .s1p/.s2p file)";
    return false;
}

} // namespace orbilan::sim
