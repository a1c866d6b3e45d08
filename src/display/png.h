// A small PNG writer for plot images: 8-bit RGB, deflated with fixed codes.
// Good enough for reference images and snapshots, and free of any library.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ui/platform.h"

namespace orbilan::display {

// The file's bytes.
std::vector<std::uint8_t> encodePng(const ui::Image& image);
// Writes the image; false when the file cannot be written completely.
bool writePng(const ui::Image& image, const std::string& path);
// Reads back what writePng writes (8-bit RGB, no filters, stored or
// fixed-code deflate blocks); false for anything else.
bool readPng(const std::string& path, ui::Image& image);

} // namespace orbilan::display
