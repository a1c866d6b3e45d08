// The main window on a common laptop screen, 1366 x 768, at scale 1 and
// 1.5: it fits with its menus, every control the program shows lies on the
// screen where the user can reach it (no scrolling), no caption is cut
// short, and the simulator's bench stands beside the window, not over it.
#include "desktop_fixture.h"

#include <filesystem>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QAbstractSpinBox>
#include <QLabel>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QTest>

#include "gui/form_binder.h"
#include "gui/plot_view.h"
#include "gui/qt_text.h"
#include "gui/tdr_window.h"

namespace orbilan::test {
namespace {

class Screen : public DesktopTest {
protected:
    QRect available() const { return QGuiApplication::primaryScreen()->availableGeometry(); }

    // Every control the program shows: on the screen, inside the window's
    // visible part, its caption whole.
    void everythingReachable(const std::string& state)
    {
        settle();
        desktop->refresh();
        QCoreApplication::processEvents();
        QMainWindow& main = desktop->mainWindow();
        const QRect screen = available();
        EXPECT_TRUE(screen.contains(main.frameGeometry())) << state;
        auto* scroll = qobject_cast<QScrollArea*>(main.centralWidget());
        ASSERT_NE(scroll, nullptr);
        EXPECT_FALSE(scroll->horizontalScrollBar()->isVisible()) << state;
        EXPECT_FALSE(scroll->verticalScrollBar()->isVisible()) << state;
        const QRect viewport(scroll->viewport()->mapToGlobal(QPoint(0, 0)), scroll->viewport()->size());
        int checked = 0;
        for (const ui::Control* c : model().controls().all()) {
            if (c->kind() == ui::ControlKind::Window || !c->reachable())
                continue;
            QWidget* w = desktop->mainBinder().widget(c->key());
            if (!w)
                continue;
            EXPECT_TRUE(w->isVisible()) << state << ": " << c->key();
            const QRect global(w->mapToGlobal(QPoint(0, 0)), w->size());
            EXPECT_TRUE(screen.contains(global)) << state << ": " << c->key() << " off the screen";
            EXPECT_TRUE(viewport.contains(global)) << state << ": " << c->key() << " outside the window";
            captionFits(w, state + ": " + c->key());
            ++checked;
        }
        EXPECT_GT(checked, 12) << state;
    }

    void captionFits(QWidget* w, const std::string& where)
    {
        const QFontMetrics metrics(w->font());
        if (auto* label = qobject_cast<QLabel*>(w)) {
            if (label->text().isEmpty() || label->wordWrap())
                return;
            const QStringList lines = label->text().split(QLatin1Char('\n'));
            for (const QString& line : lines)
                EXPECT_LE(metrics.horizontalAdvance(line), label->contentsRect().width())
                    << where << " cuts \"" << line.toStdString() << "\"";
            EXPECT_LE(metrics.height() * lines.size(), label->height() + 2) << where;
        } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
            QString text = button->text();
            text.replace(QStringLiteral("&&"), QStringLiteral("&"));
            if (text.isEmpty())
                return;
            // The room Qt's style keeps around a button's text, or beside an
            // option's or check box's mark.
            int room = w->width() - 12;
            if (qobject_cast<QRadioButton*>(w) || qobject_cast<QCheckBox*>(w))
                room = w->width() - w->style()->pixelMetric(QStyle::PM_IndicatorWidth) - 6;
            for (const QString& line : text.split(QLatin1Char('\n')))
                EXPECT_LE(metrics.horizontalAdvance(line), room) << where << " cuts \"" << line.toStdString() << "\"";
        }
    }
};

TEST_F(Screen, TheWindowFitsWithEveryControlReachableAndEveryCaptionWhole)
{
    start("owner = Laboratory\nadctype = 2440\n");
    answers.clearDialogs();
    const double scale = qEnvironmentVariableIsSet("ORBILAN_TEST_SCALE")
                             ? qEnvironmentVariable("ORBILAN_TEST_SCALE").toDouble()
                             : 1.0;
    // The screen is the laptop's, in logical pixels.
    EXPECT_NEAR(QGuiApplication::primaryScreen()->geometry().width() * scale, 1366, 2);
    everythingReachable("at start");

    click("SetSweepButton");
    everythingReachable("sweep panel");
    click("FreqCancel");

    ASSERT_TRUE(desktop->bench()->connectDevice("refl:R=20,L=2u,C=200p,topology=series"));
    setSweep("1m", "30m", "100");
    calibrate(1);
    ASSERT_TRUE(model().cal.ReflCalValid);
    click("SweepButton_3");
    click("MarkerOn");
    ASSERT_TRUE(widget("Markers")->isVisible());
    click("Option2_1");
    for (int i = 0; i < 3; ++i)
        click("Marker_3");
    everythingReachable("markers on a sweep");

    click("CalInfoButton");
    ASSERT_TRUE(widget("CalInfo")->isVisible());
    everythingReachable("calibration information");
    click("CalInfoCloseButton");

    click("DisplayButton");
    everythingReachable("display types");
    choose("displaycombo", "Smith,");
    click("SweepButton_3");
    click("MarkerOn");
    everythingReachable("Smith chart");

    calibrate(0);
    ASSERT_TRUE(model().cal.TransCalValid);
    click("ModeButton_2");
    click("GDwindowButton");
    ASSERT_TRUE(widget("GDwindowFrame")->isVisible());
    everythingReachable("group-delay aperture");
    click("GDwindowCancelbutton");

    click("ModeButton_1");
    click("SetSweepButton");
    click("SingleFreqSweep");
    typeInto("F1text", "14.2m");
    click("ButtonSweepOK");
    click("SweepButton_3");
    ASSERT_TRUE(widget("SingleDisplayFrame")->isVisible());
    everythingReachable("single frequency");
}

TEST_F(Screen, TheTimeDomainViewFitsWithEveryControlReachable)
{
    start();
    desktop->showTdr();
    settle();
    gui::TdrWindow* tdr = desktop->tdrWindow();
    ASSERT_NE(tdr, nullptr);
    ASSERT_TRUE(tdr->isVisible());
    const QRect screen = available();
    EXPECT_TRUE(screen.contains(tdr->frameGeometry()));
    auto* scroll = tdr->findChild<QScrollArea*>(QStringLiteral("tdrControls"));
    ASSERT_NE(scroll, nullptr);
    EXPECT_FALSE(scroll->verticalScrollBar()->isVisible()) << "the controls need no scrolling";
    const QRect window(tdr->mapToGlobal(QPoint(0, 0)), tdr->size());
    int checked = 0;
    for (QWidget* w : tdr->findChildren<QWidget*>()) {
        if (!w->isVisible() || !(qobject_cast<QAbstractButton*>(w) || qobject_cast<QComboBox*>(w)
                                 || qobject_cast<QAbstractSpinBox*>(w) || qobject_cast<QLineEdit*>(w)))
            continue;
        const QRect global(w->mapToGlobal(QPoint(0, 0)), w->size());
        EXPECT_TRUE(window.contains(global)) << w->objectName().toStdString() << " outside the window";
        captionFits(w, w->objectName().toStdString());
        ++checked;
    }
    EXPECT_GE(checked, 12);
    EXPECT_GE(tdr->plot()->width(), 400);
    EXPECT_GE(tdr->plot()->height(), 250);
}

TEST_F(Screen, TheBenchStandsBesideTheMainWindowWhereThereIsRoom)
{
    start();
    QWidget* bench = desktop->bench();
    ASSERT_NE(bench, nullptr);
    QWidget& main = desktop->mainWindow();
    const QRect screen = available();
    if (screen.width() >= 1200) {
        // A laptop at scale 1 has room for both.
        ASSERT_TRUE(bench->isVisible());
        EXPECT_FALSE(bench->frameGeometry().intersects(main.frameGeometry()));
        EXPECT_TRUE(screen.contains(bench->frameGeometry()));
        EXPECT_GE(desktop->plotView()->width(), 500);
    } else {
        // At 1.5 the window needs the width: the bench waits for Ctrl+B.
        EXPECT_FALSE(bench->isVisible());
        main.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&main));
        QTest::keyClick(&main, Qt::Key_B, Qt::ControlModifier);
        EXPECT_TRUE(bench->isVisible());
    }
}

TEST_F(Screen, TheWindowComesBackWhereItWas)
{
    start();
    QWidget& main = desktop->mainWindow();
    main.setGeometry(QRect(available().topLeft() + QPoint(30, 20), QSize(960, 470)));
    settle();
    const QRect where = main.geometry();
    // A calibration chosen in a folder of its own.
    const std::filesystem::path calibrations = dir.path() / "calibrations";
    std::filesystem::create_directory(calibrations);
    answers.queue(ui::Answer::file((calibrations / "bench.cal").string()));
    ui::FileDialogRequest request;
    request.title = "Load calibration data";
    request.filter = "cal files|*.cal|All Files|*.*";
    ASSERT_TRUE(desktop->platform().fileDialog(request).has_value());
    desktop.reset();
    QCoreApplication::processEvents();

    start();
    EXPECT_EQ(desktop->mainWindow().geometry(), where);
    // Calibrations open where the last one was chosen; data files elsewhere.
    EXPECT_EQ(desktop->platform().lastFolder("cal").toStdString(), calibrations.string());
    EXPECT_NE(desktop->platform().lastFolder("csv").toStdString(), calibrations.string());
}

} // namespace
} // namespace orbilan::test
