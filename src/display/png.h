// PNG files of plot images, through libpng: written as 8-bit RGB, read from
// any PNG a user or another program may hand us.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "ui/platform.h"

namespace orbilan::display {

// The largest picture read or written: at most MaxPngSide pixels on a side
// and MaxPngPixels in all (64 MiB as RGB32). Plot images are a small part of
// it; a file that claims more is refused before anything is allocated for it.
inline constexpr std::uint32_t MaxPngSide = 16384;
inline constexpr std::uint64_t MaxPngPixels = std::uint64_t{1} << 24;

// The file's bytes (the top byte of each pixel is not kept); empty for an
// image without pixels, whose pixel count does not match its size, or beyond
// the limits above.
std::vector<std::uint8_t> encodePng(const ui::Image& image);

// Any PNG (every colour type, bit depth and interlace) as 8-bit RGB;
// transparency is laid over black, other gammas converted to sRGB. False,
// with the reason in error and image unchanged, for anything that is not a
// complete PNG within the limits.
bool decodePng(const std::uint8_t* data, std::size_t size, ui::Image& image, std::string& error);

// Writes the image, replacing the file as a whole; false when it cannot.
bool writePng(const ui::Image& image, const std::string& path);
// Reads a PNG file; false for a file that cannot be read or decoded (the
// second form says why).
bool readPng(const std::string& path, ui::Image& image);
bool readPng(const std::string& path, ui::Image& image, std::string& error);

} // namespace orbilan::display
