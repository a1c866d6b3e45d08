#include "gui/tdr_window.h"

#include <cmath>

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QScrollArea>
#include <QSettings>
#include <QSpinBox>
#include <QVBoxLayout>

#include "app/main_window.h"
#include "app/tdr_sweep.h"
#include "display/plot_drawing.h"
#include "gui/action_queue.h"
#include "gui/painter_surface.h"
#include "gui/qt_text.h"
#include "sweep/freq_list.h"
#include "sweep/frequency.h"

namespace orbilan::gui {

namespace {

using analysis::TdrMode;
using analysis::WindowShape;

// Room around the plot for the captions: values left of it with their units
// above, the last distance (centred on the right edge) beside it.
constexpr int LeftColumn = 60;
constexpr int RightColumn = 40;

struct Cable {
    const char* name;
    double velocityFactor;
};
constexpr Cable Cables[] = {{"solid PE (0.66)", 0.66}, {"foam PE (0.82)", 0.82}, {"air (1.0)", 1.0}};

QComboBox* comboOf(QWidget* parent, const char* name, std::initializer_list<const char*> entries)
{
    auto* box = new QComboBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    for (const char* e : entries)
        box->addItem(QString::fromUtf8(e));
    return box;
}

double metresPerUnit(app::LengthUnit unit) { return unit == app::LengthUnit::Feet ? analysis::MetresPerFoot : 1.0; }

} // namespace

// ------------------------------------------------------------------ the plot

TdrPlotView::TdrPlotView(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("tdrPlot"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setMinimumSize(minimumSizeHint());
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setToolTip(QStringLiteral("Click to place marker A, right-click to place marker B"));
}

void TdrPlotView::setPicture(const app::TdrPicture* picture, const app::TdrMarkers* markers)
{
    picture_ = picture;
    markers_ = markers;
    update();
}

QRectF TdrPlotView::plotRect(const QSizeF& size) const
{
    const double line = QFontMetricsF(font()).height();
    return QRectF(QPointF(0, 0), size).adjusted(LeftColumn, 2 * line + 4, -RightColumn, -line - 8);
}

std::optional<double> TdrPlotView::timeAt(const QPointF& at) const
{
    if (!picture_ || !picture_->shown)
        return std::nullopt;
    const QRectF plot = plotRect(size());
    if (!plot.adjusted(-8, -8, 8, 8).contains(at))
        return std::nullopt;
    const double x = std::clamp((at.x() - plot.left()) / plot.width(), 0.0, 1.0) * picture_->right;
    return app::TimeOfAxisValue(*picture_, x);
}

void TdrPlotView::draw(QPainter& painter, const QSizeF& size) const
{
    painter.fillRect(QRectF(QPointF(0, 0), size), Qt::black);
    if (!picture_ || !markers_)
        return;
    const QRectF plot = plotRect(size);
    {
        PainterSurface::Style style;
        style.font = font();
        PainterSurface surface(painter, plot, style);
        app::DrawTdrPicture(surface, *picture_, *markers_);
    }
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(QPen(QColor(0x80, 0x80, 0x80), 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(plot.adjusted(0, 0, -1, -1));
    if (picture_->shown) {
        DrawReadoutBox(painter, plot, app::MarkerReadout(*picture_, *markers_), font());
        return;
    }
    // No time domain: why, in the middle of the empty plot.
    painter.setPen(QColor(0xE0, 0xE0, 0xE0));
    painter.setFont(font());
    const QRectF box = plot.adjusted(plot.width() / 8, 0, -plot.width() / 8, 0);
    painter.drawText(box, Qt::AlignCenter | Qt::TextWordWrap, qs(picture_->message));
}

void TdrPlotView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    draw(painter, size());
}

QImage TdrPlotView::render(const QSize& size, qreal devicePixelRatio) const
{
    QImage image(size * devicePixelRatio, QImage::Format_RGB32);
    image.setDevicePixelRatio(devicePixelRatio);
    QPainter painter(&image);
    draw(painter, size);
    return image;
}

void TdrPlotView::mousePressEvent(QMouseEvent* event)
{
    const auto t = timeAt(event->position());
    if (t && (event->button() == Qt::LeftButton || event->button() == Qt::RightButton))
        Q_EMIT placed(*t, event->button() == Qt::RightButton);
    QWidget::mousePressEvent(event);
}

void TdrPlotView::mouseMoveEvent(QMouseEvent* event)
{
    Q_EMIT hovered(timeAt(event->position()));
    QWidget::mouseMoveEvent(event);
}

void TdrPlotView::leaveEvent(QEvent* event)
{
    Q_EMIT hovered(std::nullopt);
    QWidget::leaveEvent(event);
}

// ------------------------------------------------------------------ the window

TdrWindow::TdrWindow(app::MainWindow& model, ActionQueue& queue, QWidget* parent)
    : QWidget(parent, Qt::Window), model_(model), queue_(queue)
{
    setObjectName(QStringLiteral("TdrWindow"));
    setWindowTitle(QStringLiteral("Time Domain (TDR) - Orbilan"));
    if (model_.lastSweep())
        sweep_ = *model_.lastSweep();
    loadSettings();
    buildControls();
    showSettings();
    plot_->setPicture(&picture_, &markers_);
    remake();

    // Observers live as long as the model; the window may not.
    QPointer<TdrWindow> self(this);
    model_.addSweepObserver([self](const cal::MeasuredSweep& sweep) {
        if (self)
            self->sweepFinished(sweep);
    });
}

TdrWindow::~TdrWindow() = default;

void TdrWindow::buildControls()
{
    auto* outer = new QHBoxLayout(this);

    // The plot with what it was made of and the reading under the mouse.
    auto* left = new QVBoxLayout;
    plot_ = new TdrPlotView(this);
    left->addWidget(plot_, 1);
    auto label = [this](const char* name) {
        auto* l = new QLabel(this);
        l->setObjectName(QString::fromLatin1(name));
        l->setWordWrap(true);
        l->setTextInteractionFlags(Qt::TextSelectableByMouse);
        return l;
    };
    hover_ = label("tdrHover");
    summary_ = label("tdrSummary");
    pass_ = label("tdrPass");
    notice_ = label("tdrNotice");
    notice_->setStyleSheet(QStringLiteral("QLabel { color: #b34700; font-weight: bold; }"));
    for (QLabel* l : {hover_, summary_, pass_, notice_})
        left->addWidget(l);
    outer->addLayout(left, 1);

    // The controls in a column that scrolls on a small screen.
    auto* panel = new QWidget;
    auto* column = new QVBoxLayout(panel);
    column->setContentsMargins(0, 0, 0, 0);

    // Compact rows: the column fits a laptop's screen also at a scale of 1.5.
    auto caption = [](const char* text, QWidget* parent) { return new QLabel(QString::fromUtf8(text), parent); };

    auto* transform = new QGroupBox(QStringLiteral("Transform"), panel);
    auto* tg = new QGridLayout(transform);
    quantity_ = comboOf(transform, "tdrQuantity", {"Impedance (ohm)", "Step (rho)", "Impulse"});
    quantity_->setToolTip(QStringLiteral("Impedance and step need low-pass; band-pass gives the impulse magnitude"));
    mode_ = comboOf(transform, "tdrMode", {"Low-pass", "Band-pass"});
    mode_->setToolTip(QStringLiteral("Low-pass: impulse, step and impedance, from a TDR sweep (start = step).\n"
                                     "Band-pass: the impulse magnitude, from any sweep."));
    window_ = comboOf(transform, "tdrWindowShape", {"Kaiser", "Hann", "None"});
    window_->setToolTip(QStringLiteral("Kaiser: sidelobes down by beta (6: -44 dB); Hann: -31 dB; none: -13 dB, "
                                       "the sharpest"));
    beta_ = new QDoubleSpinBox(transform);
    beta_->setObjectName(QStringLiteral("tdrBeta"));
    beta_->setRange(0, analysis::MaxKaiserBeta);
    beta_->setDecimals(1);
    beta_->setSingleStep(0.5);
    beta_->setToolTip(QStringLiteral("Kaiser's beta: larger is smoother and wider"));
    tg->addWidget(caption("Show", transform), 0, 0);
    tg->addWidget(quantity_, 0, 1, 1, 3);
    tg->addWidget(caption("Mode", transform), 1, 0);
    tg->addWidget(mode_, 1, 1, 1, 3);
    tg->addWidget(caption("Window", transform), 2, 0);
    tg->addWidget(window_, 2, 1);
    tg->addWidget(caption("beta", transform), 2, 2);
    tg->addWidget(beta_, 2, 3);
    column->addWidget(transform);

    auto* line = new QGroupBox(QStringLiteral("Line"), panel);
    auto* lg = new QGridLayout(line);
    velocity_ = new QDoubleSpinBox(line);
    velocity_->setObjectName(QStringLiteral("tdrVelocityFactor"));
    velocity_->setRange(0.01, 1.0);
    velocity_->setDecimals(3);
    velocity_->setSingleStep(0.01);
    velocity_->setToolTip(QStringLiteral("The line's velocity factor: 0.66 solid PE, 0.82 foam, 1.0 air"));
    cable_ = new QComboBox(line);
    cable_->setObjectName(QStringLiteral("tdrCable"));
    for (const Cable& c : Cables)
        cable_->addItem(QString::fromUtf8(c.name), c.velocityFactor);
    cable_->addItem(QStringLiteral("other"), 0.0);
    axis_ = comboOf(line, "tdrAxis", {"Distance", "Time"});
    units_ = comboOf(line, "tdrUnits", {"metres", "feet"});
    maxDistance_ = new QDoubleSpinBox(line);
    maxDistance_->setObjectName(QStringLiteral("tdrMaxDistance"));
    maxDistance_->setRange(0, 1e6);
    maxDistance_->setDecimals(1);
    maxDistance_->setSpecialValueText(QStringLiteral("whole range"));
    maxDistance_->setToolTip(QStringLiteral("The far end of the axis, one way along the line; "
                                            "0 for the whole alias-free range"));
    lg->addWidget(caption("VF", line), 0, 0);
    lg->addWidget(velocity_, 0, 1);
    lg->addWidget(cable_, 0, 2);
    lg->addWidget(caption("Axis", line), 1, 0);
    lg->addWidget(axis_, 1, 1);
    lg->addWidget(units_, 1, 2);
    lg->addWidget(caption("Up to", line), 2, 0);
    lg->addWidget(maxDistance_, 2, 1, 1, 2);
    column->addWidget(line);

    auto* markerBox = new QGroupBox(QStringLiteral("Markers"), panel);
    auto* mf = new QHBoxLayout(markerBox);
    markersBox_ = new QCheckBox(QStringLiteral("A and B"), markerBox);
    markersBox_->setObjectName(QStringLiteral("tdrMarkers"));
    markersBox_->setToolTip(QStringLiteral("Click the plot for A, right-click for B"));
    peak_ = new QPushButton(QStringLiteral("B to largest reflection"), markerBox);
    peak_->setObjectName(QStringLiteral("tdrPeak"));
    mf->addWidget(markersBox_);
    mf->addWidget(peak_, 1);
    column->addWidget(markerBox);

    auto* sweepBox = new QGroupBox(QStringLiteral("TDR Sweep (start = step)"), panel);
    auto* sg = new QGridLayout(sweepBox);
    sweepStop_ = new QLineEdit(sweepBox);
    sweepStop_->setObjectName(QStringLiteral("tdrSweepStop"));
    sweepStop_->setToolTip(QStringLiteral("The highest frequency: 30M, 500k, 60 (MHz when no unit is typed)"));
    sweepSteps_ = new QSpinBox(sweepBox);
    sweepSteps_->setObjectName(QStringLiteral("tdrSweepSteps"));
    sweepSteps_->setRange(1, sweep::MaxPoints - 1);
    setSweep_ = new QPushButton(QStringLiteral("Set TDR Sweep"), sweepBox);
    setSweep_->setObjectName(QStringLiteral("tdrSetSweep"));
    setSweep_->setToolTip(QStringLiteral("Sets the sweep panel to the whole multiples of the step up to the stop, "
                                         "the sweep low-pass needs; then calibrate and sweep"));
    sweepStatus_ = new QLabel(sweepBox);
    sweepStatus_->setObjectName(QStringLiteral("tdrSweepStatus"));
    sweepStatus_->setWordWrap(true);
    sg->addWidget(caption("Stop", sweepBox), 0, 0);
    sg->addWidget(sweepStop_, 0, 1);
    sg->addWidget(caption("Steps", sweepBox), 0, 2);
    sg->addWidget(sweepSteps_, 0, 3);
    sg->addWidget(setSweep_, 1, 0, 1, 4);
    sg->addWidget(sweepStatus_, 2, 0, 1, 4);
    column->addWidget(sweepBox);
    column->addStretch(1);

    auto* scroll = new QScrollArea(this);
    scroll->setObjectName(QStringLiteral("tdrControls"));
    scroll->setWidget(panel);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setFixedWidth(panel->sizeHint().width() + 16);
    outer->addWidget(scroll);

    for (QComboBox* box : {quantity_, mode_, window_, axis_, units_})
        connect(box, &QComboBox::currentIndexChanged, this, &TdrWindow::readControls);
    for (QDoubleSpinBox* box : {beta_, velocity_, maxDistance_})
        connect(box, &QDoubleSpinBox::valueChanged, this, &TdrWindow::readControls);
    connect(cable_, &QComboBox::activated, this, [this](int row) {
        const double vf = cable_->itemData(row).toDouble();
        if (vf > 0)
            velocity_->setValue(vf);
    });
    connect(markersBox_, &QCheckBox::toggled, this, &TdrWindow::setMarkersShown);
    connect(peak_, &QPushButton::clicked, this, [this] {
        if (const auto t = app::LargestReflectionTime(picture_))
            placeMarker('B', *t);
    });
    connect(plot_, &TdrPlotView::placed, this,
            [this](double seconds, bool markerB) { placeMarker(markerB ? 'B' : 'A', seconds); });
    connect(plot_, &TdrPlotView::hovered, this, &TdrWindow::showHover);
    connect(setSweep_, &QPushButton::clicked, this, &TdrWindow::startTdrSweep);
    connect(sweepStop_, &QLineEdit::returnPressed, this, &TdrWindow::startTdrSweep);
}

void TdrWindow::showSettings()
{
    showing_ = true;
    const app::TdrSettings& s = settings_;
    const bool lowPass = s.transform.mode == TdrMode::LowPass;
    quantity_->setCurrentIndex(lowPass ? static_cast<int>(s.quantity) : static_cast<int>(app::TdrQuantity::Impulse));
    quantity_->setEnabled(lowPass);
    mode_->setCurrentIndex(lowPass ? 0 : 1);
    window_->setCurrentIndex(s.transform.window.shape == WindowShape::Kaiser ? 0
                             : s.transform.window.shape == WindowShape::Hann ? 1
                                                                               : 2);
    beta_->setValue(s.transform.window.beta);
    beta_->setEnabled(s.transform.window.shape == WindowShape::Kaiser);
    velocity_->setValue(s.velocityFactor);
    int cable = cable_->count() - 1;
    for (int i = 0; i + 1 < cable_->count(); ++i)
        if (std::abs(cable_->itemData(i).toDouble() - s.velocityFactor) < 5e-4)
            cable = i;
    cable_->setCurrentIndex(cable);
    axis_->setCurrentIndex(s.axis == app::TdrAxis::Time ? 1 : 0);
    units_->setCurrentIndex(s.units == app::LengthUnit::Feet ? 1 : 0);
    maxDistance_->setSuffix(s.units == app::LengthUnit::Feet ? QStringLiteral(" ft") : QStringLiteral(" m"));
    maxDistance_->setValue(s.maxDistance / metresPerUnit(s.units));
    showing_ = false;
}

void TdrWindow::readControls()
{
    if (showing_)
        return;
    app::TdrSettings s = settings_;
    s.transform.mode = mode_->currentIndex() == 1 ? TdrMode::BandPass : TdrMode::LowPass;
    // Band-pass shows the impulse whatever the choice; the choice stays for low-pass.
    if (s.transform.mode == TdrMode::LowPass && quantity_->isEnabled())
        s.quantity = static_cast<app::TdrQuantity>(quantity_->currentIndex());
    s.transform.window.shape = window_->currentIndex() == 0   ? WindowShape::Kaiser
                               : window_->currentIndex() == 1 ? WindowShape::Hann
                                                              : WindowShape::None;
    s.transform.window.beta = beta_->value();
    s.velocityFactor = velocity_->value();
    s.axis = axis_->currentIndex() == 1 ? app::TdrAxis::Time : app::TdrAxis::Distance;
    const app::LengthUnit units = units_->currentIndex() == 1 ? app::LengthUnit::Feet : app::LengthUnit::Metres;
    // The distance field is in the units it showed, to a tenth: it counts
    // when the user changed it, so that neither a change of units nor a
    // change elsewhere moves the distance by the field's rounding.
    const double shown = s.maxDistance / metresPerUnit(s.units);
    if (units == s.units && std::abs(maxDistance_->value() - shown) > 0.5 * std::pow(10.0, -maxDistance_->decimals()))
        s.maxDistance = maxDistance_->value() * metresPerUnit(units);
    s.units = units;
    setSettings(s);
}

void TdrWindow::setSettings(const app::TdrSettings& settings)
{
    settings_ = settings;
    showSettings();
    stale_ = true;
    remake();
    saveSettings();
}

void TdrWindow::loadSettings()
{
    QSettings stored;
    stored.beginGroup(QStringLiteral("tdr"));
    app::TdrSettings s;
    auto number = [&stored](const char* key, double fallback, double least, double most) {
        bool ok = false;
        const double v = stored.value(QString::fromLatin1(key)).toDouble(&ok);
        return ok && v >= least && v <= most ? v : fallback;
    };
    s.transform.mode = stored.value(QStringLiteral("mode")).toString() == QLatin1String("bandpass")
                           ? TdrMode::BandPass
                           : TdrMode::LowPass;
    const QString shape = stored.value(QStringLiteral("window")).toString();
    s.transform.window.shape = shape == QLatin1String("hann")   ? WindowShape::Hann
                               : shape == QLatin1String("none") ? WindowShape::None
                                                                : WindowShape::Kaiser;
    s.transform.window.beta = number("beta", s.transform.window.beta, 0, analysis::MaxKaiserBeta);
    const QString quantity = stored.value(QStringLiteral("show")).toString();
    s.quantity = quantity == QLatin1String("step")      ? app::TdrQuantity::Step
                 : quantity == QLatin1String("impulse") ? app::TdrQuantity::Impulse
                                                        : app::TdrQuantity::Impedance;
    s.velocityFactor = number("vf", s.velocityFactor, 0.01, 1);
    s.maxDistance = number("maxDistance", 0, 0, 1e6);
    s.axis = stored.value(QStringLiteral("axis")).toString() == QLatin1String("time") ? app::TdrAxis::Time
                                                                                      : app::TdrAxis::Distance;
    s.units = stored.value(QStringLiteral("units")).toString() == QLatin1String("feet") ? app::LengthUnit::Feet
                                                                                        : app::LengthUnit::Metres;
    settings_ = s;
}

void TdrWindow::saveSettings() const
{
    QSettings stored;
    stored.beginGroup(QStringLiteral("tdr"));
    const app::TdrSettings& s = settings_;
    stored.setValue(QStringLiteral("mode"), s.transform.mode == TdrMode::BandPass ? "bandpass" : "lowpass");
    stored.setValue(QStringLiteral("window"), s.transform.window.shape == WindowShape::Hann   ? "hann"
                                              : s.transform.window.shape == WindowShape::None ? "none"
                                                                                              : "kaiser");
    stored.setValue(QStringLiteral("beta"), s.transform.window.beta);
    stored.setValue(QStringLiteral("show"), s.quantity == app::TdrQuantity::Step      ? "step"
                                            : s.quantity == app::TdrQuantity::Impulse ? "impulse"
                                                                                      : "impedance");
    stored.setValue(QStringLiteral("vf"), s.velocityFactor);
    stored.setValue(QStringLiteral("maxDistance"), s.maxDistance);
    stored.setValue(QStringLiteral("axis"), s.axis == app::TdrAxis::Time ? "time" : "distance");
    stored.setValue(QStringLiteral("units"), s.units == app::LengthUnit::Feet ? "feet" : "metres");
}

void TdrWindow::sweepFinished(const cal::MeasuredSweep& sweep)
{
    // Called inside the pass, before the window gets control: the copy is
    // taken now, the transform made when the window shows it.
    sweep_ = sweep;
    ++passes_;
    stale_ = true;
    // What TDR Sweep said came next has been done.
    sweepStatus_->clear();
    if (isVisible())
        remake();
}

void TdrWindow::remake()
{
    if (!stale_)
        return;
    stale_ = false;
    picture_ = app::TdrPictureOf(sweep_ ? &*sweep_ : nullptr, settings_, model_.decimalSeparator());
    summary_->setText(qs(picture_.summary));
    summary_->setVisible(!picture_.summary.empty());
    pass_->setText(qs(picture_.pass));
    pass_->setVisible(!picture_.pass.empty());
    const std::string& notice = picture_.shown ? picture_.warning : picture_.message;
    notice_->setText(qs(notice));
    notice_->setVisible(!notice.empty());
    peak_->setEnabled(picture_.shown);
    plot_->update();
}

void TdrWindow::setMarkersShown(bool shown)
{
    if (shown && !markers_.shown) {
        // A at the reference plane and B on the largest reflection: B - A is
        // the length of the line up to it.
        markers_.a = 0;
        markers_.b = app::LargestReflectionTime(picture_).value_or(0);
    }
    markers_.shown = shown;
    if (markersBox_->isChecked() != shown) {
        const QSignalBlocker block(markersBox_);
        markersBox_->setChecked(shown);
    }
    plot_->update();
}

void TdrWindow::placeMarker(char which, double seconds)
{
    if (!markers_.shown)
        setMarkersShown(true);
    (which == 'B' ? markers_.b : markers_.a) = seconds;
    plot_->update();
}

void TdrWindow::showHover(std::optional<double> seconds)
{
    const auto reading = seconds ? app::ReadingAt(picture_, *seconds) : std::nullopt;
    hover_->setText(reading ? qs(app::ReadingText(picture_, *reading)) : QString());
}

void TdrWindow::fillSweepFields()
{
    const int points = model_.settings.SweepPoints;
    std::int32_t stop = 30000000;
    int steps = 200;
    if (model_.sweep.SweepDefined && !model_.sweep.SingleFreqMode && points >= 2 && points <= sweep::MaxPoints) {
        stop = model_.sweep.FreqList[static_cast<std::size_t>(points)];
        steps = points - 1;
    }
    sweepStop_->setText(qs(sweep::FrequencyFieldText(stop, sweep::UnitMHz, model_.decimalSeparator())) +
                        QLatin1Char('M'));
    sweepSteps_->setValue(steps);
}

void TdrWindow::startTdrSweep()
{
    const sweep::FrequencyEntry stop =
        sweep::ParseFrequencyText(ss(sweepStop_->text()), sweep::UnitMHz, model_.decimalSeparator());
    if (!stop.numeric) {
        sweepStatus_->setText(QStringLiteral("Type the stop frequency: 30M, 500k, or MHz without a unit."));
        return;
    }
    const int steps = sweepSteps_->value();
    sweepStatus_->setText(QString());
    // A user action like a click on the panel's buttons: in turn with the
    // others, also inside a running sweep's yield.
    QPointer<TdrWindow> self(this);
    queue_.post([self, stop = stop.hz, steps] {
        if (!self)
            return;
        const app::TdrSweepOutcome outcome = app::SetTdrSweep(self->model_, stop, steps);
        if (self)
            self->sweepStatus_->setText(qs(outcome.text));
    });
}

void TdrWindow::showEvent(QShowEvent* event)
{
    remake();
    QWidget::showEvent(event);
}

void TdrWindow::hideEvent(QHideEvent* event)
{
    QSettings().setValue(QStringLiteral("tdr/geometry"), saveGeometry());
    QWidget::hideEvent(event);
}

} // namespace orbilan::gui
