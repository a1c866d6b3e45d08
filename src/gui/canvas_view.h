// Shows a raster canvas of the window model (the progress bar, the bars of
// the single-frequency display) stretched to the widget, without smoothing:
// each canvas pixel becomes a block of device pixels.
#pragma once

#include <cstdint>

#include <QWidget>

namespace orbilan::display {
class Canvas;
}

namespace orbilan::gui {

class CanvasView : public QWidget {
    Q_OBJECT
public:
    CanvasView(const display::Canvas& canvas, QWidget* parent = nullptr);

    const display::Canvas& canvas() const { return canvas_; }
    // Schedules a repaint when the canvas changed since it was last shown.
    void refresh();
    QSize sizeHint() const override;

Q_SIGNALS:
    void clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    const display::Canvas& canvas_;
    std::uint64_t shownRevision_ = ~std::uint64_t{0};
};

} // namespace orbilan::gui
