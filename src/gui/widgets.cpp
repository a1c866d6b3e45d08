#include "gui/widgets.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

namespace orbilan::gui {

FrameBox::FrameBox(QWidget* parent) : QWidget(parent) { setAutoFillBackground(true); }

void FrameBox::setTitle(const QString& title)
{
    if (title_ == title)
        return;
    title_ = title;
    update();
}

void FrameBox::paintEvent(QPaintEvent*)
{
    if (title_.isEmpty())
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QFontMetrics metrics(font());
    const int top = metrics.height() / 2;
    painter.setPen(QPen(palette().color(QPalette::Mid), 1));
    painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, top + 0.5, -0.5, -0.5), 4, 4);
    const QRect titleRect(8, 0, metrics.horizontalAdvance(title_) + 8, metrics.height());
    painter.fillRect(titleRect, palette().color(QPalette::Window));
    painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
    painter.drawText(titleRect, Qt::AlignCenter, title_);
}

void FrameBox::mousePressEvent(QMouseEvent* event) { event->accept(); }

void FrameBox::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        Q_EMIT clicked();
}

ClickLabel::ClickLabel(QWidget* parent) : QLabel(parent) {}

// Accepted, so that a click on a label is never taken as a click on the
// frame behind it.
void ClickLabel::mousePressEvent(QMouseEvent* event) { event->accept(); }

void ClickLabel::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        Q_EMIT clicked();
}

Lamp::Lamp(bool round, QWidget* parent) : QWidget(parent), round_(round) {}

void Lamp::setColour(const QColor& colour)
{
    if (colour_ == colour)
        return;
    colour_ = colour;
    update();
}

void Lamp::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(0x40, 0x40, 0x40), 1));
    painter.setBrush(colour_);
    const QRectF r = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    if (round_)
        painter.drawEllipse(r);
    else
        painter.drawRect(r);
}

void Lamp::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        Q_EMIT clicked();
}

QPixmap padlockPixmap(bool locked, int size, qreal devicePixelRatio)
{
    QPixmap pixmap(QSize(size, size) * devicePixelRatio);
    pixmap.setDevicePixelRatio(devicePixelRatio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal s = size;
    const QRectF body(s * 0.18, s * 0.45, s * 0.64, s * 0.48);
    QPen pen(QColor(0x30, 0x30, 0x30), s * 0.1);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    // The shackle: closed it enters the body on both sides; open it is lifted
    // and swung clear on the right.
    QPainterPath shackle;
    const qreal left = s * 0.3, right = s * 0.7, top = s * 0.1;
    if (locked) {
        shackle.moveTo(left, body.top());
        shackle.lineTo(left, s * 0.3);
        shackle.arcTo(QRectF(left, top, right - left, s * 0.4), 180, -180);
        shackle.lineTo(right, body.top());
    } else {
        shackle.moveTo(left, body.top());
        shackle.lineTo(left, s * 0.22);
        shackle.arcTo(QRectF(left, top - s * 0.08, right - left, s * 0.4), 180, -180);
        shackle.lineTo(right, s * 0.3);
    }
    painter.drawPath(shackle);
    painter.setPen(Qt::NoPen);
    painter.setBrush(locked ? QColor(0xC0, 0x90, 0x20) : QColor(0x70, 0xA0, 0x40));
    painter.drawRoundedRect(body, s * 0.08, s * 0.08);
    return pixmap;
}

} // namespace orbilan::gui
