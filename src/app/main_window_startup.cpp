#include "app/main_window.h"

// Seam: this area's behaviour is not built yet; every method does nothing.

namespace orbilan::app {

void MainWindow::setupStartup() {}

void MainWindow::Form_Load() {}
void MainWindow::LoadCFG() {}
void MainWindow::OrbilanButton_Click() {}
void MainWindow::End_Button_Click() {}
void MainWindow::UsbFatal() {}
void MainWindow::DDSADC() {}
void MainWindow::CalAcquireSweep(PointArray& /*target*/) {}

} // namespace orbilan::app
