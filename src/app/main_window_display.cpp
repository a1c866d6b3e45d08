#include "app/main_window.h"

// Seam: this area's behaviour is not built yet; every method does nothing.

namespace orbilan::app {

void MainWindow::setupDisplay() {}

void MainWindow::DisplayButton_Click() {}
void MainWindow::displaycombo_Click() {}
void MainWindow::DisplaySet() {}
void MainWindow::Y1Update(int /*last*/) {}
void MainWindow::Y2Update(int /*last*/) {}
void MainWindow::RefreshScales() {}
void MainWindow::DrawGraticule() {}
void MainWindow::DrawSmithGrid() {}
void MainWindow::ClearPlot() {}
void MainWindow::PlotPoint(Complex /*pair*/) {}
void MainWindow::PlotY1Point(int, std::int32_t, double) {}
void MainWindow::PlotY2Point(int, std::int32_t, double) {}
void MainWindow::PlotSmithPoint(int, double, double) {}
void MainWindow::PlotProgress(int /*i*/) {}
void MainWindow::RedrawTraces() {}
void MainWindow::DrawStoredTrace() {}
void MainWindow::ShowFreqAxis() {}
void MainWindow::HideFreqAxis() {}
void MainWindow::ShowY1Axis() {}
void MainWindow::HideY1Axis() {}
void MainWindow::ShowY2Axis() {}
void MainWindow::HideY2Axis() {}
void MainWindow::PlotOption_Click(int /*index*/) {}
void MainWindow::ClearButton_Click() {}
void MainWindow::MarkerOn_Click() {}
void MainWindow::markeroff() {}
void MainWindow::Marker_click(int /*index*/) {}
void MainWindow::Option2_Click(int /*index*/) {}
void MainWindow::MkrCF_Click() {}
void MainWindow::UpdateMarkers() {}
void MainWindow::ScaleControl_Click() {}

} // namespace orbilan::app
