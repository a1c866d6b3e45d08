// The simulator's bench: what is connected to the simulated instrument, and
// how the simulation behaves (auto-follow of calibration prompts, timing,
// noise). Shown beside the main window when the program runs with --simulate.
#pragma once

#include <memory>

#include <QWidget>

#include "ui/platform.h"

class QButtonGroup;
class QCheckBox;
class QLabel;
class QLineEdit;
class QRadioButton;

namespace orbilan::app {
struct Settings;
}

namespace orbilan::gui {

class QtPlatform;

class BenchWindow : public QWidget {
    Q_OBJECT
public:
    explicit BenchWindow(QtPlatform& platform, QWidget* parent = nullptr);
    ~BenchWindow() override;

    // Connects a device by the simulator's description ("open", "refl:R=100",
    // a Touchstone file ...); false when it is refused: a message says why,
    // and the bench says so until a device is connected.
    bool connectDevice(const QString& spec);
    QString connectedDevice() const { return connected_; }
    // "Now connected: ..." as the simulator has it, and why the last
    // connection was refused ("" when it was not).
    QString statusText() const;
    QString refusalText() const;
    void setAutoFollow(bool on);
    void setFastTiming(bool fast);
    void setNoise(bool on);

private:
    void chooseFile();
    void showConnected();
    void connectFromForm();

    QtPlatform& platform_;
    QString connected_;
    QButtonGroup* devices_ = nullptr;
    QLineEdit* value_ = nullptr;
    QLineEdit* file_ = nullptr;
    QLabel* status_ = nullptr;
    QLabel* refused_ = nullptr;
    QCheckBox* follow_ = nullptr;
    QCheckBox* noise_ = nullptr;
    QRadioButton* realTime_ = nullptr;
    QRadioButton* fast_ = nullptr;
};

// The platform as the window model sees it on the simulated instrument: the
// simulator hears every calibration prompt (to connect the standard it asks
// for when auto-follow is on).
std::unique_ptr<ui::Platform> makeSimulatorPlatform(ui::Platform& inner);
// The end of a calibration, for auto-follow to reconnect the device under test.
void simulatorCalibrationDone();
// Start-up has read vna.ini: the simulator becomes the instrument it describes.
void simulatorConfigured(const app::Settings& settings);

} // namespace orbilan::gui
