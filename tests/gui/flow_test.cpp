// The desktop program end to end on the simulated instrument: what a
// newcomer does on the first day, through the widgets.
#include "desktop_fixture.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QFile>
#include <QPainter>
#include <QPrinter>
#include <QMouseEvent>
#include <QStatusBar>
#include <QAction>

#include "app/manual_form.h"
#include "display/canvas.h"
#include "gui/bench_window.h"
#include "gui/page_renderer.h"
#include "gui/plot_view.h"
#include "sim/kesp_sim.h"

namespace orbilan::test {
namespace {

class DesktopFlow : public DesktopTest {
protected:
    QString caption(const QString& name) { return widgetAs<QLabel>(name)->text(); }
};

TEST_F(DesktopFlow, StartsWithoutVnaIniAndIsReady)
{
    start();
    ASSERT_FALSE(answers.dialogs().empty());
    EXPECT_EQ(answers.dialogs()[0].text, "No vna.ini file found - using defaults");
    EXPECT_EQ(caption("CalLabel"), "Not Calibrated");
    EXPECT_EQ(caption("TitleLabel"), "Orbilan for Kesp VNA"); // no file, no owner to name
    EXPECT_TRUE(widget("SetSweepButton")->isEnabled());
    EXPECT_FALSE(widget("SweepFrame")->isVisible());
    EXPECT_FALSE(model().ended());
}

TEST_F(DesktopFlow, CalibratesMeasuresAndReadsTheDevice)
{
    start();
    answers.clearDialogs();
    ASSERT_TRUE(desktop->bench()->connectDevice("refl:R=100"));
    setSweep("1m", "30m", "100");
    ASSERT_TRUE(model().sweep.SweepDefined);
    ASSERT_EQ(model().settings.SweepPoints, 101);

    calibrate(1);
    ASSERT_EQ(answers.dialogs().size(), 4u);
    EXPECT_EQ(answers.dialogs()[0].title, "VNA Open Calibration");
    EXPECT_EQ(answers.dialogs()[1].title, "VNA Short Calibration");
    EXPECT_EQ(answers.dialogs()[2].title, "VNA Load Calibration");
    EXPECT_EQ(answers.dialogs()[3].title, "Unsaved Calibration File");
    EXPECT_TRUE(model().cal.ReflCalValid);
    EXPECT_EQ(caption("CalLabel"), "Calibrated");
    ASSERT_TRUE(widget("SweepFrame")->isVisible());

    // One sweep of the 100 ohm resistor: it reads back as 100 ohm.
    click("SweepButton_3");
    EXPECT_EQ(caption("SweepStatus"), "Completed Sweep");
    for (int i = 1; i <= 101; i += 10) {
        EXPECT_NEAR(model().cal.PointData[i].re, 100, 1.0) << "point " << i;
        EXPECT_NEAR(model().cal.PointData[i].im, 0, 1.0) << "point " << i;
    }
    // The trace is on the plot the window shows.
    const QImage shown = widget("Screen1")->grab().toImage();
    int yellow = 0;
    for (int y = 0; y < shown.height(); ++y)
        for (int x = 0; x < shown.width(); ++x) {
            const QColor c = shown.pixelColor(x, y);
            yellow += c.red() > 200 && c.green() > 200 && c.blue() < 80;
        }
    EXPECT_GT(yellow, 200);

    // Display types through the chooser.
    click("DisplayButton");
    auto* types = widgetAs<QListWidget>("displaycombo");
    ASSERT_TRUE(types->isVisible());
    choose("displaycombo", "SWR,");
    EXPECT_EQ(model().disp.DisplayCode, 14);
    EXPECT_EQ(caption("DisplayLabel"), "SWR");
    click("DisplayButton");
    choose("displaycombo", "Smith,");
    EXPECT_EQ(model().disp.DisplayCode, 16);
    click("SweepButton_3");

    // A marker stepped along the trace.
    click("MarkerOn");
    ASSERT_TRUE(widget("Markers")->isVisible());
    EXPECT_EQ(widgetAs<QPushButton>("MarkerOn")->text(), "Mkr Off");
    click("Marker_2");
    click("Marker_3");
    EXPECT_EQ(model().disp.MarkerPos[0], 12);
    EXPECT_EQ(caption("MarkerFreq"), QString::fromStdString(model().c("MarkerFreq").caption()));
    EXPECT_TRUE(caption("MarkerFreq").endsWith(" MHz"));
    click("MarkerOn");

    // Store and show the trace; autoscale on a rectangular display.
    click("DisplayButton");
    choose("displaycombo", "|Z|,deg");
    click("SweepButton_3");
    click("TraceSave");
    EXPECT_EQ(caption("TraceStatusLabel"), "Stored");
    click("DisplayMemory");
    EXPECT_EQ(widgetAs<QPushButton>("DisplayMemory")->text(), "Hide");
    click("ScaleControl");
    EXPECT_EQ(widgetAs<QPushButton>("ScaleControl")->text(), "Max Range");
    EXPECT_LT(model().disp.Y1Top, 8000);
}

TEST_F(DesktopFlow, ExportsDataAndSavesAndLoadsTheCalibrationThroughTheFileDialogs)
{
    start();
    answers.clearDialogs();
    setSweep("1m", "10m", "10");
    calibrate(1);
    ASSERT_TRUE(model().cal.ReflCalValid);
    click("SweepButton_3");

    const std::string csv = (dir.path() / "dut.csv").string();
    answers.queue(ui::Answer::typed("bench test"));
    answers.queue(ui::Answer::file(csv));
    click("SaveDataButton");
    const std::string data = readFile(csv);
    EXPECT_EQ(data.rfind("\"Orbilan software for Kesp VNA version 1.3D", 0), 0u);
    EXPECT_NE(data.find("\"bench test\""), std::string::npos);
    EXPECT_NE(data.find("\"Frequency Hz \",\"|Z| ohms\",\"deg\""), std::string::npos);

    const std::string cal = (dir.path() / "bench.cal").string();
    answers.clearDialogs();
    answers.queue(ui::Answer::file(cal));
    click("SaveCalButton");
    ASSERT_FALSE(answers.dialogs().empty());
    EXPECT_EQ(answers.dialogs().back().title, "Save calibration data to file");
    EXPECT_EQ(answers.dialogs().back().filter, "cal files|*.cal|All Files|*.*");
    EXPECT_EQ(model().cal.CalUnsaved, 0);
    EXPECT_EQ(readFile(cal).rfind("2410,0\r\n", 0), 0u);

    // A new sweep leaves the calibration behind; loading it makes its sweep current.
    setSweep("2m", "3m", "5");
    answers.clearDialogs();
    answers.queue(ui::Answer::file(cal));
    click("CalLoadButton");
    EXPECT_EQ(answers.dialogs().back().title, "Load calibration data");
    EXPECT_EQ(caption("FileLabel"), "bench.cal");
    EXPECT_EQ(caption("CalLabel"), "Calibrated");
    EXPECT_EQ(model().sweep.FreqList[1], 1000000);
    EXPECT_EQ(model().settings.SweepPoints, 11);
    // The file dialogs remember the folder.
    EXPECT_EQ(desktop->platform().lastFolder().toStdString(), dir.str());
}

TEST_F(DesktopFlow, PrintsAnAnnotatedPageAndCopiesThePlot)
{
    start();
    setSweep("1m", "10m", "10");
    calibrate(1);
    click("SweepButton_3");

    answers.clearDialogs();
    answers.queue(ui::Answer::typed("first light"));
    click("PrintMe");
    ASSERT_EQ(answers.printed().size(), 1u);
    const ui::PrintPage& page = answers.printed()[0];
    const auto comment = std::find_if(page.items.begin(), page.items.end(),
                                      [](const ui::PrintItem& i) { return i.text == "first light"; });
    ASSERT_NE(comment, page.items.end());
    EXPECT_EQ(comment->x, 2.5);
    EXPECT_EQ(comment->y, 2.0);
    const auto image = std::find_if(page.items.begin(), page.items.end(),
                                    [](const ui::PrintItem& i) { return i.kind == ui::PrintItem::Kind::Image; });
    ASSERT_NE(image, page.items.end());
    EXPECT_EQ(image->image.width, 400);
    EXPECT_EQ(image->image.height, 320);
    EXPECT_TRUE(image->plotArea);

    // On paper the plot is drawn afresh at the printer's resolution: a PDF
    // holds it as vector paths, where the raster would be an image.
    auto pdf = [&](const gui::PlotPainter& plot) {
        const QString path = QString::fromStdString((dir.path() / "page.pdf").string());
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(path);
        EXPECT_TRUE(gui::printPageOn(printer, page, plot));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        return file.readAll();
    };
    const QByteArray vector = pdf(desktop->platform().printPlot);
    const QByteArray raster = pdf({});
    EXPECT_TRUE(raster.contains("/Subtype /Image"));
    EXPECT_FALSE(vector.contains("/Subtype /Image"));
    EXPECT_TRUE(vector.startsWith("%PDF-"));
    // The plot on paper is drawn in the plot's box, colours inverted.
    QImage paper(1500, 1200, QImage::Format_RGB32);
    paper.fill(Qt::red);
    {
        QPainter painter(&paper);
        desktop->platform().printPlot(painter, QRectF(0, 0, 1500, 1200));
    }
    EXPECT_EQ(paper.pixel(3, 3) & 0xFFFFFF, 0xFFFFFFu); // the black background prints white
    int blue = 0; // the yellow trace prints blue
    for (int y = 0; y < paper.height(); y += 2)
        for (int x = 0; x < paper.width(); x += 2) {
            const QColor c = paper.pixelColor(x, y);
            blue += c.blue() > 200 && c.red() < 80 && c.green() < 80;
        }
    EXPECT_GT(blue, 500);

    // Copy: the plot as the window shows it, at its size.
    QGuiApplication::clipboard()->clear();
    click("SendToClipboard");
    const QImage copied = QGuiApplication::clipboard()->image();
    gui::PlotView* view = desktop->plotView();
    EXPECT_EQ(copied.size(), view->size() * view->devicePixelRatioF());
    EXPECT_EQ(copied, view->render(view->size(), view->devicePixelRatioF()).convertToFormat(copied.format()));

    // The annotated copy: the same plot, the sweep and the markers under it.
    click("MarkerOn");
    QAction* annotated = desktop->mainWindow().findChild<QAction*>("action_copyAnnotated");
    ASSERT_NE(annotated, nullptr);
    desktop->refresh();
    ASSERT_TRUE(annotated->isEnabled());
    QGuiApplication::clipboard()->clear();
    annotated->trigger();
    const QImage withText = QGuiApplication::clipboard()->image();
    EXPECT_GE(withText.width(), copied.width());
    EXPECT_GT(withText.height(), copied.height() + 60);
    EXPECT_EQ(withText.copy(0, 0, copied.width(), copied.height()).convertToFormat(QImage::Format_RGB32),
              view->render(view->size(), view->devicePixelRatioF()).convertToFormat(QImage::Format_RGB32));
    // Below the plot, dark text on white.
    int ink = 0;
    for (int y = copied.height(); y < withText.height(); ++y)
        for (int x = 0; x < withText.width(); ++x)
            ink += qGray(withText.pixel(x, y)) < 100;
    EXPECT_GT(ink, 500);
    // While the sweep panel is open there is nothing to copy.
    click("SetSweepButton");
    desktop->refresh();
    EXPECT_FALSE(annotated->isEnabled());
}

TEST_F(DesktopFlow, TheManualWindowSetsTheSynthesisersByHand)
{
    start();
    click("SetSweepButton");
    click("ManualOption");
    ASSERT_TRUE(desktop->manualWindow().isVisible());
    desktop->manualWindow().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&desktop->manualWindow()));
    typeInto("frequency", "1000");
    click("Command1");
    EXPECT_NE(caption("adcvolts"), "ADC Result");
    click("CloseButton");
    EXPECT_FALSE(desktop->manualWindow().isVisible());
}

} // namespace
} // namespace orbilan::test

namespace orbilan::test {
namespace {

// The window in four states, as the README shows it, at 1366 x 768: written
// to $ORBILAN_SCREENSHOT_DIR when set (docs/ in the repository; take them
// under Xvfb, scripts/screenshots), else to a temporary folder.
TEST_F(DesktopFlow, Screenshots)
{
    const QByteArray target = qgetenv("ORBILAN_SCREENSHOT_DIR");
    const QString folder = target.isEmpty() ? QString::fromStdString(dir.str()) : QString::fromLocal8Bit(target);
    auto shoot = [&](const char* name) {
        settle();
        desktop->refresh();
        QTest::qWait(gui::PlotView::MinFrameMs + 10);
        QCoreApplication::processEvents();
        const QImage image = desktop->mainWindow().grab().toImage();
        EXPECT_EQ(image.size(), desktop->mainWindow().size() * desktop->mainWindow().devicePixelRatioF());
        EXPECT_TRUE(image.save(folder + QLatin1Char('/') + QLatin1String(name)));
        return image;
    };
    start("owner = Demo\nadctype = 2440\nadcmode = 1\nadcdel = 10\n");
    answers.clearDialogs();
    desktop->bench()->hide();
    desktop->mainWindow().setGeometry(0, 0, 1366, 768);
    const QImage empty = shoot("screenshot-empty.png");

    ASSERT_TRUE(desktop->bench()->connectDevice("refl:R=20,L=2u,C=200p,topology=series"));
    setSweep("1m", "30m", "200");
    calibrate(1);
    click("SweepButton_3");
    click("MarkerOn");
    for (int i = 0; i < 5; ++i)
        click("Marker_3");
    click("Option2_1");
    for (int i = 0; i < 12; ++i)
        click("Marker_3");
    click("ScaleControl");
    // The mouse over the plot: the status line reads the point under it.
    gui::PlotView* view = desktop->plotView();
    const QPointF at(view->width() * 2 / 3, view->height() / 2);
    QMouseEvent move(QEvent::MouseMove, at, view->mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(view, &move);
    settle();
    EXPECT_FALSE(view->hoverText().isEmpty());
    EXPECT_EQ(desktop->mainWindow().statusBar()->currentMessage(), view->hoverText());
    shoot("screenshot-sweep.png");

    click("DisplayButton");
    choose("displaycombo", "Smith,");
    click("SweepButton_3");
    click("MarkerOn");
    for (int i = 0; i < 6; ++i)
        click("Marker_3");
    click("Option2_1");
    for (int i = 0; i < 14; ++i)
        click("Marker_3");
    const QImage smith = shoot("screenshot-smith.png");
    EXPECT_NE(smith, empty);

    click("MarkerOn");
    click("DisplayButton");
    choose("displaycombo", "|Z|,deg");
    click("SetSweepButton");
    click("SingleFreqSweep");
    typeInto("F1text", "14.2m");
    click("ButtonSweepOK");
    ASSERT_TRUE(model().sweep.SingleFreqMode);
    click("SweepButton_3");
    ASSERT_TRUE(widget("SingleDisplayFrame")->isVisible());
    shoot("screenshot-single-frequency.png");
}

} // namespace
} // namespace orbilan::test

namespace orbilan::test {
namespace {

TEST_F(DesktopFlow, ClosingTheWindowIsTheExitButton)
{
    start();
    // Closing the manual window is its Close button.
    click("SetSweepButton");
    click("ManualOption");
    ASSERT_TRUE(desktop->manualWindow().isVisible());
    EXPECT_FALSE(desktop->manualWindow().close());
    settle();
    EXPECT_FALSE(desktop->manualWindow().isVisible());
    EXPECT_EQ(model().c("Start_End").value() + model().c("Centre_Span").value(), 1);

    // Closing the main window runs the program's own exit, which ends it.
    EXPECT_FALSE(desktop->mainWindow().close());
    settle();
    EXPECT_TRUE(model().ended());
    EXPECT_TRUE(desktop->ended());
    EXPECT_FALSE(desktop->mainWindow().isVisible());
}

TEST_F(DesktopFlow, TheBenchConnectsWhatTheUserChooses)
{
    start();
    gui::BenchWindow* bench = desktop->bench();
    ASSERT_NE(bench, nullptr);
    EXPECT_TRUE(bench->connectDevice("refl:R=50"));
    EXPECT_EQ(std::string(kesp_sim_connected_dut()), "refl:R=50");
    // A device the simulator refuses: a message says why, the bench keeps
    // saying so, and "Now connected" names what really is connected.
    answers.clearDialogs();
    EXPECT_FALSE(bench->connectDevice("resistor please"));
    EXPECT_EQ(std::string(kesp_sim_connected_dut()), "refl:R=50");
    ASSERT_EQ(answers.dialogs().size(), 1u);
    EXPECT_EQ(answers.dialogs()[0].title, "Simulator bench");
    EXPECT_EQ(answers.dialogs()[0].text.rfind("\"resistor please\" could not be connected:\r", 0), 0u);
    EXPECT_NE(answers.dialogs()[0].text.find("Still connected: refl:R=50"), std::string::npos);
    EXPECT_EQ(bench->statusText(), "Now connected: refl:R=50");
    EXPECT_TRUE(bench->refusalText().startsWith("Not connected: resistor please")) << bench->refusalText().toStdString();
    QTest::qWait(300); // the bench looks at the simulator again: the refusal stays
    EXPECT_EQ(bench->statusText(), "Now connected: refl:R=50");
    EXPECT_FALSE(bench->refusalText().isEmpty());
    // A file that is no Touchstone file.
    const std::string notTouchstone = dir.write("notes.s1p", "these are my notes\n").string();
    answers.clearDialogs();
    EXPECT_FALSE(bench->connectDevice(QString::fromStdString(notTouchstone)));
    ASSERT_EQ(answers.dialogs().size(), 1u);
    EXPECT_NE(answers.dialogs()[0].text.find("notes.s1p"), std::string::npos);
    EXPECT_EQ(std::string(kesp_sim_connected_dut()), "refl:R=50");

    // The standards by their buttons.
    qobject_cast<QAbstractButton*>(bench->findChild<QWidget*>("device_1"))->click();
    qobject_cast<QAbstractButton*>(bench->findChild<QWidget*>("connectButton"))->click();
    EXPECT_EQ(std::string(kesp_sim_connected_dut()), "short");
    EXPECT_EQ(bench->statusText(), "Now connected: short");
    EXPECT_TRUE(bench->refusalText().isEmpty());

    bench->setFastTiming(false);
    EXPECT_EQ(desktop->platform().sleepScale(), 1.0);
    bench->setFastTiming(true);
    EXPECT_EQ(desktop->platform().sleepScale(), 0.0);

    // Without auto-follow the prompts leave connected what the user connected.
    bench->setAutoFollow(false);
    setSweep("1m", "2m", "4");
    calibrate(1);
    EXPECT_EQ(std::string(kesp_sim_connected_dut()), "short");

    // Closed, it only hides: Ctrl+B in the main window shows it again as it was.
    EXPECT_TRUE(bench->close());
    EXPECT_FALSE(bench->isVisible());
    desktop->mainWindow().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&desktop->mainWindow()));
    QTest::keyClick(&desktop->mainWindow(), Qt::Key_B, Qt::ControlModifier);
    ASSERT_EQ(desktop->bench(), bench);
    EXPECT_TRUE(bench->isVisible());
    EXPECT_EQ(std::string(kesp_sim_connected_dut()), "short");
}

} // namespace
} // namespace orbilan::test
