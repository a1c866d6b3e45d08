// The grid stays on screen however often the window asks for it: it is drawn
// with the XOR pen, and start-up and every refresh of an uncalibrated state
// ask for it again, which used to erase it every other time.
#include <gtest/gtest.h>

#include "display/canvas.h"
#include "sim_window.h"

namespace orbilan::test {

namespace {

// Pixels in the graticule's colour on the vertical line x = 5 of the 10 x 8 grid.
int gridPixels(const app::MainWindow& w)
{
    const display::Canvas& c = w.plotCanvas();
    const int x = c.width() / 2;
    int n = 0;
    for (int y = 0; y < c.height(); ++y)
        if ((c.pixel(x, y) & 0xFFFFFF) == (w.settings.GraticuleColour & 0xFFFFFF))
            ++n;
    return n;
}

class Graticule : public SimWindowTest {};

} // namespace

TEST_F(Graticule, ShownAfterStartUpAndAfterEveryRefresh)
{
    const int afterStart = gridPixels(*window);
    EXPECT_GT(afterStart, window->plotCanvas().height() / 2);
    for (int i = 0; i < 3; ++i) {
        window->deliver([this] { window->CheckMachineStatus(); });
        EXPECT_EQ(gridPixels(*window), afterStart) << "refresh " << i;
    }
    window->deliver([this] { window->ClearPlot(); });
    EXPECT_EQ(gridPixels(*window), afterStart);
}

} // namespace orbilan::test
