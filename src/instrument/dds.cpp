#include "instrument/dds.h"

#include <cmath>
#include <cstdio>

namespace orbilan::instrument {

std::uint32_t TuningWord(std::int32_t hz, std::int32_t clockHz)
{
    if (hz <= 0 || clockHz <= 0)
        return 0;
    // The division comes first: the instrument's arithmetic rounds this exact
    // double, and the published words (1 MHz -> 0x01B9D35E) depend on it.
    const double word = std::nearbyint(4294967296.0 * (static_cast<double>(hz) / static_cast<double>(clockHz)));
    if (word >= 4294967295.0)
        return 0xFFFFFFFFu;
    return static_cast<std::uint32_t>(word);
}

std::string TuningWordHex(std::int32_t hz, std::int32_t clockHz)
{
    char text[9];
    std::snprintf(text, sizeof text, "%08X", static_cast<unsigned>(TuningWord(hz, clockHz)));
    return text;
}

bool FrequencyInRange(std::int32_t hz, std::int32_t clockHz)
{
    return hz >= 0 && clockHz > 0 && 2 * static_cast<std::int64_t>(hz) < clockHz;
}

namespace {
int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return 0;
}
} // namespace

std::array<std::uint8_t, 4> HexWordBytes(std::string_view hex)
{
    // Short texts are read as if padded with leading zeros, like the word itself.
    char digits[8] = {'0', '0', '0', '0', '0', '0', '0', '0'};
    const std::size_t n = hex.size() < 8 ? hex.size() : 8;
    for (std::size_t i = 0; i < n; ++i)
        digits[8 - n + i] = hex[hex.size() - n + i];
    std::array<std::uint8_t, 4> bytes{};
    for (int b = 0; b < 4; ++b) {
        const int hi = 6 - 2 * b; // byte 0 is digits 7 and 8
        bytes[static_cast<std::size_t>(b)] =
            static_cast<std::uint8_t>(hexDigit(digits[hi]) * 16 + hexDigit(digits[hi + 1]));
    }
    return bytes;
}

} // namespace orbilan::instrument
