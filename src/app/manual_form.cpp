#include "app/manual_form.h"

#include "app/main_window.h"
#include "instrument/instrument.h"
#include "ui/number_text.h"

namespace orbilan::app {

ManualForm::ManualForm(MainWindow& main) : main_(main)
{
    using ui::ControlKind;
    ui_.add("ManualForm", ControlKind::Window).setCaption(" Test Mode").setVisible(false);
    ui_.add("frequency", ControlKind::TextBox).setParent("ManualForm").setToolTip(" EnterDDS frequency in kHz");
    ui_.add("Label2", ControlKind::Label).setParent("ManualForm").setCaption("kHz");
    const char* phases[4] = {"0°", "90°", "180°", "270°"};
    for (int i = 0; i < 4; ++i)
        ui_.add("Phset", ControlKind::Option, i)
            .setParent("ManualForm")
            .setGroup("Phset")
            .setCaption(phases[i])
            .setToolTip(i == 1 ? "LO-RF phase difference" : "LO - RF  phase difference ");
    ui_.at("Phset", 0).setValueQuietly(1);
    ui_.add("Command1", ControlKind::Button).setParent("ManualForm").setCaption("Set DDS ").setToolTip("Set the DDS frequency");
    ui_.add("adcvolts", ControlKind::Label).setParent("ManualForm").setCaption("ADC Result");
    ui_.add("CloseButton", ControlKind::Button).setParent("ManualForm").setCaption("Close").setToolTip("Close this window");

    ui_.on("Command1", ui::Event::Click, [this](ui::EventArgs&) { Command1_Click(); });
    ui_.on("CloseButton", ui::Event::Click, [this](ui::EventArgs&) { CloseButton_Click(); });
}

void ManualForm::Show() { ui_.at("ManualForm").setVisible(true); }

void ManualForm::Command1_Click()
{
    ui::Control& box = ui_.at("frequency");
    const char separator = main_.platform().decimalSeparator();
    const auto number = ui::parseNumber(box.text(), separator);
    if (!ui::isNumeric(box.text(), separator) || !number) {
        box.setText("");
        main_.msg("Error in frequency entry");
        return;
    }
    // Whole kilohertz, from the single-precision value as typed.
    const double khz = ui::roundHalfEven(static_cast<double>(static_cast<float>(*number)));
    if (!(khz >= 50 && khz <= 60000)) {
        main_.msg("Frequency must be between 50 kHz and 60000 kHz");
        return;
    }
    const auto hz = static_cast<std::int32_t>(khz * 1000);
    manualPhase_ = 0;
    for (int i = 0; i < 4; ++i)
        if (ui_.at("Phset", i).value() == 1)
            manualPhase_ = i;

    if (!main_.frequencyAllowed(hz))
        return;
    auto& link = main_.instrument();
    const Settings& s = main_.settings;
    if (s.UsbLink) {
        if (!main_.linkOk(
                link.UsbMeasure(instrument::TuningWord(hz, s.ClockHz), manualPhase_, true, main_.usbAdcBytes())))
            return;
    } else {
        // One conversion, straight after the load: no settling wait, no averaging.
        if (!main_.linkOk(link.DdsLoad(main_.ports(), instrument::TuningWordHex(hz, s.ClockHz), manualPhase_)))
            return;
        if (!main_.linkOk(link.AdcConvert(main_.ports(), s.AdcMode)))
            return;
    }
    ui_.at("adcvolts").setCaption(ui::formatPattern(link.AdcVolts, "##.######", separator));
}

void ManualForm::CloseButton_Click()
{
    ui_.at("ManualForm").setVisible(false);
    main_.c("Start_End").setValue(1);
}

} // namespace orbilan::app
