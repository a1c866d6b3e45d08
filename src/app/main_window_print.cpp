#include "app/main_window.h"

// Seam: this area's behaviour is not built yet; every method does nothing.

namespace orbilan::app {

void MainWindow::setupPrint() {}

void MainWindow::SendToClipboard_Click() {}
void MainWindow::PrintMe_Click() {}

} // namespace orbilan::app
