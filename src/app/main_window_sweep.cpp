#include "app/main_window.h"

// Seam: this area's behaviour is not built yet; every method does nothing.

namespace orbilan::app {

void MainWindow::setupSweep() {}

void MainWindow::SetSweepButton_Click() {}
void MainWindow::NewSweep() {}
void MainWindow::ShowF1Value() {}
void MainWindow::ShowF2Value() {}
void MainWindow::EstTime() {}
void MainWindow::ButtonSweepOK_Click() {}
void MainWindow::FreqCancel_Click() {}
void MainWindow::CDS_check_Click() {}
void MainWindow::InitialiseSweep() {}
void MainWindow::SweepButton_Click(int /*index*/) {}
void MainWindow::Grayall() {}
void MainWindow::SweepFrameFunctionsOn() {}
void MainWindow::SweepFrameFunctionsOff() {}
void MainWindow::CloseOpenLists() {}
void MainWindow::Tracesave_Click() {}
void MainWindow::DisplayMemory_Click() {}
void MainWindow::MemoryDisplayOff() {}
void MainWindow::GDwindowButton_Click() {}
void MainWindow::GDwindowOKbutton_Click() {}
void MainWindow::GDwindowCancelbutton_Click() {}

} // namespace orbilan::app
