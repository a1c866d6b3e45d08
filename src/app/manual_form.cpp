#include "app/manual_form.h"

#include "app/main_window.h"

namespace orbilan::app {

ManualForm::ManualForm(MainWindow& main) : main_(main)
{
    ui_.add("ManualForm", ui::ControlKind::Window).setCaption(" Test Mode").setVisible(false);
}

void ManualForm::Command1_Click() {}
void ManualForm::CloseButton_Click() {}

} // namespace orbilan::app
