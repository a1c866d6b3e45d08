// The time-domain view: the last complete reflection pass as impedance, step
// or impulse against distance or time, in a window of its own beside the
// main window, made again after each complete pass. Its controls choose the
// transform and describe the line; markers A and B read distance, time, rho
// and Z; TDR Sweep sets the harmonic sweep low-pass needs through the sweep
// panel, as the user's own clicks would. What it shows is app::TdrPicture,
// drawn through the plot's painter surface.
#pragma once

#include <optional>

#include <QImage>
#include <QWidget>

#include "app/tdr_view.h"
#include "cal/measured_sweep.h"

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace orbilan::app {
class MainWindow;
}

namespace orbilan::gui {

class ActionQueue;

// The picture with its markers, at the widget's size. A left click places
// marker A, a right click marker B.
class TdrPlotView : public QWidget {
    Q_OBJECT
public:
    explicit TdrPlotView(QWidget* parent = nullptr);
    // The window's own values, which outlive the view.
    void setPicture(const app::TdrPicture* picture, const app::TdrMarkers* markers);

    // Where the plot's edges lie in a widget of `size`.
    QRectF plotRect(const QSizeF& size) const;
    // The time under a place on the widget; none off the plot or without a picture.
    std::optional<double> timeAt(const QPointF& at) const;
    QImage render(const QSize& size, qreal devicePixelRatio) const;

    QSize sizeHint() const override { return {720, 420}; }
    QSize minimumSizeHint() const override { return {320, 200}; }

Q_SIGNALS:
    void placed(double seconds, bool markerB);
    void hovered(std::optional<double> seconds);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void draw(QPainter& painter, const QSizeF& size) const;

    const app::TdrPicture* picture_ = nullptr;
    const app::TdrMarkers* markers_ = nullptr;
};

class TdrWindow : public QWidget {
    Q_OBJECT
public:
    // Watches the model's finished sweeps from now on; TDR Sweep runs as a
    // queued user action.
    TdrWindow(app::MainWindow& model, ActionQueue& queue, QWidget* parent = nullptr);
    ~TdrWindow() override;

    const app::TdrPicture& picture() const { return picture_; }
    const app::TdrSettings& settings() const { return settings_; }
    // Shows the settings in the controls and makes the picture again.
    void setSettings(const app::TdrSettings& settings);
    const app::TdrMarkers& markers() const { return markers_; }
    // Places marker A or B at a round-trip time; the markers come on.
    void placeMarker(char which, double seconds);
    int passesSeen() const { return passes_; }
    TdrPlotView* plot() const { return plot_; }

    // Fills TDR Sweep's stop and steps from the window's present sweep.
    void fillSweepFields();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void buildControls();
    void sweepFinished(const cal::MeasuredSweep& sweep);
    void remake();
    void readControls();
    void showSettings();
    void loadSettings();
    void saveSettings() const;
    void setMarkersShown(bool shown);
    void startTdrSweep();
    void showHover(std::optional<double> seconds);

    app::MainWindow& model_;
    ActionQueue& queue_;
    std::optional<cal::MeasuredSweep> sweep_;
    app::TdrSettings settings_;
    app::TdrPicture picture_;
    app::TdrMarkers markers_;
    bool stale_ = true;
    bool showing_ = false; // the controls are being set from the settings
    int passes_ = 0;

    TdrPlotView* plot_ = nullptr;
    QLabel* hover_ = nullptr;
    QLabel* summary_ = nullptr;
    QLabel* pass_ = nullptr;
    QLabel* notice_ = nullptr;
    QComboBox* quantity_ = nullptr;
    QComboBox* mode_ = nullptr;
    QComboBox* window_ = nullptr;
    QDoubleSpinBox* beta_ = nullptr;
    QDoubleSpinBox* velocity_ = nullptr;
    QComboBox* cable_ = nullptr;
    QComboBox* axis_ = nullptr;
    QComboBox* units_ = nullptr;
    QDoubleSpinBox* maxDistance_ = nullptr;
    QCheckBox* markersBox_ = nullptr;
    QPushButton* peak_ = nullptr;
    QLineEdit* sweepStop_ = nullptr;
    QSpinBox* sweepSteps_ = nullptr;
    QPushButton* setSweep_ = nullptr;
    QLabel* sweepStatus_ = nullptr;
};

} // namespace orbilan::gui
