// The time-domain window on the simulated instrument: opened from the Tools
// menu, it sets a TDR sweep through the sweep panel, follows each complete
// pass, finds where a measured line ends and what it ends in, and says how
// to sweep when the pass cannot give low-pass.
#include "desktop_fixture.h"

#include <cmath>
#include <complex>
#include <numbers>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QMouseEvent>
#include <QSettings>
#include <QSpinBox>
#include <QTest>

#include "analysis/tdr.h"
#include "gui/tdr_window.h"
#include "touchstone/touchstone.h"

namespace orbilan::test {
namespace {

using Cx = std::complex<double>;

// Z seen into a lossless line of characteristic impedance zc, `metres` long
// at velocity factor vf, ending in `load`.
Cx lineInput(double f, double zc, double metres, double vf, Cx load)
{
    const Cx t = std::tan(Cx(2 * std::numbers::pi * f * metres / (analysis::SpeedOfLight * vf), 0));
    const Cx j(0, 1);
    return zc * (load + j * zc * t) / (zc + j * load * t);
}

// A line made of sections from the instrument outwards (impedance, metres),
// into a resistor, as a Touchstone file every 10 kHz up to 60 MHz.
std::string cableFile(const std::vector<std::pair<double, double>>& sections, double vf, double ohms)
{
    std::vector<touchstone::Point> points;
    for (int k = 1; k <= 6000; ++k) {
        const double f = k * 10e3;
        Cx z(ohms, 0);
        for (auto s = sections.rbegin(); s != sections.rend(); ++s)
            z = lineInput(f, s->first, s->second, vf, z);
        const Cx s11 = (z - 50.0) / (z + 50.0);
        points.push_back({static_cast<std::int32_t>(f), {s11.real(), s11.imag()}});
    }
    touchstone::Header header;
    header.program = "gui_tdr_test";
    return touchstone::Text(header, 1, points);
}

class TdrView : public DesktopTest {
protected:
    // The view's settings are remembered; each test starts from none.
    TdrView() { QSettings().remove(QStringLiteral("tdr")); }

    gui::TdrWindow* openTdr()
    {
        QAction* entry = desktop->mainWindow().findChild<QAction*>(QStringLiteral("action_tdr"));
        EXPECT_NE(entry, nullptr);
        if (!entry)
            return nullptr;
        EXPECT_TRUE(entry->isEnabled());
        entry->trigger();
        settle();
        gui::TdrWindow* tdr = desktop->tdrWindow();
        EXPECT_NE(tdr, nullptr);
        if (tdr) {
            EXPECT_TRUE(tdr->isVisible());
        }
        return tdr;
    }
    void connectCable(const std::string& text)
    {
        dir.write("cable.s1p", text);
        ASSERT_TRUE(desktop->bench()->connectDevice(QString::fromStdString(dir.str() + "/cable.s1p")));
    }
    void tdrSweep(const QString& stop, int steps)
    {
        typeInto("tdrSweepStop", stop);
        widgetAs<QSpinBox>("tdrSweepSteps")->setValue(steps);
        click("tdrSetSweep");
    }
    void calibrateReflection()
    {
        calibrate(1);
        ASSERT_TRUE(model().cal.ReflCalValid);
    }
    QString text(const char* label) { return widgetAs<QLabel>(QString::fromLatin1(label))->text(); }
    // A click on the plot at a distance along the line.
    void clickAt(gui::TdrWindow& tdr, double metres, Qt::MouseButton button)
    {
        gui::TdrPlotView* plot = tdr.plot();
        const app::TdrPicture& p = tdr.picture();
        const QRectF r = plot->plotRect(plot->size());
        const double x = app::AxisValueOfTime(p, analysis::TimeOfDistance(metres, p.settings.velocityFactor));
        QTest::mouseClick(plot, button, Qt::NoModifier,
                          QPoint(static_cast<int>(std::lround(r.left() + x / p.right * r.width())),
                                 static_cast<int>(r.center().y())));
        settle();
    }
};

TEST_F(TdrView, ALineIntoOneHundredOhmIsFoundWhereItEndsAndReadsItsLoad)
{
    start();
    answers.clearDialogs();
    connectCable(cableFile({{50, 20}}, 0.66, 100));
    gui::TdrWindow* tdr = openTdr();
    ASSERT_NE(tdr, nullptr);
    EXPECT_FALSE(tdr->picture().shown);
    EXPECT_TRUE(text("tdrNotice").startsWith(QStringLiteral("No complete sweep yet")));

    // TDR Sweep fills the sweep panel: start = step, up to 30 MHz.
    tdrSweep(QStringLiteral("30M"), 200);
    EXPECT_EQ(text("tdrSweepStatus"), QStringLiteral("Sweep set: 0.149253 MHz to 29.999853 MHz in 200 steps of "
                                                     "149.253 kHz (start = step). Choose Refl, calibrate and "
                                                     "sweep."));
    ASSERT_EQ(model().settings.SweepPoints, 201);
    EXPECT_EQ(model().sweep.FreqList[1], 149253);
    EXPECT_EQ(model().sweep.FreqList[201], 201 * 149253);
    EXPECT_FALSE(widget("SetupSweep")->isVisible());

    calibrateReflection();
    choose("tdrCable", QStringLiteral("solid PE (0.66)"));
    EXPECT_EQ(tdr->settings().velocityFactor, 0.66);
    EXPECT_EQ(tdr->passesSeen(), 0);
    click("SweepButton_3");
    EXPECT_EQ(tdr->passesSeen(), 1);
    const app::TdrPicture& p = tdr->picture();
    ASSERT_TRUE(p.shown) << p.message;
    EXPECT_TRUE(text("tdrSummary").contains(QStringLiteral("resolution 3.30 m (10.8 ft), alias-free range 662.84 m")))
        << text("tdrSummary").toStdString();
    EXPECT_TRUE(text("tdrPass").contains(QStringLiteral("201 points, 0.149253 to 29.999853 MHz, Calibrated")));
    EXPECT_FALSE(widget("tdrNotice")->isVisible());

    // Markers on: A at the reference plane, B on the end of the line.
    click("tdrMarkers");
    ASSERT_TRUE(tdr->markers().shown);
    const auto a = app::ReadingAt(p, tdr->markers().a);
    const auto b = app::ReadingAt(p, tdr->markers().b);
    ASSERT_TRUE(a && b);
    EXPECT_EQ(a->distance, 0);
    EXPECT_NEAR(b->distance, 20, p.resolution / 2);
    // Further than the range is warned about; the first 60 m are not.
    typeInto("tdrMaxDistance", QStringLiteral("1000"));
    EXPECT_TRUE(widget("tdrNotice")->isVisible());
    EXPECT_TRUE(text("tdrNotice").startsWith(
        QStringLiteral("The asked range of 1000.00 m lies beyond the alias-free range of 662.84 m")));
    typeInto("tdrMaxDistance", QStringLiteral("60"));
    EXPECT_FALSE(widget("tdrNotice")->isVisible());
    EXPECT_EQ(tdr->picture().right, 60);
    // A click beyond the end: the load, a third reflected, 100 ohm.
    clickAt(*tdr, 30, Qt::LeftButton);
    const auto load = app::ReadingAt(p, tdr->markers().a);
    ASSERT_TRUE(load);
    EXPECT_NEAR(load->distance, 30, p.resolution / 4);
    EXPECT_NEAR(load->rho, 1.0 / 3, 0.02);
    EXPECT_NEAR(load->impedance, 100, 4);
    // A right click half way: the line itself, 50 ohm.
    clickAt(*tdr, 10, Qt::RightButton);
    const auto line = app::ReadingAt(p, tdr->markers().b);
    ASSERT_TRUE(line);
    EXPECT_NEAR(line->impedance, 50, 2);

    // The readout on the plot reads the same.
    const auto readout = app::MarkerReadout(p, tdr->markers());
    ASSERT_EQ(readout.size(), 3u);
    EXPECT_EQ(readout[0].text, "A  " + app::ReadingText(p, *load));
    const QImage shown = tdr->plot()->grab().toImage();
    int yellow = 0;
    for (int y = 0; y < shown.height(); ++y)
        for (int x = 0; x < shown.width(); ++x) {
            const QColor c = shown.pixelColor(x, y);
            yellow += c.red() > 200 && c.green() > 200 && c.blue() < 80;
        }
    EXPECT_GT(yellow, 200) << "the trace is on the plot";

    // Feet: the same reading in other units.
    choose("tdrUnits", QStringLiteral("feet"));
    EXPECT_EQ(tdr->picture().xUnitText, "ft");
    EXPECT_NEAR(tdr->picture().right, 200, 1e-9) << "60 m is 196.9 ft";
    EXPECT_NEAR(tdr->settings().maxDistance, 60, 1e-9);
    EXPECT_EQ(widgetAs<QDoubleSpinBox>("tdrMaxDistance")->text(), QStringLiteral("196.9 ft"));
    choose("tdrWindowShape", QStringLiteral("Hann"));
    EXPECT_EQ(tdr->settings().maxDistance, 60) << "the field's rounding to 196.9 ft moves nothing";
    EXPECT_FALSE(widget("tdrBeta")->isEnabled());
    EXPECT_TRUE(text("tdrSummary").startsWith(QStringLiteral("Low-pass, Hann window, velocity factor 0.66")));

    // Another pass updates the view; a stopped one does not.
    click("SweepButton_3");
    EXPECT_EQ(tdr->passesSeen(), 2);
    model().onPointYield = [this] {
        if (model().sweep.PointIndex == 50)
            model().sweep.StopSweep = true;
    };
    click("SweepButton_1");
    model().onPointYield = nullptr;
    EXPECT_EQ(tdr->passesSeen(), 2);
}

TEST_F(TdrView, ASweepThatIsNotHarmonicSaysHowToSweepAndBandPassTakesIt)
{
    start();
    answers.clearDialogs();
    connectCable(cableFile({{50, 15}}, 0.82, 25));
    setSweep(QStringLiteral("1m"), QStringLiteral("30m"), QStringLiteral("100"));
    calibrateReflection();
    gui::TdrWindow* tdr = openTdr();
    ASSERT_NE(tdr, nullptr);
    click("SweepButton_3");
    ASSERT_EQ(tdr->passesSeen(), 1);
    EXPECT_FALSE(tdr->picture().shown);
    const QString notice = text("tdrNotice");
    EXPECT_TRUE(notice.startsWith(QStringLiteral("Low-pass needs a harmonic sweep, every frequency a whole multiple "
                                                 "of the step: the sweep starts at 1000000 Hz, not at its step "
                                                 "290000 Hz. Set one with TDR Sweep")))
        << notice.toStdString();
    EXPECT_TRUE(notice.endsWith(QStringLiteral("or choose band-pass.")));
    EXPECT_TRUE(widget("tdrNotice")->isVisible());
    EXPECT_FALSE(widget("tdrPeak")->isEnabled());

    choose("tdrMode", QStringLiteral("Band-pass"));
    const app::TdrPicture& p = tdr->picture();
    ASSERT_TRUE(p.shown) << p.message;
    EXPECT_FALSE(widget("tdrQuantity")->isEnabled()) << "band-pass has the impulse only";
    EXPECT_EQ(widgetAs<QComboBox>("tdrQuantity")->currentText(), QStringLiteral("Impulse"));
    choose("tdrCable", QStringLiteral("foam PE (0.82)"));
    click("tdrMarkers");
    click("tdrPeak");
    const auto end = app::ReadingAt(p, tdr->markers().b);
    ASSERT_TRUE(end);
    EXPECT_FALSE(end->hasStep);
    EXPECT_NEAR(end->distance, 15, p.resolution / 2);
    EXPECT_NEAR(end->impulse, 1.0 / 3, 0.03) << "25 ohm reflects a third";

    // Back to low-pass: the message again, and the asked quantity.
    choose("tdrMode", QStringLiteral("Low-pass"));
    EXPECT_FALSE(tdr->picture().shown);
    EXPECT_TRUE(widget("tdrQuantity")->isEnabled());
    EXPECT_EQ(widgetAs<QComboBox>("tdrQuantity")->currentText(), QStringLiteral("Impedance (ohm)"));

    // A stop the panel could not sweep is refused before the panel opens.
    answers.clearDialogs();
    typeInto("tdrSweepStop", QStringLiteral("10M"));
    widgetAs<QSpinBox>("tdrSweepSteps")->setValue(400);
    click("tdrSetSweep");
    EXPECT_TRUE(text("tdrSweepStatus").endsWith(QStringLiteral("take fewer steps or a stop of at least 20.05 MHz.")));
    EXPECT_EQ(model().sweep.FreqList[1], 1000000);
    typeInto("tdrSweepStop", QStringLiteral("fast"));
    click("tdrSetSweep");
    EXPECT_TRUE(text("tdrSweepStatus").startsWith(QStringLiteral("Type the stop frequency")));
    EXPECT_TRUE(answers.dialogs().empty());
}

TEST_F(TdrView, Screenshots)
{
    const QByteArray target = qgetenv("ORBILAN_SCREENSHOT_DIR");
    const QString folder = target.isEmpty() ? QString::fromStdString(dir.str()) : QString::fromLocal8Bit(target);
    start("owner = Demo\nadctype = 2440\nadcmode = 1\nadcdel = 10\n");
    answers.clearDialogs();
    desktop->bench()->hide();
    // 12 m of coax, a 3 m stretch of 75-ohm cable spliced in, 10 m more into a 100 ohm load.
    connectCable(cableFile({{50, 12}, {75, 3}, {50, 10}}, 0.66, 100));
    gui::TdrWindow* tdr = openTdr();
    ASSERT_NE(tdr, nullptr);
    tdrSweep(QStringLiteral("60M"), 400);
    calibrateReflection();
    choose("tdrCable", QStringLiteral("solid PE (0.66)"));
    typeInto("tdrMaxDistance", QStringLiteral("40"));
    click("SweepButton_3");
    ASSERT_TRUE(tdr->picture().shown);
    click("tdrMarkers");
    clickAt(*tdr, 13.5, Qt::LeftButton);
    clickAt(*tdr, 30, Qt::RightButton);
    tdr->setGeometry(0, 0, 1366, 768);
    settle();
    QTest::qWait(50);
    QCoreApplication::processEvents();
    const QImage image = tdr->grab().toImage();
    EXPECT_EQ(image.size(), tdr->size() * tdr->devicePixelRatioF());
    EXPECT_TRUE(image.save(folder + QStringLiteral("/screenshot-tdr.png")));
}

} // namespace
} // namespace orbilan::test
