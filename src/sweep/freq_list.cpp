#include "sweep/freq_list.h"

#include "sweep/frequency.h"
#include "ui/number_text.h"

namespace orbilan::sweep {

namespace {

// The span message has always named 20 Hz although 10 Hz spans pass; users
// know the message by this text.
constexpr int SpanMessageHz = 20;

std::string number(double v) { return ui::formatGeneral(v); }

// Differences in 64 bits: the fields may hold anything up to the 32-bit limit.
std::int64_t wide(std::int32_t v) { return v; }

std::vector<SweepCheck> makeChecks()
{
    const std::string minKHz = number(MinFreqHz / 1000.0);
    const std::string maxMHz = number(MaxFreqHz / 1e6);
    const std::string maxKHz = number(MaxFreqHz / 1000.0);
    return {
        {KindStartEnd, [](std::int32_t f1, std::int32_t) { return f1 < MinFreqHz; },
         "Start frequency below minimum " + minKHz + " kHz", "Sweep will start at " + minKHz + " kHz",
         CheckOutcome::ClampStart},
        {KindStartEnd, [](std::int32_t f1, std::int32_t) { return f1 > MaxStartHz; },
         "Start frequency above maximum " + maxMHz + " MHz", "Please try again", CheckOutcome::Refuse},
        {KindStartEnd, [](std::int32_t f1, std::int32_t f2) { return f1 > f2; },
         "Start frequency above End frequency", "Please correct either value", CheckOutcome::EndImmediately},
        {KindStartEnd, [](std::int32_t, std::int32_t f2) { return f2 > MaxFreqHz; },
         "End frequency above maximum " + maxKHz + " kHz", "Sweep will end at " + maxKHz + " kHz",
         CheckOutcome::ClampEnd},
        {KindStartEnd, [](std::int32_t f1, std::int32_t f2) { return wide(f2) - wide(f1) < MinSpanHz; },
         "End frequency too close to Start frequency", "Please correct either value", CheckOutcome::Refuse},
        // Centre+Span compares with the real half span, unrounded.
        {KindCentreSpan, [](std::int32_t f1, std::int32_t f2) { return f1 - f2 / 2.0 < MinFreqHz; },
         "Sweep starts below minimum of " + minKHz + " kHz", "Please correct either Centre or Span",
         CheckOutcome::Refuse},
        {KindCentreSpan, [](std::int32_t f1, std::int32_t f2) { return f1 + f2 / 2.0 > MaxFreqHz; },
         "Sweep ends above maximum of " + maxMHz + " MHz", "Please correct either Centre or Span",
         CheckOutcome::Refuse},
        {KindCentreSpan, [](std::int32_t, std::int32_t f2) { return f2 < MinSpanHz; },
         "Span less than minimum of " + std::to_string(SpanMessageHz) + " Hz", "Please correct Span",
         CheckOutcome::Refuse},
    };
}

} // namespace

const std::vector<SweepCheck>& SweepChecks()
{
    static const std::vector<SweepCheck> checks = makeChecks();
    return checks;
}

const SweepCheck* FirstFailingCheck(int kind, std::int32_t f1, std::int32_t f2)
{
    for (const SweepCheck& check : SweepChecks())
        if (check.kind == kind && check.fails(f1, f2))
            return &check;
    return nullptr;
}

bool BuildSweptList(int kind, std::int32_t f1, std::int32_t f2, int points, FreqListArray& list,
                    ListBounds& bounds)
{
    if (points < 2 || points > MaxPoints)
        return false;
    ListBounds b;
    double step = 0;
    if (kind == KindStartEnd) {
        b.start = f1;
        b.end = f2;
        step = (static_cast<double>(f2) - static_cast<double>(f1)) / (points - 1);
    } else if (kind == KindCentreSpan) {
        b.start = RoundToHz(f1 - f2 / 2.0);
        b.end = RoundToHz(f2 / 2.0 + f1);
        step = static_cast<double>(f2) / (points - 1);
    } else {
        return false;
    }
    list.fill(0);
    list[0] = kind;
    for (int k = 1; k < points; ++k)
        list[static_cast<std::size_t>(k)] = RoundToHz(b.start + (k - 1) * step);
    list[static_cast<std::size_t>(points)] = b.end;
    bounds = b;
    return true;
}

bool HarmonicBounds(std::int32_t stop, int points, ListBounds& out)
{
    if (points < 2 || points > MaxPoints || stop > MaxFreqHz)
        return false;
    const std::int32_t step = stop / points;
    if (step < MinFreqHz)
        return false;
    out.start = step;
    out.end = step * points;
    return true;
}

void BuildSingleList(std::int32_t freq, FreqListArray& list)
{
    list.fill(0);
    list[0] = KindSingle;
    list[1] = freq;
}

} // namespace orbilan::sweep
