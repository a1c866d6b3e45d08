// The frequency list of a sweep and the checks its settings must pass.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace orbilan::sweep {

// Element 0 holds the sweep kind, elements 1..points the frequencies in Hz.
inline constexpr int ListSize = 402;
inline constexpr int MaxPoints = ListSize - 1;
using FreqListArray = std::array<std::int32_t, ListSize>;

// Sweep kinds as stored in element 0 of the list.
inline constexpr int KindStartEnd = 1;
inline constexpr int KindCentreSpan = 2;
inline constexpr int KindSingle = 4;

// The instrument's range and the narrowest sweep it is asked for.
inline constexpr std::int32_t MinFreqHz = 50000;
inline constexpr std::int32_t MaxFreqHz = 60000000;
inline constexpr std::int32_t MaxStartHz = 59999990;
inline constexpr std::int32_t MinSpanHz = 10;

// What a failed check does besides showing its message.
enum class CheckOutcome {
    Refuse,         // the panel stays open
    ClampStart,     // the start becomes MinFreqHz and shows in its field
    ClampEnd,       // the end becomes MaxFreqHz and shows in its field
    EndImmediately, // the OK handler ends at once, fields not redrawn
};

struct SweepCheck {
    int kind = 0;
    // True when the pair (f1, f2) fails this check.
    bool (*fails)(std::int32_t f1, std::int32_t f2) = nullptr;
    std::string title;
    std::string text;
    CheckOutcome outcome = CheckOutcome::Refuse;
};

// The checks of Start+End and Centre+Span in the order they are tried. Single
// frequency has none.
const std::vector<SweepCheck>& SweepChecks();
// The first check of `kind` that (f1, f2) fails, or nullptr.
const SweepCheck* FirstFailingCheck(int kind, std::int32_t f1, std::int32_t f2);

struct ListBounds {
    std::int32_t start = 0;
    std::int32_t end = 0;
};

// Builds the list for a swept kind: each point start + (k-1) x step rounded
// by itself (halves to even) so that rounding does not accumulate, the last
// point exactly the end, everything after it 0. Needs 2..MaxPoints points;
// returns false and leaves `list` alone otherwise, or for another kind.
bool BuildSweptList(int kind, std::int32_t f1, std::int32_t f2, int points, FreqListArray& list,
                    ListBounds& bounds);
// The Start+End sweep whose points are the whole multiples of its step,
// what a time-domain transform needs: start = step = stop / points, rounded
// down to whole hertz so that every point is exact, and the end `points`
// steps up (at most `stop`). False when the step would fall below the lowest
// frequency, `stop` lies above the highest, or the count is not 2..MaxPoints.
bool HarmonicBounds(std::int32_t stop, int points, ListBounds& out);

// The list of one fixed frequency.
void BuildSingleList(std::int32_t freq, FreqListArray& list);

} // namespace orbilan::sweep
