#include "app/main_window.h"

// Seam: this area's behaviour is not built yet; every method does nothing.

namespace orbilan::app {

void MainWindow::setupCal() {}

void MainWindow::CheckMachineStatus() {}
void MainWindow::ModeButton_Click(int /*index*/) {}
void MainWindow::CalibrateButton_Click() {}
void MainWindow::ReflectionCalibration() {}
void MainWindow::TransmissionCalibration() {}
void MainWindow::UpdateCalStatus() {}
void MainWindow::UpdateModeLEDs() {}
void MainWindow::ClearCals() {}
void MainWindow::SetCal02() {}
void MainWindow::SetCal1() {}
void MainWindow::ShowCalLabel(const std::string& /*calNow*/) {}
void MainWindow::CheckUnsavedCal() {}
void MainWindow::measure() {}
void MainWindow::SaveCalButton_Click() {}
void MainWindow::SaveCalFile() {}
void MainWindow::CalLoadButton_Click() {}
bool MainWindow::LoadCalFile() { return false; }
void MainWindow::CalInfoButton_Click() {}
void MainWindow::CalInfoCloseButton_Click() {}
void MainWindow::FillCalInfo() {}
void MainWindow::SaveDataButton_Click() {}
void MainWindow::SaveDataFile() {}

} // namespace orbilan::app
