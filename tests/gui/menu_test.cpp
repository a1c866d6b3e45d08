// The menu bar: every entry standing for a control clicks it through
// UserInput exactly as its button does, and is visible and enabled only
// while the control is; help shows the README's user section.
#include "desktop_fixture.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QFile>
#include <QRegularExpression>
#include <QTest>
#include <QTextBrowser>

#include "gui/help_window.h"
#include "gui/menu_bar.h"

namespace orbilan::test {
namespace {

class Menus : public DesktopTest {
protected:
    QAction* entry(const std::string& control) { return desktop->menus().action(control); }
};

TEST_F(Menus, EachEntryReachesItsControlsHandlerAndFollowsItsState)
{
    start();
    answers.clearDialogs();
    auto& controls = model().controls();
    for (const gui::MenuEntry& e : gui::menuTable()) {
        if (!e.control)
            continue;
        SCOPED_TRACE(e.control);
        QAction* action = entry(e.control);
        ASSERT_NE(action, nullptr);
        ui::Control* c = controls.findByKey(e.control);
        ASSERT_NE(c, nullptr);
        // Counted instead of run: the test replaces the handler (array
        // members share theirs, so it checks which index arrives).
        int clicks = 0, index = -2;
        controls.on(c->name(), ui::Event::Click, [&](ui::EventArgs& a) {
            ++clicks;
            index = a.index;
        });
        // Reachable and enabled: the entry is, and it clicks the control.
        for (std::string parent = c->parent(); !parent.empty();) {
            ui::Control* p = controls.findByKey(parent);
            p->setVisible(true).setEnabled(true);
            parent = p->parent();
        }
        c->setVisible(true).setEnabled(true);
        desktop->refresh();
        EXPECT_TRUE(action->isVisible());
        ASSERT_TRUE(action->isEnabled());
        action->trigger();
        settle();
        EXPECT_EQ(clicks, 1);
        EXPECT_EQ(index, c->index());
        if (c->kind() == ui::ControlKind::Button) {
            EXPECT_EQ(controls.focused(), c->key()); // the focus moved as a mouse click moves it
        }

        // Disabled: the entry is disabled and does nothing.
        c->setEnabled(false);
        desktop->refresh();
        EXPECT_FALSE(action->isEnabled());
        action->trigger();
        settle();
        EXPECT_EQ(clicks, 1);
        // Hidden, also by its frame: the entry is hidden.
        c->setEnabled(true);
        c->setVisible(false);
        desktop->refresh();
        EXPECT_FALSE(action->isVisible());
        c->setVisible(true);
        if (!c->parent().empty()) {
            controls.findByKey(c->parent())->setVisible(false);
            desktop->refresh();
            EXPECT_FALSE(action->isVisible());
            EXPECT_FALSE(action->isEnabled());
        }
    }
    EXPECT_TRUE(answers.dialogs().empty());
}

TEST_F(Menus, AShortcutIsAClickThatAFieldRefusingToBeLeftSwallows)
{
    start();
    answers.clearDialogs();
    QWidget& main = desktop->mainWindow();
    main.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&main));

    // Ctrl+O is Load Cal, as its button: the file dialog opens.
    answers.queue(ui::Answer::cancel());
    QTest::keyClick(&main, Qt::Key_O, Qt::ControlModifier);
    settle();
    ASSERT_EQ(answers.dialogs().size(), 1u);
    EXPECT_EQ(answers.dialogs()[0].title, "Load calibration data");

    // Typing a frequency that is not one, then Quit from the menu: the field
    // is validated as a click on the button would leave it, refuses, and
    // keeps the focus; the program does not end.
    click("SetSweepButton");
    QTest::mouseClick(widget("F1text"), Qt::LeftButton);
    settle();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
    keys("12x4");
    answers.clearDialogs();
    desktop->refresh();
    QAction* quit = entry("End_Button");
    ASSERT_TRUE(quit->isEnabled());
    quit->trigger();
    settle();
    ASSERT_EQ(answers.dialogs().size(), 1u);
    EXPECT_EQ(answers.dialogs()[0].title, "Not numeric");
    EXPECT_FALSE(model().ended());
    EXPECT_EQ(model().controls().focused(), "F1text");
}

TEST_F(Menus, TheDisplayMenuChoosesAsTheChooserDoesAndFollowsTheMode)
{
    start();
    QMenu* display = desktop->mainWindow().menuBar()->findChild<QMenu*>("menuDisplay");
    ASSERT_NE(display, nullptr);
    desktop->refresh();
    auto types = [display] {
        QStringList names;
        for (QAction* a : display->actions())
            if (a->objectName().startsWith("displayType_"))
                names << a->text();
        return names;
    };
    EXPECT_EQ(types(), (QStringList{"dB,deg", "mag,deg"}));
    // Not calibrated: the Display button is out of reach, and so are the types.
    for (QAction* a : display->actions()) {
        if (a->objectName().startsWith("displayType_")) {
            EXPECT_FALSE(a->isEnabled());
        }
    }

    // Calibrated in reflection (state set directly): seven types, Smith among them.
    answers.queue(ui::Answer::no());
    click("ModeButton_1");
    model().deliver([&] {
        model().cal.CalFreq = model().sweep.FreqList;
        model().cal.CalFreq[0] = model().settings.SweepPoints;
        model().sweep.SweepDefined = true;
        model().cal.CalModes = 1;
        model().CheckMachineStatus();
    });
    desktop->refresh();
    ASSERT_EQ(types().size(), 7);
    EXPECT_EQ(types()[6], "Smith");
    QAction* smith = display->findChild<QAction*>("displayType_6");
    ASSERT_NE(smith, nullptr);
    ASSERT_TRUE(smith->isEnabled());
    smith->trigger();
    settle();
    EXPECT_EQ(model().disp.DisplayCode, 16);
    EXPECT_EQ(model().controls().at("DisplayLabel").caption(), "Smith");
    desktop->refresh();
    EXPECT_TRUE(smith->isChecked());
}

TEST_F(Menus, HelpShowsTheUsersSectionOfTheReadmeAndTheTitleNamesTheProgram)
{
    start("owner = Lab\n");
    EXPECT_EQ(desktop->mainWindow().windowTitle(), "Lab's Kesp VNA - Orbilan");
    EXPECT_EQ(gui::WindowTitle("Orbilan for Kesp VNA"), "Orbilan for Kesp VNA");
    EXPECT_EQ(gui::WindowTitle(""), "Orbilan");

    QWidget& main = desktop->mainWindow();
    main.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&main));
    QTest::keyClick(&main, Qt::Key_F1);
    gui::HelpWindow* help = desktop->helpWindow();
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->isVisible());
    const QString text = help->browser()->toPlainText();
    EXPECT_TRUE(text.startsWith("Using the program")) << text.left(80).toStdString();
    EXPECT_TRUE(text.contains("Set  Sweep") || text.contains("Set Sweep"));
    EXPECT_FALSE(text.contains("orbilan-cli session")); // other sections stay out

    // Every picture the section shows is built into the program.
    QFile readme(QStringLiteral(":/help/README.md"));
    ASSERT_TRUE(readme.open(QIODevice::ReadOnly));
    const QString section = gui::MarkdownSection(QString::fromUtf8(readme.readAll()), "Using the program");
    const QRegularExpression picture(QStringLiteral(R"(!\[[^\]]*\]\(([^)]+)\))"));
    int pictures = 0;
    for (auto it = picture.globalMatch(section); it.hasNext(); ++pictures) {
        const QString path = it.next().captured(1);
        EXPECT_TRUE(QFile::exists(QStringLiteral(":/help/") + path)) << path.toStdString() << " is not built in";
    }
    EXPECT_GE(pictures, 6);

    const QString markdown = "# T\n## Before\nb\n## Using the program\nu1\n### Sub\nu2\n## After\na\n";
    EXPECT_EQ(gui::MarkdownSection(markdown, "Using the program"), "## Using the program\nu1\n### Sub\nu2");
    EXPECT_EQ(gui::MarkdownSection(markdown, "Missing"), "");
}

} // namespace
} // namespace orbilan::test
