// Draws a printed page (items in centimetres) on a paint device: the printer,
// a PDF file, or an image.
#pragma once

#include "ui/platform.h"

class QPainter;
class QPrinter;
class QImage;

namespace orbilan::gui {

QImage toQImage(const ui::Image& image);

// Centimetres are measured from the painter's origin, which on a printer is
// the top-left corner of the printable area.
void renderPrintPage(QPainter& painter, const ui::PrintPage& page, double dotsPerCmX, double dotsPerCmY);

// One document of one page on an already configured printer; false when the
// printer could not start it.
bool printPageOn(QPrinter& printer, const ui::PrintPage& page);

} // namespace orbilan::gui
