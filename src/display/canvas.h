// The plot area as our own raster: an RGB32 pixel buffer drawn through a user
// coordinate system. Drawing happens with an exclusive-or pen by default, so
// drawing the same thing twice restores every pixel: traces, marker dots and
// the stored-trace overlay are all removed that way.
#pragma once

#include <cstdint>
#include <vector>

#include "ui/control.h"
#include "ui/platform.h"

namespace orbilan::display {

class Canvas {
public:
    Canvas(int width, int height, ui::Rgb background = 0x000000);

    int width() const { return width_; }
    int height() const { return height_; }
    const std::vector<std::uint32_t>& pixels() const { return pixels_; }
    std::uint32_t pixel(int x, int y) const { return pixels_[static_cast<std::size_t>(y) * width_ + x]; }
    ui::Image image() const { return ui::Image{width_, height_, pixels_}; }

    // Fills the whole area with the background colour.
    void clear();
    ui::Rgb background() const { return background_; }

    // Counts every change, so a front end can repaint only when needed.
    std::uint64_t revision() const { return revision_; }

private:
    int width_;
    int height_;
    ui::Rgb background_;
    std::vector<std::uint32_t> pixels_;
    std::uint64_t revision_ = 0;
};

} // namespace orbilan::display
