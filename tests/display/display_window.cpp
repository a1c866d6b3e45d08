#include "display_window.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>

#include "display/png.h"

namespace orbilan::test {

void SweepOf(app::MainWindow& w, int points, std::int32_t start, std::int32_t end)
{
    w.settings.SweepPoints = static_cast<std::int16_t>(points);
    w.sweep.SweepStart = start;
    w.sweep.SweepEnd = end;
    w.sweep.SweepF1 = start;
    w.sweep.SweepF2 = end;
    w.sweep.SweepKind = 1;
    w.sweep.FreqList.fill(0);
    w.sweep.FreqList[0] = 1;
    for (int k = 1; k <= points; ++k)
        w.sweep.FreqList[static_cast<std::size_t>(k)] = static_cast<std::int32_t>(
            std::nearbyint(start + (k - 1) * (static_cast<double>(end) - start) / std::max(points - 1, 1)));
    w.disp.XLeft = start;
    w.disp.XRight = end;
    // Calibrated for both kinds on exactly this sweep: the window is ready.
    w.cal.CalFreq = w.sweep.FreqList;
    w.cal.CalFreq[0] = points;
    w.cal.CalModes = 3;
    w.cal.CalStatus = 2;
    w.cal.TransCalValid = true;
    w.cal.ReflCalValid = true;
    w.cal.WorkPoints = points;
}

void PlotPass(app::MainWindow& w, const std::vector<cal::Complex>& pairs)
{
    for (std::size_t i = 0; i < pairs.size(); ++i) {
        w.sweep.PointIndex = static_cast<std::int16_t>(i + 1);
        w.PlotPoint(pairs[i]);
    }
}

std::vector<cal::Complex> DevicePass(const app::MainWindow& w, int measMode)
{
    std::vector<cal::Complex> pairs;
    for (int k = 1; k <= w.settings.SweepPoints; ++k)
        pairs.push_back(MeasuredPair(measMode, w.sweep.FreqList[static_cast<std::size_t>(k)]));
    return pairs;
}

void DisplayWindow::chooseDisplay(int measMode, const std::string& entry)
{
    w.cal.MeasMode = static_cast<std::int16_t>(measMode);
    w.controls().at("ModeButton", measMode).setValueQuietly(1);
    w.DisplayButton_Click();
    auto& box = w.controls().at("displaycombo");
    const auto& list = box.list();
    const auto found = std::find(list.begin(), list.end(), entry);
    ASSERT_NE(found, list.end()) << entry;
    box.setListIndex(static_cast<int>(found - list.begin()));
    w.controls().dispatch("displaycombo", -1, ui::Event::Click);
}

void DisplayWindow::savePlot(const std::string& name) const
{
    std::filesystem::create_directories(ORBILAN_TEST_OUTPUT_DIR);
    display::writePng(w.plotCanvas().image(), std::string(ORBILAN_TEST_OUTPUT_DIR) + "/" + name + ".png");
}

::testing::AssertionResult MatchesReference(const display::Canvas& canvas, const std::string& name)
{
    const std::string path = std::string(ORBILAN_TEST_DATA_DIR) + "/" + name + ".png";
    if (const char* update = std::getenv("ORBILAN_UPDATE_REFERENCE"); update && std::string(update) == "1") {
        if (!display::writePng(canvas.image(), path))
            return ::testing::AssertionFailure() << "cannot write " << path;
        return ::testing::AssertionSuccess() << "written";
    }
    ui::Image reference;
    if (!display::readPng(path, reference))
        return ::testing::AssertionFailure() << "no reference image " << path;
    if (reference.width != canvas.width() || reference.height != canvas.height())
        return ::testing::AssertionFailure() << "size differs from " << path;
    int differing = 0, firstX = -1, firstY = -1;
    for (int y = 0; y < canvas.height(); ++y)
        for (int x = 0; x < canvas.width(); ++x)
            if (canvas.pixel(x, y) != reference.pixels[static_cast<std::size_t>(y) * reference.width + x]) {
                if (differing++ == 0) {
                    firstX = x;
                    firstY = y;
                }
            }
    if (differing != 0)
        return ::testing::AssertionFailure() << differing << " pixels differ from " << path << ", first at ("
                                             << firstX << ", " << firstY << ")";
    return ::testing::AssertionSuccess();
}

std::complex<double> SeriesRlc(double hz)
{
    const double w = 2 * 3.14159265358979323846 * hz;
    return {30.0, w * 1e-6 - 1 / (w * 100e-12)};
}

std::complex<double> Gamma(std::complex<double> z) { return (z - 50.0) / (z + 50.0); }

namespace {
std::complex<double> throughRlc(double hz) { return 100.0 / (100.0 + SeriesRlc(hz)); }
} // namespace

cal::Complex MeasuredPair(int measMode, double hz)
{
    constexpr double deg = 180 / 3.14159265358979323846;
    if (measMode == 1) {
        const auto z = SeriesRlc(hz);
        return {std::abs(z), std::arg(z) * deg};
    }
    const auto s21 = throughRlc(hz);
    const double db = 20 * std::log10(std::abs(s21));
    if (measMode == 0)
        return {db, std::arg(s21) * deg};
    // Group delay over a 10 kHz aperture, in microseconds.
    const double aperture = 10e3;
    const double dphi = std::arg(throughRlc(hz + aperture) / s21);
    return {db, std::fabs(dphi / (2 * 3.14159265358979323846 * aperture)) * 1e6};
}

} // namespace orbilan::test
