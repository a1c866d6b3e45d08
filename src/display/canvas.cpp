#include "display/canvas.h"

namespace orbilan::display {

Canvas::Canvas(int width, int height, ui::Rgb background)
    : width_(width), height_(height), background_(background),
      pixels_(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), background)
{
}

void Canvas::clear()
{
    std::fill(pixels_.begin(), pixels_.end(), background_);
    ++revision_;
}

} // namespace orbilan::display
