// DDS programming that needs no instrument: tuning words, their hexadecimal
// form and the byte lists that the parallel load clocks out.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace orbilan::instrument {

// LO - RF phase difference: 0, 1, 2, 3 for 0, 90, 180, 270 degrees.
using PhaseCode = int;

// round(2^32 x f / clock), halves to even. Computed unsigned, so that a slow
// reference clock cannot turn a high frequency into a negative word; callers
// check FrequencyInRange first, because a DDS cannot make what lies at or
// above half its clock. A non-positive clock or frequency gives 0.
std::uint32_t TuningWord(std::int32_t hz, std::int32_t clockHz);

// The word as exactly eight upper-case hexadecimal digits.
std::string TuningWordHex(std::int32_t hz, std::int32_t clockHz);

// True for 0 <= hz < clockHz / 2: the frequencies a DDS on this clock can make.
bool FrequencyInRange(std::int32_t hz, std::int32_t clockHz);

// The four bytes of an eight-digit hexadecimal word, least significant first
// (digits 7-8, 5-6, 3-4, 1-2). Characters that are not hexadecimal count as 0.
std::array<std::uint8_t, 4> HexWordBytes(std::string_view hex);

} // namespace orbilan::instrument
