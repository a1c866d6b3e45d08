// The plot raster: every primitive drawn twice under XOR leaves the area as
// it was, a trace drawn point by point covers each pixel once, and values far
// beyond the scale neither hang nor crash the drawing.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <cmath>
#include <csignal>
#include <filesystem>
#include <set>

#include "display/canvas.h"
#include "display/png.h"
#include "support/test_platform.h"

namespace orbilan::display {
namespace {

constexpr double Pi = 3.14159265358979323846;

int countNot(const Canvas& c, std::uint32_t background)
{
    int n = 0;
    for (std::uint32_t p : c.pixels())
        n += p != background;
    return n;
}

TEST(Canvas, EveryPrimitiveDrawnTwiceRestoresThePixels)
{
    Canvas c(400, 320);
    c.setScale(0, 0, 10, 8);
    c.setPenColour(0x404040);
    for (int x = 1; x <= 9; ++x)
        c.line(x, 0, x, 8);
    const std::vector<std::uint32_t> grid = c.pixels();

    auto drawAll = [&c] {
        c.setScale(-1.25, -1, 1.25, 1);
        c.setPenColour(0xFFFF00);
        c.setPenWidth(1);
        c.line(-1.2, -0.9, 1.1, 0.7);
        c.line(0.3, 0.3, 0.3, 0.3); // a segment of no length
        c.circle(0.2, 0.1, 0.5);
        c.arc(1, -0.5, 0.5, 90 * Pi / 180, 217 * Pi / 180);
        c.arc(0, 0, 0.7, 300 * Pi / 180, 30 * Pi / 180); // through the zero angle
        c.setPenWidth(2);
        c.point(0.5, 0.5);
        c.circle(0, 0, 1);
        c.line(-1, 0.2, 1, -0.3);
        c.setPenWidth(1);
        c.fillRect(-0.4, -0.4, 0.1, 0.2, 0x00FFFF);
    };
    drawAll();
    EXPECT_NE(c.pixels(), grid);
    drawAll();
    EXPECT_EQ(c.pixels(), grid);
}

TEST(Canvas, TraceDrawnAsPointThenSegmentsCoversEachPixelOnceAndErasesCleanly)
{
    Canvas c(400, 320);
    c.setScale(0, 40, 100, -120);
    c.setPenColour(0xFFFF00);
    std::vector<std::pair<double, double>> pts;
    for (int i = 0; i <= 100; ++i)
        pts.push_back({i, -40 + 30 * std::sin(i / 7.0) + (i % 13 == 0 ? 25 : 0)});
    c.point(pts[0].first, pts[0].second);
    for (std::size_t i = 1; i < pts.size(); ++i)
        c.line(pts[i - 1].first, pts[i - 1].second, pts[i].first, pts[i].second);
    // No pixel of a joint cancelled itself: every painted pixel is pure yellow,
    // and the joints themselves are painted.
    std::set<std::uint32_t> colours(c.pixels().begin(), c.pixels().end());
    EXPECT_EQ(colours, (std::set<std::uint32_t>{0x000000, 0xFFFF00}));
    for (const auto& [x, y] : pts) {
        const int px = static_cast<int>(std::floor(x / 100 * 399 + 0.5));
        const int py = static_cast<int>(std::floor((y - 40) / -160 * 319 + 0.5));
        EXPECT_EQ(c.pixel(px, py), 0xFFFF00u) << "joint at " << x;
    }
    // Erased segment by segment, in the order a new sweep does it.
    c.point(pts[0].first, pts[0].second);
    for (std::size_t i = 1; i < pts.size(); ++i)
        c.line(pts[i - 1].first, pts[i - 1].second, pts[i].first, pts[i].second);
    EXPECT_EQ(countNot(c, 0), 0);
}

TEST(Canvas, EdgesMapToTheFirstAndLastPixels)
{
    Canvas c(400, 320);
    c.setScale(0, 0, 10, 8);
    c.setPenColour(0xFFFFFF);
    c.point(0, 0);
    c.point(10, 8);
    EXPECT_EQ(c.pixel(0, 0), 0xFFFFFFu);
    EXPECT_EQ(c.pixel(399, 319), 0xFFFFFFu);
    EXPECT_EQ(countNot(c, 0), 2);
}

TEST(Canvas, ValuesFarBeyondTheScaleAreClippedNotTraced)
{
    Canvas c(400, 320);
    c.setScale(0, 1e-6, 100, -1e-6);
    c.setPenColour(0x00FFFF);
    c.line(0, -1e6, 50, 1e6); // crosses the whole area almost vertically
    const int crossing = countNot(c, 0);
    EXPECT_GE(crossing, 1);
    EXPECT_LE(crossing, 320);
    c.line(0, -1e6, 50, 1e6);
    EXPECT_EQ(countNot(c, 0), 0);
    // Wholly outside, non-finite, or on a scale of no height: nothing.
    c.line(0, 5e5, 100, 1e6);
    c.point(50, std::nan(""));
    c.line(0, 0, INFINITY, 0);
    c.circle(50, 0, 1e300);
    c.setScale(0, 3, 100, 3);
    c.line(0, 0, 100, 0);
    c.fillRect(0, 0, 100, 3, 0xFFFFFF);
    EXPECT_EQ(countNot(c, 0), 0);
}

TEST(Canvas, ArcsRunCounterclockwiseOnTheScreenWhateverTheScaleOrientation)
{
    for (bool upward : {true, false}) {
        Canvas c(401, 401);
        if (upward)
            c.setScale(-1, 1, 1, -1);
        else
            c.setScale(-1, -1, 1, 1);
        c.setPenColour(0xFFFFFF);
        // 0 to 90 degrees: the upper right quarter of the screen, always.
        c.arc(0, 0, 0.5, 0, Pi / 2);
        int upperRight = 0, elsewhere = 0;
        for (int y = 0; y < 401; ++y)
            for (int x = 0; x < 401; ++x)
                if (c.pixel(x, y) != 0)
                    (x >= 199 && y <= 201 ? upperRight : elsewhere)++;
        EXPECT_GT(upperRight, 100) << (upward ? "upward" : "downward");
        EXPECT_EQ(elsewhere, 0) << (upward ? "upward" : "downward");
    }
}

TEST(Canvas, CopyModeRectangleRunsOffTheAreaAndCountsAsAChange)
{
    Canvas c(100, 10);
    c.setDrawMode(DrawMode::Copy);
    c.setScale(0, 1, 10, 3);
    c.setPenColour(0xFFFF00);
    const auto before = c.revision();
    c.fillRect(0, 1, 25, 3, 0xFFFF00); // beyond the right edge
    EXPECT_GT(c.revision(), before);
    EXPECT_EQ(countNot(c, 0), 100 * 10);
    c.fillRect(0, 1, 25, 3, 0xFFFF00); // copy mode: drawing again changes nothing
    EXPECT_EQ(countNot(c, 0), 100 * 10);
    c.clear();
    c.fillRect(0, 1, 5, 3, 0xFFFF00);
    EXPECT_EQ(c.pixel(49, 5), 0xFFFF00u);
    EXPECT_EQ(c.pixel(51, 5), 0u);
}

TEST(Png, WrittenImageReadsBackPixelForPixel)
{
    test::TempDir dir;
    Canvas c(400, 320);
    c.setScale(0, 0, 1, 1);
    c.setPenColour(0x12AB34);
    c.line(0, 0, 1, 1);
    const std::string path = (dir.path() / "plot.png").string();
    ASSERT_TRUE(writePng(c.image(), path));
    ui::Image back;
    ASSERT_TRUE(readPng(path, back));
    EXPECT_EQ(back.width, 400);
    EXPECT_EQ(back.height, 320);
    EXPECT_EQ(back.pixels, c.pixels());
    EXPECT_FALSE(writePng(c.image(), (dir.path() / "missing" / "plot.png").string()));
    dir.write("bad.png", "not a png");
    EXPECT_FALSE(readPng((dir.path() / "bad.png").string(), back));
}

TEST(Png, AFailedWriteLeavesTheOldPictureWhole)
{
    test::TempDir dir;
    const std::string path = (dir.path() / "plot.png").string();
    Canvas small(10, 10);
    ASSERT_TRUE(writePng(small.image(), path));
    const std::string before = test::readFile(path);
    // A file-size limit stops the write half way, as a full disk does.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit limited = saved;
    limited.rlim_cur = before.size() + 100;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
    Canvas big(400, 320);
    big.setScale(0, 0, 1, 1);
    for (int i = 0; i < 50; ++i) {
        big.setPenColour(static_cast<ui::Rgb>(0x010203 * i + 0x405060));
        big.line(0, i / 50.0, 1, 1 - i / 50.0);
    }
    const bool written = writePng(big.image(), path);
    setrlimit(RLIMIT_FSIZE, &saved);
    EXPECT_FALSE(written);
    EXPECT_EQ(test::readFile(path), before);

    // A link planted in the picture's place is not written through.
    const auto other = dir.write("other.txt", "not mine");
    std::filesystem::create_symlink(other, dir.path() / "linked.png");
    EXPECT_FALSE(writePng(small.image(), (dir.path() / "linked.png").string()));
    EXPECT_EQ(test::readFile(other), "not mine");
}

} // namespace
} // namespace orbilan::display
