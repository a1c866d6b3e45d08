// The desktop program in a test: the real windows and widgets on Qt's
// offscreen platform, dialogs answered from a queue (an unexpected one fails
// the test), and helpers that act on widgets as a user does.
#pragma once

#include <memory>
#include <string>

#include <QString>
#include <QWidget>

#include <gtest/gtest.h>

#include "gui/desktop.h"
#include "support/test_platform.h"

namespace orbilan::test {

class DesktopTest : public ::testing::Test {
protected:
    DesktopTest();
    ~DesktopTest() override;

    // Makes the desktop with vna.ini (none when `ini` is empty) in a fresh
    // folder; the simulated instrument runs without delays.
    void makeDesktop(const std::string& ini = {}, bool simulate = true);
    // ... and runs the program's start-up.
    void start(const std::string& ini = {}, bool simulate = true);
    // Lets the event loop run until every queued user action has run.
    void settle();

    QWidget* widget(const QString& objectName) const;
    template <class W>
    W* widgetAs(const QString& objectName) const
    {
        return qobject_cast<W*>(widget(objectName));
    }
    ui::Control& control(const std::string& name, int index = -1)
    {
        return desktop->model().controls().at(name, index);
    }

    // A mouse click in the middle of the widget.
    void click(const QString& objectName);
    // Clicks into a text field, replaces its text by typing, then presses Tab.
    void typeInto(const QString& objectName, const QString& text);
    // Key presses into the focused widget.
    void keys(const QString& text);
    // Picks an entry of a list box or a combo box's drop-down list.
    void choose(const QString& objectName, const QString& entry);

    // Sets a sweep through the sweep panel, as a user types it.
    void setSweep(const QString& start, const QString& end, const QString& steps);
    // Calibrates transmission (mode 0) or reflection (1) with every standard
    // confirmed, and declines to save.
    void calibrate(int mode);

    app::MainWindow& model() { return desktop->model(); }

    TempDir dir;
    TestPlatform answers;
    std::unique_ptr<gui::Desktop> desktop;
};

} // namespace orbilan::test
