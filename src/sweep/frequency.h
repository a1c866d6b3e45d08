// Frequency fields of the sweep settings: what the user types ("10M", "1k5",
// " 10 m ", "-500K") becomes a whole number of hertz and a unit for the
// field's label, and a value in hertz is written back in the label's unit.
#pragma once

#include <cstdint>
#include <string>

namespace orbilan::sweep {

// Captions of the unit labels beside the frequency fields.
inline constexpr const char* UnitHz = "Hz";
inline constexpr const char* UnitKHz = "kHz";
inline constexpr const char* UnitMHz = "MHz";

struct FrequencyEntry {
    // The field's text as written back: trimmed and upper-cased.
    std::string text;
    // False when what stands before the unit letter is not a number; the
    // field then keeps its value and its unit.
    bool numeric = false;
    std::int32_t hz = 0;
    // The unit label's caption after the entry.
    std::string unit;
};

// Reads a frequency field. The first of the letters M, K, H found in the text
// (tried in that order) names the unit and cuts the text before it; without a
// letter the field's present unit applies. A minus sign is ignored. A number
// too large to be multiplied into the 32-bit field is taken as hertz, and a
// hertz value beyond the 32-bit range is held at its largest value (the sweep
// checks then refuse it as above the maximum).
FrequencyEntry ParseFrequencyText(const std::string& typed, const std::string& currentUnit,
                                  char decimalSeparator = '.');

// The value of a field in the unit of its label, general number format.
std::string FrequencyFieldText(std::int32_t hz, const std::string& unit, char decimalSeparator = '.');

// A whole number of hertz from a real one: nearest, halves to even, held
// within the 32-bit range.
std::int32_t RoundToHz(double hz);

// Field values when the entry switches between Start+End and Centre+Span.
struct FieldPair {
    std::int32_t f1 = 0;
    std::int32_t f2 = 0;
};
// Start = Centre - Span/2 (rounded), End = Start + Span.
FieldPair StartEndFromCentreSpan(std::int32_t centre, std::int32_t span);
// Centre = (Start + End)/2 (rounded), Span = 2 x (End - Centre).
FieldPair CentreSpanFromStartEnd(std::int32_t start, std::int32_t end);

} // namespace orbilan::sweep
