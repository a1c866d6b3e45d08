// The ADC's voltage scale: -2.5 V (sign bit 0, value 0) to just under +2.5 V.
#pragma once

#include <cstdint>

namespace orbilan::instrument {

// A whole 32-bit ADC word as the instrument's controller sends it.
inline double WordVolts(std::uint32_t w)
{
    return static_cast<double>(w) * 1.25 / 268435456.0 - 2.5;
}

// Bits 29 down to 2 of the word, as the parallel read collects them.
inline double ParallelVolts(std::uint32_t a)
{
    return static_cast<double>(a) * 1.25 / 67108864.0 - 2.5;
}

} // namespace orbilan::instrument
