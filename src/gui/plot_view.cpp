#include "gui/plot_view.h"

#include <QMouseEvent>
#include <QPainter>

#include "app/main_window.h"
#include "app/plot_scene.h"
#include "display/canvas.h"
#include "display/plot_drawing.h"
#include "display/scales.h"
#include "gui/qt_text.h"

namespace orbilan::gui {

namespace {

// The Smith chart's grid scale spans 2.5 across and 2 down.
constexpr double SmithAspect = 1.25;
constexpr int CaptionColumn = 44;

} // namespace

PlotView::PlotView(const app::MainWindow& model, QWidget* parent) : QWidget(parent), model_(model)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setMinimumSize(minimumSizeHint());
    later_.setSingleShot(true);
    connect(&later_, &QTimer::timeout, this, [this] { update(); });
    sincePaint_.start();
}

void PlotView::addOverlay(Overlay overlay)
{
    overlays_.push_back(std::move(overlay));
    update();
}

PlotView::Signature PlotView::signature() const
{
    const auto& d = model_.disp;
    // Looked at after every point of a sweep: the controls are found once.
    auto visible = [this](const char* name) {
        const ui::Control*& c = watched_[name];
        if (!c)
            c = model_.controls().find(name);
        return c && c->visible();
    };
    Signature s;
    s.revision = model_.plotCanvas().revision();
    s.drawn1 = d.Y1Drawn;
    s.drawn2 = d.Y2Drawn;
    s.markers = visible("Markers");
    s.y1 = visible("Y1Label");
    s.y2 = visible("Y2Label");
    s.frequencies = visible("FreqLeft");
    s.stored = model_.storedTraceOnPlot();
    s.code = d.DisplayCode;
    s.selection = d.PlotSelection;
    s.a = d.MarkerPos[0];
    s.b = d.MarkerPos[1];
    s.y1Top = d.Y1Top;
    s.y1Bottom = d.Y1Bottom;
    s.y2Top = d.Y2Top;
    s.y2Bottom = d.Y2Bottom;
    s.left = d.XLeft;
    s.right = d.XRight;
    return s;
}

void PlotView::refresh()
{
    if (signature() == painted_ || !isVisible())
        return;
    const qint64 since = sincePaint_.elapsed();
    if (since >= MinFrameMs)
        update();
    else if (!later_.isActive())
        later_.start(static_cast<int>(MinFrameMs - since));
}

QRectF PlotView::plotRect(const display::PlotScene& scene, const QSizeF& size) const
{
    const QFontMetricsF metrics(font());
    const double line = metrics.height();
    if (scene.smith) {
        // The chart keeps its shape: the largest 5:4 area that fits.
        const QRectF room = QRectF(QPointF(0, 0), size).adjusted(CaptionColumn, line + 4, -CaptionColumn, -line - 4);
        double w = room.width(), h = room.height();
        if (w > h * SmithAspect)
            w = h * SmithAspect;
        else
            h = w / SmithAspect;
        return {room.center().x() - w / 2, room.center().y() - h / 2, w, h};
    }
    const double side = ScaleColumn + CaptionColumn;
    return QRectF(QPointF(0, 0), size).adjusted(side, 2 * line + 2, -side, -line - 6);
}

PainterSurface::Style PlotView::style() const
{
    PainterSurface::Style s;
    s.font = font();
    return s;
}

void PlotView::draw(QPainter& painter, const QSizeF& size, const display::PlotScene& scene) const
{
    painter.fillRect(QRectF(QPointF(0, 0), size), Qt::black);
    const QRectF plot = plotRect(scene, size);
    {
        PainterSurface surface(painter, plot, style());
        display::DrawPlotScene(surface, scene);
        for (const Overlay& overlay : overlays_) {
            surface.setRole(display::DrawRole::Overlay);
            overlay(surface, scene);
        }
        if (hoverPoint_ > 0 && static_cast<std::size_t>(hoverPoint_) < scene.pointShown.size()) {
            const auto k = static_cast<std::size_t>(hoverPoint_);
            // A ring round the point the status line reads.
            surface.setRole(display::DrawRole::Marker);
            if (scene.smith) {
                surface.setScale(-1.25, 1, 1.25, -1);
                const QPointF p = surface.map(scene.pointY1[k], display::PlotValue(scene.pointY2[k]));
                painter.setPen(QPen(Qt::white, 1));
                painter.drawEllipse(p, 5, 5);
            } else {
                surface.setScale(scene.captions.leftHz, 0, scene.captions.rightHz, 1);
                const QPointF p = surface.map(scene.pointHz[k], 0);
                painter.setPen(QPen(QColor(255, 255, 255, 90), 1, Qt::DashLine));
                painter.drawLine(QPointF(p.x(), plot.top()), QPointF(p.x(), plot.bottom()));
            }
        }
    }
    if (!scene.smith) {
        // The plot area's border.
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.setPen(QPen(QColor(0x80, 0x80, 0x80), 1));
        painter.drawRect(plot.adjusted(0, 0, -1, -1));
    }
    drawReadout(painter, plot, scene);
}

void PlotView::drawReadout(QPainter& painter, const QRectF& plot, const display::PlotScene& scene) const
{
    if (scene.markersShown)
        DrawReadoutBox(painter, plot, scene.readout, font());
}

void PlotView::paintEvent(QPaintEvent*)
{
    painted_ = signature();
    const display::PlotScene scene = app::PlotSceneOf(model_);
    // The point under the mouse may read differently now (a new pass, a new
    // display type): the status line follows.
    if (hoverPoint_ > 0) {
        const QString text = qs(display::PointText(scene, hoverPoint_));
        if (text != hoverText_) {
            hoverText_ = text;
            if (text.isEmpty())
                hoverPoint_ = 0;
            Q_EMIT hoverChanged(text);
        }
    }
    QPainter painter(this);
    draw(painter, size(), scene);
    sincePaint_.restart();
    ++paints_;
}

QImage PlotView::render(const QSize& size, qreal devicePixelRatio) const
{
    QImage image(size * devicePixelRatio, QImage::Format_RGB32);
    image.setDevicePixelRatio(devicePixelRatio);
    QPainter painter(&image);
    draw(painter, size, app::PlotSceneOf(model_));
    return image;
}

void PlotView::renderForPrint(QPainter& painter, const QRectF& box) const
{
    const display::PlotScene scene = app::PlotSceneOf(model_);
    painter.save();
    painter.fillRect(box, Qt::white);
    // Widths in the painter's units: a trace 0.35 mm wide, the grid 0.15 mm.
    const double mm = box.width() / 150.0;
    PainterSurface::Style s;
    s.invert = true;
    s.gridWidth = 0.15 * mm;
    s.outlineWidth = 0.3 * mm;
    s.traceWidth = 0.35 * mm;
    s.storedWidth = 0.3 * mm;
    s.markerSize = 1.2 * mm;
    s.font = painter.font();
    {
        PainterSurface surface(painter, box, s);
        display::DrawPlotScene(surface, scene, {.captions = false});
        for (const Overlay& overlay : overlays_) {
            surface.setRole(display::DrawRole::Overlay);
            overlay(surface, scene);
        }
    }
    painter.restore();
}

void PlotView::setHover(int point, const QString& text)
{
    if (point == hoverPoint_ && text == hoverText_)
        return;
    hoverPoint_ = point;
    hoverText_ = text;
    update();
    Q_EMIT hoverChanged(text);
}

void PlotView::mouseMoveEvent(QMouseEvent* event)
{
    const display::PlotScene scene = app::PlotSceneOf(model_);
    const QRectF plot = plotRect(scene, size());
    const QPointF at = event->position();
    if (!plot.adjusted(-8, -8, 8, 8).contains(at)) {
        setHover(0, {});
        return;
    }
    const double fx = (at.x() - plot.left()) / plot.width();
    const double fy = (at.y() - plot.top()) / plot.height();
    const int k = scene.smith
                      ? display::NearestPoint(scene, -1.25 + 2.5 * fx, 1 - 2 * fy)
                      : display::NearestPoint(scene, scene.captions.leftHz + fx * (scene.captions.rightHz - scene.captions.leftHz), 0);
    setHover(k, qs(display::PointText(scene, k)));
}

void PlotView::leaveEvent(QEvent* event)
{
    setHover(0, {});
    QWidget::leaveEvent(event);
}

void PlotView::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        Q_EMIT clicked();
    QWidget::mouseReleaseEvent(event);
}

} // namespace orbilan::gui
