// The trace tools in the desktop program: their menu entries reach the
// tools' controls and follow whether a user could click them, the limit
// table applies (or names its bad row), the lamp and the search result show
// in the status bar, and the limit lines are drawn on the plot.
#include "desktop_fixture.h"

#include <complex>
#include <cstdlib>

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

#include "app/trace_tools.h"
#include "gui/menu_bar.h"
#include "gui/plot_view.h"
#include "gui/trace_tools_ui.h"
#include "ui/state_registry.h"

namespace orbilan::test {
namespace {

class TraceToolsDesktop : public DesktopTest {
protected:
    QAction* action(const char* name)
    {
        auto* a = desktop->mainWindow().findChild<QAction*>(QString::fromUtf8(name));
        EXPECT_NE(a, nullptr) << name;
        return a;
    }
    // The entries are brought up to date as a menu opens.
    void openMenus()
    {
        for (const char* title : {"&Display", "&Tools"})
            Q_EMIT desktop->menus().menu(QString::fromUtf8(title))->aboutToShow();
    }
    void trigger(const char* name)
    {
        openMenus();
        QAction* a = action(name);
        ASSERT_TRUE(a->isEnabled()) << name;
        a->trigger();
        settle();
    }
    std::string state(const std::string& name) { return ui::stateValueText(*model().state().get(name)); }

    // A reflection sweep of a series RLC, 5 to 30 MHz.
    void measure()
    {
        start();
        answers.clearDialogs();
        ASSERT_TRUE(desktop->bench()->connectDevice("refl:R=40,L=1u,C=100p"));
        click("SetSweepButton");
        typeInto("F1text", "5m");
        typeInto("F2text", "30m");
        click("ButtonSweepOK");
        click("ModeButton_1");
        for (int i = 0; i < 3; ++i)
            answers.queue(ui::Answer::ok());
        answers.queue(ui::Answer::no());
        click("CalibrateButton");
        click("SweepButton_3");
        settle();
        ASSERT_TRUE(model().lastSweep());
        answers.clearDialogs();
    }

    // Pixels of the limit lines' magenta in the plot as shown.
    int limitPixels()
    {
        gui::PlotView* plot = desktop->plotView();
        const QImage image = plot->render(QSize(800, 600), 1);
        int n = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const QColor c = image.pixelColor(x, y);
                n += c.red() > 150 && c.green() < 80 && c.blue() > 150 && std::abs(c.red() - c.blue()) < 20;
            }
        return n;
    }
};

TEST_F(TraceToolsDesktop, TheMenusReachTheToolsAndFollowWhatTheyOffer)
{
    measure();
    // Beside Store and Show, in this order.
    QMenu* display = desktop->menus().menu(QStringLiteral("&Display"));
    const QList<QAction*> all = display->actions();
    const qsizetype show = all.indexOf(desktop->menus().action("DisplayMemory"));
    ASSERT_GE(show, 0);
    EXPECT_EQ(all.value(show + 1), action("action_loadReference"));

    // No memory yet: only "Show Data" can be chosen.
    openMenus();
    EXPECT_TRUE(action("action_traceMath_0")->isChecked());
    EXPECT_FALSE(action("action_traceMath_1")->isEnabled());
    EXPECT_FALSE(action("action_searchBandwidth")->isEnabled()) << "a reflection sweep has no -3 dB band";
    click("TraceSave");
    settle();
    trigger("action_traceMath_1");
    EXPECT_EQ(state("TraceMath"), "1");
    openMenus();
    EXPECT_TRUE(action("action_traceMath_1")->isChecked());
    auto* math = desktop->mainWindow().findChild<QLabel*>(QStringLiteral("traceMathStatus"));
    EXPECT_TRUE(math->isVisible());
    EXPECT_EQ(math->text(), QStringLiteral("Data - Memory"));
    trigger("action_traceMath_0");

    // The search moves the markers and the status bar reads the result.
    trigger("action_searchResonance");
    EXPECT_NE(state("SearchResult").find("resonance_hz=159"), std::string::npos) << state("SearchResult");
    EXPECT_TRUE(control("Markers").visible());
    auto* result = desktop->mainWindow().findChild<QLabel*>(QStringLiteral("searchResult"));
    EXPECT_TRUE(result->isVisible());
    EXPECT_TRUE(result->text().startsWith(QStringLiteral("Resonance: best match "))) << result->text().toStdString();
    EXPECT_EQ(action("action_searchSwrBand")->text(), QStringLiteral("Find S&WR <= 2 Band"));

    // A reference trace from a file.
    const auto path = dir.write("ref.s1p", "# MHz S RI R 50\n5 0.2 0\n30 0.2 0\n").string();
    answers.queue(ui::Answer::file(path));
    trigger("action_loadReference");
    EXPECT_EQ(state("ReferenceFile"), "ref.s1p");
    EXPECT_TRUE(model().storedTraceOnPlot());
}

TEST_F(TraceToolsDesktop, TheLimitTableAppliesOrNamesItsBadRowAndTheLinesAreDrawn)
{
    measure();
    trigger("action_limitLines");
    gui::LimitTableDialog* dialog = desktop->traceTools().limitDialog();
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(dialog->isVisible());
    EXPECT_EQ(limitPixels(), 0);

    // |Z| is about 290 ohm at 5 MHz, 40 at resonance and 140 at 30 MHz.
    dialog->setTableText("upper Z 1M 40M 200\nlower Z 5M 30M 30\n");
    EXPECT_EQ(dialog->table()->rowCount(), 2);
    dialog->findChild<QPushButton*>(QStringLiteral("limitApply"))->click();
    settle();
    EXPECT_EQ(state("LimitCount"), "2");
    EXPECT_EQ(state("LimitStatus"), "fail");
    auto* lamp = desktop->mainWindow().findChild<QLabel*>(QStringLiteral("limitLamp"));
    EXPECT_TRUE(lamp->isVisible());
    EXPECT_TRUE(lamp->text().startsWith(QStringLiteral("Limits: Fail at 5.000000 MHz: Z "))) << lamp->text().toStdString();
    EXPECT_GT(limitPixels(), 300) << "the upper limit runs across the plot";
    // The table shows what was applied, in the file's own words.
    EXPECT_EQ(dialog->tableText(), "upper Z 1000000 40000000 200\nlower Z 5000000 30000000 30\n");

    // A row with a bad number: the window names the row, nothing changes.
    dialog->setTableText("upper Z 1M 40M 200\nupper Z 1M x 10\n");
    dialog->findChild<QPushButton*>(QStringLiteral("limitApply"))->click();
    settle();
    ASSERT_FALSE(answers.messageTexts().empty());
    EXPECT_EQ(answers.messageTexts().back(), "line 2: \"x\" is not a frequency");
    EXPECT_EQ(state("LimitCount"), "2");

    // Saved from the table and cleared: no lamp, no lines.
    dialog->setTableText("upper Z 1M 40M 9000\n");
    answers.queue(ui::Answer::file(dir.path().string() + "/mask.lim"));
    dialog->findChild<QPushButton*>(QStringLiteral("limitSave"))->click();
    settle();
    EXPECT_EQ(state("LimitStatus"), "pass");
    EXPECT_EQ(test::readFile(dir.path() / "mask.lim").find("upper Z 1000000 40000000 9000\r\n") != std::string::npos,
              true);
    dialog->findChild<QPushButton*>(QStringLiteral("limitClear"))->click();
    settle();
    EXPECT_EQ(state("LimitCount"), "0");
    EXPECT_FALSE(lamp->isVisible());
    EXPECT_EQ(dialog->table()->rowCount(), 0);
    EXPECT_EQ(limitPixels(), 0);
}

// scripts/screenshots takes the README's picture of the tools from here.
TEST_F(TraceToolsDesktop, Screenshots)
{
    start("owner = Demo\nadctype = 2440\nadcmode = 1\nadcdel = 10\n");
    answers.clearDialogs();
    desktop->bench()->hide();
    desktop->mainWindow().setGeometry(0, 0, 1366, 768);
    ASSERT_TRUE(desktop->bench()->connectDevice("refl:R=40,L=1u,C=100p"));
    click("SetSweepButton");
    typeInto("F1text", "5m");
    typeInto("F2text", "30m");
    click("StepsButton");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
    for (const char* k : {"2", "0", "0", "\r"})
        QTest::keyClicks(QApplication::focusWidget(), QString::fromUtf8(k));
    click("ButtonSweepOK");
    click("ModeButton_1");
    for (int i = 0; i < 3; ++i)
        answers.queue(ui::Answer::ok());
    answers.queue(ui::Answer::no());
    click("CalibrateButton");
    click("DisplayButton");
    choose("displaycombo", "SWR,");
    click("SweepButton_3");
    click("ScaleControl");

    // Yesterday's antenna, from another tool, over part of the band.
    std::string ref = "! yesterday\n# MHz S MA R 50\n";
    for (int k = 0; k <= 100; ++k) {
        const double mhz = 8 + 0.17 * k, w = 2 * 3.14159265358979 * mhz * 1e6;
        const std::complex<double> z(30, w * 1.1e-6 - 1 / (w * 100e-12));
        const auto g = (z - 50.0) / (z + 50.0);
        ref += std::to_string(mhz) + " " + std::to_string(std::abs(g)) + " " +
               std::to_string(std::arg(g) * 180 / 3.14159265358979) + "\n";
    }
    answers.queue(ui::Answer::file(dir.write("yesterday.s1p", ref).string()));
    trigger("action_loadReference");
    trigger("action_limitLines");
    desktop->traceTools().limitDialog()->setTableText("upper SWR 13.5M 18.5M 2\nupper SWR 5M 30M 6\n");
    desktop->traceTools().limitDialog()->findChild<QPushButton*>(QStringLiteral("limitApply"))->click();
    desktop->traceTools().limitDialog()->hide();
    trigger("action_searchSwrBand");
    settle();
    desktop->refresh();
    QTest::qWait(gui::PlotView::MinFrameMs + 10);
    QCoreApplication::processEvents();
    const QByteArray target = qgetenv("ORBILAN_SCREENSHOT_DIR");
    const QString folder = target.isEmpty() ? QString::fromStdString(dir.str()) : QString::fromLocal8Bit(target);
    EXPECT_TRUE(desktop->mainWindow().grab().toImage().save(folder + QStringLiteral("/screenshot-trace-tools.png")));
    EXPECT_EQ(state("LimitStatus"), "fail");
}

} // namespace
} // namespace orbilan::test
