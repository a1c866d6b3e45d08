// The plot as the desktop shows it: the window model's plot drawn afresh at
// the widget's size and the screen's pixel ratio, anti-aliased, with
// captions at every division, labelled markers and their readouts, and the
// point under the mouse. It draws the model's own state (app::PlotSceneOf),
// never the 400 x 320 raster scaled up.
//
// A sweep at full speed changes the plot hundreds of times a second; the
// view repaints at most every MinFrameMs, so drawing never slows it down.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include <QElapsedTimer>
#include <QImage>
#include <QTimer>
#include <QWidget>

#include "display/plot_scene.h"
#include "gui/painter_surface.h"

namespace orbilan::app {
class MainWindow;
}
namespace orbilan::ui {
class Control;
}

namespace orbilan::gui {

class PlotView : public QWidget {
    Q_OBJECT
public:
    static constexpr int MinFrameMs = 40;
    // Room at each side of a rectangular plot for the scale buttons the
    // window lays over it; the captions go inside that.
    static constexpr int ScaleColumn = 62;

    explicit PlotView(const app::MainWindow& model, QWidget* parent = nullptr);

    // Drawn over the plot after the traces, in the plot's own coordinates
    // (limit lines and other tools' items).
    using Overlay = std::function<void(display::Surface&, const display::PlotScene&)>;
    void addOverlay(Overlay overlay);

    // Asks for a repaint when the plot changed, no sooner than MinFrameMs
    // after the last one.
    void refresh();
    int paints() const { return paints_; }

    // Where the plot's edges lie in a widget of `size`.
    QRectF plotRect(const display::PlotScene& scene, const QSizeF& size) const;

    // The plot as shown, at `size` logical pixels and the pixel ratio.
    QImage render(const QSize& size, qreal devicePixelRatio) const;
    // The plot on paper: the plot area fills `box`, colours inverted, no
    // captions or readouts (the page has its own).
    void renderForPrint(QPainter& painter, const QRectF& box) const;

    // The readout of the point under the mouse ("" when there is none).
    const QString& hoverText() const { return hoverText_; }

    QSize sizeHint() const override { return {640, 480}; }
    QSize minimumSizeHint() const override { return {240, 200}; }

Q_SIGNALS:
    void clicked();
    void hoverChanged(const QString& text);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    struct Signature {
        std::uint64_t revision = ~std::uint64_t{0};
        int drawn1 = -1, drawn2 = -1;
        bool markers = false, y1 = false, y2 = false, frequencies = false, stored = false;
        int code = -1, selection = -1, a = -1, b = -1;
        float y1Top = 0, y1Bottom = 0, y2Top = 0, y2Bottom = 0;
        std::int32_t left = 0, right = 0;
        bool operator==(const Signature&) const = default;
    };
    Signature signature() const;
    void draw(QPainter& painter, const QSizeF& size, const display::PlotScene& scene) const;
    void drawReadout(QPainter& painter, const QRectF& plot, const display::PlotScene& scene) const;
    PainterSurface::Style style() const;
    void setHover(int point, const QString& text);

    const app::MainWindow& model_;
    mutable std::map<std::string, const ui::Control*> watched_;
    std::vector<Overlay> overlays_;
    Signature painted_;
    QElapsedTimer sincePaint_;
    QTimer later_;
    int paints_ = 0;
    int hoverPoint_ = 0;
    QString hoverText_;
};

} // namespace orbilan::gui
