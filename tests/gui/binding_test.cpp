// The widgets of the main window: one per control, named and placed as the
// layout says, following the model without echo, and handing user actions
// to it in order.
#include "desktop_fixture.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTest>

#include "app/manual_form.h"
#include "display/canvas.h"
#include "gui/canvas_view.h"
#include "gui/plot_view.h"
#include "gui/form_binder.h"
#include "gui/form_layout.h"
#include "gui/widgets.h"

namespace orbilan::test {
namespace {

using gui::objectNameFor;

TEST_F(DesktopTest, EveryControlHasAWidgetNamedAfterItInItsPlace)
{
    makeDesktop();
    for (ui::ControlSet* set : {&model().controls(), &model().manualForm().controls()}) {
        gui::FormBinder& binder =
            set == &model().controls() ? desktop->mainBinder() : desktop->manualBinder();
        const gui::FormLayout& layout =
            set == &model().controls() ? gui::mainWindowLayout() : gui::manualFormLayout();
        EXPECT_TRUE(binder.unplaced().empty()) << "first without a place: " << binder.unplaced().front();
        for (const ui::Control* c : set->all()) {
            if (c->kind() == ui::ControlKind::Window)
                continue;
            QWidget* w = binder.widget(c->key());
            ASSERT_NE(w, nullptr) << c->key();
            EXPECT_EQ(w->objectName(), objectNameFor(c->name(), c->index())) << c->key();
            // Wholly inside its container and the form: nothing is clipped.
            EXPECT_TRUE(w->parentWidget()->rect().contains(w->geometry())) << c->key();
            QWidget* form = set == &model().controls() ? desktop->mainWindow().form()
                                                       : desktop->manualWindow().form();
            const QRect onForm(w->mapTo(form, QPoint(0, 0)), w->size());
            EXPECT_LE(onForm.right(), layout.size().width() + 8) << c->key();
            EXPECT_LE(onForm.bottom(), layout.size().height() + 8) << c->key();
        }
    }
    EXPECT_EQ(objectNameFor("SweepButton", 2), "SweepButton_2");
    ASSERT_NE(widget("SweepButton_2"), nullptr);
    EXPECT_EQ(widget("SweepButton_2")->toolTip(), "Pause/Stop sweep");
    // A common laptop screen holds the whole window, title bar and panel included.
    EXPECT_LE(gui::mainWindowLayout().size().width(), 1366 - 16);
    EXPECT_LE(gui::mainWindowLayout().size().height(), 768 - 100);
}

TEST_F(DesktopTest, WidgetsFollowTheModel)
{
    start();
    ui::Control& label = control("CalLabel");
    auto* shown = widgetAs<QLabel>("CalLabel");
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(shown->text(), QString::fromStdString(label.caption()));

    label.setCaption("Two\rlines").setBackColour(0x00FF00).setForeColour(0x0000FF).setToolTip("tip");
    EXPECT_EQ(shown->text(), "Two\nlines");
    EXPECT_EQ(shown->palette().color(QPalette::Window), QColor(0, 255, 0));
    EXPECT_EQ(shown->palette().color(QPalette::WindowText), QColor(0, 0, 255));
    EXPECT_EQ(shown->toolTip(), "tip");
    label.setVisible(false);
    EXPECT_FALSE(shown->isVisible());
    label.setVisible(true);
    EXPECT_TRUE(shown->isVisible());

    // A control in a hidden frame is hidden with it, whatever its own state.
    auto* store = widgetAs<QPushButton>("TraceSave");
    model().c("SweepFrame").setVisible(true);
    control("TraceSave").setEnabled(true);
    EXPECT_TRUE(store->isVisible());
    EXPECT_TRUE(store->isEnabled());
    model().c("TraceFrame").setVisible(false);
    EXPECT_FALSE(store->isVisible());
    model().c("TraceFrame").setVisible(true);
    control("TraceSave").setEnabled(false);
    EXPECT_FALSE(store->isEnabled());

    // Lamps take the back colour; symbol-font captions become clear symbols.
    auto* lamp = qobject_cast<gui::Lamp*>(widget("ModeCalLED_1"));
    ASSERT_NE(lamp, nullptr);
    model().c("ModeCalLED", 1).setBackColour(0x00FF00);
    EXPECT_EQ(lamp->colour(), QColor(0, 255, 0));
    EXPECT_EQ(widgetAs<QPushButton>("SweepButton_2")->text(), QString::fromUtf8("\u25A0"));
}

TEST_F(DesktopTest, MirroringAnOptionRunsNoHandler)
{
    start();
    // Selecting an option from the program runs its handler once, as a click
    // does; the widget following the model must not run it again.
    int clicks = 0;
    ui::Control& option = model().controls().add("TestOption", ui::ControlKind::Option).setGroup("test");
    model().controls().add("TestOther", ui::ControlKind::Option).setGroup("test").setValueQuietly(1);
    model().controls().on("TestOption", ui::Event::Click, [&](ui::EventArgs&) { ++clicks; });
    desktop->refresh();
    auto* radio = widgetAs<QRadioButton>("TestOption");
    ASSERT_NE(radio, nullptr);

    model().deliver([&] { option.setValue(1); });
    settle();
    EXPECT_EQ(clicks, 1);
    EXPECT_TRUE(radio->isChecked());
    EXPECT_FALSE(widgetAs<QRadioButton>("TestOther")->isChecked());

    click("TestOther");
    EXPECT_FALSE(radio->isChecked());
    click("TestOption");
    EXPECT_EQ(clicks, 2);
    EXPECT_EQ(option.value(), 1);
}

TEST_F(DesktopTest, SweepIsSetThroughTheWidgets)
{
    start();
    click("SetSweepButton");
    ASSERT_TRUE(widget("SetupSweep")->isVisible());

    typeInto("F1text", "1m");
    EXPECT_EQ(model().sweep.SweepF1, 1000000);
    EXPECT_EQ(widgetAs<QLineEdit>("F1text")->text(), "1");
    EXPECT_EQ(widgetAs<QLabel>("F1units")->text(), "MHz");
    typeInto("F2text", "30m");
    EXPECT_EQ(model().sweep.SweepF2, 30000000);
    EXPECT_EQ(widgetAs<QLineEdit>("F2text")->text(), "30");

    // The steps button opens its list in its place; only digits go in.
    click("StepsButton");
    auto* steps = widgetAs<QComboBox>("NumberOfSteps");
    ASSERT_TRUE(steps->isVisible());
    EXPECT_FALSE(widget("StepsButton")->isVisible());
    EXPECT_EQ(QApplication::focusWidget(), steps);
    QTest::keyClick(steps, Qt::Key_A, Qt::ControlModifier);
    keys("1x00\r");
    EXPECT_EQ(model().settings.SweepPoints, 101);
    EXPECT_FALSE(steps->isVisible());
    EXPECT_EQ(widgetAs<QPushButton>("StepsButton")->text(), "100");

    // Choosing from the wait list's drop-down.
    click("WaitButton");
    choose("ADCwaits", "20");
    EXPECT_EQ(model().settings.AdcWaitMs, 20);
    EXPECT_EQ(widgetAs<QPushButton>("WaitButton")->text(), "20");

    click("ButtonSweepOK");
    EXPECT_TRUE(model().sweep.SweepDefined);
    EXPECT_EQ(model().sweep.FreqList[1], 1000000);
    EXPECT_EQ(model().sweep.FreqList[101], 30000000);
    EXPECT_FALSE(widget("SetupSweep")->isVisible());
}

TEST_F(DesktopTest, ARefusedEntryKeepsTheFocusAndSwallowsTheClick)
{
    start();
    answers.clearDialogs();
    click("SetSweepButton");
    typeInto("F1text", "12x4");
    ASSERT_EQ(answers.dialogs().size(), 1u);
    EXPECT_EQ(answers.dialogs()[0].title, "Not numeric");
    EXPECT_EQ(QApplication::focusWidget(), widget("F1text"));
    EXPECT_EQ(model().controls().focused(), "F1text");

    // Clicking OK from the refused field: the entry is refused again and the
    // click on OK never happens.
    click("ButtonSweepOK");
    EXPECT_EQ(answers.dialogs().size(), 2u);
    EXPECT_FALSE(model().sweep.SweepDefined);
    EXPECT_TRUE(widget("SetupSweep")->isVisible());
    EXPECT_EQ(QApplication::focusWidget(), widget("F1text"));
}

TEST_F(DesktopTest, FocusTheProgramMovesRunsNoHandlers)
{
    start();
    answers.clearDialogs();
    click("SetSweepButton");
    // Max Sweep sends the focus to OK; the binding follows without leaving
    // or entering anything on its own.
    click("Max_Sweep");
    EXPECT_EQ(model().controls().focused(), "ButtonSweepOK");
    EXPECT_EQ(QApplication::focusWidget(), widget("ButtonSweepOK"));
    EXPECT_EQ(model().sweep.SweepF1, 50000);
    EXPECT_TRUE(answers.dialogs().empty());
}

TEST_F(DesktopTest, TheLockShowsAPadlockAndTogglesOnClick)
{
    start();
    click("SetSweepButton");
    auto* lock = widgetAs<QLabel>("FreqUnitsLock");
    ASSERT_NE(lock, nullptr);
    const QImage locked = lock->pixmap().toImage();
    EXPECT_FALSE(locked.isNull());
    click("FreqUnitsLock");
    EXPECT_FALSE(model().sweep.FreqUnitsLocked);
    EXPECT_NE(lock->pixmap().toImage(), locked);
    EXPECT_EQ(lock->toolTip(), "Click to apply future selection of Hz/kHz/MHz units to both frequencies.");
}

TEST_F(DesktopTest, ThePlotFillsTheWindowAndIsDrawnAtItsSizeAndPixelRatio)
{
    start();
    auto* view = qobject_cast<gui::PlotView*>(widget("Screen1"));
    ASSERT_NE(view, nullptr);
    desktop->mainWindow().resize(1600, 1000);
    settle();
    EXPECT_GE(view->width(), 1000);
    EXPECT_GE(view->height(), 600);
    // The columns of controls stay at the edges; the plot takes the rest.
    const QRect onForm(view->mapTo(desktop->mainWindow().form(), QPoint(0, 0)), view->size());
    const QRect sweepFrame(widget("SweepFrame")->mapTo(desktop->mainWindow().form(), QPoint(0, 0)),
                           widget("SweepFrame")->size());
    EXPECT_LT(onForm.right(), sweepFrame.left());
    EXPECT_GT(sweepFrame.right(), desktop->mainWindow().form()->width() - 12);

    // Drawn anew for every size and pixel ratio, not the raster scaled.
    model().settings.GraticuleColour = 0x00FF00;
    model().deliver([&] { model().ClearPlot(); });
    for (qreal ratio : {1.0, 2.0}) {
        const QImage image = view->render(QSize(800, 500), ratio);
        EXPECT_EQ(image.size(), QSize(800, 500) * ratio);
        // Nine vertical grid lines cross a row, each a line of one logical
        // pixel (some anti-aliasing aside), whatever the ratio.
        const int row = static_cast<int>(image.height() / 2 + 7 * ratio);
        int lines = 0, green = 0;
        bool inLine = false;
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, row);
            const bool on = c.green() > 60 && c.red() < 60 && c.blue() < 60;
            lines += on && !inLine;
            green += on;
            inLine = on;
        }
        EXPECT_EQ(lines, 9) << ratio;
        EXPECT_LE(green, 9 * 3 * ratio) << ratio;
    }
}

TEST_F(DesktopTest, VnaTestOpensTheManualWindow)
{
    start();
    EXPECT_FALSE(desktop->manualWindow().isVisible());
    click("SetSweepButton");
    click("ManualOption");
    EXPECT_TRUE(desktop->manualWindow().isVisible());
    EXPECT_EQ(desktop->manualWindow().windowTitle(), " Test Mode");
}

} // namespace
} // namespace orbilan::test

namespace orbilan::test {
namespace {

// The program moves the focus while it handles the user's last move (the
// end field sends it to OK when it is left). Between the press and the
// release of the mouse on Cancel, that must not take the press away from
// Cancel: one click closes the panel.
TEST_F(DesktopTest, OneClickOnCancelAfterTabbingThroughTheFields)
{
    start();
    answers.clearDialogs();
    for (const char* after : {"F1text", "F2text"}) {
        SCOPED_TRACE(after);
        click("SetSweepButton");
        ASSERT_TRUE(widget("SetupSweep")->isVisible());
        typeInto("F1text", "2m"); // ends with Tab, into the end field
        if (std::string(after) == "F2text")
            typeInto("F2text", "20m");
        QWidget* cancel = widget("FreqCancel");
        QTest::mousePress(cancel, Qt::LeftButton, Qt::NoModifier, cancel->rect().center());
        settle(); // the window runs what the press started before the release comes
        QTest::mouseRelease(cancel, Qt::LeftButton, Qt::NoModifier, cancel->rect().center());
        settle();
        EXPECT_FALSE(widget("SetupSweep")->isVisible());
        EXPECT_FALSE(model().controls().at("SetupSweep").visible());
    }
    EXPECT_TRUE(answers.dialogs().empty());

    // Right after the panel closes, one click starts the sweep.
    click("SetSweepButton");
    click("ButtonSweepOK");
    model().deliver([&] {
        model().cal.CalFreq = model().sweep.FreqList;
        model().cal.CalFreq[0] = model().settings.SweepPoints;
        model().sweep.SweepDefined = true;
        model().cal.CalModes = 3;
        model().CheckMachineStatus();
    });
    settle();
    click("SetSweepButton");
    click("ButtonSweepOK");
    QWidget* single = widget("SweepButton_3");
    ASSERT_TRUE(single->isVisible());
    QTest::mousePress(single, Qt::LeftButton, Qt::NoModifier, single->rect().center());
    settle();
    QTest::mouseRelease(single, Qt::LeftButton, Qt::NoModifier, single->rect().center());
    settle();
    EXPECT_EQ(model().controls().at("SweepStatus").caption(), "Completed Sweep");
}

} // namespace
} // namespace orbilan::test
