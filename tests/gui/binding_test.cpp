#include "desktop_fixture.h"

#include <QLineEdit>
#include <QPushButton>

namespace orbilan::test {
namespace {

TEST_F(DesktopTest, Smoke)
{
    start();
    desktop->mainWindow().resize(1210, 660);
    click("SetSweepButton");
    model().c("CalInfo").setVisible(true);
    desktop->mainWindow().grab().save("/tmp/orbilan-main.png");
    model().c("SetupSweep").setVisible(false);
    model().c("SweepFrame").setVisible(true);
    model().c("GDwindowButton").setVisible(true);
    settle();
    desktop->mainWindow().grab().save("/tmp/orbilan-main2.png");
}

} // namespace
} // namespace orbilan::test
