#include "desktop_fixture.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QRadioButton>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>

#include "gui/form_binder.h"

#ifdef ORBILAN_HAVE_SIM
#include "sim/kesp_sim.h"
#endif

namespace orbilan::test {

DesktopTest::DesktopTest()
{
#ifdef ORBILAN_HAVE_SIM
    kesp_sim_reset();
#endif
}

DesktopTest::~DesktopTest()
{
    desktop.reset();
    QCoreApplication::processEvents();
}

void DesktopTest::makeDesktop(const std::string& ini, bool simulate)
{
    if (!ini.empty())
        dir.write("vna.ini", ini);
    app::ProgramOptions options;
    options.iniDir = dir.str();
    options.simulate = simulate;
    options.libraryDir = ORBILAN_BIN_DIR;
    desktop = std::make_unique<gui::Desktop>(options, &answers);
    if (desktop->bench())
        desktop->bench()->setFastTiming(true);
    else
        desktop->platform().setSleepScale(0);
}

void DesktopTest::start(const std::string& ini, bool simulate)
{
    makeDesktop(ini, simulate);
    desktop->start();
    QWidget& main = desktop->mainWindow();
    main.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&main));
    settle();
}

void DesktopTest::settle()
{
    QElapsedTimer timer;
    timer.start();
    int quiet = 0;
    while (quiet < 3 && timer.elapsed() < 20000) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        quiet = desktop && desktop->queue().idle() ? quiet + 1 : 0;
    }
    ASSERT_LT(timer.elapsed(), 20000) << "user actions still queued";
}

QWidget* DesktopTest::widget(const QString& objectName) const
{
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (top->objectName() == objectName)
            return top;
        if (auto* w = top->findChild<QWidget*>(objectName))
            return w;
    }
    return nullptr;
}

void DesktopTest::click(const QString& objectName)
{
    QWidget* w = widget(objectName);
    ASSERT_NE(w, nullptr) << "no widget " << objectName.toStdString();
    ASSERT_TRUE(w->isVisible()) << objectName.toStdString() << " is hidden";
    ASSERT_TRUE(w->isEnabled()) << objectName.toStdString() << " is disabled";
    // Options and check boxes take clicks on their mark and caption only.
    const bool marked = qobject_cast<QRadioButton*>(w) || qobject_cast<QCheckBox*>(w);
    QTest::mouseClick(w, Qt::LeftButton, Qt::NoModifier, marked ? QPoint(8, w->height() / 2) : w->rect().center());
    settle();
}

void DesktopTest::typeInto(const QString& objectName, const QString& text)
{
    QWidget* w = widget(objectName);
    ASSERT_NE(w, nullptr) << "no widget " << objectName.toStdString();
    QTest::mouseClick(w, Qt::LeftButton, Qt::NoModifier, w->rect().center());
    settle();
    QWidget* focus = QApplication::focusWidget();
    ASSERT_NE(focus, nullptr);
    QTest::keyClick(focus, Qt::Key_A, Qt::ControlModifier);
    keys(text);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    settle();
}

void DesktopTest::setSweep(const QString& start, const QString& end, const QString& steps)
{
    click("SetSweepButton");
    typeInto("F1text", start);
    typeInto("F2text", end);
    click("StepsButton");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
    keys(steps + "\r");
    click("ButtonSweepOK");
}

void DesktopTest::calibrate(int mode)
{
    click(mode == 1 ? "ModeButton_1" : "ModeButton_0");
    for (int i = 0; i < (mode == 1 ? 3 : 2); ++i)
        answers.queue(ui::Answer::ok());
    answers.queue(ui::Answer::no()); // not saved yet
    click("CalibrateButton");
}

void DesktopTest::keys(const QString& text)
{
    for (QChar ch : text) {
        QWidget* focus = QApplication::focusWidget();
        ASSERT_NE(focus, nullptr);
        if (ch == QLatin1Char('\r'))
            QTest::keyClick(focus, Qt::Key_Return);
        else
            QTest::keyClicks(focus, QString(ch));
        settle();
    }
}

void DesktopTest::choose(const QString& objectName, const QString& entry)
{
    QWidget* w = widget(objectName);
    ASSERT_NE(w, nullptr) << "no widget " << objectName.toStdString();
    if (auto* list = qobject_cast<QListWidget*>(w)) {
        const auto items = list->findItems(entry, Qt::MatchExactly);
        ASSERT_FALSE(items.isEmpty()) << "no entry " << entry.toStdString();
        const QRect r = list->visualItemRect(items.first());
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, r.center());
    } else if (auto* combo = qobject_cast<QComboBox*>(w)) {
        const int row = combo->findText(entry);
        ASSERT_GE(row, 0) << "no entry " << entry.toStdString();
        combo->showPopup();
        QCoreApplication::processEvents();
        QAbstractItemView* view = combo->view();
        view->setCurrentIndex(view->model()->index(row, 0));
        QTest::keyClick(view, Qt::Key_Return);
    } else {
        FAIL() << objectName.toStdString() << " is not a list";
    }
    settle();
}

} // namespace orbilan::test
