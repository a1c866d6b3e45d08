// Any bytes as a PNG file: decoding either is refused with a reason and
// leaves the picture as it was, or gives a picture within the size limits,
// colours only, that encodes and decodes again to the same pixels. Each input
// is tried twice: as it is, and with every chunk's checksum made right, since
// a mutated chunk with its old checksum never gets past libpng's first check.
#include <zlib.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "display/png.h"
#include "fuzz_check.h"

using namespace orbilan;

namespace {

void decodeAndRoundTrip(const std::uint8_t* data, std::size_t size)
{
    ui::Image image{1, 1, {0x123456}};
    std::string error;
    if (!display::decodePng(data, size, image, error)) {
        check(!error.empty());
        check(image.width == 1 && image.height == 1 && image.pixels == std::vector<std::uint32_t>{0x123456});
        return;
    }
    check(image.width > 0 && image.height > 0);
    check(static_cast<std::uint32_t>(image.width) <= display::MaxPngSide);
    check(static_cast<std::uint32_t>(image.height) <= display::MaxPngSide);
    check(image.pixels.size() == static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height));
    check(image.pixels.size() <= display::MaxPngPixels);
    for (const std::uint32_t p : image.pixels)
        check(p <= 0xFFFFFF);

    const std::vector<std::uint8_t> bytes = display::encodePng(image);
    check(!bytes.empty());
    ui::Image again;
    check(display::decodePng(bytes.data(), bytes.size(), again, error));
    check(again.width == image.width && again.height == image.height);
    check(again.pixels == image.pixels);
}

std::uint32_t bigEndian(const std::uint8_t* p)
{
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) | p[3];
}

// The same chunks, each with the checksum of its type and body; false when
// there is no chunk whose checksum was wrong.
bool withChecksumsMadeRight(std::vector<std::uint8_t>& bytes)
{
    bool changed = false;
    for (std::size_t at = 8; at + 12 <= bytes.size();) {
        const std::size_t length = bigEndian(&bytes[at]);
        if (length > bytes.size() - at - 12)
            break;
        std::uint8_t* sum = &bytes[at + 8 + length];
        const auto crc = static_cast<std::uint32_t>(crc32(0, &bytes[at + 4], static_cast<uInt>(length + 4)));
        if (bigEndian(sum) != crc) {
            for (int i = 0; i < 4; ++i)
                sum[i] = static_cast<std::uint8_t>(crc >> (24 - 8 * i));
            changed = true;
        }
        at += 12 + length;
    }
    return changed;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    decodeAndRoundTrip(data, size);
    std::vector<std::uint8_t> mended(data, data + size);
    if (withChecksumsMadeRight(mended))
        decodeAndRoundTrip(mended.data(), mended.size());
    return 0;
}
