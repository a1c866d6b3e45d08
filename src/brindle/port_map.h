// The wiring between the printer-port data lines and the byte the
// instrument's controller drives them from. The map is its own inverse, so it
// serves writes and reads alike; bit 7 is not carried.
#pragma once

#include <cstdint>

namespace brindle {

inline std::uint8_t MapPortBits(std::uint8_t v)
{
    // Port bit i goes to bit to[i].
    constexpr int to[7] = {5, 6, 3, 2, 4, 0, 1};
    std::uint8_t out = 0;
    for (int i = 0; i < 7; ++i)
        if (v & (1u << i))
            out = static_cast<std::uint8_t>(out | (1u << to[i]));
    return out;
}

} // namespace brindle
