#include "sweep/frequency.h"

#include <cmath>
#include <limits>

#include "ui/number_text.h"

namespace orbilan::sweep {

namespace {

// Below these a number with its unit letter still fits the 32-bit field once
// multiplied out; from these on it is taken as plain hertz.
constexpr double KiloLimit = 2147483;
constexpr double MegaLimit = 2147;

double unitFactor(const std::string& unit)
{
    if (unit == UnitKHz)
        return 1e3;
    if (unit == UnitMHz)
        return 1e6;
    return 1;
}

} // namespace

std::int32_t RoundToHz(double hz)
{
    if (std::isnan(hz))
        return 0;
    const double r = ui::roundHalfEven(hz);
    if (r >= static_cast<double>(std::numeric_limits<std::int32_t>::max()))
        return std::numeric_limits<std::int32_t>::max();
    if (r <= static_cast<double>(std::numeric_limits<std::int32_t>::min()))
        return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(r);
}

FrequencyEntry ParseFrequencyText(const std::string& typed, const std::string& currentUnit, char decimalSeparator)
{
    FrequencyEntry entry;
    entry.text = ui::toUpperAscii(ui::trimBlanks(typed));
    entry.unit = currentUnit;

    char letter = 0;
    std::string number = entry.text;
    for (char candidate : {'M', 'K', 'H'}) {
        const auto at = entry.text.find(candidate);
        if (at != std::string::npos) {
            letter = candidate;
            number = entry.text.substr(0, at);
            break;
        }
    }
    const auto parsed = ui::parseNumber(number, decimalSeparator);
    if (!parsed)
        return entry;
    entry.numeric = true;
    const double v = std::fabs(*parsed);

    // With no letter the label's unit stands in for one; a number too large
    // for that unit then turns the label to hertz.
    bool labelFollowsOverflow = false;
    if (letter == 0) {
        if (currentUnit == UnitKHz)
            letter = 'K';
        else if (currentUnit == UnitMHz)
            letter = 'M';
        else
            letter = 'H';
        labelFollowsOverflow = true;
    }
    switch (letter) {
    case 'K':
        entry.unit = UnitKHz;
        if (v < KiloLimit) {
            entry.hz = RoundToHz(v * 1e3);
        } else {
            entry.hz = RoundToHz(v);
            if (labelFollowsOverflow)
                entry.unit = UnitHz;
        }
        break;
    case 'M':
        entry.unit = UnitMHz;
        if (v < MegaLimit) {
            entry.hz = RoundToHz(v * 1e6);
        } else {
            entry.hz = RoundToHz(v);
            if (labelFollowsOverflow)
                entry.unit = UnitHz;
        }
        break;
    default:
        entry.unit = UnitHz;
        entry.hz = RoundToHz(v);
        break;
    }
    return entry;
}

std::string FrequencyFieldText(std::int32_t hz, const std::string& unit, char decimalSeparator)
{
    return ui::trimBlanks(ui::formatGeneral(static_cast<double>(hz) / unitFactor(unit), 15, decimalSeparator));
}

FieldPair StartEndFromCentreSpan(std::int32_t centre, std::int32_t span)
{
    FieldPair p;
    p.f1 = RoundToHz(static_cast<double>(centre) - static_cast<double>(span) / 2);
    p.f2 = RoundToHz(static_cast<double>(p.f1) + static_cast<double>(span));
    return p;
}

FieldPair CentreSpanFromStartEnd(std::int32_t start, std::int32_t end)
{
    FieldPair p;
    p.f1 = RoundToHz((static_cast<double>(start) + static_cast<double>(end)) / 2);
    p.f2 = RoundToHz(2 * (static_cast<double>(end) - static_cast<double>(p.f1)));
    return p;
}

} // namespace orbilan::sweep
