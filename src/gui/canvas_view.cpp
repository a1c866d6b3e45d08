#include "gui/canvas_view.h"

#include <QImage>
#include <QMouseEvent>
#include <QPainter>

#include "display/canvas.h"

namespace orbilan::gui {

CanvasView::CanvasView(const display::Canvas& canvas, QWidget* parent) : QWidget(parent), canvas_(canvas)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

QSize CanvasView::sizeHint() const { return {canvas_.width(), canvas_.height()}; }

void CanvasView::refresh()
{
    if (canvas_.revision() != shownRevision_)
        update();
}

void CanvasView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    // The pixels are 0x00RRGGBB; RGB32 ignores the top byte, so no copy is needed.
    const QImage image(reinterpret_cast<const uchar*>(canvas_.pixels().data()), canvas_.width(), canvas_.height(),
                       canvas_.width() * 4, QImage::Format_RGB32);
    painter.drawImage(rect(), image);
    shownRevision_ = canvas_.revision();
}

void CanvasView::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        Q_EMIT clicked();
    QWidget::mouseReleaseEvent(event);
}

} // namespace orbilan::gui
