// Draws a printed page (items in centimetres) on a paint device: the printer,
// a PDF file, or an image.
#pragma once

#include <functional>

#include "ui/platform.h"

class QPainter;
class QPrinter;
class QImage;
class QRectF;

namespace orbilan::gui {

QImage toQImage(const ui::Image& image);

// Draws the plot area into a box of the page, in the painter's own
// resolution (vector paths in a PDF).
using PlotPainter = std::function<void(QPainter& painter, const QRectF& box)>;

// Centimetres are measured from the painter's origin, which on a printer is
// the top-left corner of the printable area. The plot area is drawn by
// `plot` when given, else from the page's image of it.
void renderPrintPage(QPainter& painter, const ui::PrintPage& page, double dotsPerCmX, double dotsPerCmY,
                     const PlotPainter& plot = {});

// One document of one page on an already configured printer; false when the
// printer could not start it.
bool printPageOn(QPrinter& printer, const ui::PrintPage& page, const PlotPainter& plot = {});

} // namespace orbilan::gui
