#include "gui/page_renderer.h"

#include <QFont>
#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QPrinter>

#include "gui/qt_text.h"

namespace orbilan::gui {

QImage toQImage(const ui::Image& image)
{
    QImage out(image.width, image.height, QImage::Format_RGB32);
    for (int y = 0; y < image.height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < image.width; ++x)
            line[x] = 0xFF000000u | image.pixels[static_cast<std::size_t>(y) * image.width + x];
    }
    return out;
}

void renderPrintPage(QPainter& painter, const ui::PrintPage& page, double dotsPerCmX, double dotsPerCmY,
                     const PlotPainter& plot)
{
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    double lineEnd = 0; // where text that follows the previous item starts
    for (const ui::PrintItem& item : page.items) {
        const QColor colour(static_cast<QRgb>(0xFF000000u | item.colour));
        const QRectF box(item.x * dotsPerCmX, item.y * dotsPerCmY, item.width * dotsPerCmX,
                         item.height * dotsPerCmY);
        switch (item.kind) {
        case ui::PrintItem::Kind::Text: {
            QFont font = painter.font();
            font.setPointSizeF(item.pointSize);
            painter.setFont(font);
            painter.setPen(colour);
            const QFontMetricsF metrics(font, painter.device());
            double x = item.follows ? lineEnd : box.left();
            double top = box.top();
            const QStringList lines = shownText(item.text).split(QLatin1Char('\n'));
            for (qsizetype i = 0; i < lines.size(); ++i) {
                if (i > 0) {
                    x = box.left();
                    top += metrics.lineSpacing();
                }
                painter.drawText(QPointF(x, top + metrics.ascent()), lines[i]);
                lineEnd = x + metrics.horizontalAdvance(lines[i]);
            }
            break;
        }
        case ui::PrintItem::Kind::Image:
            if (item.plotArea && plot)
                plot(painter, box);
            else
                painter.drawImage(box, toQImage(item.image));
            break;
        case ui::PrintItem::Kind::Rectangle: {
            QPen pen(colour);
            pen.setWidthF(std::max(1.0, dotsPerCmX * 0.02));
            painter.setPen(pen);
            painter.setBrush(Qt::NoBrush);
            painter.drawRect(box);
            break;
        }
        }
    }
    painter.restore();
}

bool printPageOn(QPrinter& printer, const ui::PrintPage& page, const PlotPainter& plot)
{
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    renderPrintPage(painter, page, printer.logicalDpiX() / 2.54, printer.logicalDpiY() / 2.54, plot);
    return painter.end();
}

} // namespace orbilan::gui
